// The manager driving the SDK simulator: what the SDK is handed, and how its
// answers come back to the screens.

#include "sdktestsupport.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

using WemeetSim::Phase;

class TestSdkBridge : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void initialiseHandsTheSdkItsRecordAndSettings();
    void initialiseAnswersOnlyLater();
    void failedInitialisationEmitsNothing_data();
    void failedInitialisationEmitsNothing();
    void signInAddressIsSsoUrlFollowedByIdToken();
    void signInFailureCarriesTheSdkMessage();
    void signInAfterFailedInitialisationFails();
    void joinRecordAsTheSdkReceivedIt_data();
    void joinRecordAsTheSdkReceivedIt();
    void joinFailuresReturnToSignedIn_data();
    void joinFailuresReturnToSignedIn();
    void waitingRoomKeepsTheJoinPendingUntilLeft();
    void waitingRoomKeepsTheJoinPendingUntilAdmitted();
    void leaveButtonOfTheMeetingWindowLeaves();
    void leaveMeetingFromTheClient();
    void inviteButtonRaisesInvitationWithItsKeys();
    void requestedSignOutReturnsToInitialised();
    void failedSignOutChangesNothing();
    void forcedSignOutSkipsInitialisationOnNextSignIn();
    void scriptedForcedSignOutFollowsSignIn();
    void screenCastViewOpensItsWindow();
    void sdkErrorsReachTheScreens_data();
    void sdkErrorsReachTheScreens();
    void versionTextComesFromTheLibrary();
    void initialisedNeedsBothTheSdkAndTheState_data();
    void initialisedNeedsBothTheSdkAndTheState();
    void missingSdkObjectFailsSignInAndJoinAfterTheCall();
    void missingSdkObjectIsStillReleasedAtShutdown();
    void answersInsideTheCallFindTheStateReady_data();
    void answersInsideTheCallFindTheStateReady();

private:
    void initialiseSdk();
    void signIn();
    void joinMeeting(const QString &code = QStringLiteral("123456789"));
};

void TestSdkBridge::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestSdkBridge::init()
{
    resetSdkWorld();
    baseValues->sdkId = QStringLiteral("1400713254");
    baseValues->sdkToken = QStringLiteral("sdk-9d31c07ab4e25f68");
    baseValues->appName = QStringLiteral("Vesk云会议");
    baseValues->ssoUrl = QStringLiteral("http://127.0.0.1:1/sso/login?id_token=");
    baseValues->idToken = QStringLiteral("id-77");
}

void TestSdkBridge::cleanup()
{
    WemeetSim::reset();
}

void TestSdkBridge::initialiseSdk()
{
    QSignalSpy done(WeMeetManager::instance(), &WeMeetManager::OnSDKInitializeFinishSignal);
    WeMeetManager::initialize(baseValues->sdkId, baseValues->sdkToken,
                              QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                              baseValues->appName);
    QVERIFY(done.wait(2000));
}

void TestSdkBridge::signIn()
{
    initialiseSdk();
    QSignalSpy done(WeMeetManager::instance(), &WeMeetManager::OnLoginFinishSignal);
    WeMeetManager::instance()->login();
    QVERIFY(done.wait(2000));
    QCOMPARE(done.first().first().toString(), QString());
    QCOMPARE(WeMeetManager::instance()->state(), 2);
}

void TestSdkBridge::joinMeeting(const QString &code)
{
    signIn();
    QSignalSpy done(WeMeetManager::instance(), &WeMeetManager::OnJoinMeetingFinishSignal);
    WeMeetManager::instance()->joinMeeting(code, QStringLiteral("张三"), true, false, baseValues->joinUrl);
    QVERIFY(done.wait(2000));
    QCOMPARE(done.first().first().toString(), QString());
    QCOMPARE(WeMeetManager::instance()->state(), 4);
}

