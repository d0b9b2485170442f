// The simulator's own rules, as the real SDK would keep them: results only
// through the callbacks, and checks of what it is given.

#include "sdktestsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTest>

#include <cstring>

using WemeetSim::Phase;

namespace {

// Writes each callback as "Name code msg".
class Recorder final : public ISDKCallback,
                       public IAuthenticationCallback,
                       public IPreMeetingCallback,
                       public IInMeetingCallback
{
public:
    QStringList events;

    void Initialize(int32_t code, const char *msg) override { add("Initialize", code, msg); }
    void SDKTokenExpired(const char *token) override { add("SDKTokenExpired", 0, token); }
    void SDKError(int32_t code, const char *msg) override { add("SDKError", code, msg); }
    void ShowLogsResult(int32_t code, const char *msg) override { add("ShowLogsResult", code, msg); }
    void ResetSDKState(int32_t code, const char *msg) override { add("ResetSDKState", code, msg); }
    void Login(int32_t code, const char *msg) override { add("Login", code, msg); }
    void Logout(int32_t type, int32_t code, const char *msg) override
    {
        add(QStringLiteral("Logout%1").arg(type).toLatin1().constData(), code, msg);
    }
    void JumpUrlWithLoginStatus(int32_t code, const char *msg) override { add("JumpUrl", code, msg); }
    void JoinMeeting(int32_t code, const char *msg, const char *) override { add("JoinMeeting", code, msg); }
    void ShowScreenCastViewResult(int32_t code, const char *msg) override { add("ScreenCast", code, msg); }
    void ActionResult(int32_t, int32_t code, const char *msg) override { add("ActionResult", code, msg); }
    void LeaveMeeting(int32_t, int32_t code, const char *msg, const char *) override
    {
        add("LeaveMeeting", code, msg);
    }
    void InviteMeeting(const char *info) override { add("InviteMeeting", 0, info); }
    void ShowMeetingInfo(const char *info) override { add("ShowMeetingInfo", 0, info); }

    // Code of the last event of that name: 0 success, -1 none.
    int lastCode(const QString &name) const
    {
        for (int i = events.size() - 1; i >= 0; --i) {
            if (events.at(i).startsWith(name + QLatin1Char(' ')))
                return events.at(i).section(QLatin1Char(' '), 1, 1).toInt();
        }
        return -1;
    }
    QString lastMessage(const QString &name) const
    {
        for (int i = events.size() - 1; i >= 0; --i) {
            if (events.at(i).startsWith(name + QLatin1Char(' ')))
                return events.at(i).section(QLatin1Char(' '), 2);
        }
        return QString();
    }

private:
    void add(const char *name, int code, const char *msg)
    {
        events << QStringLiteral("%1 %2 %3")
                      .arg(QLatin1String(name))
                      .arg(code)
                      .arg(QString::fromUtf8(msg ? msg : ""));
    }
};

enum class Op
{
    Initialize,
    Login,
    Logout,
    Join,
    ScreenCast,
    Leave
};

} // namespace

Q_DECLARE_METATYPE(Op)

class TestSdkSimulator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void resultsArriveOnlyThroughLaterCallbacks_data();
    void resultsArriveOnlyThroughLaterCallbacks();
    void operationsBeforeInitialisationFail_data();
    void operationsBeforeInitialisationFail();
    void guestMeetsWithoutSigningIn();
    void secondInitialisationKeepsTheSessionAndTakesTheNewToken();
    void initialisationChecksItsInput_data();
    void initialisationChecksItsInput();
    void signInNeedsAnAddress_data();
    void signInNeedsAnAddress();
    void joinChecksNumberAndNickname_data();
    void joinChecksNumberAndNickname();
    void secondJoinWhileInAMeetingFails();
    void callbackDelayIsHonoured();
    void uninitialiseDropsAnswersOnTheWay();
    void versionNeverOverflowsTheBuffer_data();
    void versionNeverOverflowsTheBuffer();
    void meetingWindowTogglesMicrophoneAndCamera();
    void closingTheMeetingWindowLeaves();
    void inviteButtonHiddenWhenNotWanted();
    void headlessSimulatorStillMeetsAndInvites();
    void scriptSetsFailuresAndWaits_data();
    void scriptSetsFailuresAndWaits();
    void unknownScriptKeyIsReported();
    void scriptCanTakeTheSdkAwayOrMakeItAnswerAtOnce();

