// The simulator scripted through VESK_SDK_SIM, as ctest sets it for this
// program: "login_fail=环境登录失败;delay_ms=1;headless=1;bogus_key=1".

#include "sdktestsupport.h"

#include <QApplication>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

class TestSdkSimEnv : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void environmentScriptApplies();
    void resetKeepsTheEnvironmentScript();
    void scriptCanBeOverriddenInProcess();
};

void TestSdkSimEnv::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(qEnvironmentVariableIsSet("VESK_SDK_SIM"));
    baseValues = new BaseValues;
    baseValues->ssoUrl = QStringLiteral("http://sso/?t=");
    baseValues->idToken = QStringLiteral("abc");
}

void TestSdkSimEnv::environmentScriptApplies()
{
    QTest::ignoreMessage(QtWarningMsg, "VESK_SDK_SIM: unknown key bogus_key");
    QCOMPARE(WemeetSim::callbackDelayMs(), 1);

    WeMeetManager *manager = WeMeetManager::instance();
    QVERIFY(initializeSdk());
    QCOMPARE(sdkLoginResult(), QStringLiteral("环境登录失败"));
    QCOMPARE(manager->state(), 1);
}

void TestSdkSimEnv::resetKeepsTheEnvironmentScript()
{
    QTest::ignoreMessage(QtWarningMsg, "VESK_SDK_SIM: unknown key bogus_key");
    resetSdkWorld();
    WemeetSim::setHeadless(true);
    baseValues->ssoUrl = QStringLiteral("http://sso/?t=");
    baseValues->idToken = QStringLiteral("abc");
    QCOMPARE(WemeetSim::callbackDelayMs(), 1);

    QVERIFY(initializeSdk());
    QCOMPARE(sdkLoginResult(), QStringLiteral("环境登录失败"));
}

void TestSdkSimEnv::scriptCanBeOverriddenInProcess()
{
    WemeetSim::setLoginFailure(QString());
    WeMeetManager *manager = WeMeetManager::instance();
    QCOMPARE(sdkLoginResult(), QString());
    QCOMPARE(manager->state(), 2);

    // Headless from the environment: the meeting has no window.
    QSignalSpy joined(manager, &WeMeetManager::OnJoinMeetingFinishSignal);
    manager->joinMeeting(QStringLiteral("123456789"), QStringLiteral("n"), false, false, QString());
    QVERIFY(joined.wait(2000));
    QCOMPARE(joined.first().first().toString(), QString());
    QVERIFY(!WemeetSim::meetingWindow());
}

QTEST_MAIN(TestSdkSimEnv)
#include "tst_sdksimenv.moc"