void TestSdkBridge::initialiseHandsTheSdkItsRecordAndSettings()
{
    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    initialiseSdk();

    const WemeetSim::InitRecord r = WemeetSim::initRecord();
    QVERIFY(r.received);
    QVERIFY(r.callbackSet);
    QCOMPARE(r.sdkId, QStringLiteral("1400713254"));
    QCOMPARE(r.sdkToken, QStringLiteral("sdk-9d31c07ab4e25f68"));
    QCOMPARE(r.reservedA, QString());
    QCOMPARE(r.reservedB, QString());
    QCOMPARE(r.nullTexts, QStringList());
    QCOMPARE(r.dataPath, dataDir + QStringLiteral("/data/"));
    QCOMPARE(r.appName, QStringLiteral("Vesk云会议"));
    QVERIFY(QFileInfo(r.iconPath).isAbsolute());
    QCOMPARE(r.iconPath,
             QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("icon/logo.ico")));

    // Callbacks first, in this order, then the SDK; settings only on success.
    QStringList calls = WemeetSim::calls();
    calls.removeAll(QStringLiteral("IsInitialized"));
    QCOMPARE(calls,
             QStringList({QStringLiteral("SetCallback:auth"), QStringLiteral("SetCallback:premeeting"),
                          QStringLiteral("SetCallback:inmeeting"), QStringLiteral("Initialize"),
                          QStringLiteral("SetMeetingSetting:1,0"), QStringLiteral("SetMeetingSetting:0,1")}));
    QCOMPARE(WemeetSim::meetingSettings(), (QList<QPair<int, int>>{{1, 0}, {0, 1}}));
    QCOMPARE(WeMeetManager::instance()->state(), 1);
    QVERIFY(WeMeetManager::instance()->isInitialized());
}

void TestSdkBridge::initialiseAnswersOnlyLater()
{
    QSignalSpy done(WeMeetManager::instance(), &WeMeetManager::OnSDKInitializeFinishSignal);
    WeMeetManager::initialize(QStringLiteral("id"), QStringLiteral("token"), QStringLiteral("/tmp"),
                              QStringLiteral("a"));
    QCOMPARE(done.count(), 0);
    QCOMPARE(WeMeetManager::instance()->state(), 0);
    QVERIFY(!WeMeetManager::instance()->isInitialized());
    QVERIFY(done.wait(2000));
}

void TestSdkBridge::failedInitialisationEmitsNothing_data()
{
    QTest::addColumn<QString>("sdkId");
    QTest::addColumn<QString>("sdkToken");
    QTest::addColumn<QString>("failure");

    QTest::newRow("no sdk id") << QString() << QStringLiteral("token") << QString();
    QTest::newRow("no sdk token") << QStringLiteral("id") << QString() << QString();
    QTest::newRow("blank sdk id") << QStringLiteral("  ") << QStringLiteral("token") << QString();
    QTest::newRow("sdk refuses") << QStringLiteral("id") << QStringLiteral("token")
                                 << QStringLiteral("凭证无效");
}

void TestSdkBridge::failedInitialisationEmitsNothing()
{
    QFETCH(QString, sdkId);
    QFETCH(QString, sdkToken);
    QFETCH(QString, failure);
    WemeetSim::setInitFailure(failure);

    LogCapture log;
    QSignalSpy done(WeMeetManager::instance(), &WeMeetManager::OnSDKInitializeFinishSignal);
    WeMeetManager::initialize(sdkId, sdkToken, QStringLiteral("/tmp"), QStringLiteral("a"));
    QTRY_VERIFY(std::any_of(log.lines().cbegin(), log.lines().cend(), [](const QString &l) {
        return l.startsWith(QLatin1String("WeMeetManager...Initialize"));
    }));
    QCOMPARE(WemeetSim::pendingCallbacks(), 0);
    QCOMPARE(done.count(), 0);
    QCOMPARE(WeMeetManager::instance()->state(), 0);
    QVERIFY(!WeMeetManager::instance()->isInitialized());
    QVERIFY(WemeetSim::meetingSettings().isEmpty());
    // Missing values still reach the SDK as texts, never as null pointers.
    QCOMPARE(WemeetSim::initRecord().nullTexts, QStringList());
    if (!failure.isEmpty())
        QVERIFY(log.lines().constLast().endsWith(failure));
}