private:
    IWemeetSDK *sdk() { return GetWemeetSDKInstance(); }
    void installCallbacks();
    void initialise();
    void signIn();
    void join(const char *code = "123456789", const char *nickname = "张三", bool showInvite = true);
    void run(Op op);

    Recorder m_rec;
};

void TestSdkSimulator::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestSdkSimulator::init()
{
    WemeetSim::reset();
    m_rec.events.clear();
}

void TestSdkSimulator::installCallbacks()
{
    sdk()->GetAuthenticationService()->SetCallback(&m_rec);
    sdk()->GetPreMeetingService()->SetCallback(&m_rec);
    sdk()->GetInMeetingService()->SetCallback(&m_rec);
}

void TestSdkSimulator::initialise()
{
    installCallbacks();
    WemeetSDKParams p;
    p.sdk_id = "id";
    p.sdk_token = "token";
    p.reserved_a = p.reserved_b = "";
    p.data_path = "/tmp/data/";
    p.app_name = "Vesk云会议";
    p.app_icon = "/tmp/icon/logo.ico";
    sdk()->Initialize(p, &m_rec);
    QTRY_COMPARE(m_rec.lastCode(QStringLiteral("Initialize")), 0);
    QVERIFY(sdk()->IsInitialized());
}

void TestSdkSimulator::signIn()
{
    initialise();
    sdk()->GetAuthenticationService()->Login("http://sso/?id_token=abc");
    QTRY_COMPARE(m_rec.lastCode(QStringLiteral("Login")), 0);
    QCOMPARE(WemeetSim::phase(), Phase::SignedIn);
}

void TestSdkSimulator::join(const char *code, const char *nickname, bool showInvite)
{
    signIn();
    WemeetJoinParam j;
    j.meeting_code = code;
    j.nickname = nickname;
    j.password = "";
    j.join_url = "";
    j.show_invite_button = showInvite;
    sdk()->GetPreMeetingService()->JoinMeeting(j);
    QTRY_COMPARE(m_rec.lastCode(QStringLiteral("JoinMeeting")), 0);
    QCOMPARE(WemeetSim::phase(), Phase::InMeeting);
}

void TestSdkSimulator::run(Op op)
{
    switch (op) {
    case Op::Initialize: {
        WemeetSDKParams p;
        p.sdk_id = "id";
        p.sdk_token = "token";
        sdk()->Initialize(p, &m_rec);
        break;
    }
    case Op::Login:
        sdk()->GetAuthenticationService()->Login("http://sso/?id_token=abc");
        break;
    case Op::Logout:
        sdk()->GetAuthenticationService()->Logout();
        break;
    case Op::Join: {
        WemeetJoinParam j;
        j.meeting_code = "123456789";
        j.nickname = "张三";
        sdk()->GetPreMeetingService()->JoinMeeting(j);
        break;
    }
    case Op::ScreenCast:
        sdk()->GetPreMeetingService()->ShowScreenCastView();
        break;
    case Op::Leave:
        sdk()->GetInMeetingService()->LeaveMeeting(0);
        break;
    }
}

void TestSdkSimulator::resultsArriveOnlyThroughLaterCallbacks_data()
{
    QTest::addColumn<Op>("op");
    QTest::addColumn<int>("stage"); // 0 nothing, 1 initialised, 2 signed in, 4 in a meeting
    QTest::addColumn<QString>("callback");

    QTest::newRow("initialise") << Op::Initialize << 0 << QStringLiteral("Initialize");
    QTest::newRow("sign in") << Op::Login << 1 << QStringLiteral("Login");
    QTest::newRow("sign out") << Op::Logout << 2 << QStringLiteral("Logout1");
    QTest::newRow("join") << Op::Join << 2 << QStringLiteral("JoinMeeting");
    QTest::newRow("screen cast") << Op::ScreenCast << 2 << QStringLiteral("ScreenCast");
    QTest::newRow("leave") << Op::Leave << 4 << QStringLiteral("LeaveMeeting");
}

void TestSdkSimulator::resultsArriveOnlyThroughLaterCallbacks()
{
    QFETCH(Op, op);
    QFETCH(int, stage);
    QFETCH(QString, callback);

    installCallbacks();
    if (stage == 1)
        initialise();
    else if (stage == 2)
        signIn();
    else if (stage == 4)
        join();
    m_rec.events.clear();

    run(op);
    QVERIFY2(m_rec.events.isEmpty(), qPrintable(m_rec.events.join(QLatin1Char('|'))));
    QVERIFY(WemeetSim::pendingCallbacks() > 0);
    QTRY_COMPARE(m_rec.lastCode(callback), 0);
}

