#include "support/testsupport.h"

#include "app/basevalues.h"
#include "app/logging.h"
#include "app/userstore.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSettings>
#include <QtTest>

using testsupport::LogCapture;

class TestUserStore : public QObject
{
    Q_OBJECT

private:
    BaseValues m_values;

    static QStringList fileKeys()
    {
        QSettings settings(userDataPath(), QSettings::IniFormat);
        QStringList keys = settings.allKeys();
        keys.sort();
        return keys;
    }

    static QString fileValue(const QString &key)
    {
        QSettings settings(userDataPath(), QSettings::IniFormat);
        settings.setIniCodec("UTF-8");
        return settings.value(key).toString();
    }

    static void writeFile(const QByteArray &content)
    {
        QDir().mkpath(dataFolder());
        QFile file(userDataPath());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write User.dat");
        file.write(content);
        file.close();
        // QSettings rereads a file only when size or time changed: give every
        // hand-written file its own time.
        static int written = 0;
        QFile stamped(userDataPath());
        stamped.open(QIODevice::ReadWrite);
        stamped.setFileTime(QDateTime(QDate(2020, 1, 1), QTime(0, 0)).addSecs(++written),
                            QFileDevice::FileModificationTime);
    }

    static bool othersHaveAccess()
    {
        const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                          QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        return QFile(userDataPath()).permissions() & others;
    }

    void fillAccount()
    {
        m_values.rememberPassword = true;
        m_values.accountType = 2;
        m_values.accountCompanyCode = QStringLiteral("C001");
        m_values.accountUserName = QStringLiteral("张三");
        m_values.accountPassword = QStringLiteral("xcGFzc3dvcmQy");
    }

    void fillPhone()
    {
        m_values.phoneAccountType = 3;
        m_values.phoneCompanyCode = QStringLiteral("P002");
        m_values.phoneUserName = QStringLiteral("lisi");
        m_values.phoneTelephone = QStringLiteral("13800000000");
    }

    void fillWx()
    {
        m_values.openId = QStringLiteral("open-1");
        m_values.uid = QStringLiteral("uid-1");
        m_values.unionId = QStringLiteral("union-1");
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        baseValues = &m_values;
    }

    void init()
    {
        QDir(dataFolder()).removeRecursively();
        m_values = BaseValues();
    }

    void cleanupTestCase() { baseValues = nullptr; }

    void firstRunWritesOnlyTheSerialNumber()
    {
        QVERIFY(!QFile::exists(userDataPath()));
        loadSerialNo();
        QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{32}$")).match(m_values.serialNo).hasMatch());
        QCOMPARE(fileKeys(), QStringList{QStringLiteral("SOFTINFO/SERIALNO")});
        QCOMPARE(fileValue(QStringLiteral("SOFTINFO/SERIALNO")), m_values.serialNo);

        const QString first = m_values.serialNo;
        m_values.serialNo.clear();
        loadSerialNo();
        QCOMPARE(m_values.serialNo, first);
        QCOMPARE(fileKeys(), QStringList{QStringLiteral("SOFTINFO/SERIALNO")});
    }

    void serialNumbersDifferBetweenInstallations()
    {
        loadSerialNo();
        const QString first = m_values.serialNo;
        QFile::remove(userDataPath());
        loadSerialNo();
        QVERIFY(m_values.serialNo != first);
    }

    void initBaseValuesReadsConfigurationAndSerial()
    {
        m_values.initBaseValues();
        QCOMPARE(m_values.appName, QStringLiteral("Vesk云会议"));
        QCOMPARE(m_values.serialNo.size(), 32);
        QVERIFY(m_values.autoLogin.isEmpty());
        QVERIFY(!m_values.micOn);
    }

    void loadingNeverCreatesTheFile()
    {
        loadLoginInfo();
        loadUserInfo();
        loadMeetingInfo();
        QVERIFY(!QFile::exists(userDataPath()));
        QVERIFY(!m_values.rememberPassword);
        QVERIFY(m_values.micOn);
        QVERIFY(!m_values.cameraOn);
    }

