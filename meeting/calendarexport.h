#pragma once

#include "app/calendarfile.h"
#include "http/meetingrecord.h"

#include <QJsonObject>
#include <QString>

class QWidget;

// "添加到日历": the meeting as an iCalendar file in the data folder, opened
// with the desktop's handler so the user's calendar program imports it.
namespace CalendarExport {

// The event of a meeting of the list; the description is the caller's.
CalendarEvent fromRecord(const MeetingRecord &meeting);
// The event of the Meeting SDK's invite_info; it has no meeting id, so the
// caller passes the one it knows (or the number stands in).
CalendarEvent fromSdkInfo(const QJsonObject &info, const QString &meetingId);
// Whether an event names a meeting and a time.
bool isComplete(const CalendarEvent &event);

// Writes and opens it; a notice over asker says when the file cannot be
// written or there is no program to open it.
void addToCalendar(QWidget *asker, const CalendarEvent &event);

} // namespace CalendarExport