void TestSdkSimulator::operationsBeforeInitialisationFail_data()
{
    QTest::addColumn<Op>("op");
    QTest::addColumn<QString>("callback");
    QTest::newRow("sign in") << Op::Login << QStringLiteral("Login");
    QTest::newRow("sign out") << Op::Logout << QStringLiteral("Logout1");
    QTest::newRow("join") << Op::Join << QStringLiteral("JoinMeeting");
    QTest::newRow("screen cast") << Op::ScreenCast << QStringLiteral("ScreenCast");
    QTest::newRow("leave") << Op::Leave << QStringLiteral("LeaveMeeting");
}

void TestSdkSimulator::operationsBeforeInitialisationFail()
{
    QFETCH(Op, op);
    QFETCH(QString, callback);
    installCallbacks();
    run(op);
    QTRY_VERIFY(m_rec.lastCode(callback) > 0);
    QVERIFY(!m_rec.lastMessage(callback).isEmpty());
    QCOMPARE(WemeetSim::phase(), Phase::NotInitialized);
    QVERIFY(!WemeetSim::meetingWindow());
    QVERIFY(!WemeetSim::screenCastWindow());
}

void TestSdkSimulator::guestMeetsWithoutSigningIn()
{
    WemeetSim::setHeadless(true);
    initialise();
    // The screen-cast view needs an account; a sign-out without one is
    // already done and says so.
    run(Op::ScreenCast);
    QTRY_VERIFY(m_rec.lastCode(QStringLiteral("ScreenCast")) > 0);
    QCOMPARE(m_rec.lastMessage(QStringLiteral("ScreenCast")), QStringLiteral("未登录"));
    run(Op::Logout);
    QTRY_COMPARE(m_rec.lastCode(QStringLiteral("Logout1")), 0);
    QCOMPARE(WemeetSim::phase(), Phase::Initialized);

    run(Op::Join);
    QTRY_COMPARE(m_rec.lastCode(QStringLiteral("JoinMeeting")), 0);
    QCOMPARE(WemeetSim::phase(), Phase::InMeeting);
    QVERIFY(!WemeetSim::signedIn());
    QVERIFY(!WemeetSim::triggerForcedLogout()); // nobody to sign out
    run(Op::Leave);
    QTRY_COMPARE(m_rec.lastCode(QStringLiteral("LeaveMeeting")), 0);
    QCOMPARE(WemeetSim::phase(), Phase::Initialized);

    // Met again, then signed out while still in the meeting: the meeting ends with it.
    run(Op::Join);
    QTRY_COMPARE(WemeetSim::phase(), Phase::InMeeting);
    m_rec.events.clear();
    run(Op::Logout);
    QTRY_COMPARE(m_rec.lastCode(QStringLiteral("Logout1")), 0);
    QCOMPARE(WemeetSim::phase(), Phase::Initialized);
    QCOMPARE(m_rec.lastCode(QStringLiteral("LeaveMeeting")), -1);
}

void TestSdkSimulator::secondInitialisationKeepsTheSessionAndTakesTheNewToken()
{
    signIn();
    m_rec.events.clear();
    WemeetSDKParams p;
    p.sdk_id = "id";
    p.sdk_token = "guest-token";
    sdk()->Initialize(p, &m_rec);
    QTRY_COMPARE(m_rec.lastCode(QStringLiteral("Initialize")), 0);
    QCOMPARE(WemeetSim::phase(), Phase::SignedIn);
    QCOMPARE(WemeetSim::initRecord().sdkToken, QStringLiteral("guest-token"));
    WemeetSim::raiseTokenExpired();
    QTRY_COMPARE(m_rec.lastMessage(QStringLiteral("SDKTokenExpired")), QStringLiteral("guest-token"));
}