void TestSdkBridge::signInAddressIsSsoUrlFollowedByIdToken()
{
    signIn();
    const QString expected = QStringLiteral("http://127.0.0.1:1/sso/login?id_token=id-77");
    QCOMPARE(WemeetSim::loginAddress(), expected);
    QCOMPARE(baseValues->ssoUrl, QStringLiteral("http://127.0.0.1:1/sso/login?id_token="));

    // A second sign-in without a new token uses the same address.
    QSignalSpy done(WeMeetManager::instance(), &WeMeetManager::OnLoginFinishSignal);
    WeMeetManager::instance()->login();
    QVERIFY(done.wait(2000));
    QCOMPARE(WemeetSim::loginAddresses(), QStringList({expected, expected}));
}

void TestSdkBridge::signInFailureCarriesTheSdkMessage()
{
    initialiseSdk();
    WemeetSim::setLoginFailure(QStringLiteral("账号已冻结"));
    QSignalSpy done(WeMeetManager::instance(), &WeMeetManager::OnLoginFinishSignal);
    WeMeetManager::instance()->login();
    QCOMPARE(done.count(), 0);
    QVERIFY(done.wait(2000));
    QCOMPARE(done.first().first().toString(), QStringLiteral("账号已冻结"));
    QCOMPARE(WeMeetManager::instance()->state(), 1);
}

void TestSdkBridge::signInAfterFailedInitialisationFails()
{
    WemeetSim::setInitFailure(QStringLiteral("凭证无效"));
    WeMeetManager::initialize(QStringLiteral("id"), QStringLiteral("token"), QStringLiteral("/tmp"),
                              QStringLiteral("a"));
    QTRY_COMPARE(WemeetSim::pendingCallbacks(), 0);
    QSignalSpy done(WeMeetManager::instance(), &WeMeetManager::OnLoginFinishSignal);
    WeMeetManager::instance()->login();
    QVERIFY(done.wait(2000));
    QCOMPARE(done.first().first().toString(), QStringLiteral("SDK未初始化"));
    QCOMPARE(WeMeetManager::instance()->state(), 0);
}

void TestSdkBridge::joinRecordAsTheSdkReceivedIt_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("nickname");
    QTest::addColumn<bool>("mic");
    QTest::addColumn<bool>("camera");
    QTest::addColumn<QString>("joinUrl");

    QTest::newRow("with join address, mic on")
        << QStringLiteral("123456789") << QStringLiteral("张三") << true << false
        << QStringLiteral("https://meeting.example/j/abc");
    QTest::newRow("no join address, camera on")
        << QStringLiteral("987654321012") << QStringLiteral("Li Si") << false << true << QString();
    QTest::newRow("both on") << QStringLiteral("100200300") << QStringLiteral("王五") << true << true
                             << QString();
    QTest::newRow("both off") << QStringLiteral("100200300") << QStringLiteral("王五") << false << false
                              << QStringLiteral("https://m/x?y=1");
}

void TestSdkBridge::joinRecordAsTheSdkReceivedIt()
{
    QFETCH(QString, code);
    QFETCH(QString, nickname);
    QFETCH(bool, mic);
    QFETCH(bool, camera);
    QFETCH(QString, joinUrl);

    signIn();
    baseValues->joinUrl = joinUrl;
    QSignalSpy done(WeMeetManager::instance(), &WeMeetManager::OnJoinMeetingFinishSignal);
    WeMeetManager::instance()->joinMeeting(code, nickname, mic, camera, baseValues->joinUrl);
    QCOMPARE(WeMeetManager::instance()->state(), 3);
    QCOMPARE(baseValues->pendingMeetingCode, code);
    QCOMPARE(done.count(), 0);

    const WemeetSim::JoinRecord j = WemeetSim::lastJoin();
    QVERIFY(j.received);
    QCOMPARE(j.meetingCode, code);
    QCOMPARE(j.nickname, nickname);
    QCOMPARE(j.password, QString());
    QVERIFY(!j.passwordNull);
    QCOMPARE(j.joinUrl, joinUrl);
    QVERIFY(!j.joinUrlNull);
    QCOMPARE(j.micOn, mic);
    QCOMPARE(j.cameraOn, camera);
    QCOMPARE(j.hideMeetingWindow, false);
    QCOMPARE(j.showInviteButton, true);

    QVERIFY(done.wait(2000));
    QCOMPARE(done.first().first().toString(), QString());
    QCOMPARE(WeMeetManager::instance()->state(), 4);
    QVERIFY(baseValues->pendingMeetingCode.isEmpty());

    WemeetSim::SimWindow *window = WemeetSim::meetingWindow();
    QVERIFY(window);
    QTRY_VERIFY(window->isVisible());
    QCOMPARE(window->text(QStringLiteral("simMeetingCodeLabel")), QStringLiteral("会议号：") + code);
    QCOMPARE(window->text(QStringLiteral("simNicknameLabel")), QStringLiteral("昵称：") + nickname);
    QCOMPARE(window->text(QStringLiteral("simMicLabel")),
             mic ? QStringLiteral("麦克风：开") : QStringLiteral("麦克风：关"));
    QCOMPARE(window->text(QStringLiteral("simCameraLabel")),
             camera ? QStringLiteral("摄像头：开") : QStringLiteral("摄像头：关"));
}

