#include "calendar/calendarexport.h"
#include "calendar/logcategory.h"

#include "calendar/calendarprogram.h"
#include "http/jsonread.h"
#include "widgets/messages.h"

#include <QDebug>
#include <QDesktopServices>
#include <QFileInfo>
#include <QPointer>
#include <QTimeZone>
#include <QUrl>
#include <QWidget>

namespace {

// The meeting's own zone is the user's: the list and the form both show local time.
QDateTime fromSeconds(std::optional<qint64> seconds)
{
    return seconds ? QDateTime::fromSecsSinceEpoch(*seconds, QTimeZone::systemTimeZone()) : QDateTime();
}

} // namespace

namespace CalendarExport {

QString uidFor(const QString &meetingId, const QString &meetingCode)
{
    return QStringLiteral("%1@veskmeeting").arg(meetingId.isEmpty() ? meetingCode : meetingId);
}

CalendarEvent fromRecord(const MeetingRecord &meeting)
{
    CalendarEvent event;
    event.meetingCode = meeting.meetingCode;
    event.uid = uidFor(meeting.meetingId, meeting.meetingCode);
    event.subject = meeting.subject;
    event.start = fromSeconds(meeting.startSecs);
    event.end = fromSeconds(meeting.endSecs);
    return event;
}

CalendarEvent fromSdkInfo(const QJsonObject &info, const QString &meetingId)
{
    CalendarEvent event;
    event.meetingCode = JsonRead::text(info.value(QStringLiteral("meeting_code")));
    event.uid = uidFor(meetingId, event.meetingCode);
    event.subject = JsonRead::text(info.value(QStringLiteral("subject")));
    event.start = fromSeconds(JsonRead::seconds(info.value(QStringLiteral("begin_time"))));
    event.end = fromSeconds(JsonRead::seconds(info.value(QStringLiteral("end_time"))));
    event.url = JsonRead::text(info.value(QStringLiteral("meeting_url")));
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
        qCDebug(lcCalendar).noquote() << "calendar file not written:" << path << error;
        Messages::notice(asker, QStringLiteral("日历文件写入失败"));
        return;
    }
    QPointer<QWidget> guard(asker);
    CalendarProgram::open(path, asker, [guard, path](bool took) {
        qCDebug(lcCalendar).noquote()
            << "calendar file" << path << (took ? "taken by the calendar program" : "saved");
        if (took) {
            Messages::notice(guard, QStringLiteral("已添加到日历"));
            return;
        }
        const QUrl folder = QUrl::fromLocalFile(QFileInfo(path).absolutePath());
        Messages::noticeWithAction(guard, QStringLiteral("日历文件已保存"), QStringLiteral("打开所在文件夹"),
                                   [folder] { QDesktopServices::openUrl(folder); });
    });
}

} // namespace CalendarExport
