#include "meeting/invitationtext.h"

#include "app/basevalues.h"

#include <QDateTime>
#include <QDebug>
#include <QJsonDocument>
#include <QJsonParseError>
#include <cmath>

namespace InvitationText {

QString groupMeetingCode(const QString &code)
{
    const QString sep = QStringLiteral("  ");
    const int n = code.size();
    if (n <= 3)
        return code;
    if (n <= 6)
        return code.left(3) + sep + code.mid(3);
    if (n <= 10)
        return code.left(3) + sep + code.mid(3, 3) + sep + code.mid(6);
    if (n == 11)
        return code.left(3) + sep + code.mid(3, 4) + sep + code.mid(7);
    return code.left(4) + sep + code.mid(4, 4) + sep + code.mid(8);
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

QString jsonText(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Double: {
        // Numbers such as meeting codes must not turn into "1.23457e+08".
        const double d = value.toDouble();
        if (std::floor(d) == d && std::fabs(d) < 9.0e15)
            return QString::number(static_cast<qint64>(d));
        return QString::number(d, 'g', 15);
    }
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    default:
        return QString();
    }
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
    const QString rootNum = jsonText(info.value(QStringLiteral("rootNum")));
    QString text;
    text +=
        QStringLiteral("%1 邀请您加入Vesk会议\n\n").arg(jsonText(info.value(QStringLiteral("personName"))));
    text += QStringLiteral("会议主题：%1\n").arg(jsonText(info.value(QStringLiteral("meetingName"))));
    text += QStringLiteral("会议时间：%1\n\n").arg(jsonText(info.value(QStringLiteral("meetingTime"))));
    text += QStringLiteral("通过链接入会\n");
    text += QStringLiteral("%1\n\n").arg(jsonText(info.value(QStringLiteral("onlineAddress"))));
    text += joinHintAndPassword(groupMeetingCode(rootNum), jsonText(info.value(QStringLiteral("password"))));
    text += QStringLiteral("%1\n").arg(dialInBlock(rootNum));
    return text;
}

QJsonObject readSdkInfo(const QString &inviteInfo)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(inviteInfo.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        qDebug().noquote() << "invite_info parse error:" << error.offset << error.errorString();
        return QJsonObject();
    }
    return doc.object();
}

QString fromSdkInfo(const QJsonObject &info)
{
    if (info.isEmpty())
        return QString();
    const QDateTime begin =
        QDateTime::fromSecsSinceEpoch(jsonText(info.value(QStringLiteral("begin_time"))).toLongLong());
    const QDateTime end =
        QDateTime::fromSecsSinceEpoch(jsonText(info.value(QStringLiteral("end_time"))).toLongLong());
    const QString beginDate = begin.toString(QStringLiteral("yyyy-MM-dd"));
    const QString beginClock = begin.toString(QStringLiteral("hh:mm"));
    const QString endDate = end.toString(QStringLiteral("yyyy-MM-dd"));
    const QString endClock = end.toString(QStringLiteral("hh:mm"));
    const QString meetingCode = jsonText(info.value(QStringLiteral("meeting_code")));

    const QString inviter =
        baseValues->signedIn ? jsonText(info.value(QStringLiteral("host_name"))) : baseValues->wmNickname;
    QString text;
    text += QStringLiteral("%1 邀请您加入Vesk会议\n\n").arg(inviter);
    text += QStringLiteral("会议主题：%1\n").arg(jsonText(info.value(QStringLiteral("subject"))));
    if (beginDate == endDate)
        text += QStringLiteral("会议时间：%1 %2-%3\n\n").arg(beginDate, beginClock, endClock);
    else
        text += QStringLiteral("会议时间：%1 %2-%3 %4\n\n").arg(beginDate, beginClock, endDate, endClock);
    text += QStringLiteral("通过链接入会\n");
    text += QStringLiteral("%1\n\n").arg(jsonText(info.value(QStringLiteral("meeting_url"))));
    text +=
        joinHintAndPassword(groupMeetingCode(meetingCode), jsonText(info.value(QStringLiteral("password"))));
    text += dialInBlock(meetingCode);
    return text;
}

} // namespace InvitationText
