#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

// One meeting as a calendar program imports it.
struct CalendarEvent
{
    QString uid;     // from the meeting id
    QDateTime start; // with the time zone the meeting is held in
    QDateTime end;
    QString subject;     // SUMMARY
    QString description; // DESCRIPTION: the invitation text
    QString meetingCode; // LOCATION carries the grouped number
    QString url;         // URL: the join link
    // Set by the writer: a changed meeting written again over its last file
    // counts one up, so calendars update the event they imported.
    int sequence = 0;
    QDateTime lastModified;

    bool operator==(const CalendarEvent &other) const;
};

// iCalendar (RFC 5545) through libical: one VCALENDAR with the time zone and
// one VEVENT. libical does the escaping and line folding. No METHOD: the file
// is an event to import, not a scheduling message (which would need an
// ORGANIZER with an address the service does not give).
namespace CalendarFile {

// Control characters left out (line breaks kept in the description; the
// subject's become spaces): libical would refuse them or write them raw.
CalendarEvent cleaned(const CalendarEvent &event);
QByteArray toICalendar(const CalendarEvent &event);
// The first VEVENT of an iCalendar text; an empty uid when there is none.
// With problems, also what libical's restriction check finds (one parse).
CalendarEvent parse(const QByteArray &text, QStringList *problems = nullptr);
// What libical's own restriction check finds wrong with a calendar text.
QStringList problems(const QByteArray &text);

// "<data folder>/VeskMeeting_<meeting number>.ics"
QString pathFor(const CalendarEvent &event);
// Writes the cleaned event, readable by the user alone (the invitation holds
// the password), and reads it back; false with a reason when either fails,
// and an existing file of the same name is then left as it was.
bool write(const CalendarEvent &event, const QString &path, QString *error = nullptr);

} // namespace CalendarFile
