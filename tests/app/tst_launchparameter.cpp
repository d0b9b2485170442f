#include "app/launchparameter.h"

#include <QtTest>

using LinkMap = QMap<QString, QString>;
Q_DECLARE_METATYPE(LinkMap)

class TestLaunchParameter : public QObject
{
    Q_OBJECT

private slots:
    void queryBecomesTheMap_data()
    {
        QTest::addColumn<QString>("parameter");
        QTest::addColumn<LinkMap>("expected");

        QTest::newRow("meeting link with Chinese name")
            << QStringLiteral("veskmeeting://join?companycode=C001&username=zhangsan&meetingCode=123456789"
                              "&phone=13800000000&mobileCountryCode=86&name=%E5%BC%A0%E4%B8%89")
            << LinkMap{{QStringLiteral("companycode"), QStringLiteral("C001")},
                       {QStringLiteral("username"), QStringLiteral("zhangsan")},
                       {QStringLiteral("meetingCode"), QStringLiteral("123456789")},
                       {QStringLiteral("phone"), QStringLiteral("13800000000")},
                       {QStringLiteral("mobileCountryCode"), QStringLiteral("86")},
                       {QStringLiteral("name"), QStringLiteral("张三")}};
        QTest::newRow("two equals signs give an empty value")
            << QStringLiteral("vesk://x?meetingCode=1=2&phone=1")
            << LinkMap{{QStringLiteral("meetingCode"), QString()},
                       {QStringLiteral("phone"), QStringLiteral("1")}};
        QTest::newRow("no equals sign gives the whole part as key")
            << QStringLiteral("vesk://x?flag") << LinkMap{{QStringLiteral("flag"), QString()}};
        QTest::newRow("two ampersands give the empty key")
            << QStringLiteral("vesk://x?a=1&&b=2")
            << LinkMap{{QString(), QString()},
                       {QStringLiteral("a"), QStringLiteral("1")},
                       {QStringLiteral("b"), QStringLiteral("2")}};
        QTest::newRow("no question mark") << QStringLiteral("vesk://join/meetingCode=123") << LinkMap{};
        QTest::newRow("empty query") << QStringLiteral("vesk://join?") << LinkMap{};
        QTest::newRow("empty text") << QString() << LinkMap{};
        QTest::newRow("the last of two keys wins")
            << QStringLiteral("vesk://x?meetingCode=111&meetingCode=222")
            << LinkMap{{QStringLiteral("meetingCode"), QStringLiteral("222")}};
        QTest::newRow("keys are case-sensitive")
            << QStringLiteral("vesk://x?MeetingCode=1&meetingCode=2")
            << LinkMap{{QStringLiteral("MeetingCode"), QStringLiteral("1")},
                       {QStringLiteral("meetingCode"), QStringLiteral("2")}};
        QTest::newRow("encoded ampersand stays in the value")
            << QStringLiteral("vesk://x?name=a%26b&phone=1")
            << LinkMap{{QStringLiteral("name"), QStringLiteral("a&b")},
                       {QStringLiteral("phone"), QStringLiteral("1")}};
        QTest::newRow("encoded equals sign stays in the value")
            << QStringLiteral("vesk://x?name=a%3Db")
            << LinkMap{{QStringLiteral("name"), QStringLiteral("a=b")}};
        QTest::newRow("plus is not a blank") << QStringLiteral("vesk://x?name=a+b")
                                             << LinkMap{{QStringLiteral("name"), QStringLiteral("a+b")}};
        QTest::newRow("raw Chinese and blanks are tolerated")
            << QStringLiteral("vesk://x?name=王 五")
            << LinkMap{{QStringLiteral("name"), QStringLiteral("王 五")}};
        QTest::newRow("fragment is not part of the query")
            << QStringLiteral("https://h/p?meetingCode=5#top")
            << LinkMap{{QStringLiteral("meetingCode"), QStringLiteral("5")}};
        QTest::newRow("doubly encoded name is decoded once")
            << QStringLiteral("vesk://x?name=%25E5%25BC%25A0")
            << LinkMap{{QStringLiteral("name"), QStringLiteral("%E5%BC%A0")}};
    }

    void queryBecomesTheMap()
    {
        QFETCH(QString, parameter);
        QFETCH(LinkMap, expected);
        QCOMPARE(parseLaunchParameter(parameter), expected);
    }

    void onlyASingleArgumentIsALaunchParameter_data()
    {
        const QString program = QStringLiteral("C:/Program Files/VeskMeeting/VeskMeeting.exe");
        const QString link = QStringLiteral("veskmeeting://join?meetingCode=123456789");
        const LinkMap parsed{{QStringLiteral("meetingCode"), QStringLiteral("123456789")}};
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<LinkMap>("expected");
        QTest::newRow("program only") << QStringList{program} << LinkMap{};
        QTest::newRow("one link") << QStringList{program, link} << parsed;
        QTest::newRow("two links") << QStringList{program, link, link} << LinkMap{};
        QTest::newRow("link and more") << QStringList{program, link, QStringLiteral("x")} << LinkMap{};
        QTest::newRow("no arguments at all") << QStringList{} << LinkMap{};
    }

    void onlyASingleArgumentIsALaunchParameter()
    {
        QFETCH(QStringList, arguments);
        QFETCH(LinkMap, expected);
        QCOMPARE(linkInfoFromArguments(arguments), expected);
    }
};

QTEST_GUILESS_MAIN(TestLaunchParameter)
#include "tst_launchparameter.moc"