void TestSdkSimulator::initialisationChecksItsInput_data()
{
    QTest::addColumn<QByteArray>("id");
    QTest::addColumn<QByteArray>("token");
    QTest::addColumn<bool>("nullId");
    QTest::addColumn<QString>("message");

    QTest::newRow("null id") << QByteArray() << QByteArray("t") << true << QStringLiteral("SDK ID为空");
    QTest::newRow("empty id") << QByteArray("") << QByteArray("t") << false << QStringLiteral("SDK ID为空");
    QTest::newRow("empty token") << QByteArray("id") << QByteArray("") << false
                                 << QStringLiteral("SDK Token为空");
    QTest::newRow("blank token") << QByteArray("id") << QByteArray("  ") << false
                                 << QStringLiteral("SDK Token为空");
}

void TestSdkSimulator::initialisationChecksItsInput()
{
    QFETCH(QByteArray, id);
    QFETCH(QByteArray, token);
    QFETCH(bool, nullId);
    QFETCH(QString, message);

    WemeetSDKParams p;
    p.sdk_id = nullId ? nullptr : id.constData();
    p.sdk_token = token.constData();
    sdk()->Initialize(p, &m_rec);
    QTRY_VERIFY(m_rec.lastCode(QStringLiteral("Initialize")) > 0);
    QCOMPARE(m_rec.lastMessage(QStringLiteral("Initialize")), message);
    QVERIFY(!sdk()->IsInitialized());
    QCOMPARE(WemeetSim::initRecord().nullTexts.contains(QStringLiteral("sdk_id")), nullId);
}

void TestSdkSimulator::signInNeedsAnAddress_data()
{
    QTest::addColumn<bool>("null");
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<QString>("message");
    const QString none = QStringLiteral("登录地址为空");
    QTest::newRow("null") << true << QByteArray() << none;
    QTest::newRow("empty") << false << QByteArray("") << none;
    QTest::newRow("blank") << false << QByteArray("   ") << none;
    QTest::newRow("id token missing")
        << false << QByteArray("http://127.0.0.1:9/sso/login?id_token=") << QStringLiteral("登录凭证无效");
}

void TestSdkSimulator::signInNeedsAnAddress()
{
    QFETCH(bool, null);
    QFETCH(QByteArray, address);
    QFETCH(QString, message);
    initialise();
    sdk()->GetAuthenticationService()->Login(null ? nullptr : address.constData());
    QTRY_VERIFY(m_rec.lastCode(QStringLiteral("Login")) > 0);
    QCOMPARE(m_rec.lastMessage(QStringLiteral("Login")), message);
    QCOMPARE(WemeetSim::phase(), Phase::Initialized);
    QVERIFY(!WemeetSim::signedIn());
}

void TestSdkSimulator::joinChecksNumberAndNickname_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<QByteArray>("nickname");
    QTest::addColumn<QString>("message");

    const QString badNumber = QStringLiteral("会议号格式错误");
    QTest::newRow("empty number") << QByteArray("") << QByteArray("n") << badNumber;
    QTest::newRow("letters") << QByteArray("12a") << QByteArray("n") << badNumber;
    QTest::newRow("grouped with spaces") << QByteArray("123  456  789") << QByteArray("n") << badNumber;
    QTest::newRow("full-width digits") << QStringLiteral("１２３").toUtf8() << QByteArray("n") << badNumber;
    QTest::newRow("negative") << QByteArray("-123") << QByteArray("n") << badNumber;
    QTest::newRow("empty nickname") << QByteArray("123") << QByteArray("") << QStringLiteral("昵称为空");
    QTest::newRow("blank nickname") << QByteArray("123") << QByteArray("  ") << QStringLiteral("昵称为空");
}

void TestSdkSimulator::joinChecksNumberAndNickname()
{
    QFETCH(QByteArray, code);
    QFETCH(QByteArray, nickname);
    QFETCH(QString, message);

    signIn();
    WemeetJoinParam j;
    j.meeting_code = code.constData();
    j.nickname = nickname.constData();
    sdk()->GetPreMeetingService()->JoinMeeting(j);
    QTRY_VERIFY(m_rec.lastCode(QStringLiteral("JoinMeeting")) > 0);
    QCOMPARE(m_rec.lastMessage(QStringLiteral("JoinMeeting")), message);
    QCOMPARE(WemeetSim::phase(), Phase::SignedIn);
    QVERIFY(!WemeetSim::meetingWindow());
}

void TestSdkSimulator::secondJoinWhileInAMeetingFails()
{
    join();
    m_rec.events.clear();
    run(Op::Join);
    QTRY_VERIFY(m_rec.lastCode(QStringLiteral("JoinMeeting")) > 0);
    QCOMPARE(WemeetSim::phase(), Phase::InMeeting);
}