void TestSdkBridge::joinFailuresReturnToSignedIn_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("nickname");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("message");

    QTest::newRow("number with letters") << QStringLiteral("12a456789") << QStringLiteral("张三") << QString()
                                         << QStringLiteral("会议号格式错误");
    QTest::newRow("empty number") << QString() << QStringLiteral("张三") << QString()
                                  << QStringLiteral("会议号格式错误");
    QTest::newRow("no nickname") << QStringLiteral("123456789") << QString() << QString()
                                 << QStringLiteral("昵称为空");
    QTest::newRow("platform refuses") << QStringLiteral("123456789") << QStringLiteral("张三")
                                      << QStringLiteral("会议已结束") << QStringLiteral("会议已结束");
}

void TestSdkBridge::joinFailuresReturnToSignedIn()
{
    QFETCH(QString, code);
    QFETCH(QString, nickname);
    QFETCH(QString, failure);
    QFETCH(QString, message);

    signIn();
    WemeetSim::setJoinFailure(failure);
    QSignalSpy done(WeMeetManager::instance(), &WeMeetManager::OnJoinMeetingFinishSignal);
    WeMeetManager::instance()->joinMeeting(code, nickname, false, false, QString());
    QCOMPARE(WeMeetManager::instance()->state(), 3);
    QVERIFY(done.wait(2000));
    QCOMPARE(done.first().first().toString(), message);
    QCOMPARE(WeMeetManager::instance()->state(), 2);
    QVERIFY(baseValues->pendingMeetingCode.isEmpty());
    QVERIFY(!WemeetSim::meetingWindow());
}

void TestSdkBridge::waitingRoomKeepsTheJoinPendingUntilLeft()
{
    signIn();
    WemeetSim::setWaitingRoom(true);
    QSignalSpy joined(WeMeetManager::instance(), &WeMeetManager::OnJoinMeetingFinishSignal);
    QSignalSpy leftWaiting(WeMeetManager::instance(), &WeMeetManager::OnLeaveWaitingRoomFinishSignal);
    QSignalSpy leftMeeting(WeMeetManager::instance(), &WeMeetManager::OnLeaveMeetingFinishSignal);
    WeMeetManager::instance()->joinMeeting(QStringLiteral("123456789"), QStringLiteral("张三"), false, false,
                                           QString());

    QTRY_VERIFY(WemeetSim::waitingRoomWindow());
    QCOMPARE(WemeetSim::phase(), Phase::Waiting);
    QCOMPARE(WemeetSim::pendingCallbacks(), 0);
    QCOMPARE(joined.count(), 0);
    QCOMPARE(WeMeetManager::instance()->state(), 3);
    QCOMPARE(baseValues->pendingMeetingCode, QStringLiteral("123456789"));

    QTRY_VERIFY(WemeetSim::waitingRoomWindow()->isChildVisible(QStringLiteral("simWaitingLeaveButton")));
    WemeetSim::waitingRoomWindow()->click(QStringLiteral("simWaitingLeaveButton"));
    QVERIFY(leftWaiting.wait(5000));
    QCOMPARE(leftWaiting.first().first().toString(), QString());
    QCOMPARE(leftMeeting.count(), 0);
    QCOMPARE(joined.count(), 0);
    QCOMPARE(WeMeetManager::instance()->state(), 2);
    QVERIFY(baseValues->pendingMeetingCode.isEmpty());
    QTRY_VERIFY(!WemeetSim::waitingRoomWindow());
}