    void fileIsReadableByItsOwnerOnly()
    {
        loadSerialNo();
        QVERIFY(!othersHaveAccess());
        QVERIFY(QFile(userDataPath()).permissions() & QFile::ReadOwner);

        // A file left readable by an older version is closed on the next write.
        QFile(userDataPath())
            .setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        QVERIFY(othersHaveAccess());
        fillAccount();
        saveAccountLogin(true);
        QVERIFY(!othersHaveAccess());
        QCOMPARE(fileValue(QStringLiteral("LOGININFO/USERNAME")), QStringLiteral("张三"));
    }

    void folderWhereTheFileBelongsIsLeftAlone()
    {
        QVERIFY(QDir().mkpath(userDataPath() + QStringLiteral("/inside")));
        const QFile::Permissions before = QFile(userDataPath()).permissions();
        LogCapture log;
        loadLoginInfo();
        loadUserInfo();
        m_values.wmNickname = QStringLiteral("张伟");
        saveUserInfo();
        QCOMPARE(QFile(userDataPath()).permissions(), before);
        QVERIFY(QFileInfo(userDataPath() + QStringLiteral("/inside")).isDir());
        QVERIFY(
            log.contains(QStringLiteral("User.dat is not a regular file, left alone: ") + userDataPath()));
    }

