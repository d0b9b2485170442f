// The manager's state table and callback rows, driven by calling the
// callbacks as the SDK would.

#include "sdktestsupport.h"

#include <QApplication>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

using Fire = std::function<void(WeMeetManager *)>;
Q_DECLARE_METATYPE(Fire)

namespace {

// One spy per signal of the manager, by name.
struct SignalSpies
{
    explicit SignalSpies(WeMeetManager *manager)
    {
        const QMetaObject *meta = manager->metaObject();
        for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
            const QMetaMethod method = meta->method(i);
            if (method.methodType() != QMetaMethod::Signal)
                continue;
            spies.emplace_back(method.name(), std::make_unique<QSignalSpy>(
                                                  manager, ("2" + method.methodSignature()).constData()));
        }
    }

    // Names of the signals that fired, with the payload of the last one.
    QStringList fired(QString *payload) const
    {
        QStringList names;
        for (const auto &entry : spies) {
            if (entry.second->isEmpty())
                continue;
            names << QString::fromLatin1(entry.first) + QStringLiteral("x%1").arg(entry.second->count());
            const QList<QVariant> args = entry.second->constLast();
            if (!args.isEmpty())
                *payload = args.first().toString();
        }
        return names;
    }

    std::vector<std::pair<QByteArray, std::unique_ptr<QSignalSpy>>> spies;
};

} // namespace

class TestWeMeetManager : public QObject
{
    Q_OBJECT

private slots:
    void singletonIsCreatedOnceEvenWhenAskedFromManyThreads();
    void initTestCase();
    void init();

    void callbackRowsChangeStateEmitAndLog_data();
    void callbackRowsChangeStateEmitAndLog();
    void nullTextsBecomeEmptyStrings();
    void failureWithoutMessageNeverReadsAsSuccess_data();
    void failureWithoutMessageNeverReadsAsSuccess();
    void joinCallbackClearsPendingMeetingCode_data();
    void joinCallbackClearsPendingMeetingCode();
    void leavingTheWaitingRoomClearsPendingMeetingCode();
    void completedSignOutEndsAPendingJoin_data();
    void completedSignOutEndsAPendingJoin();
    void signaturesConnectAsTheCoordinatorUsesThem_data();
    void signaturesConnectAsTheCoordinatorUsesThem();

private:
    std::unique_ptr<LogCapture> m_log;
};

void TestWeMeetManager::singletonIsCreatedOnceEvenWhenAskedFromManyThreads()
{
    std::atomic<bool> go{false};
    std::vector<WeMeetManager *> seen(8, nullptr);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i) {
        threads.emplace_back([&, i] {
            while (!go.load())
                std::this_thread::yield();
            seen[i] = WeMeetManager::instance();
        });
    }
    go = true;
    for (auto &t : threads)
        t.join();
    WeMeetManager *manager = WeMeetManager::instance();
    for (WeMeetManager *m : seen)
        QCOMPARE(m, manager);
    QCOMPARE(manager->state(), 0);
    QVERIFY(manager->parent() == nullptr);
    // Whoever asked first, its signals belong to the GUI thread.
    QCOMPARE(manager->thread(), qApp->thread());
}

void TestWeMeetManager::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    m_log = std::make_unique<LogCapture>();
}

void TestWeMeetManager::init()
{
    resetSdkWorld();
    m_log->clear();
}