void TestSdkBridge::waitingRoomKeepsTheJoinPendingUntilAdmitted()
{
    signIn();
    WemeetSim::setWaitingRoom(true);
    QSignalSpy joined(WeMeetManager::instance(), &WeMeetManager::OnJoinMeetingFinishSignal);
    WeMeetManager::instance()->joinMeeting(QStringLiteral("123456789"), QStringLiteral("张三"), true, true,
                                           QString());
    QTRY_COMPARE(WemeetSim::phase(), Phase::Waiting);
    QVERIFY(WemeetSim::admit());
    QCOMPARE(joined.count(), 0);
    QVERIFY(joined.wait(2000));
    QCOMPARE(joined.first().first().toString(), QString());
    QCOMPARE(WeMeetManager::instance()->state(), 4);
    QVERIFY(WemeetSim::meetingWindow());
    QVERIFY(!WemeetSim::admit());
}

void TestSdkBridge::leaveButtonOfTheMeetingWindowLeaves()
{
    joinMeeting();
    QSignalSpy left(WeMeetManager::instance(), &WeMeetManager::OnLeaveMeetingFinishSignal);
    QSignalSpy leftWaiting(WeMeetManager::instance(), &WeMeetManager::OnLeaveWaitingRoomFinishSignal);
    WemeetSim::SimWindow *window = WemeetSim::meetingWindow();
    QVERIFY(window);
    QTRY_COMPARE(window->text(QStringLiteral("simLeaveButton")), QStringLiteral("离开会议"));
    window->click(QStringLiteral("simLeaveButton"));
    QCOMPARE(left.count(), 0);
    QVERIFY(left.wait(5000));
    QCOMPARE(left.first().first().toString(), QString());
    QCOMPARE(leftWaiting.count(), 0);
    QCOMPARE(WeMeetManager::instance()->state(), 2);
    QTRY_VERIFY(!WemeetSim::meetingWindow());
}

void TestSdkBridge::leaveMeetingFromTheClient()
{
    joinMeeting();
    QSignalSpy left(WeMeetManager::instance(), &WeMeetManager::OnLeaveMeetingFinishSignal);
    WemeetSim::clearCalls();
    WeMeetManager::instance()->leaveMeeting();
    QCOMPARE(WemeetSim::calls(), QStringList(QStringLiteral("LeaveMeeting:0")));
    QVERIFY(left.wait(2000));
    QCOMPARE(WeMeetManager::instance()->state(), 2);

    // A second leave finds no meeting: the SDK says so, the client sees nothing.
    WeMeetManager::instance()->leaveMeeting();
    QTRY_COMPARE(WemeetSim::pendingCallbacks(), 0);
    QCOMPARE(left.count(), 1);
    QCOMPARE(WeMeetManager::instance()->state(), 2);
}

void TestSdkBridge::inviteButtonRaisesInvitationWithItsKeys()
{
    baseValues->joinUrl = QStringLiteral("https://meeting.example/j/xyz");
    WemeetSim::setInviteFields(QStringLiteral("季度评审"), QStringLiteral("8888"));
    joinMeeting(QStringLiteral("123456789"));

    QSignalSpy share(WeMeetManager::instance(), &WeMeetManager::OnShareToMeetingFinishSignal);
    WemeetSim::SimWindow *window = WemeetSim::meetingWindow();
    QVERIFY(window);
    QTRY_VERIFY(window->isChildVisible(QStringLiteral("simInviteButton")));
    QCOMPARE(window->text(QStringLiteral("simInviteButton")), QStringLiteral("邀请"));
    window->click(QStringLiteral("simInviteButton"));
    QCOMPARE(share.count(), 0);
    QVERIFY(share.wait(5000));

    const QJsonObject info = QJsonDocument::fromJson(share.first().first().toString().toUtf8()).object();
    QCOMPARE(info.value(QStringLiteral("host_name")).toString(), QStringLiteral("张三"));
    QCOMPARE(info.value(QStringLiteral("meeting_code")).toString(), QStringLiteral("123456789"));
    QCOMPARE(info.value(QStringLiteral("subject")).toString(), QStringLiteral("季度评审"));
    QCOMPARE(info.value(QStringLiteral("meeting_url")).toString(),
             QStringLiteral("https://meeting.example/j/xyz"));
    QCOMPARE(info.value(QStringLiteral("password")).toString(), QStringLiteral("8888"));
    QVERIFY(info.value(QStringLiteral("begin_time")).isDouble());
    QVERIFY(info.value(QStringLiteral("end_time")).isDouble());
    const qint64 begin = info.value(QStringLiteral("begin_time")).toVariant().toLongLong();
    const qint64 end = info.value(QStringLiteral("end_time")).toVariant().toLongLong();
    QVERIFY(qAbs(begin - QDateTime::currentSecsSinceEpoch()) < 60);
    QVERIFY(end > begin);
    QCOMPARE(WeMeetManager::instance()->state(), 4);
}