void TestSdkSimulator::callbackDelayIsHonoured()
{
    installCallbacks();
    WemeetSim::setCallbackDelayMs(60);
    QElapsedTimer clock;
    clock.start();
    run(Op::Initialize);
    QTRY_COMPARE(m_rec.lastCode(QStringLiteral("Initialize")), 0);
    QVERIFY(clock.elapsed() >= 55);
}

void TestSdkSimulator::uninitialiseDropsAnswersOnTheWay()
{
    initialise();
    m_rec.events.clear();
    run(Op::Login);
    sdk()->Uninitialize();
    QTRY_COMPARE(WemeetSim::pendingCallbacks(), 0);
    QVERIFY(m_rec.events.isEmpty());
    QVERIFY(!sdk()->IsInitialized());
}

void TestSdkSimulator::versionNeverOverflowsTheBuffer_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("limit");
    QTest::newRow("size unknown (-1)") << -1 << 20;
    QTest::newRow("exactly 20") << 20 << 20;
    QTest::newRow("larger than 20") << 64 << 20;
    QTest::newRow("small buffer") << 5 << 5;
    QTest::newRow("one byte") << 1 << 1;
    QTest::newRow("no room") << 0 << 0;
}

void TestSdkSimulator::versionNeverOverflowsTheBuffer()
{
    QFETCH(int, size);
    QFETCH(int, limit);
    char buffer[80];
    std::memset(buffer, 'x', sizeof(buffer));
    GetWemeetSDKVersion(buffer, size);
    for (int i = limit; i < int(sizeof(buffer)); ++i)
        QCOMPARE(buffer[i], 'x');
    if (limit > 0) {
        const void *end = std::memchr(buffer, '\0', size_t(limit));
        QVERIFY(end);
        const QByteArray text(buffer);
        QVERIFY(QByteArray("3.6.0.532-sim").startsWith(text));
        QCOMPARE(text.size(), qMin(limit - 1, 13));
    }
}

void TestSdkSimulator::meetingWindowTogglesMicrophoneAndCamera()
{
    join();
    WemeetSim::SimWindow *w = WemeetSim::meetingWindow();
    QVERIFY(w);
    const QString mic = QStringLiteral("simMicLabel");
    const QString camera = QStringLiteral("simCameraLabel");
    QTRY_COMPARE(w->text(mic), QStringLiteral("麦克风：关"));
    w->click(QStringLiteral("simMicButton"));
    QTRY_COMPARE(w->text(mic), QStringLiteral("麦克风：开"));
    QCOMPARE(w->text(camera), QStringLiteral("摄像头：关"));
    w->click(QStringLiteral("simCameraButton"));
    QTRY_COMPARE(w->text(camera), QStringLiteral("摄像头：开"));
    w->click(QStringLiteral("simMicButton"));
    QTRY_COMPARE(w->text(mic), QStringLiteral("麦克风：关"));
    QCOMPARE(w->text(camera), QStringLiteral("摄像头：开"));
}

void TestSdkSimulator::closingTheMeetingWindowLeaves()
{
    join();
    m_rec.events.clear();
    QTRY_VERIFY(WemeetSim::meetingWindow()->isVisible());
    WemeetSim::meetingWindow()->close();
    QTRY_COMPARE_WITH_TIMEOUT(m_rec.lastCode(QStringLiteral("LeaveMeeting")), 0, 5000);
    QCOMPARE(WemeetSim::phase(), Phase::SignedIn);
    QTRY_VERIFY(!WemeetSim::meetingWindow());
}

void TestSdkSimulator::inviteButtonHiddenWhenNotWanted()
{
    join("123456789", "张三", false);
    WemeetSim::SimWindow *w = WemeetSim::meetingWindow();
    QVERIFY(w);
    QTRY_VERIFY(w->isVisible());
    QCOMPARE(w->text(QStringLiteral("simInviteButton")), QStringLiteral("邀请"));
    QVERIFY(!w->isChildVisible(QStringLiteral("simInviteButton")));
    QVERIFY(w->isChildVisible(QStringLiteral("simLeaveButton")));
}