void TestWeMeetManager::callbackRowsChangeStateEmitAndLog_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<Fire>("fire");
    QTest::addColumn<int>("after");
    QTest::addColumn<QString>("signal"); // "" for none
    QTest::addColumn<QString>("payload");
    QTest::addColumn<QString>("logLine");

    auto row = [](const char *name, int before, Fire fire, int after, const char *signal,
                  const QString &payload, const QString &line) {
        QTest::newRow(name) << before << fire << after << QString::fromLatin1(signal) << payload << line;
    };
    const QString none;

    row(
        "initialise succeeds", 0, [](WeMeetManager *m) { m->Initialize(0, "ok"); }, 1,
        "OnSDKInitializeFinishSignal", none, "WeMeetManager...Initialize...code=  0  msg=  ok");
    // Waiting screens hear of a failed initialisation at once instead of
    // after their time-out.
    row(
        "failed initialisation is reported", 0, [](WeMeetManager *m) { m->Initialize(1001, "bad id"); }, 0,
        "OnSDKInitializeFailedSignal", QStringLiteral("bad id"),
        "WeMeetManager...Initialize...code=  1001  msg=  bad id");
    row(
        "failed initialisation drops to state 0", 1, [](WeMeetManager *m) { m->Initialize(7, "x"); }, 0,
        "OnSDKInitializeFailedSignal", QStringLiteral("x"), "WeMeetManager...Initialize...code=  7  msg=  x");
    row(
        "token expiry only logs", 2, [](WeMeetManager *m) { m->SDKTokenExpired("tok-1"); }, 2, "", none,
        "WeMeetManager...SDKTokenExpired...sdk_token =  tok-1");
    row(
        "sdk error with code 0 is quiet", 2, [](WeMeetManager *m) { m->SDKError(0, "fine"); }, 2, "", none,
        "WeMeetManager...SDKError...code =  0  msg =  fine");
    row(
        "sdk error reaches the screens", 2, [](WeMeetManager *m) { m->SDKError(12, "网络异常"); }, 2,
        "OnSDKErrorSignal", QStringLiteral("网络异常"),
        QStringLiteral("WeMeetManager...SDKError...code =  12  msg =  网络异常"));
    row(
        "show logs result only logs", 1, [](WeMeetManager *m) { m->ShowLogsResult(3, "logs"); }, 1, "", none,
        "WeMeetManager...ShowLogsResult...code =  3  msg =  logs");
    row(
        "sdk reset succeeded is quiet", 1, [](WeMeetManager *m) { m->ResetSDKState(0, "done"); }, 1, "", none,
        "WeMeetManager...ResetSDKState...code =  0  msg =  done");
    row(
        "failed sdk reset is an sdk error", 1, [](WeMeetManager *m) { m->ResetSDKState(4, "重置失败"); }, 1,
        "OnSDKErrorSignal", QStringLiteral("重置失败"),
        QStringLiteral("WeMeetManager...ResetSDKState...code =  4  msg =  重置失败"));
    row(
        "sign-in succeeds", 1, [](WeMeetManager *m) { m->Login(0, "welcome"); }, 2, "OnLoginFinishSignal",
        none, "WeMeetManager...Login...code=  0  msg= welcome");
    row(
        "sign-in fails with the sdk message", 1, [](WeMeetManager *m) { m->Login(2001, "账号已冻结"); }, 1,
        "OnLoginFinishSignal", QStringLiteral("账号已冻结"),
        QStringLiteral("WeMeetManager...Login...code=  2001  msg= 账号已冻结"));
    row(
        "requested sign-out", 2, [](WeMeetManager *m) { m->Logout(1, 0, ""); }, 1, "OnLogoutFinishSignal",
        none, "WeMeetManager...Logout...type =  1  code = 0  msg =  ");
    row(
        "forced sign-out leaves the sdk initialised", 4, [](WeMeetManager *m) { m->Logout(2, 0, "kicked"); },
        1, "OnForcedLogoutFinishSignal", none, "WeMeetManager...Logout...type =  2  code = 0  msg =  kicked");
    row(
        "failed requested sign-out is reported", 2, [](WeMeetManager *m) { m->Logout(1, 5, "busy"); }, 2,
        "OnLogoutFailedSignal", QStringLiteral("busy"),
        "WeMeetManager...Logout...type =  1  code = 5  msg =  busy");
    row(
        "failed forced sign-out changes nothing", 2, [](WeMeetManager *m) { m->Logout(2, 5, "busy"); }, 2, "",
        none, "WeMeetManager...Logout...type =  2  code = 5  msg =  busy");
    row(
        "unknown sign-out type changes nothing", 2, [](WeMeetManager *m) { m->Logout(3, 0, ""); }, 2, "",
        none, "WeMeetManager...Logout...type =  3  code = 0  msg =  ");
    row(
        "jump url only logs", 2, [](WeMeetManager *m) { m->JumpUrlWithLoginStatus(0, "u"); }, 2, "", none,
        "WeMeetManager...JumpUrlWithLoginStatus...code =  0  msg =  u");
    row(
        "join succeeds", 3, [](WeMeetManager *m) { m->JoinMeeting(0, "", "123456789"); }, 4,
        "OnJoinMeetingFinishSignal", none,
        "WeMeetManager...JoinMeeting...code =  0  msg =    meeting_code =  123456789");
    row(
        "join fails back to signed in", 3, [](WeMeetManager *m) { m->JoinMeeting(3001, "会议不存在", "1"); },
        2, "OnJoinMeetingFinishSignal", QStringLiteral("会议不存在"),
        QStringLiteral("WeMeetManager...JoinMeeting...code =  3001  msg =  会议不存在  meeting_code =  1"));
    row(
        "screen cast result only logs", 2, [](WeMeetManager *m) { m->ShowScreenCastViewResult(0, ""); }, 2,
        "", none, "WeMeetManager...ShowScreenCastViewResult...code =  0  msg =  ");
    row(
        "action result only logs", 4, [](WeMeetManager *m) { m->ActionResult(6, 0, "a"); }, 4, "", none,
        "WeMeetManager...ActionResult...ActionResult = 6  code =  0  msg =  a");
    row(
        "meeting left", 4, [](WeMeetManager *m) { m->LeaveMeeting(1, 0, "", "42"); }, 2,
        "OnLeaveMeetingFinishSignal", none,
        "WeMeetManager...LeaveMeeting...type =  1  code =  0  msg =    meeting_code =  42");
    row(
        "waiting room left", 3, [](WeMeetManager *m) { m->LeaveMeeting(2, 0, "", "42"); }, 2,
        "OnLeaveWaitingRoomFinishSignal", none,
        "WeMeetManager...LeaveMeeting...type =  2  code =  0  msg =    meeting_code =  42");
    row(
        "failed leave changes nothing", 4, [](WeMeetManager *m) { m->LeaveMeeting(1, 9, "no", "42"); }, 4, "",
        none, "WeMeetManager...LeaveMeeting...type =  1  code =  9  msg =  no  meeting_code =  42");
    row(
        "failed waiting-room leave changes nothing", 3,
        [](WeMeetManager *m) { m->LeaveMeeting(1, 9, "no", "42"); }, 3, "", none,
        "WeMeetManager...LeaveMeeting...type =  1  code =  9  msg =  no  meeting_code =  42");
    row(
        "leave after a failed join emits nothing", 2,
        [](WeMeetManager *m) { m->LeaveMeeting(1, 0, "", "42"); }, 2, "", none,
        "WeMeetManager...LeaveMeeting...type =  1  code =  0  msg =    meeting_code =  42");
    row(
        "leave while only initialised emits nothing", 1,
        [](WeMeetManager *m) { m->LeaveMeeting(1, 0, "", ""); }, 1, "", none,
        "WeMeetManager...LeaveMeeting...type =  1  code =  0  msg =    meeting_code =  ");
    row(
        "invitation goes to the coordinator", 4,
        [](WeMeetManager *m) { m->InviteMeeting(R"({"meeting_code":"42","subject":"周会"})"); }, 4,
        "OnShareToMeetingFinishSignal", QStringLiteral(R"({"meeting_code":"42","subject":"周会"})"),
        QStringLiteral(
            R"(WeMeetManager...InviteMeeting...invite_info =  {"meeting_code":"42","subject":"周会"})"));
    row(
        "meeting info only logs", 4, [](WeMeetManager *m) { m->ShowMeetingInfo("{}"); }, 4, "", none,
        "WeMeetManager...ShowMeetingInfo...meeting_info =  {}");
}