void TestSdkBridge::requestedSignOutReturnsToInitialised()
{
    signIn();
    QSignalSpy out(WeMeetManager::instance(), &WeMeetManager::OnLogoutFinishSignal);
    QSignalSpy forced(WeMeetManager::instance(), &WeMeetManager::OnForcedLogoutFinishSignal);
    WeMeetManager::instance()->logout();
    QCOMPARE(out.count(), 0);
    QVERIFY(out.wait(2000));
    QCOMPARE(forced.count(), 0);
    QCOMPARE(WeMeetManager::instance()->state(), 1);
    QVERIFY(WeMeetManager::instance()->isInitialized());
}

void TestSdkBridge::failedSignOutChangesNothing()
{
    signIn();
    WemeetSim::setLogoutFailure(QStringLiteral("网络错误"));
    LogCapture log;
    QSignalSpy out(WeMeetManager::instance(), &WeMeetManager::OnLogoutFinishSignal);
    WeMeetManager::instance()->logout();
    QTRY_COMPARE(WemeetSim::pendingCallbacks(), 0);
    QCOMPARE(out.count(), 0);
    QCOMPARE(WeMeetManager::instance()->state(), 2);
    QVERIFY(
        log.lines().constLast().startsWith(QLatin1String("WeMeetManager...Logout...type =  1  code = 2002")));
}

void TestSdkBridge::forcedSignOutSkipsInitialisationOnNextSignIn()
{
    joinMeeting();
    QSignalSpy forced(WeMeetManager::instance(), &WeMeetManager::OnForcedLogoutFinishSignal);
    QSignalSpy left(WeMeetManager::instance(), &WeMeetManager::OnLeaveMeetingFinishSignal);
    QVERIFY(WemeetSim::triggerForcedLogout());
    QVERIFY(forced.wait(2000));
    QCOMPARE(left.count(), 0);
    QCOMPARE(WeMeetManager::instance()->state(), 1);
    QVERIFY(!WemeetSim::meetingWindow());

    // As a screen does: initialised, so straight to sign-in.
    QVERIFY(WeMeetManager::instance()->isInitialized());
    WemeetSim::clearCalls();
    QSignalSpy login(WeMeetManager::instance(), &WeMeetManager::OnLoginFinishSignal);
    WeMeetManager::instance()->login();
    QVERIFY(login.wait(2000));
    QCOMPARE(login.first().first().toString(), QString());
    QVERIFY(!WemeetSim::calls().contains(QStringLiteral("Initialize")));
    QCOMPARE(WeMeetManager::instance()->state(), 2);
}

void TestSdkBridge::scriptedForcedSignOutFollowsSignIn()
{
    WemeetSim::setForcedLogoutAfterMs(30);
    QSignalSpy forced(WeMeetManager::instance(), &WeMeetManager::OnForcedLogoutFinishSignal);
    signIn();
    QVERIFY(forced.wait(2000));
    QCOMPARE(WeMeetManager::instance()->state(), 1);
    QCOMPARE(WemeetSim::phase(), Phase::Initialized);
}

