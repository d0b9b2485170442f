#pragma once

#include "calendar/calendarfile.h"
#include "http/meetingrecord.h"

#include <QJsonObject>
#include <QString>

class QWidget;

// "添加到日历": the meeting as an iCalendar file in the data folder, handed
// to the user's calendar program. One UID per meeting, whichever road it
// comes by, so a second export updates the event instead of adding one.
namespace CalendarExport {

// "<meeting id>@veskmeeting"; the number stands in where no id is known.
QString uidFor(const QString &meetingId, const QString &meetingCode);
// The event of a meeting of the list; the description and link are the caller's.
CalendarEvent fromRecord(const MeetingRecord &meeting);
// The event of the Meeting SDK's invite_info, for a meeting the list does
// not hold; it has no meeting id, so the caller passes the one it knows.
CalendarEvent fromSdkInfo(const QJsonObject &info, const QString &meetingId);
// Whether an event names a meeting and a time.
bool isComplete(const CalendarEvent &event);

// Writes it and hands it on; a notice over asker says what happened:
// "已添加到日历", "日历文件已保存" with "打开所在文件夹", or "日历文件写入失败".
void addToCalendar(QWidget *asker, const CalendarEvent &event);

} // namespace CalendarExport
