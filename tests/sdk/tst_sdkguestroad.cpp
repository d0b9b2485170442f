// A guest's whole road through the manager, with credentials and token from
// the stand-in service: initialise as the start screen does, sign in with the
// guest token's address, wait, meet, leave and sign out.

#include "sdktestsupport.h"

#include "http/servicetokenhttp.h"
#include "http/tmsdkinfohttp.h"
#include "http/tmtokenhttp.h"

#include <QStandardPaths>
#include <QTest>

using WemeetSim::Phase;

class TestSdkGuestRoad : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void guestSignsInWithTheTokenAddressMeetsAndSignsOut();
    void guestMeetsWithoutSigningInAndSignsOutAfterwards();
    void failedGuestJoinSignsOutToTheStartScreen();

private:
    void prepareGuest(const QString &meetingCode);
    void expectSignOut();

    devservice::Server m_server;
    WeMeetManager *m_manager = nullptr;
};

void TestSdkGuestRoad::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_server.start() > 0);
    m_manager = WeMeetManager::instance();
}

void TestSdkGuestRoad::init()
{
    QCOMPARE(freshSessionWithServiceToken(m_server), QString());
    QVERIFY(!baseValues->s_accessToken.isEmpty());
}

// Start screen and join dialog for a guest: SDK credentials, guest
// initialisation, then the guest token of the meeting.
void TestSdkGuestRoad::prepareGuest(const QString &meetingCode)
{
    TmSDKInfoHttp info;
    info.request();
    QCOMPARE(testsupport::waitResult(&info, &TmSDKInfoHttp::sendTmSdkInfoResultSignal), QString());
    QSignalSpy initialised(m_manager, &WeMeetManager::OnSDKInitializeFinishSignal);
    WeMeetManager::initialize(baseValues->sdkId, baseValues->sdkToken, QStringLiteral("/tmp"),
                              baseValues->appName);
    QVERIFY(initialised.wait(2000));
    QCOMPARE(WemeetSim::initRecord().sdkId, QStringLiteral("1400713254"));
    QCOMPARE(m_manager->state(), 1);

    TmTokenHttp token;
    QSignalSpy answered(&token, &TmTokenHttp::sendTmTokenResultSignal);
    token.requestForGuest(baseValues->serialNo, meetingCode, QStringLiteral("访客甲"), QString(), QString(),
                          QString());
    QVERIFY(answered.wait(7000));
    QCOMPARE(answered.first().first().toString(), QString());
    QCOMPARE(baseValues->loginStatus, QStringLiteral("1"));
    QVERIFY(!baseValues->idToken.isEmpty());
    QVERIFY(!baseValues->joinUrl.isEmpty());
}

void TestSdkGuestRoad::expectSignOut()
{
    QSignalSpy out(m_manager, &WeMeetManager::OnLogoutFinishSignal);
    QSignalSpy failed(m_manager, &WeMeetManager::OnLogoutFailedSignal);
    m_manager->logout();
    QVERIFY(out.wait(2000));
    QCOMPARE(failed.count(), 0);
    QCOMPARE(m_manager->state(), 1);
    QCOMPARE(WemeetSim::phase(), Phase::Initialized);
}

void TestSdkGuestRoad::guestSignsInWithTheTokenAddressMeetsAndSignsOut()
{
    prepareGuest(QStringLiteral("482915736"));
    QCOMPARE(sdkLoginResult(), QString());
    QCOMPARE(WemeetSim::loginAddress(), baseValues->ssoUrl + baseValues->idToken);
    QVERIFY(WemeetSim::loginAddress().startsWith(QString::fromStdString(m_server.baseUrl())));
    QCOMPARE(m_manager->state(), 2);

    // Waiting room, left before being let in.
    WemeetSim::setWaitingRoom(true);
    QSignalSpy joined(m_manager, &WeMeetManager::OnJoinMeetingFinishSignal);
    QSignalSpy leftWaiting(m_manager, &WeMeetManager::OnLeaveWaitingRoomFinishSignal);
    m_manager->joinMeeting(QStringLiteral("482915736"), QStringLiteral("访客甲"), true, false,
                           baseValues->joinUrl);
    QTRY_COMPARE(WemeetSim::phase(), Phase::Waiting);
    QCOMPARE(m_manager->state(), 3);
    QVERIFY(WemeetSim::pressLeave());
    QVERIFY(leftWaiting.wait(2000));
    QCOMPARE(joined.count(), 0);
    QCOMPARE(m_manager->state(), 2);

    // Let in this time, then left.
    WemeetSim::setAdmitAfterMs(0);
    QSignalSpy left(m_manager, &WeMeetManager::OnLeaveMeetingFinishSignal);
    m_manager->joinMeeting(QStringLiteral("482915736"), QStringLiteral("访客甲"), true, false,
                           baseValues->joinUrl);
    QVERIFY(joined.wait(2000));
    QCOMPARE(joined.first().first().toString(), QString());
    QCOMPARE(m_manager->state(), 4);
    QCOMPARE(WemeetSim::lastJoin().joinUrl, baseValues->joinUrl);
    m_manager->leaveMeeting();
    QVERIFY(left.wait(2000));
    QCOMPARE(m_manager->state(), 2);

    expectSignOut();
    // A second sign-out finds nobody signed in and is still confirmed, so
    // whoever waits for it gets the start screen back.
    expectSignOut();
}

void TestSdkGuestRoad::guestMeetsWithoutSigningInAndSignsOutAfterwards()
{
    prepareGuest(QStringLiteral("604185273"));
    QSignalSpy joined(m_manager, &WeMeetManager::OnJoinMeetingFinishSignal);
    m_manager->joinMeeting(QStringLiteral("604185273"), QStringLiteral("访客甲"), false, false,
                           baseValues->joinUrl);
    QVERIFY(joined.wait(2000));
    QCOMPARE(joined.first().first().toString(), QString());
    QCOMPARE(m_manager->state(), 4);
    QVERIFY(!WemeetSim::signedIn());

    // As the coordinator does for a guest leaving: leave, then sign out.
    QSignalSpy left(m_manager, &WeMeetManager::OnLeaveMeetingFinishSignal);
    QVERIFY(WemeetSim::pressLeave());
    QVERIFY(left.wait(2000));
    QCOMPARE(WemeetSim::phase(), Phase::Initialized);
    expectSignOut();
}

void TestSdkGuestRoad::failedGuestJoinSignsOutToTheStartScreen()
{
    prepareGuest(QStringLiteral("482915736"));
    QCOMPARE(sdkLoginResult(), QString());
    WemeetSim::setJoinFailure(QStringLiteral("会议已锁定"));
    QSignalSpy joined(m_manager, &WeMeetManager::OnJoinMeetingFinishSignal);
    m_manager->joinMeeting(QStringLiteral("482915736"), QStringLiteral("访客甲"), false, false,
                           baseValues->joinUrl);
    QVERIFY(joined.wait(2000));
    QCOMPARE(joined.first().first().toString(), QStringLiteral("会议已锁定"));
    QCOMPARE(m_manager->state(), 2);
    expectSignOut();
    QVERIFY(!WemeetSim::signedIn());
}

QTEST_MAIN(TestSdkGuestRoad)
#include "tst_sdkguestroad.moc"