void TestSdkBridge::screenCastViewOpensItsWindow()
{
    LogCapture log;
    signIn();
    QVERIFY(!WemeetSim::screenCastWindow());
    WeMeetManager::instance()->showScreenCastView();
    QTRY_VERIFY(WemeetSim::screenCastWindow() && WemeetSim::screenCastWindow()->isVisible());
    QCOMPARE(WemeetSim::screenCastWindow()->objectName(), QStringLiteral("simScreenCastWindow"));
    QTRY_VERIFY(log.lines().contains(
        QStringLiteral("WeMeetManager...ShowScreenCastViewResult...code =  0  msg =  ")));
    QCOMPARE(WeMeetManager::instance()->state(), 2);
}

void TestSdkBridge::sdkErrorsReachTheScreens_data()
{
    QTest::addColumn<bool>("reset");
    QTest::newRow("sdk error") << false;
    QTest::newRow("failed sdk reset") << true;
}

void TestSdkBridge::sdkErrorsReachTheScreens()
{
    QFETCH(bool, reset);
    initialiseSdk();
    QSignalSpy error(WeMeetManager::instance(), &WeMeetManager::OnSDKErrorSignal);
    if (reset)
        WemeetSim::raiseResetSdkState(3, QStringLiteral("重置失败"));
    else
        WemeetSim::raiseSdkError(5, QStringLiteral("网络异常"));
    QCOMPARE(error.count(), 0);
    QVERIFY(error.wait(2000));
    QCOMPARE(error.first().first().toString(),
             reset ? QStringLiteral("重置失败") : QStringLiteral("网络异常"));
    QCOMPARE(WeMeetManager::instance()->state(), 1);
}

void TestSdkBridge::versionTextComesFromTheLibrary()
{
    const QString version = WeMeetManager::sdkVersion();
    QVERIFY(!version.isEmpty());
    QVERIFY(version.toUtf8().size() < 20);
    QCOMPARE(version, QStringLiteral("3.6.0.532-sim"));
}

void TestSdkBridge::initialisedNeedsBothTheSdkAndTheState_data()
{
    QTest::addColumn<bool>("initialise");
    QTest::addColumn<bool>("sdkDownBehind");
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("expected");

    QTest::newRow("nothing initialised") << false << false << 0 << false;
    QTest::newRow("state says initialised, sdk not") << false << false << 1 << false;
    QTest::newRow("sdk initialised, state 0") << true << false << 0 << false;
    QTest::newRow("initialised") << true << false << 1 << true;
    QTest::newRow("in a meeting") << true << false << 4 << true;
    QTest::newRow("sdk went down, state still signed in") << true << true << 2 << false;
}

void TestSdkBridge::initialisedNeedsBothTheSdkAndTheState()
{
    QFETCH(bool, initialise);
    QFETCH(bool, sdkDownBehind);
    QFETCH(int, state);
    QFETCH(bool, expected);

    if (initialise)
        initialiseSdk();
    if (sdkDownBehind)
        GetWemeetSDKInstance()->Uninitialize();
    WeMeetManager::instance()->setState(WeMeetManager::State(state));
    QCOMPARE(WeMeetManager::instance()->isInitialized(), expected);
}

void TestSdkBridge::missingSdkObjectFailsSignInAndJoinAfterTheCall()
{
    WemeetSim::setUnavailable(true);
    WeMeetManager *manager = WeMeetManager::instance();

    QSignalSpy initialised(manager, &WeMeetManager::OnSDKInitializeFinishSignal);
    WeMeetManager::initialize(baseValues->sdkId, baseValues->sdkToken, QStringLiteral("/tmp"),
                              baseValues->appName);
    QVERIFY(!manager->isInitialized());

    manager->setState(WeMeetManager::State(1));
    QSignalSpy login(manager, &WeMeetManager::OnLoginFinishSignal);
    manager->login();
    QCOMPARE(login.count(), 0);
    QVERIFY(login.wait(2000));
    QCOMPARE(login.first().first().toString(), QStringLiteral("会议SDK不可用"));
    QCOMPARE(manager->state(), 1);

    manager->setState(WeMeetManager::State(2));
    QSignalSpy joined(manager, &WeMeetManager::OnJoinMeetingFinishSignal);
    manager->joinMeeting(QStringLiteral("123456789"), QStringLiteral("张三"), false, false, QString());
    QCOMPARE(joined.count(), 0);
    QCOMPARE(baseValues->pendingMeetingCode, QStringLiteral("123456789"));
    QVERIFY(joined.wait(2000));
    QCOMPARE(joined.first().first().toString(), QStringLiteral("会议SDK不可用"));
    QCOMPARE(manager->state(), 2);
    QVERIFY(baseValues->pendingMeetingCode.isEmpty());

    // The rest has nobody to ask and must simply not fall over.
    manager->logout();
    manager->leaveMeeting();
    manager->showScreenCastView();
    QCoreApplication::processEvents();
    QCOMPARE(initialised.count(), 0);
    QVERIFY(!WemeetSim::initRecord().received);
    QVERIFY(WemeetSim::calls().isEmpty());
}

