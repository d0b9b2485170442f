// The second half of every sign-in against the simulator: a failed
// initialisation ends it at once, and a Meeting SDK sign-in that arrives after
// the sign-in gave up is undone.

#include "sdktestsupport.h"

#include "app/uitexts.h"
#include "app/waits.h"
#include "sdk/signinchain.h"

#include <QScopedValueRollback>
#include <QStandardPaths>
#include <QTest>

#include <memory>

class TestSignInChain : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QStandardPaths::setTestModeEnabled(true);
        resetSdkWorld();
        WemeetSim::setHeadless(true);
        baseValues->ssoUrl = QStringLiteral("https://sso.example/login?token=");
        baseValues->idToken = QStringLiteral("id-token");
        baseValues->sdkId = QStringLiteral("sdk-id");
        baseValues->sdkToken = QStringLiteral("sdk-token");
    }

    void signsInWhetherOrNotInitialised_data()
    {
        QTest::addColumn<bool>("initialisedBefore");
        QTest::newRow("initialises first") << false;
        QTest::newRow("already initialised") << true;
    }

    void signsInWhetherOrNotInitialised()
    {
        QFETCH(bool, initialisedBefore);
        if (initialisedBefore)
            QVERIFY(initializeSdk());
        SignInChain chain;
        QSignalSpy finished(&chain, &SignInChain::meetingSdkFinished);
        chain.signInToMeetingSdk();
        QVERIFY(finished.wait(3000));
        QCOMPARE(finished.first().first().toString(), QString());
        QVERIFY(baseValues->signedIn);
        QCOMPARE(WeMeetManager::instance()->state(), 2);
        QCOMPARE(WemeetSim::calls().count(QStringLiteral("Initialize")), 1);
    }

    void failedInitialisationEndsAtOnce()
    {
        // Far longer than the test may take: the failure must not wait for it.
        QScopedValueRollback<int> wait(Waits::sdkResponseMs, 60000);
        WemeetSim::setInitFailure(QStringLiteral("凭证无效"));
        SignInChain chain;
        QSignalSpy finished(&chain, &SignInChain::meetingSdkFinished);
        chain.signInToMeetingSdk();
        QVERIFY(finished.wait(3000));
        QCOMPARE(finished.first().first().toString(), UiText::loginFailed);
        QVERIFY(!chain.isRunning());
        QVERIFY(!baseValues->signedIn);
    }

    void lateSignInIsUndone_data()
    {
        QTest::addColumn<bool>("destroyed");
        QTest::newRow("timed out") << false;
        QTest::newRow("screen closed") << true;
    }

    void lateSignInIsUndone()
    {
        QFETCH(bool, destroyed);
        QVERIFY(initializeSdk());
        QScopedValueRollback<int> wait(Waits::sdkResponseMs, 50);
        WemeetSim::setCallbackDelayMs(150);
        QSignalSpy answered(WeMeetManager::instance(), &WeMeetManager::OnLoginFinishSignal);
        QSignalSpy signedOut(WeMeetManager::instance(), &WeMeetManager::OnLogoutFinishSignal);
        auto chain = std::make_unique<SignInChain>();
        QSignalSpy finished(chain.get(), &SignInChain::meetingSdkFinished);
        chain->signInToMeetingSdk();
        if (destroyed) {
            chain.reset();
        } else {
            QVERIFY(finished.wait(1000));
            QCOMPARE(finished.first().first().toString(), UiText::loginFailed);
        }
        QVERIFY(answered.wait(3000));
        QCOMPARE(answered.first().first().toString(), QString());        // the SDK did sign in...
        QTRY_COMPARE(WemeetSim::phase(), WemeetSim::Phase::Initialized); // ...and was signed out again
        QCOMPARE(WeMeetManager::instance()->state(), 1);
        QVERIFY(!baseValues->signedIn);
        // Quietly: nobody takes it for the user's sign-out.
        QCOMPARE(signedOut.count(), 0);
        QVERIFY(!WeMeetManager::instance()->isLogoutPending());
    }
};

QTEST_MAIN(TestSignInChain)
#include "tst_signinchain.moc"
