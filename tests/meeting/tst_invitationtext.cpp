#include "meetingtestsupport.h"

#include "app/basevalues.h"
#include "http/jsonread.h"
#include "meeting/invitationtext.h"
#include "meeting/sharemeeting.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QStandardPaths>
#include <QTest>

class InvitationTextTest : public QObject
{
    Q_OBJECT

private:
    static QString dialIn(const QString &n)
    {
        return QStringLiteral("手机一键拨号入会\n"
                              "+8675586960000,,") +
               n +
               QStringLiteral("# (中国大陆)\n"
                              "+85230018888,,,2,") +
               n +
               QStringLiteral("# (中国香港)\n"
                              "\n"
                              "根据您的位置拨号\n"
                              "+8675586960000 (中国大陆)\n"
                              "+85230018888 (中国香港)\n"
                              "\n");
    }
    static qint64 secs(const QString &local)
    {
        return QDateTime::fromString(local, QStringLiteral("yyyy-MM-dd hh:mm")).toSecsSinceEpoch();
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        baseValues = new BaseValues;
    }
    void init() { *baseValues = BaseValues(); }

    void meetingNumbersAreGroupedByLength_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("grouped");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("3") << "123"
                           << "123";
        QTest::newRow("4") << "1234"
                           << "123  4";
        QTest::newRow("5") << "58213"
                           << "582  13";
        QTest::newRow("6") << "123456"
                           << "123  456";
        QTest::newRow("7") << "1234567"
                           << "123  456  7";
        QTest::newRow("9") << "123456789"
                           << "123  456  789";
        QTest::newRow("10") << "1234567890"
                            << "123  456  7890";
        QTest::newRow("11") << "80231746952"
                            << "802  3174  6952";
        QTest::newRow("12") << "271836495061"
                            << "2718  3649  5061";
        QTest::newRow("13") << "1234567890123"
                            << "1234  5678  90123";
    }
    void meetingNumbersAreGroupedByLength()
    {
        QFETCH(QString, code);
        QFETCH(QString, grouped);
        QCOMPARE(InvitationText::groupMeetingCode(code), grouped);
    }

    void numbersFromTheServiceKeepAllDigits()
    {
        QCOMPARE(JsonRead::text(QJsonValue(123456789012.0)), QStringLiteral("123456789012"));
        QCOMPARE(JsonRead::text(QJsonValue(QStringLiteral("0042"))), QStringLiteral("0042"));
        QCOMPARE(JsonRead::text(QJsonValue()), QString());
        QCOMPARE(JsonRead::text(QJsonValue(true)), QStringLiteral("true"));
    }

    void serviceInvitationWithAndWithoutPassword_data()
    {
        QTest::addColumn<QJsonValue>("password");
        QTest::addColumn<bool>("hasPasswordLines");
        QTest::newRow("password") << QJsonValue(QStringLiteral("2580")) << true;
        QTest::newRow("empty password") << QJsonValue(QString()) << false;
        QTest::newRow("null password") << QJsonValue(QJsonValue::Null) << false;
        QTest::newRow("no password") << QJsonValue(QJsonValue::Undefined) << false;
    }
    void serviceInvitationWithAndWithoutPassword()
    {
        QFETCH(QJsonValue, password);
        QFETCH(bool, hasPasswordLines);
        QJsonObject info{{"personName", "张伟"},
                         {"rootNum", "735102948"},
                         {"meetingName", "季度经营分析会"},
                         {"onlineAddress", "https://meeting.vesk.example/j/735102948"},
                         {"meetingTime", "2026/12/08 14:00-15:30 (GMT+08:00)"}};
        if (!password.isUndefined())
            info.insert("password", password);
        QString expected =
            QStringLiteral("张伟 邀请您加入Vesk会议\n\n"
                           "会议主题：季度经营分析会\n"
                           "会议时间：2026/12/08 14:00-15:30 (GMT+08:00)\n\n"
                           "通过链接入会\n"
                           "https://meeting.vesk.example/j/735102948\n\n"
                           "会议号入会\n"
                           "会议号：735  102  948\n"
                           "（打开PC端Vesk云会议或VeskAPP云会议模块，输入会议号即可加入会议）\n\n");
        if (hasPasswordLines)
            expected += QStringLiteral("会议密码：2580\n（该会议开启了密码验证，需输入密码入会）\n\n");
        expected += dialIn(QStringLiteral("735102948")) + QStringLiteral("\n");
        QCOMPARE(InvitationText::fromServiceData(info), expected);
    }

    void sdkInvitationShowsDatesAndPassword_data()
    {
        QTest::addColumn<QString>("begin");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("signedIn");
        QTest::addColumn<QString>("expectedTime");
        QTest::newRow("same day") << "2026-12-08 14:00"
                                  << "2026-12-08 15:30"
                                  << "" << true << "会议时间：2026-12-08 14:00-15:30\n\n";
        QTest::newRow("over midnight") << "2026-12-08 23:00"
                                       << "2026-12-09 01:00"
                                       << "8642" << true << "会议时间：2026-12-08 23:00-2026-12-09 01:00\n\n";
        QTest::newRow("guest") << "2026-12-31 09:05"
                               << "2026-12-31 09:35"
                               << "" << false << "会议时间：2026-12-31 09:05-09:35\n\n";
    }
    void sdkInvitationShowsDatesAndPassword()
    {
        QFETCH(QString, begin);
        QFETCH(QString, end);
        QFETCH(QString, password);
        QFETCH(bool, signedIn);
        QFETCH(QString, expectedTime);
        baseValues->signedIn = signedIn;
        baseValues->wmNickname = QStringLiteral("访客小王");
        const QJsonObject info{{"host_name", "张伟"},
                               {"meeting_code", "123456789"},
                               {"subject", "项目周例会"},
                               {"meeting_url", "https://meeting.vesk.example/j/123456789"},
                               {"begin_time", double(secs(begin))},
                               {"end_time", double(secs(end))},
                               {"password", password}};
        const QString json = QString::fromUtf8(QJsonDocument(info).toJson(QJsonDocument::Compact));
        QString expected =
            (signedIn ? QStringLiteral("张伟") : QStringLiteral("访客小王")) +
            QStringLiteral(" 邀请您加入Vesk会议\n\n会议主题：项目周例会\n") + expectedTime +
            QStringLiteral("通过链接入会\nhttps://meeting.vesk.example/j/123456789\n\n"
                           "会议号入会\n会议号：123  456  789\n"
                           "（打开PC端Vesk云会议或VeskAPP云会议模块，输入会议号即可加入会议）\n\n");
        if (!password.isEmpty())
            expected += QStringLiteral("会议密码：") + password +
                        QStringLiteral("\n（该会议开启了密码验证，需输入密码入会）\n\n");
        expected += dialIn(QStringLiteral("123456789"));
        QCOMPARE(ShareMeeting::sdkInvitationText(json), expected);
    }

    void unparsableSdkInvitationGivesEmptyText_data()
    {
        QTest::addColumn<QString>("json");
        QTest::newRow("garbage") << "not json";
        QTest::newRow("truncated") << "{\"meeting_code\":\"1";
        QTest::newRow("empty") << "";
        QTest::newRow("array") << "[1,2]";
    }
    void unparsableSdkInvitationGivesEmptyText()
    {
        QFETCH(QString, json);
        meetingtest::LogCapture log;
        QVERIFY(ShareMeeting::sdkInvitationText(json).isEmpty());
        // The log tells where the text went wrong.
        QJsonParseError error;
        QJsonDocument::fromJson(json.toUtf8(), &error);
        QCOMPARE(log.lines().size(), 1);
        QVERIFY(log.lines().first().contains(QString::number(error.offset)));
        QVERIFY(log.lines().first().contains(error.errorString()));
    }
};

QTEST_MAIN(InvitationTextTest)
#include "tst_invitationtext.moc"