void TestSdkSimulator::headlessSimulatorStillMeetsAndInvites()
{
    WemeetSim::setHeadless(true);
    join();
    QVERIFY(!WemeetSim::meetingWindow());
    QVERIFY(WemeetSim::pressInvite());
    QTRY_VERIFY(m_rec.lastCode(QStringLiteral("InviteMeeting")) == 0);
    QVERIFY(m_rec.lastMessage(QStringLiteral("InviteMeeting"))
                .contains(QLatin1String("\"meeting_code\":\"123456789\"")));
    QVERIFY(WemeetSim::pressLeave());
    QTRY_COMPARE(m_rec.lastCode(QStringLiteral("LeaveMeeting")), 0);
    QVERIFY(!WemeetSim::pressLeave());
    QVERIFY(!WemeetSim::pressInvite());
}

void TestSdkSimulator::scriptSetsFailuresAndWaits_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<Op>("op");
    QTest::addColumn<int>("stage");
    QTest::addColumn<QString>("callback");
    QTest::addColumn<QString>("message"); // "" means success

    QTest::newRow("init_fail") << QStringLiteral("init_fail=许可证过期") << Op::Initialize << 0
                               << QStringLiteral("Initialize") << QStringLiteral("许可证过期");
    QTest::newRow("login_fail") << QStringLiteral("delay_ms=0;login_fail=账号被禁用") << Op::Login << 1
                                << QStringLiteral("Login") << QStringLiteral("账号被禁用");
    QTest::newRow("join_fail") << QStringLiteral(" join_fail=会议已锁定 ; delay_ms=3") << Op::Join << 2
                               << QStringLiteral("JoinMeeting") << QStringLiteral("会议已锁定 ");
    QTest::newRow("logout_fail") << QStringLiteral("logout_fail=稍后再试") << Op::Logout << 2
                                 << QStringLiteral("Logout1") << QStringLiteral("稍后再试");
    QTest::newRow("empty value clears") << QStringLiteral("login_fail=x;login_fail=") << Op::Login << 1
                                        << QStringLiteral("Login") << QString();
}

void TestSdkSimulator::scriptSetsFailuresAndWaits()
{
    QFETCH(QString, script);
    QFETCH(Op, op);
    QFETCH(int, stage);
    QFETCH(QString, callback);
    QFETCH(QString, message);

    installCallbacks();
    if (stage == 1)
        initialise();
    else if (stage == 2)
        signIn();
    m_rec.events.clear();
    WemeetSim::applyScript(script);
    run(op);
    QTRY_VERIFY(m_rec.lastCode(callback) >= 0);
    if (message.isEmpty()) {
        QCOMPARE(m_rec.lastCode(callback), 0);
    } else {
        QVERIFY(m_rec.lastCode(callback) > 0);
        QCOMPARE(m_rec.lastMessage(callback), message);
    }
}

void TestSdkSimulator::unknownScriptKeyIsReported()
{
    QTest::ignoreMessage(QtWarningMsg, "VESK_SDK_SIM: unknown key no_such_key");
    WemeetSim::applyScript(QStringLiteral("no_such_key=1;waiting_room=1;admit_after_ms=300"));
    installCallbacks();
    signIn();
    run(Op::Join);
    QTRY_COMPARE(WemeetSim::phase(), Phase::Waiting);
    // Admitted by itself after the scripted wait.
    QTRY_COMPARE(m_rec.lastCode(QStringLiteral("JoinMeeting")), 0);
    QCOMPARE(WemeetSim::phase(), Phase::InMeeting);
}

void TestSdkSimulator::scriptCanTakeTheSdkAwayOrMakeItAnswerAtOnce()
{
    WemeetSim::applyScript(QStringLiteral("unavailable=1"));
    QVERIFY(GetWemeetSDKInstance() == nullptr);

    WemeetSim::applyScript(QStringLiteral("unavailable=0;immediate=1"));
    QVERIFY(GetWemeetSDKInstance() != nullptr);
    installCallbacks();
    run(Op::Initialize);
    QCOMPARE(m_rec.lastCode(QStringLiteral("Initialize")), 0);
    run(Op::Login);
    QCOMPARE(m_rec.lastCode(QStringLiteral("Login")), 0);
    QCOMPARE(WemeetSim::pendingCallbacks(), 0);
    QCOMPARE(WemeetSim::phase(), Phase::SignedIn);
}

QTEST_MAIN(TestSdkSimulator)
#include "tst_sdksimulator.moc"