    void rememberPasswordIgnoresCase_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("remembered");
        QTest::newRow("True") << QByteArray("True") << true;
        QTest::newRow("TRUE") << QByteArray("TRUE") << true;
        QTest::newRow("true with blanks") << QByteArray("  true ") << true;
        QTest::newRow("yes") << QByteArray("yes") << false;
        QTest::newRow("False") << QByteArray("False") << false;
        QTest::newRow("missing") << QByteArray() << false;
    }

    void rememberPasswordIgnoresCase()
    {
        QFETCH(QByteArray, stored);
        QFETCH(bool, remembered);
        QByteArray content = "[LOGININFO]\nTYPE=2\nCOMPANYCODE=C001\nUSERNAME=bob\nPASSWORD=xYm9ieQ\n";
        if (!stored.isNull())
            content += "REMERBERPASS=" + stored + "\n";
        writeFile(content);
        m_values.accountType = 7;
        m_values.accountUserName = QStringLiteral("stale");
        loadLoginInfo();
        QCOMPARE(m_values.rememberPassword, remembered);
        QCOMPARE(m_values.accountType, remembered ? 2 : 0);
        QCOMPARE(m_values.accountCompanyCode, remembered ? QStringLiteral("C001") : QString());
        QCOMPARE(m_values.accountUserName, remembered ? QStringLiteral("bob") : QString());
        QCOMPARE(m_values.accountPassword, remembered ? QStringLiteral("xYm9ieQ") : QString());
    }

    void autoLoginSelectsTheGroup_data()
    {
        QTest::addColumn<QByteArray>("autoLogin");
        QTest::addColumn<int>("accountType");
        QTest::addColumn<bool>("phoneRead");
        QTest::addColumn<bool>("wxRead");
        QTest::addColumn<bool>("untouched");
        // The account type is read again for "1" even though the password is not remembered.
        QTest::newRow("account") << QByteArray("1") << 2 << false << false << false;
        QTest::newRow("phone") << QByteArray("2") << 0 << true << false << false;
        QTest::newRow("wechat") << QByteArray("3") << 0 << false << true << false;
        QTest::newRow("none") << QByteArray() << 0 << false << false << false;
        QTest::newRow("unknown value") << QByteArray("4") << 0 << false << false << true;
        QTest::newRow("blanks around the choice") << QByteArray(" 1 ") << 2 << false << false << false;
    }

    void autoLoginSelectsTheGroup()
    {
        QFETCH(QByteArray, autoLogin);
        QFETCH(int, accountType);
        QFETCH(bool, phoneRead);
        QFETCH(bool, wxRead);
        QFETCH(bool, untouched);
        QByteArray content = "[LOGININFO]\nREMERBERPASS=False\nTYPE=2\nCOMPANYCODE=C001\nUSERNAME=bob\n"
                             "[LOGININFO2]\nTYPE=3\nCOMPANYCODE=P002\nUSERNAME=lisi\nTELEPHONE=13800000000\n"
                             "[LOGININFO3]\nOPENID=open-1\nUID=uid-1\nUNIONID=union-1\n";
        if (!autoLogin.isNull())
            content.replace("[LOGININFO]\n", "[LOGININFO]\nAUTOLOGIN=" + autoLogin + "\n");
        writeFile(content);
        m_values.phoneTelephone = QStringLiteral("before");
        m_values.openId = QStringLiteral("before");

        loadLoginInfo();
        QCOMPARE(m_values.autoLogin, QString::fromLatin1(autoLogin).trimmed());
        QCOMPARE(m_values.accountType, accountType);
        QVERIFY(m_values.accountUserName.isEmpty());
        if (untouched) {
            QCOMPARE(m_values.phoneTelephone, QStringLiteral("before"));
            QCOMPARE(m_values.openId, QStringLiteral("before"));
            return;
        }
        QCOMPARE(m_values.phoneAccountType, phoneRead ? 3 : 0);
        QCOMPARE(m_values.phoneCompanyCode, phoneRead ? QStringLiteral("P002") : QString());
        QCOMPARE(m_values.phoneUserName, phoneRead ? QStringLiteral("lisi") : QString());
        QCOMPARE(m_values.phoneTelephone, phoneRead ? QStringLiteral("13800000000") : QString());
        QCOMPARE(m_values.openId, wxRead ? QStringLiteral("open-1") : QString());
        QCOMPARE(m_values.uid, wxRead ? QStringLiteral("uid-1") : QString());
        QCOMPARE(m_values.unionId, wxRead ? QStringLiteral("union-1") : QString());
    }

    void typeThatIsNotANumberReadsAsZero()
    {
        writeFile("[LOGININFO]\nAUTOLOGIN=1\nREMERBERPASS=true\nTYPE=abc\n[LOGININFO2]\nTYPE=x\n");
        loadLoginInfo();
        QCOMPARE(m_values.accountType, 0);
    }

    void accountAutoLoginWritesTheGroupAndKeepsTheOthers()
    {
        fillPhone();
        savePhoneLogin(true);
        fillAccount();
        saveAccountLogin(true);
        QCOMPARE(fileValue(QStringLiteral("LOGININFO/AUTOLOGIN")), QStringLiteral("1"));
        QCOMPARE(fileValue(QStringLiteral("LOGININFO/REMERBERPASS")), QStringLiteral("True"));
        QCOMPARE(fileValue(QStringLiteral("LOGININFO/TYPE")), QStringLiteral("2"));
        QCOMPARE(fileValue(QStringLiteral("LOGININFO/COMPANYCODE")), QStringLiteral("C001"));
        QCOMPARE(fileValue(QStringLiteral("LOGININFO/PASSWORD")), QStringLiteral("xcGFzc3dvcmQy"));
        QCOMPARE(fileValue(QStringLiteral("LOGININFO2/TELEPHONE")), QStringLiteral("13800000000"));

        BaseValues loaded;
        baseValues = &loaded;
        loadLoginInfo();
        baseValues = &m_values;
        QCOMPARE(loaded.autoLogin, QStringLiteral("1"));
        QCOMPARE(loaded.accountUserName, QStringLiteral("张三"));
        QCOMPARE(loaded.accountPassword, QStringLiteral("xcGFzc3dvcmQy"));
        QCOMPARE(loaded.accountType, 2);
        QVERIFY(loaded.phoneTelephone.isEmpty());
    }

    void signOutRememberingThePasswordKeepsTheAccount()
    {
        fillAccount();
        saveAccountLogin(true);
        m_values.autoLogin = QStringLiteral("1");
        saveAccountLogin(false);
        QCOMPARE(fileKeys(),
                 (QStringList{QStringLiteral("LOGININFO/COMPANYCODE"), QStringLiteral("LOGININFO/PASSWORD"),
                              QStringLiteral("LOGININFO/REMERBERPASS"), QStringLiteral("LOGININFO/TYPE"),
                              QStringLiteral("LOGININFO/USERNAME")}));
        QCOMPARE(m_values.accountUserName, QStringLiteral("张三"));
        QCOMPARE(m_values.autoLogin, QStringLiteral("1"));
    }

    void signOutWithoutRememberingForgetsTheAccount()
    {
        fillAccount();
        saveAccountLogin(true);
        m_values.rememberPassword = false;
        m_values.autoLogin = QStringLiteral("1");
        saveAccountLogin(false);
        QVERIFY(fileKeys().isEmpty());
        QVERIFY(m_values.autoLogin.isEmpty());
        QCOMPARE(m_values.accountType, 0);
        QVERIFY(m_values.accountCompanyCode.isEmpty());
        QVERIFY(m_values.accountUserName.isEmpty());
        QVERIFY(m_values.accountPassword.isEmpty());
    }

    void phoneThenWechatLeavesOnlyTheWechatGroup()
    {
        fillPhone();
        savePhoneLogin(true);
        QCOMPARE(fileValue(QStringLiteral("LOGININFO/AUTOLOGIN")), QStringLiteral("2"));
        QCOMPARE(fileValue(QStringLiteral("LOGININFO2/TYPE")), QStringLiteral("3"));
        fillWx();
        saveWxLogin(true);
        QCOMPARE(fileKeys(),
                 (QStringList{QStringLiteral("LOGININFO/AUTOLOGIN"), QStringLiteral("LOGININFO3/OPENID"),
                              QStringLiteral("LOGININFO3/UID"), QStringLiteral("LOGININFO3/UNIONID")}));
        QCOMPARE(fileValue(QStringLiteral("LOGININFO/AUTOLOGIN")), QStringLiteral("3"));
        QCOMPARE(fileValue(QStringLiteral("LOGININFO3/UNIONID")), QStringLiteral("union-1"));
    }

    void wechatThenPhoneLeavesOnlyThePhoneGroup()
    {
        fillWx();
        saveWxLogin(true);
        fillPhone();
        savePhoneLogin(true);
        QCOMPARE(fileKeys(),
                 (QStringList{QStringLiteral("LOGININFO/AUTOLOGIN"), QStringLiteral("LOGININFO2/COMPANYCODE"),
                              QStringLiteral("LOGININFO2/TELEPHONE"), QStringLiteral("LOGININFO2/TYPE"),
                              QStringLiteral("LOGININFO2/USERNAME")}));
    }

    void phoneSignOutForgetsThePhoneGroup()
    {
        fillPhone();
        savePhoneLogin(true);
        m_values.autoLogin = QStringLiteral("2");
        savePhoneLogin(false);
        QVERIFY(fileKeys().isEmpty());
        QVERIFY(m_values.autoLogin.isEmpty());
        QCOMPARE(m_values.phoneAccountType, 0);
        QVERIFY(m_values.phoneCompanyCode.isEmpty() && m_values.phoneUserName.isEmpty() &&
                m_values.phoneTelephone.isEmpty());
    }

    void wechatSignOutForgetsTheWechatGroupOnly()
    {
        fillAccount();
        saveAccountLogin(false);
        fillWx();
        saveWxLogin(true);
        m_values.autoLogin = QStringLiteral("3");
        saveWxLogin(false);
        QVERIFY(!fileKeys().contains(QStringLiteral("LOGININFO/AUTOLOGIN")));
        QVERIFY(!fileKeys().contains(QStringLiteral("LOGININFO3/OPENID")));
        QCOMPARE(fileValue(QStringLiteral("LOGININFO/USERNAME")), QStringLiteral("张三"));
        QVERIFY(m_values.autoLogin.isEmpty() && m_values.openId.isEmpty() && m_values.uid.isEmpty() &&
                m_values.unionId.isEmpty());
    }

    void nicknameAndHistoryRoundTrip()
    {
        m_values.wmNickname = QStringLiteral("  王 小明, 会议室 ");
        // A subject's emoji lies beyond the basic plane, which the INI file drops.
        m_values.meetingHistory = QStringLiteral("[{\"meetingCode\":\"123456789\",\"meetingName\":\"周会🎉, "
                                                 "\\\"全员\\\"\"},{\"meetingCode\":\"2\"}]");
        saveUserInfo();
        BaseValues loaded;
        baseValues = &loaded;
        loadUserInfo();
        baseValues = &m_values;
        // Values are trimmed when read.
        QCOMPARE(loaded.wmNickname, m_values.wmNickname.trimmed());
        QCOMPARE(QJsonDocument::fromJson(loaded.meetingHistory.toUtf8()),
                 QJsonDocument::fromJson(m_values.meetingHistory.toUtf8()));
    }

    // Saves repeat what the file holds on every sign-in and join; the file is
    // replaced only when a value changed.
    void savingWhatTheFileHoldsLeavesItAlone()
    {
        loadSerialNo();
        fillAccount();
        m_values.wmNickname = QStringLiteral("张伟");
        saveUserInfo();
        saveAccountLogin(false);
        const QDateTime stamp(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC);
        auto modified = [] { return QFileInfo(userDataPath()).lastModified().toUTC(); };
        {
            QFile file(userDataPath());
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(stamp, QFileDevice::FileModificationTime));
        }
        loadSerialNo();
        saveUserInfo();
        saveAccountLogin(false);
        QCOMPARE(modified(), stamp);

        m_values.wmNickname = QStringLiteral("李四");
        saveUserInfo();
        QVERIFY(modified() != stamp);
        QCOMPARE(fileValue(QStringLiteral("USERINFO/NICKNAME")), QStringLiteral("李四"));
    }

    void savingTheHistoryLeavesTheNickname()
    {
        m_values.wmNickname = QStringLiteral("nick");
        m_values.meetingHistory = QStringLiteral("[]");
        saveUserInfo();
        m_values.wmNickname = QStringLiteral("changed");
        m_values.meetingHistory = QStringLiteral("[{\"meetingCode\":\"1\"}]");
        saveMeetingHistory();
        QCOMPARE(fileValue(QStringLiteral("USERINFO/NICKNAME")), QStringLiteral("nick"));
        QCOMPARE(fileValue(QStringLiteral("USERINFO/HISMEETLST")), m_values.meetingHistory);
    }

    void newSerialNumberIsLogged()
    {
        {
            LogCapture capture;
            loadSerialNo();
            QCOMPARE(capture.lines(), QStringList{QStringLiteral("uuid:") + m_values.serialNo});
        }
        {
            LogCapture capture;
            loadSerialNo();
            QVERIFY(capture.lines().isEmpty());
        }
    }

    void savingTheHistoryLogsWhereItGoes()
    {
        m_values.meetingHistory = QStringLiteral("[]");
        LogCapture capture;
        saveMeetingHistory();
        QCOMPARE(capture.lines(), (QStringList{QStringLiteral("appDataLocation == ") + dataFolder(),
                                               QStringLiteral("userDataPath == ") + dataFolder() +
                                                   QStringLiteral("/User.dat")}));
    }

    void handEditedValueWithCommasIsKept()
    {
        writeFile("[USERINFO]\nNICKNAME=王五,李四\n[LOGININFO]\nAUTOLOGIN=3\n"
                  "[LOGININFO3]\nOPENID=o,1\n");
        loadUserInfo();
        loadLoginInfo();
        QCOMPARE(m_values.wmNickname, QStringLiteral("王五,李四"));
        QCOMPARE(m_values.openId, QStringLiteral("o,1"));
    }

    void joinSwitchesRoundTrip()
    {
        m_values.micOn = false;
        m_values.cameraOn = true;
        saveMeetingInfo();
        m_values.micOn = true;
        m_values.cameraOn = false;
        loadMeetingInfo();
        QVERIFY(!m_values.micOn);
        QVERIFY(m_values.cameraOn);
        // Stored as the words User.dat has always held.
        QCOMPARE(QSettings(userDataPath(), QSettings::IniFormat)
                     .value(QStringLiteral("/MEETINGINFO/MICON"))
                     .toString(),
                 QStringLiteral("False"));
        QCOMPARE(fileKeys(),
                 (QStringList{QStringLiteral("MEETINGINFO/CAMERAON"), QStringLiteral("MEETINGINFO/MICON")}));
    }

    void fileIsPlainIniWithSections()
    {
        fillAccount();
        saveAccountLogin(true);
        QFile file(userDataPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY2(text.contains(QStringLiteral("[LOGININFO]")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("USERNAME=张三")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("AUTOLOGIN=1")), qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(TestUserStore)
#include "tst_userstore.moc"