void TestWeMeetManager::callbackRowsChangeStateEmitAndLog()
{
    QFETCH(int, before);
    QFETCH(Fire, fire);
    QFETCH(int, after);
    QFETCH(QString, signal);
    QFETCH(QString, payload);
    QFETCH(QString, logLine);

    WeMeetManager *manager = WeMeetManager::instance();
    manager->setState(WeMeetManager::State(before));
    SignalSpies spies(manager);

    // What a slot sees when the signal arrives: the line already written and
    // the state already changed.
    QStringList linesAtSignal;
    int stateAtSignal = -1;
    QObject context;
    auto seen = [&] {
        linesAtSignal = m_log->lines();
        stateAtSignal = manager->state();
    };
    connect(manager, &WeMeetManager::OnSDKInitializeFinishSignal, &context, seen);
    connect(manager, &WeMeetManager::OnLoginFinishSignal, &context, seen);
    connect(manager, &WeMeetManager::OnJoinMeetingFinishSignal, &context, seen);
    connect(manager, &WeMeetManager::OnLeaveMeetingFinishSignal, &context, seen);
    connect(manager, &WeMeetManager::OnLeaveWaitingRoomFinishSignal, &context, seen);
    connect(manager, &WeMeetManager::OnLogoutFinishSignal, &context, seen);
    connect(manager, &WeMeetManager::OnForcedLogoutFinishSignal, &context, seen);
    connect(manager, &WeMeetManager::OnShareToMeetingFinishSignal, &context, seen);
    connect(manager, &WeMeetManager::OnSDKErrorSignal, &context, seen);
    connect(manager, &WeMeetManager::OnSDKInitializeFailedSignal, &context, seen);
    connect(manager, &WeMeetManager::OnLogoutFailedSignal, &context, seen);

    fire(manager);

    QCOMPARE(manager->state(), after);
    QString got;
    const QStringList fired = spies.fired(&got);
    if (signal.isEmpty()) {
        QCOMPARE(fired, QStringList());
    } else {
        QCOMPARE(fired, QStringList(signal + QStringLiteral("x1")));
        QCOMPARE(got, payload);
        QVERIFY(linesAtSignal.contains(logLine));
        QCOMPARE(stateAtSignal, after);
    }
    QVERIFY2(m_log->lines() == QStringList(logLine),
             qPrintable(QStringLiteral("expected only \"%1\", got %2")
                            .arg(logLine, m_log->lines().join(QLatin1Char('|')))));
}

