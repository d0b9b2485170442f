// Shutting the Meeting SDK down after the event loop.

#include "sdktestsupport.h"

#include <QApplication>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

class TestSdkShutdown : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void uninitialisedSdkIsOnlyReleased();
    void initialisedSdkIsUninitialisedThenReleased_data();
    void initialisedSdkIsUninitialisedThenReleased();
    void answersStillOnTheWayAreDroppedAtShutdown();
    void failedInitialisationIsNotUninitialised();
    void shuttingDownFromInsideAnAnswerEndsEverything_data();
    void shuttingDownFromInsideAnAnswerEndsEverything();
};

void TestSdkShutdown::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestSdkShutdown::init()
{
    resetSdkWorld();
    baseValues->ssoUrl = QStringLiteral("http://sso/?t=");
    baseValues->idToken = QStringLiteral("t1");
}

void TestSdkShutdown::uninitialisedSdkIsOnlyReleased()
{
    LogCapture log;
    WeMeetManager::instance()->uninitialize();
    QCOMPARE(WemeetSim::calls(), QStringList({QStringLiteral("IsInitialized"), QStringLiteral("Release")}));
    QCOMPARE(WemeetSim::releaseCount(), 1);
    QVERIFY(log.lines().contains(QStringLiteral("Uninitialize")));
}

void TestSdkShutdown::initialisedSdkIsUninitialisedThenReleased_data()
{
    QTest::addColumn<int>("stage"); // 1 initialised, 2 signed in, 4 in a meeting
    QTest::newRow("initialised") << 1;
    QTest::newRow("signed in") << 2;
    QTest::newRow("in a meeting") << 4;
}

void TestSdkShutdown::initialisedSdkIsUninitialisedThenReleased()
{
    QFETCH(int, stage);
    WeMeetManager *manager = WeMeetManager::instance();
    QSignalSpy initialised(manager, &WeMeetManager::OnSDKInitializeFinishSignal);
    WeMeetManager::initialize(QStringLiteral("id"), QStringLiteral("token"), QStringLiteral("/tmp"),
                              QStringLiteral("a"));
    QVERIFY(initialised.wait(2000));
    if (stage >= 2) {
        QSignalSpy login(manager, &WeMeetManager::OnLoginFinishSignal);
        manager->login();
        QVERIFY(login.wait(2000));
    }
    if (stage >= 4) {
        QSignalSpy joined(manager, &WeMeetManager::OnJoinMeetingFinishSignal);
        manager->joinMeeting(QStringLiteral("123456789"), QStringLiteral("n"), false, false, QString());
        QVERIFY(joined.wait(2000));
        QVERIFY(WemeetSim::meetingWindow());
        QTRY_VERIFY(WemeetSim::windowProcessId() != 0);
    }
    QCOMPARE(manager->state(), stage);

    WemeetSim::clearCalls();
    manager->uninitialize();
    QCOMPARE(WemeetSim::calls(), QStringList({QStringLiteral("IsInitialized"), QStringLiteral("Uninitialize"),
                                              QStringLiteral("Release")}));
    QCOMPARE(WemeetSim::releaseCount(), 1);
    QVERIFY(!WemeetSim::meetingWindow());
    // The SDK's window process ends with it.
    QCOMPARE(WemeetSim::windowProcessId(), 0);
    // Shutting down leaves the session state alone; the SDK's own answer
    // still tells that nothing is initialised any more.
    QCOMPARE(manager->state(), stage);
    QVERIFY(!manager->isInitialized());
}

void TestSdkShutdown::answersStillOnTheWayAreDroppedAtShutdown()
{
    WeMeetManager *manager = WeMeetManager::instance();
    QVERIFY(initializeSdk());

    QSignalSpy login(manager, &WeMeetManager::OnLoginFinishSignal);
    manager->login();
    manager->uninitialize();
    QTRY_COMPARE(WemeetSim::pendingCallbacks(), 0);
    QCoreApplication::processEvents();
    QCOMPARE(login.count(), 0);
}

void TestSdkShutdown::failedInitialisationIsNotUninitialised()
{
    WemeetSim::setInitFailure(QStringLiteral("x"));
    WeMeetManager::initialize(QStringLiteral("id"), QStringLiteral("token"), QStringLiteral("/tmp"),
                              QStringLiteral("a"));
    QTRY_VERIFY(WemeetSim::initRecord().received && WemeetSim::pendingCallbacks() == 0);
    WemeetSim::clearCalls();
    WeMeetManager::instance()->uninitialize();
    QCOMPARE(WemeetSim::calls(), QStringList({QStringLiteral("IsInitialized"), QStringLiteral("Release")}));
}

void TestSdkShutdown::shuttingDownFromInsideAnAnswerEndsEverything_data()
{
    QTest::addColumn<bool>("onSignIn");
    QTest::newRow("from the initialisation answer, an sdk error scripted") << false;
    QTest::newRow("from the sign-in answer, a forced sign-out scripted") << true;
}

// The coordinator shuts the SDK down from inside a sign-out answer; whatever
// the SDK had scheduled must die with it.
void TestSdkShutdown::shuttingDownFromInsideAnAnswerEndsEverything()
{
    QFETCH(bool, onSignIn);
    WeMeetManager *manager = WeMeetManager::instance();
    WemeetSim::applyScript(QStringLiteral("sdk_error=断线;sdk_error_after_ms=20;forced_logout_after_ms=20"));
    QSignalSpy errors(manager, &WeMeetManager::OnSDKErrorSignal);
    QSignalSpy forced(manager, &WeMeetManager::OnForcedLogoutFinishSignal);
    QSignalSpy initialised(manager, &WeMeetManager::OnSDKInitializeFinishSignal);
    QSignalSpy login(manager, &WeMeetManager::OnLoginFinishSignal);

    QObject context;
    if (onSignIn)
        connect(manager, &WeMeetManager::OnLoginFinishSignal, &context,
                [manager] { manager->uninitialize(); });
    else
        connect(manager, &WeMeetManager::OnSDKInitializeFinishSignal, &context,
                [manager] { manager->uninitialize(); });

    WeMeetManager::initialize(QStringLiteral("id"), QStringLiteral("token"), QStringLiteral("/tmp"),
                              QStringLiteral("a"));
    QVERIFY(initialised.wait(2000));
    if (onSignIn) {
        // The scripted error would come first; this row is about sign-in.
        QVERIFY(errors.wait(2000));
        errors.clear();
        manager->login();
        QVERIFY(login.wait(2000));
    }
    QCOMPARE(WemeetSim::releaseCount(), 1);
    QTest::qWait(80);
    QCOMPARE(errors.count(), 0);
    QCOMPARE(forced.count(), 0);
}

QTEST_MAIN(TestSdkShutdown)
#include "tst_sdkshutdown.moc"
