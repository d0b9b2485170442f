#include "meeting/calendarexport.h"

#include "meeting/invitationtext.h"
#include "widgets/messages.h"

#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QJsonDocument>
#include <QTimeZone>
#include <QUrl>

namespace {

QDateTime fromSeconds(const QJsonValue &value)
{
    bool ok = false;
    const qint64 seconds = InvitationText::jsonText(value).toLongLong(&ok);
    if (!ok || seconds <= 0)
        return QDateTime();
    // The meeting's own zone is the user's: the list and the form both show local time.
    return QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::systemTimeZone());
}

QString uidFor(const QString &meetingId)
{
    return QStringLiteral("%1@veskmeeting").arg(meetingId);
}

} // namespace

namespace CalendarExport {

CalendarEvent fromListMeeting(const QJsonObject &meeting)
{
    CalendarEvent event;
    event.meetingCode = InvitationText::jsonText(meeting.value(QStringLiteral("meetingCode")));
    const QString id = InvitationText::jsonText(meeting.value(QStringLiteral("meetingId")));
    event.uid = uidFor(id.isEmpty() ? event.meetingCode : id);
    event.subject = InvitationText::jsonText(meeting.value(QStringLiteral("subject")));
    event.start = fromSeconds(meeting.value(QStringLiteral("startTime")));
    event.end = fromSeconds(meeting.value(QStringLiteral("endTime")));
    return event;
}

CalendarEvent fromSdkInfo(const QJsonObject &info, const QString &meetingId)
{
    CalendarEvent event;
    event.meetingCode = InvitationText::jsonText(info.value(QStringLiteral("meeting_code")));
    event.uid = uidFor(meetingId.isEmpty() ? event.meetingCode : meetingId);
    event.subject = InvitationText::jsonText(info.value(QStringLiteral("subject")));
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