void TestWeMeetManager::nullTextsBecomeEmptyStrings()
{
    WeMeetManager *manager = WeMeetManager::instance();
    QSignalSpy share(manager, &WeMeetManager::OnShareToMeetingFinishSignal);
    manager->InviteMeeting(nullptr);
    QCOMPARE(share.count(), 1);
    QVERIFY(share.first().first().toString().isEmpty());

    manager->setState(WeMeetManager::State(1));
    QSignalSpy login(manager, &WeMeetManager::OnLoginFinishSignal);
    manager->Login(0, nullptr);
    QCOMPARE(login.count(), 1);
    QVERIFY(login.first().first().toString().isEmpty());
    QCOMPARE(manager->state(), 2);

    manager->setState(WeMeetManager::State(4));
    manager->LeaveMeeting(1, 0, nullptr, nullptr);
    QCOMPARE(manager->state(), 2);
    QVERIFY(m_log->lines().contains(
        QStringLiteral("WeMeetManager...LeaveMeeting...type =  1  code =  0  msg =    meeting_code =  ")));
}

void TestWeMeetManager::failureWithoutMessageNeverReadsAsSuccess_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<Fire>("fire");
    QTest::addColumn<QString>("signal");
    QTest::addColumn<QString>("payload");
    QTest::addColumn<int>("after");

    QTest::newRow("sign-in") << 1 << Fire([](WeMeetManager *m) { m->Login(2001, nullptr); })
                             << QStringLiteral("OnLoginFinishSignal") << QStringLiteral("会议SDK错误：2001")
                             << 1;
    QTest::newRow("sign-in, empty text")
        << 1 << Fire([](WeMeetManager *m) { m->Login(2001, ""); }) << QStringLiteral("OnLoginFinishSignal")
        << QStringLiteral("会议SDK错误：2001") << 1;
    QTest::newRow("join") << 3 << Fire([](WeMeetManager *m) { m->JoinMeeting(3001, nullptr, "1"); })
                          << QStringLiteral("OnJoinMeetingFinishSignal")
                          << QStringLiteral("会议SDK错误：3001") << 2;
    QTest::newRow("join, negative code")
        << 3 << Fire([](WeMeetManager *m) { m->JoinMeeting(-7, "", "1"); })
        << QStringLiteral("OnJoinMeetingFinishSignal") << QStringLiteral("会议SDK错误：-7") << 2;
    QTest::newRow("sdk error") << 2 << Fire([](WeMeetManager *m) { m->SDKError(5, ""); })
                               << QStringLiteral("OnSDKErrorSignal") << QStringLiteral("会议SDK错误：5") << 2;
    QTest::newRow("sdk reset") << 2 << Fire([](WeMeetManager *m) { m->ResetSDKState(6, nullptr); })
                               << QStringLiteral("OnSDKErrorSignal") << QStringLiteral("会议SDK错误：6") << 2;
}

void TestWeMeetManager::failureWithoutMessageNeverReadsAsSuccess()
{
    QFETCH(int, before);
    QFETCH(Fire, fire);
    QFETCH(QString, signal);
    QFETCH(QString, payload);
    QFETCH(int, after);

    WeMeetManager *manager = WeMeetManager::instance();
    manager->setState(WeMeetManager::State(before));
    SignalSpies spies(manager);
    fire(manager);

    QString got;
    QCOMPARE(spies.fired(&got), QStringList(signal + QStringLiteral("x1")));
    QCOMPARE(got, payload);
    QCOMPARE(manager->state(), after);
}

void TestWeMeetManager::joinCallbackClearsPendingMeetingCode_data()
{
    QTest::addColumn<int>("code");
    QTest::newRow("success") << 0;
    QTest::newRow("failure") << 3001;
}

