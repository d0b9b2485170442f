#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// One meeting as a calendar program imports it.
struct CalendarEvent
{
    QString uid;     // from the meeting id
    QDateTime start; // with the time zone the meeting is held in
    QDateTime end;
    QString subject;     // SUMMARY
    QString description; // DESCRIPTION: the invitation text
    QString meetingCode; // LOCATION carries the grouped number

    bool operator==(const CalendarEvent &other) const;
};

// iCalendar (RFC 5545) through libical: one VCALENDAR with the time zone and
// one VEVENT. libical does the escaping and line folding.
namespace CalendarFile {

QByteArray toICalendar(const CalendarEvent &event);
// The first VEVENT of an iCalendar text; an empty uid when there is none.
CalendarEvent parse(const QByteArray &text);

// "<data folder>/VeskMeeting_<meeting number>.ics"
QString pathFor(const CalendarEvent &event);
// Writes the file and reads it back; false with a reason when either fails,
// and an existing file of the same name is then left as it was.
bool write(const CalendarEvent &event, const QString &path, QString *error = nullptr);

} // namespace CalendarFile
