#include "meeting/calendarexport.h"

#include "http/jsonread.h"
#include "widgets/messages.h"

#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QJsonDocument>
#include <QTimeZone>
#include <QUrl>

namespace {

// The meeting's own zone is the user's: the list and the form both show local time.
QDateTime fromSeconds(qint64 seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::systemTimeZone());
}

QDateTime fromSeconds(const QJsonValue &value)
{
    const std::optional<qint64> seconds = JsonRead::seconds(value);
    return seconds ? fromSeconds(*seconds) : QDateTime();
}

QString uidFor(const QString &meetingId)
{
    return QStringLiteral("%1@veskmeeting").arg(meetingId);
}

} // namespace

namespace CalendarExport {

CalendarEvent fromRecord(const MeetingRecord &meeting)
{
    CalendarEvent event;
    event.meetingCode = meeting.meetingCode;
    event.uid = uidFor(meeting.meetingId.isEmpty() ? meeting.meetingCode : meeting.meetingId);
    event.subject = meeting.subject;
    event.start = fromSeconds(meeting.startSecs);
    event.end = fromSeconds(meeting.endSecs);
    return event;
}

CalendarEvent fromSdkInfo(const QJsonObject &info, const QString &meetingId)
{
    CalendarEvent event;
    event.meetingCode = JsonRead::text(info.value(QStringLiteral("meeting_code")));
    event.uid = uidFor(meetingId.isEmpty() ? event.meetingCode : meetingId);
    event.subject = JsonRead::text(info.value(QStringLiteral("subject")));
    event.start = fromSeconds(info.value(QStringLiteral("begin_time")));
    event.end = fromSeconds(info.value(QStringLiteral("end_time")));
    return event;
}

bool isComplete(const CalendarEvent &event)
{
    return !event.meetingCode.isEmpty() && event.start.isValid() && event.end.isValid() &&
           event.end >= event.start;
}

void addToCalendar(QWidget *asker, const CalendarEvent &event)
{
    const QString path = CalendarFile::pathFor(event);
    QString error;
    if (!CalendarFile::write(event, path, &error)) {
        qDebug().noquote() << "calendar file not written:" << path << error;
        Messages::notice(asker, QStringLiteral("日历文件写入失败"));
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        Messages::notice(asker, QStringLiteral("日历文件已保存：%1").arg(QDir::toNativeSeparators(path)));
}

} // namespace CalendarExport