void TestSdkBridge::missingSdkObjectIsStillReleasedAtShutdown()
{
    WemeetSim::setUnavailable(true);
    LogCapture log;
    WeMeetManager::instance()->uninitialize();
    QCOMPARE(WemeetSim::calls(), QStringList(QStringLiteral("Release")));
    QCOMPARE(WemeetSim::releaseCount(), 1);
    QVERIFY(log.lines().contains(QStringLiteral("Uninitialize")));
}

void TestSdkBridge::answersInsideTheCallFindTheStateReady_data()
{
    QTest::addColumn<bool>("waitingRoom");
    QTest::addColumn<QString>("joinFailure");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("payload");
    QTest::addColumn<bool>("pending");

    QTest::newRow("joined") << false << QString() << 4 << QString() << false;
    QTest::newRow("refused") << false << QStringLiteral("会议已结束") << 2 << QStringLiteral("会议已结束")
                             << false;
    QTest::newRow("waiting room") << true << QString() << 3 << QString() << true;
}

// An SDK may answer before its call returns; the manager must have noted the
// pending join and state 3 by then, or it would undo the answer.
void TestSdkBridge::answersInsideTheCallFindTheStateReady()
{
    QFETCH(bool, waitingRoom);
    QFETCH(QString, joinFailure);
    QFETCH(int, state);
    QFETCH(QString, payload);
    QFETCH(bool, pending);

    WemeetSim::setImmediate(true);
    // Without windows the waiting room's leave button answers inside the call too.
    WemeetSim::setHeadless(true);
    WeMeetManager *manager = WeMeetManager::instance();
    QSignalSpy initialised(manager, &WeMeetManager::OnSDKInitializeFinishSignal);
    WeMeetManager::initialize(baseValues->sdkId, baseValues->sdkToken, QStringLiteral("/tmp"),
                              baseValues->appName);
    QCOMPARE(initialised.count(), 1);
    QCOMPARE(manager->state(), 1);
    QCOMPARE(WemeetSim::meetingSettings(), (QList<QPair<int, int>>{{1, 0}, {0, 1}}));

    QSignalSpy login(manager, &WeMeetManager::OnLoginFinishSignal);
    manager->login();
    QCOMPARE(login.count(), 1);
    QCOMPARE(manager->state(), 2);

    WemeetSim::setWaitingRoom(waitingRoom);
    WemeetSim::setJoinFailure(joinFailure);
    QSignalSpy joined(manager, &WeMeetManager::OnJoinMeetingFinishSignal);
    manager->joinMeeting(QStringLiteral("123456789"), QStringLiteral("张三"), false, false, QString());
    QCOMPARE(manager->state(), state);
    QCOMPARE(joined.count(), waitingRoom ? 0 : 1);
    if (!waitingRoom)
        QCOMPARE(joined.first().first().toString(), payload);
    QCOMPARE(baseValues->pendingMeetingCode.isEmpty(), !pending);

    if (waitingRoom) {
        QSignalSpy leftWaiting(manager, &WeMeetManager::OnLeaveWaitingRoomFinishSignal);
        QVERIFY(WemeetSim::pressLeave());
        QCOMPARE(leftWaiting.count(), 1);
        QCOMPARE(manager->state(), 2);
        QVERIFY(baseValues->pendingMeetingCode.isEmpty());
    }
}

QTEST_MAIN(TestSdkBridge)
#include "tst_sdkbridge.moc"