void TestWeMeetManager::joinCallbackClearsPendingMeetingCode()
{
    QFETCH(int, code);
    WeMeetManager *manager = WeMeetManager::instance();
    manager->setState(WeMeetManager::State(3));
    baseValues->pendingMeetingCode = QStringLiteral("987654321");
    manager->JoinMeeting(code, code ? "x" : "", "987654321");
    QVERIFY(baseValues->pendingMeetingCode.isEmpty());
}

void TestWeMeetManager::leavingTheWaitingRoomClearsPendingMeetingCode()
{
    WeMeetManager *manager = WeMeetManager::instance();
    manager->setState(WeMeetManager::State(3));
    baseValues->pendingMeetingCode = QStringLiteral("555");
    manager->LeaveMeeting(1, 7, "failed", "555");
    QCOMPARE(baseValues->pendingMeetingCode, QStringLiteral("555"));
    manager->LeaveMeeting(1, 0, "", "555");
    QVERIFY(baseValues->pendingMeetingCode.isEmpty());
    QCOMPARE(manager->state(), 2);
}

void TestWeMeetManager::completedSignOutEndsAPendingJoin_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("cleared");
    QTest::newRow("forced") << 2 << 0 << true;
    QTest::newRow("requested") << 1 << 0 << true;
    QTest::newRow("failed forced") << 2 << 4 << false;
    QTest::newRow("unknown type") << 7 << 0 << false;
}

void TestWeMeetManager::completedSignOutEndsAPendingJoin()
{
    QFETCH(int, type);
    QFETCH(int, code);
    QFETCH(bool, cleared);
    WeMeetManager *manager = WeMeetManager::instance();
    manager->setState(WeMeetManager::State(3));
    baseValues->pendingMeetingCode = QStringLiteral("123456789");
    manager->Logout(type, code, "");
    QCOMPARE(baseValues->pendingMeetingCode.isEmpty(), cleared);
    QCOMPARE(manager->state(), cleared ? 1 : 3);
}

// The start-up and the coordinator connect to the manager by signature.
void TestWeMeetManager::signaturesConnectAsTheCoordinatorUsesThem_data()
{
    QTest::addColumn<QByteArray>("signature");
    QTest::addColumn<Fire>("fire");
    QTest::addColumn<int>("before");
    QTest::addColumn<QString>("payload");

    QTest::newRow("leave") << QByteArray("OnLeaveMeetingFinishSignal(QString)")
                           << Fire([](WeMeetManager *m) { m->LeaveMeeting(1, 0, "", "9"); }) << 4
                           << QString();
    QTest::newRow("leave waiting room")
        << QByteArray("OnLeaveWaitingRoomFinishSignal(QString)")
        << Fire([](WeMeetManager *m) { m->LeaveMeeting(1, 0, "", "9"); }) << 3 << QString();
    QTest::newRow("sign-out") << QByteArray("OnLogoutFinishSignal()")
                              << Fire([](WeMeetManager *m) { m->Logout(1, 0, ""); }) << 2 << QString();
    QTest::newRow("forced sign-out") << QByteArray("OnForcedLogoutFinishSignal()")
                                     << Fire([](WeMeetManager *m) { m->Logout(2, 0, ""); }) << 4 << QString();
    QTest::newRow("invitation") << QByteArray("OnShareToMeetingFinishSignal(QString)")
                                << Fire([](WeMeetManager *m) { m->InviteMeeting("{\"subject\":\"周会\"}"); })
                                << 4 << QStringLiteral("{\"subject\":\"周会\"}");
    QTest::newRow("refused sign-out")
        << QByteArray("OnLogoutFailedSignal(QString)")
        << Fire([](WeMeetManager *m) { m->Logout(1, 7, "网络异常"); }) << 2 << QStringLiteral("网络异常");
    QTest::newRow("failed initialisation")
        << QByteArray("OnSDKInitializeFailedSignal(QString)")
        << Fire([](WeMeetManager *m) { m->Initialize(5, "凭证无效"); }) << 0 << QStringLiteral("凭证无效");
}

void TestWeMeetManager::signaturesConnectAsTheCoordinatorUsesThem()
{
    QFETCH(QByteArray, signature);
    QFETCH(Fire, fire);
    QFETCH(int, before);
    QFETCH(QString, payload);

    WeMeetManager *manager = WeMeetManager::instance();
    manager->setState(WeMeetManager::State(before));
    QSignalSpy spy(manager, QByteArray("2" + signature).constData());
    QVERIFY2(spy.isValid(), signature.constData());
    fire(manager);
    QCOMPARE(spy.count(), 1);
    if (!spy.first().isEmpty())
        QCOMPARE(spy.first().first().toString(), payload);
}

QTEST_MAIN(TestWeMeetManager)
#include "tst_wemeetmanager.moc"
