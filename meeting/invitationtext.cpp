#include "meeting/invitationtext.h"
#include "meeting/logcategory.h"

#include "app/basevalues.h"
#include "app/meetingcode.h"
#include "http/jsonread.h"

#include <QDateTime>
#include <QDebug>
#include <QJsonDocument>
#include <QJsonParseError>

namespace InvitationText {

namespace {
QString field(const QJsonObject &info, const char *key)
{
    return JsonRead::text(info.value(QLatin1String(key)));
}
} // namespace

QString groupMeetingCode(const QString &code)
{
    return MeetingCode::grouped(code);
}

QString dialInBlock(const QString &meetingCode)
{
    QString text;
    text += QStringLiteral("手机一键拨号入会\n");
    text += mainlandDialIn + QStringLiteral(",,") + meetingCode + QStringLiteral("#") +
            QStringLiteral(" (中国大陆)") + QStringLiteral("\n");
    text += hongKongDialIn + QStringLiteral(",,,2,") + meetingCode + QStringLiteral("#") +
            QStringLiteral(" (中国香港)") + QStringLiteral("\n");
    text += QStringLiteral("\n");
    text += QStringLiteral("根据您的位置拨号\n");
    text += mainlandDialIn + QStringLiteral(" (中国大陆)") + QStringLiteral("\n");
    text += hongKongDialIn + QStringLiteral(" (中国香港)") + QStringLiteral("\n");
    text += QStringLiteral("\n");
    return text;
}

static QString joinHintAndPassword(const QString &groupedCode, const QString &password)
{
    QString text;
    text += QStringLiteral("会议号入会\n");
    text += QStringLiteral("会议号：%1\n").arg(groupedCode);
    text += QStringLiteral("（打开PC端Vesk云会议或VeskAPP云会议模块，输入会议号即可加入会议）\n\n");
    if (!password.isEmpty()) {
        text += QStringLiteral("会议密码：%1\n").arg(password);
        text += QStringLiteral("（该会议开启了密码验证，需输入密码入会）\n\n");
    }
    return text;
}

QString fromServiceData(const QJsonObject &info)
{
    const QString rootNum = field(info, "rootNum");
    QString text;
    text += QStringLiteral("%1 邀请您加入Vesk会议\n\n").arg(field(info, "personName"));
    text += QStringLiteral("会议主题：%1\n").arg(field(info, "meetingName"));
    text += QStringLiteral("会议时间：%1\n\n").arg(field(info, "meetingTime"));
    text += QStringLiteral("通过链接入会\n");
    text += QStringLiteral("%1\n\n").arg(field(info, "onlineAddress"));
    text += joinHintAndPassword(groupMeetingCode(rootNum), field(info, "password"));
    text += QStringLiteral("%1\n").arg(dialInBlock(rootNum));
    return text;
}

QJsonObject readSdkInfo(const QString &inviteInfo)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(inviteInfo.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        qCDebug(lcMeeting).noquote() << "invite_info parse error:" << error.offset << error.errorString();
        return QJsonObject();
    }
    return doc.object();
}

QString fromSdkInfo(const QJsonObject &info)
{
    if (info.isEmpty())
        return QString();
    const QDateTime begin = QDateTime::fromSecsSinceEpoch(
        JsonRead::seconds(info.value(QStringLiteral("begin_time"))).value_or(0));
    const QDateTime end =
        QDateTime::fromSecsSinceEpoch(JsonRead::seconds(info.value(QStringLiteral("end_time"))).value_or(0));
    const QString beginDate = begin.toString(QStringLiteral("yyyy-MM-dd"));
    const QString beginClock = begin.toString(QStringLiteral("hh:mm"));
    const QString endDate = end.toString(QStringLiteral("yyyy-MM-dd"));
    const QString endClock = end.toString(QStringLiteral("hh:mm"));
    const QString meetingCode = field(info, "meeting_code");

    const QString inviter = baseValues->signedIn ? field(info, "host_name") : baseValues->wmNickname;
    QString text;
    text += QStringLiteral("%1 邀请您加入Vesk会议\n\n").arg(inviter);
    text += QStringLiteral("会议主题：%1\n").arg(field(info, "subject"));
    if (beginDate == endDate)
        text += QStringLiteral("会议时间：%1 %2-%3\n\n").arg(beginDate, beginClock, endClock);
    else
        text += QStringLiteral("会议时间：%1 %2-%3 %4\n\n").arg(beginDate, beginClock, endDate, endClock);
    text += QStringLiteral("通过链接入会\n");
    text += QStringLiteral("%1\n\n").arg(field(info, "meeting_url"));
    text += joinHintAndPassword(groupMeetingCode(meetingCode), field(info, "password"));
    text += dialInBlock(meetingCode);
    return text;
}

} // namespace InvitationText
