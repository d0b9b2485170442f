#pragma once

#include <QString>

#include <functional>

class QObject;

// The user's calendar program, if there is one. Opening an .ics file with
// the desktop's handler proves nothing (it may open in an editor, or
// nowhere): only a program registered for calendar files counts.
namespace CalendarProgram {

// Hands the file to it; done(true) once a calendar program was started with
// it, done(false) when there is none or it did not start. done runs later,
// and only while context exists.
void open(const QString &path, QObject *context, std::function<void(bool took)> done);

} // namespace CalendarProgram
