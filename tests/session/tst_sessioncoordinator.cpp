#include "sessiontestsupport.h"

#include "app/uitexts.h"

#include "app/waits.h"
#include "login/accountlogin.h"
#include "meeting/homescreen.h"
#include "meeting/joinmeeting.h"
#include "meeting/mtgitem.h"
#include "meeting/sharemeeting.h"
#include "session/mainwindow.h"
#include "session/navigator.h"
#include "session/splashselect.h"

#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTextEdit>

#include <limits>

using namespace sessiontest;

class TestSessionCoordinator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void refreshIntervalFromTokenLifetime_data();
    void refreshIntervalFromTokenLifetime();
    void refreshTimerFollowsLifetimeKnownAtStart_data();
    void refreshTimerFollowsLifetimeKnownAtStart();
    void refreshReplacesServiceToken();
    void windowIsInvisibleAndOpensStartScreen();
    void closeSelfEndsTheRun();

    void launchLinkDecision_data();
    void launchLinkDecision();
    void leaveAndJoinQuestion_data();
    void leaveAndJoinQuestion();

    void leaveMeetingOutcome_data();
    void leaveMeetingOutcome();
    void leaveWaitingRoomAsGuestSignsOut();
    void requestedSignOutReturnsToStartScreen();
    void sdkInvitationOpensOneInvitationDialog();
    void joinLeaveAndInviteThroughSimulator();
    void signOutFromHomeScreenKeepsPasswordButNotAutomaticSignIn();
    void lostSessionIsMended_data();
    void lostSessionIsMended();
    void forcedSignOutWhileAQuestionIsOpen_data();
    void forcedSignOutWhileAQuestionIsOpen();
    void failedSignOutStillReturnsToTheStartScreen();
    void staleLinkIsNotJoinedAfterLeaving();
    void nextWindowTakesTheLastScreensPlace_data();
    void nextWindowTakesTheLastScreensPlace();

private:
    MainWindow *coordinator();
    std::unique_ptr<devservice::Server> m_server;
    QPointer<MainWindow> m_window;
};

void TestSessionCoordinator::initTestCase()
{
    useOwnHomeFolder();
    m_server = std::make_unique<devservice::Server>();
    QVERIFY(m_server->start() > 0);
}

void TestSessionCoordinator::init()
{
    QVERIFY(freshStart(*m_server));
}

void TestSessionCoordinator::cleanup()
{
    cancelDialogAnswers();
    baseValues->signedIn = false;
    deleteAllWindows();
}

// A coordinator connected as start-up does, its start screen put away.
MainWindow *TestSessionCoordinator::coordinator()
{
    m_window = newCoordinator();
    for (SplashSelect *splash : visibleTopLevels<SplashSelect>())
        delete splash;
    return m_window;
}

void TestSessionCoordinator::refreshIntervalFromTokenLifetime_data()
{
    QTest::addColumn<int>("lifetime");
    QTest::addColumn<int>("intervalMs");
    QTest::newRow("two hours") << 7200 << 6900 * 1000;
    QTest::newRow("just over five minutes") << 301 << 30 * 1000;
    QTest::newRow("five minutes and a half") << 330 << 30 * 1000;
    QTest::newRow("six minutes") << 360 << 60 * 1000;
    QTest::newRow("five minutes") << 300 << 150 * 1000;
    QTest::newRow("two minutes") << 120 << 60 * 1000;
    QTest::newRow("ten seconds") << 10 << 30 * 1000;
    QTest::newRow("unknown") << 0 << 0;
    QTest::newRow("nonsense") << -5 << 0;
    QTest::newRow("huge") << std::numeric_limits<int>::max() << std::numeric_limits<int>::max();
}

void TestSessionCoordinator::refreshIntervalFromTokenLifetime()
{
    QFETCH(int, lifetime);
    QFETCH(int, intervalMs);
    QCOMPARE(MainWindow::refreshIntervalMs(lifetime), intervalMs);
}

void TestSessionCoordinator::refreshTimerFollowsLifetimeKnownAtStart_data()
{
    QTest::addColumn<int>("lifetime");
    QTest::addColumn<int>("intervalMs");
    QTest::newRow("two hours") << 7200 << 6900 * 1000;
    QTest::newRow("short-lived") << 200 << 100 * 1000;
    QTest::newRow("no token") << 0 << 0;
}

void TestSessionCoordinator::refreshTimerFollowsLifetimeKnownAtStart()
{
    QFETCH(int, lifetime);
    QFETCH(int, intervalMs);
    baseValues->serviceTokenExpiresIn = lifetime;
    MainWindow *window = coordinator();
    if (intervalMs == 0) {
        QVERIFY(!window->refreshTimer());
        return;
    }
    QVERIFY(window->refreshTimer());
    QVERIFY(window->refreshTimer()->isActive());
    QVERIFY(!window->refreshTimer()->isSingleShot());
    QCOMPARE(window->refreshTimer()->interval(), intervalMs);
}

void TestSessionCoordinator::refreshReplacesServiceToken()
{
    MainWindow *window = coordinator();
    baseValues->s_accessToken = QStringLiteral("stale");
    window->refreshServiceTokenSlot();
    QTRY_VERIFY(baseValues->s_accessToken != QLatin1String("stale"));
    QVERIFY(!baseValues->s_accessToken.isEmpty());
    QCOMPARE(baseValues->serviceTokenExpiresIn, 7200);

    // A failed renewal keeps the token in hand.
    const QString token = baseValues->s_accessToken;
    devservice::Fault down;
    down.httpStatus = 500;
    m_server->setFault("/service/oauth/token", down);
    m_server->clearRequests();
    LogCapture log;
    window->refreshServiceTokenSlot();
    QTRY_VERIFY(log.contains(QStringLiteral("service token fail!")));
    QCOMPARE(baseValues->s_accessToken, token);
}

void TestSessionCoordinator::windowIsInvisibleAndOpensStartScreen()
{
    m_window = newCoordinator();
    QVERIFY((m_window->windowFlags() & Qt::SubWindow) == Qt::SubWindow);
    QVERIFY(m_window->testAttribute(Qt::WA_TranslucentBackground));
    QCOMPARE(m_window->size(), QSize(1, 1));
    SplashSelect *splash = visibleTopLevel<SplashSelect>();
    QVERIFY(splash);
    // Closing the start screen before anything else happened ends the run.
    QTRY_VERIFY(splash->isEnabled());
    WeMeetManager::instance()->setState(WeMeetManager::State(0));
    QTest::mouseClick(buttonWithToolTip(splash, QStringLiteral("关闭")), Qt::LeftButton);
    QTRY_VERIFY(!m_window->isVisible());
}

void TestSessionCoordinator::closeSelfEndsTheRun()
{
    MainWindow *window = coordinator();
    QVERIFY(window->isVisible());
    LogCapture log;
    window->closeSelfSlot();
    QVERIFY(!window->isVisible());
    QVERIFY(log.contains(QStringLiteral("closeEvent")));
}

void TestSessionCoordinator::launchLinkDecision_data()
{
    QTest::addColumn<bool>("signedIn");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("pending");
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("link");
    QTest::addColumn<bool>("joinAsked");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("linkKept");

    const QString link = QStringLiteral("veskmeeting://join?");
    QTest::newRow("signed out, idle") << false << 1 << ""
                                      << "" << link + "meetingCode=482915736" << true << "" << true;
    QTest::newRow("signed in, same account")
        << true << 2 << ""
        << "" << link + "companycode=600888&username=zhangwei&meetingCode=482915736" << true << "" << true;
    QTest::newRow("signed in, same display name")
        << true << 2 << ""
        << "" << link + "companycode=600888&username=%E5%BC%A0%E4%BC%9F&meetingCode=1" << true << "" << true;
    QTest::newRow("signed in, other company")
        << true << 2 << ""
        << "" << link + "companycode=000999&username=zhangwei&meetingCode=482915736" << false
        << QStringLiteral("本地已登录另一账号，请重新登录后进入会议。") << false;
    QTest::newRow("signed in, other user")
        << true << 2 << ""
        << "" << link + "companycode=600888&username=lina&meetingCode=482915736" << false
        << QStringLiteral("本地已登录另一账号，请重新登录后进入会议。") << false;
    QTest::newRow("other phone, same country")
        << true << 2 << ""
        << "" << link + "phone=13900000000&mobileCountryCode=%2B86&meetingCode=482915736" << true << ""
        << true;
    QTest::newRow("other phone, other country")
        << true << 2 << ""
        << "" << link + "phone=61234567&mobileCountryCode=%2B852&meetingCode=482915736" << false
        << QStringLiteral("本地已登录另一账号，请重新登录后进入会议。") << false;
    // Forgotten, or leaving that meeting later would join it again.
    QTest::newRow("joining that meeting") << true << 3 << "482915736"
                                          << "" << link + "meetingCode=482915736" << false << "" << false;
    QTest::newRow("joining another meeting")
        << true << 3 << "482915736"
        << "" << link + "meetingCode=735102948" << false
        << QStringLiteral("当前正在进入会议，如需进入新会议请先退出当前会议。") << false;
    QTest::newRow("already in that meeting")
        << true << 4 << ""
        << "482915736" << link + "meetingCode=482915736" << false << "" << false;
    QTest::newRow("in a meeting of unknown number")
        << false << 4 << ""
        << "" << link + "meetingCode=482915736" << false << "" << false;
}

void TestSessionCoordinator::launchLinkDecision()
{
    QFETCH(bool, signedIn);
    QFETCH(int, state);
    QFETCH(QString, pending);
    QFETCH(QString, current);
    QFETCH(QString, link);
    QFETCH(bool, joinAsked);
    QFETCH(QString, message);
    QFETCH(bool, linkKept);

    MainWindow *window = coordinator();
    baseValues->signedIn = signedIn;
    baseValues->companyCode = QStringLiteral("600888");
    baseValues->userName = QStringLiteral("张伟");
    baseValues->loginResult = QStringLiteral("{\"userName\":\"zhangwei\"}");
    baseValues->telephone = QStringLiteral("13800138000");
    baseValues->mobileCountryCode = QStringLiteral("+86");
    baseValues->pendingMeetingCode = pending;
    baseValues->currentMeetingCode = current;
    WeMeetManager::instance()->setState(WeMeetManager::State(state));

    QSignalSpy join(WeMeetManager::instance(), &WeMeetManager::linkJoinMeetingSignal);
    std::shared_ptr<DialogAnswer> answer;
    if (!message.isEmpty())
        answer = answerNextDialog();
    LogCapture log;
    window->receiveAppParameterSlot(link);
    QVERIFY(log.hasLine(QStringLiteral("receiveAppParameter = ") + link));
    QVERIFY(log.hasLine(QStringLiteral("baseValues.companyCode == 600888")));
    QVERIFY(log.hasLine(QStringLiteral("baseValues.userName == 张伟")));
    if (message == QStringLiteral("本地已登录另一账号，请重新登录后进入会议。"))
        QVERIFY(log.hasLine(message));
    if (answer) {
        QTRY_VERIFY(answer->answered);
        QCOMPARE(answer->message, message);
        QCOMPARE(answer->buttons, QStringList{QStringLiteral("知道了")});
    } else {
        // A message would have been queued by now.
        QCoreApplication::processEvents();
        QVERIFY(!QApplication::activeModalWidget());
    }
    QCOMPARE(join.count(), joinAsked ? 1 : 0);
    QCOMPARE(!baseValues->linkInfo.isEmpty(), linkKept);
}

void TestSessionCoordinator::leaveAndJoinQuestion_data()
{
    QTest::addColumn<QStringList>("meetings");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("leaves");
    QTest::newRow("confirmed") << QStringList{"735102948"} << QStringLiteral("确定") << true;
    QTest::newRow("cancelled") << QStringList{"735102948"} << QStringLiteral("取消") << false;
    // One question; the newer link is the one joined.
    QTest::newRow("two links confirmed")
        << QStringList{"735102948", "735102949"} << QStringLiteral("确定") << true;
}

void TestSessionCoordinator::leaveAndJoinQuestion()
{
    QFETCH(QStringList, meetings);
    QFETCH(QString, button);
    QFETCH(bool, leaves);
    MainWindow *window = coordinator();
    baseValues->signedIn = true;
    baseValues->companyCode = QStringLiteral("600888");
    baseValues->userName = QStringLiteral("张伟");
    baseValues->currentMeetingCode = QStringLiteral("482915736");
    WeMeetManager::instance()->setState(WeMeetManager::State(4));
    WemeetSim::clearCalls();

    for (const QString &meeting : meetings)
        window->receiveAppParameterSlot(QStringLiteral("veskmeeting://join?meetingCode=") + meeting);
    QCoreApplication::processEvents();
    QCOMPARE(visibleTopLevels<TwoBtnDlg>().size(), 1);
    auto answer = answerNextDialog(button);
    QTRY_VERIFY(answer->answered);
    QCOMPARE(answer->message, QStringLiteral("确定离开当前会议，加入新会议？"));
    QCOMPARE(answer->buttons, (QStringList{QStringLiteral("取消"), QStringLiteral("确定")}));
    QCOMPARE(WemeetSim::calls().contains(QStringLiteral("LeaveMeeting:0")), leaves);
    // Confirmed: the link waits for the home screen the leave brings.
    if (leaves)
        emit WeMeetManager::instance()->OnLeaveMeetingFinishSignal(QString());
    QCOMPARE(baseValues->linkInfo.value(QStringLiteral("meetingCode")), leaves ? meetings.last() : QString());
}

void TestSessionCoordinator::leaveMeetingOutcome_data()
{
    QTest::addColumn<bool>("signedIn");
    QTest::addColumn<QString>("result");
    QTest::addColumn<bool>("homeScreen");
    QTest::addColumn<bool>("signsOut");
    QTest::newRow("member left") << true << "" << true << false;
    QTest::newRow("guest left") << false << "" << false << true;
    QTest::newRow("leave failed") << true << QStringLiteral("离开会议失败") << false << false;
}

void TestSessionCoordinator::leaveMeetingOutcome()
{
    QFETCH(bool, signedIn);
    QFETCH(QString, result);
    QFETCH(bool, homeScreen);
    QFETCH(bool, signsOut);
    coordinator();
    baseValues->signedIn = signedIn;
    WemeetSim::clearCalls();
    emit WeMeetManager::instance()->OnLeaveMeetingFinishSignal(result);
    QCOMPARE(visibleTopLevel<HomeScreen>() != nullptr, homeScreen);
    QCOMPARE(WemeetSim::calls().contains(QStringLiteral("Logout")), signsOut);
    if (!result.isEmpty()) {
        QVERIFY(noticeTexts().contains(result));
        // On screen, although the coordinator itself sits off screen.
        QLabel *label = nullptr;
        for (QLabel *l : m_window->findChildren<QLabel *>(QStringLiteral("snackbarQLabel")))
            label = l;
        QVERIFY(label);
        const QRect notice = label->window()->frameGeometry();
        QVERIFY(QGuiApplication::primaryScreen()->geometry().contains(notice.center()));
        QVERIFY(notice.left() >= 0 && notice.top() >= 0);
    }
}

void TestSessionCoordinator::leaveWaitingRoomAsGuestSignsOut()
{
    coordinator();
    WemeetSim::clearCalls();
    baseValues->signedIn = true;
    emit WeMeetManager::instance()->OnLeaveWaitingRoomFinishSignal(QString());
    QVERIFY(!WemeetSim::calls().contains(QStringLiteral("Logout")));
    baseValues->signedIn = false;
    emit WeMeetManager::instance()->OnLeaveWaitingRoomFinishSignal(QString());
    QVERIFY(WemeetSim::calls().contains(QStringLiteral("Logout")));
}

void TestSessionCoordinator::requestedSignOutReturnsToStartScreen()
{
    // The remembered password stays, automatic sign-in does not.
    baseValues->autoLogin = QStringLiteral("1");
    baseValues->rememberPassword = true;
    MainWindow *window = coordinator();
    QSignalSpy autoLoginSignal(window, &MainWindow::autoLoginSignal);
    baseValues->signedIn = true;
    baseValues->signOutRequested = true;
    baseValues->autoLogin = QStringLiteral("1");
    baseValues->telephone = QStringLiteral("13800138000");
    baseValues->mobileCountryCode = QStringLiteral("+86");
    m_server->clearRequests();
    LogCapture log;
    emit WeMeetManager::instance()->OnLogoutFinishSignal();
    QVERIFY(visibleTopLevel<SplashSelect>());
    QVERIFY(!baseValues->signedIn);
    QVERIFY(!baseValues->signOutRequested);
    // The next person at the machine is no longer offered this phone.
    QVERIFY(baseValues->telephone.isEmpty());
    QVERIFY(baseValues->mobileCountryCode.isEmpty());
    QCOMPARE(autoLoginSignal.count(), 1);
    // The start screen decides about signing in once its checks are done.
    QTRY_VERIFY(log.contains(QStringLiteral("autoLoginSlot()")));
    QVERIFY(!visibleTopLevel<AccountLogin>());
    QVERIFY(!visibleTopLevel<HomeScreen>());
    QVERIFY(window->isVisible());
}

void TestSessionCoordinator::sdkInvitationOpensOneInvitationDialog()
{
    coordinator();
    baseValues->signedIn = true;
    const QJsonObject info{{"host_name", QStringLiteral("张伟")},
                           {"meeting_code", "482915736"},
                           {"subject", QStringLiteral("项目周例会")},
                           {"meeting_url", "https://meeting.example/j/482915736"},
                           {"begin_time", 1765170000},
                           {"end_time", 1765173600},
                           {"password", ""}};
    const QString json = QString::fromUtf8(QJsonDocument(info).toJson(QJsonDocument::Compact));
    WeMeetManager::instance()->InviteMeeting(json.toUtf8().constData());
    ShareMeeting *first = visibleTopLevel<ShareMeeting>();
    QVERIFY(first);
    QVERIFY(first->text().startsWith(QStringLiteral("张伟 邀请您加入Vesk会议")));
    QVERIFY(first->text().contains(QStringLiteral("会议号：482  915  736")));

    // A second invitation replaces the first dialog.
    QPointer<ShareMeeting> firstGuard(first);
    WeMeetManager::instance()->InviteMeeting(json.toUtf8().constData());
    QTRY_VERIFY(firstGuard.isNull());
    QCOMPARE(visibleTopLevels<ShareMeeting>().size(), 1);

    // As a guest the invitation names the join nickname.
    baseValues->signedIn = false;
    baseValues->wmNickname = QStringLiteral("访客小王");
    WeMeetManager::instance()->InviteMeeting(json.toUtf8().constData());
    QTRY_COMPARE(visibleTopLevels<ShareMeeting>().size(), 1);
    QVERIFY(
        visibleTopLevel<ShareMeeting>()->text().startsWith(QStringLiteral("访客小王 邀请您加入Vesk会议")));
}

void TestSessionCoordinator::joinLeaveAndInviteThroughSimulator()
{
    // Signed in through the account screen, then in and out of a meeting.
    rememberAccountSignIn(QStringLiteral("1"), QStringLiteral("dlZlc2tAMjAyNGs="));
    m_window = newCoordinator();
    QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<HomeScreen>(), 10000);
    QPointer<HomeScreen> firstHome(visibleTopLevel<HomeScreen>());
    // The invisible coordinator keeps the program alive while only the
    // Meeting SDK's own windows are on screen.
    QSignalSpy lastWindowClosed(qApp, &QGuiApplication::lastWindowClosed);

    firstHome->joinMeetingSlot(QStringLiteral("482915736"));
    QTRY_COMPARE_WITH_TIMEOUT(WeMeetManager::instance()->state(), 4, 5000);
    QTRY_VERIFY(firstHome.isNull()); // the home screen goes once the meeting runs
    QCOMPARE(lastWindowClosed.count(), 0);

    QVERIFY(WemeetSim::pressInvite());
    QTRY_VERIFY(visibleTopLevel<ShareMeeting>());
    QVERIFY(visibleTopLevel<ShareMeeting>()->text().contains(QStringLiteral("邀请您加入Vesk会议")));

    QVERIFY(WemeetSim::pressLeave());
    QTRY_VERIFY(visibleTopLevel<HomeScreen>());
    QTRY_VERIFY(!visibleTopLevel<ShareMeeting>());
    QVERIFY(baseValues->signedIn);
    QCOMPARE(WeMeetManager::instance()->state(), 2);
}

void TestSessionCoordinator::signOutFromHomeScreenKeepsPasswordButNotAutomaticSignIn()
{
    rememberAccountSignIn(QStringLiteral("1"), QStringLiteral("dlZlc2tAMjAyNGs="));
    m_window = newCoordinator();
    QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<HomeScreen>(), 10000);
    m_server->clearRequests();

    LogCapture log;
    visibleTopLevel<HomeScreen>()->appLogoutSlot();
    QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<SplashSelect>(), 5000);
    QVERIFY(!baseValues->signedIn);
    QTRY_VERIFY(log.contains(QStringLiteral("autoLoginSlot()")));
    QVERIFY(!visibleTopLevel<HomeScreen>());
    for (const auto &r : m_server->requests())
        QVERIFY2(r.path != "/idm/api/user/loginByType", "signed in again right after signing out");

    // The account sign-in still offers the remembered password.
    QTest::mouseClick(
        childWithText<QAbstractButton>(visibleTopLevel<SplashSelect>(), QStringLiteral("Vesk账号登录")),
        Qt::LeftButton);
    AccountLogin *login = visibleTopLevel<AccountLogin>();
    QVERIFY(login);
    QCOMPARE(editWithPlaceholder(login, QStringLiteral("请输入密码"))->text(), QStringLiteral("Vesk@2024"));
    QSettings settings(userDatPath(), QSettings::IniFormat);
    QVERIFY(!settings.contains("/LOGININFO/AUTOLOGIN"));
}

void TestSessionCoordinator::lostSessionIsMended_data()
{
    QTest::addColumn<bool>("passwordRemembered");
    QTest::addColumn<bool>("formOpen");
    QTest::newRow("password remembered: signed in again unseen") << true << false;
    QTest::newRow("nothing remembered: sign-in screen with the account") << false << false;
    QTest::newRow("booking form open: asked before it goes") << false << true;
}

void TestSessionCoordinator::lostSessionIsMended()
{
    QFETCH(bool, passwordRemembered);
    QFETCH(bool, formOpen);
    rememberAccountSignIn(QStringLiteral("1"), QStringLiteral("dlZlc2tAMjAyNGs="));
    m_window = newCoordinator();
    QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<HomeScreen>(), 10000);
    QPointer<HomeScreen> home(visibleTopLevel<HomeScreen>());
    if (!passwordRemembered) {
        // As if "记住密码" had been left unticked.
        QSettings settings(userDatPath(), QSettings::IniFormat);
        settings.setValue("/LOGININFO/REMERBERPASS", "False");
        settings.remove("/LOGININFO/PASSWORD");
        baseValues->rememberPassword = false;
        baseValues->accountPassword.clear();
    }
    if (formOpen)
        QVERIFY(Navigator::instance()->openScheduleMeeting(home, QString()));
    auto question = formOpen ? answerNextDialog(QStringLiteral("重新登录")) : nullptr;
    // The service restarts; the next list load meets the forgotten session.
    m_server->forgetTokens();
    m_server->clearRequests();
    home->tmMtgUpdatedSlot();

    const auto signedInAgain = [this] {
        int n = 0;
        for (const auto &r : m_server->requests())
            n += r.path == "/idm/api/user/loginByType";
        return n;
    };
    if (passwordRemembered) {
        QTRY_COMPARE_WITH_TIMEOUT(signedInAgain(), 1, Waits::requestTimeoutMs * 3);
        // The list comes back with the new session, on the same home screen.
        QTRY_VERIFY_WITH_TIMEOUT(home && home->findChild<mtgItem *>(), Waits::requestTimeoutMs * 2);
        QVERIFY(baseValues->signedIn);
        QVERIFY(!visibleTopLevel<AccountLogin>());
        return;
    }
    QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<AccountLogin>(), Waits::requestTimeoutMs * 3);
    if (question) {
        QVERIFY(question->answered);
        QVERIFY(question->message.contains(QStringLiteral("尚未保存")));
    }
    QCOMPARE(signedInAgain(), 0);
    QTRY_VERIFY(!home);
    QVERIFY(!baseValues->signedIn);
    AccountLogin *login = visibleTopLevel<AccountLogin>();
    QCOMPARE(editWithPlaceholder(login, QStringLiteral("请输入公司代码"))->text(), QStringLiteral("600888"));
    QCOMPARE(editWithPlaceholder(login, QStringLiteral("请输入账号"))->text(), QStringLiteral("zhangwei"));
    QCOMPARE(login->findChild<QLabel *>(QStringLiteral("reasonQLabel"))->text(), UiText::sessionLost);
    // Signing in there leads back to the home screen.
    QLineEdit *password = editWithPlaceholder(login, QStringLiteral("请输入密码"));
    password->setFocus();
    QTest::keyClicks(password, QStringLiteral("Vesk@2024"));
    QTest::keyClick(password, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<HomeScreen>(), Waits::sdkResponseMs);
    QVERIFY(baseValues->signedIn);
}

void TestSessionCoordinator::forcedSignOutWhileAQuestionIsOpen_data()
{
    QTest::addColumn<QString>("question");
    QTest::newRow("home screen: close a meeting?") << "closeMeeting";
    QTest::newRow("home screen: other account") << "homeMessage";
    QTest::newRow("coordinator: leave for a new meeting?") << "leaveForNew";
    QTest::newRow("coordinator: joining another meeting") << "joiningOther";
}

void TestSessionCoordinator::forcedSignOutWhileAQuestionIsOpen()
{
    // Whatever question is open, the forced sign-out leaves one start screen
    // with its message, nothing about the old session, and no crash.
    QFETCH(QString, question);
    rememberAccountSignIn(QStringLiteral("1"), QStringLiteral("dlZlc2tAMjAyNGs="));
    m_window = newCoordinator();
    QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<HomeScreen>(), 10000);
    HomeScreen *home = visibleTopLevel<HomeScreen>();
    if (question == QLatin1String("closeMeeting"))
        home->mtgCloseSlot(QStringLiteral("1001"));
    else if (question == QLatin1String("homeMessage"))
        home->showDifferentAccountLoginMsgSlot();
    else if (question == QLatin1String("leaveForNew"))
        m_window->showJoinNewMeetingMsgSlot();
    else
        m_window->showJoiningMeetingMsgSlot();
    QTRY_COMPARE(visibleTopLevels<TwoBtnDlg>().size(), 1);

    QVERIFY(WemeetSim::triggerForcedLogout());
    QTRY_VERIFY(visibleTopLevel<SplashSelect>());
    QTRY_VERIFY(!visibleTopLevel<HomeScreen>());
    QTRY_COMPARE(visibleTopLevels<TwoBtnDlg>().size(), 1);
    TwoBtnDlg *message = visibleTopLevel<TwoBtnDlg>();
    QVERIFY(childWithText<QLabel>(message, UiText::forcedLogout));
    QCOMPARE(visibleTopLevels<SplashSelect>().size(), 1);
    QVERIFY(!baseValues->signedIn);

    // The start screen stays put: no automatic sign-in behind the message,
    // and none from the account sign-in either for the rest of the run.
    QTest::mouseClick(childWithText<QAbstractButton>(message, UiText::ok), Qt::LeftButton);
    QTest::mouseClick(
        childWithText<QAbstractButton>(visibleTopLevel<SplashSelect>(), QStringLiteral("Vesk账号登录")),
        Qt::LeftButton);
    QTRY_VERIFY(visibleTopLevel<AccountLogin>());
    m_server->clearRequests();
    QCoreApplication::processEvents();
    QTRY_VERIFY(visibleTopLevel<AccountLogin>()->isEnabled());
    for (const auto &r : m_server->requests())
        QVERIFY2(r.path.find("/idm/") == std::string::npos, "signed in again after a forced sign-out");
}

void TestSessionCoordinator::failedSignOutStillReturnsToTheStartScreen()
{
    rememberAccountSignIn(QStringLiteral("1"), QStringLiteral("dlZlc2tAMjAyNGs="));
    m_window = newCoordinator();
    QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<HomeScreen>(), 10000);
    WemeetSim::setLogoutFailure(QStringLiteral("网络异常"));
    QSignalSpy failed(WeMeetManager::instance(), &WeMeetManager::OnLogoutFailedSignal);
    visibleTopLevel<HomeScreen>()->appLogoutSlot();
    QVERIFY(failed.wait(5000));
    QTRY_VERIFY(visibleTopLevel<SplashSelect>());
    QVERIFY(!baseValues->signedIn);
    QVERIFY(m_window->isVisible());
}

void TestSessionCoordinator::staleLinkIsNotJoinedAfterLeaving()
{
    // A link for the meeting being joined is forgotten; the home screen that
    // the leave brings must not join that meeting again.
    rememberAccountSignIn(QStringLiteral("1"), QStringLiteral("dlZlc2tAMjAyNGs="));
    m_window = newCoordinator();
    QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<HomeScreen>(), 10000);
    // The waiting room holds the join pending until the host admits.
    WemeetSim::setWaitingRoom(true);
    WemeetSim::setAdmitAfterMs(-1);
    visibleTopLevel<HomeScreen>()->joinMeetingSlot(QStringLiteral("482915736"));
    QTRY_COMPARE(WeMeetManager::instance()->state(), 3);
    m_window->receiveAppParameterSlot(QStringLiteral("veskmeeting://join?meetingCode=482915736"));
    // The simulator's waiting room opens a moment after the request.
    QTRY_VERIFY(WemeetSim::admit());
    QTRY_COMPARE_WITH_TIMEOUT(WeMeetManager::instance()->state(), 4, 5000);
    const int joins = WemeetSim::calls().count(QStringLiteral("JoinMeeting"));
    QVERIFY(WemeetSim::pressLeave());
    QTRY_VERIFY(visibleTopLevel<HomeScreen>());
    HomeScreen *home = visibleTopLevel<HomeScreen>();
    // A remembered link is joined right after the list's first load.
    QTRY_VERIFY_WITH_TIMEOUT(
        home->findChild<QWidget *>(QStringLiteral("scMtgList"))->isVisible() && home->isEnabled(), 8000);
    QCoreApplication::processEvents();
    QCOMPARE(WemeetSim::calls().count(QStringLiteral("JoinMeeting")), joins);
    QCOMPARE(WeMeetManager::instance()->state(), 2);
}

void TestSessionCoordinator::nextWindowTakesTheLastScreensPlace_data()
{
    QTest::addColumn<QString>("before");
    QTest::newRow("moved by the window manager") << "moved";
    QTest::newRow("hidden first") << "hidden";
    QTest::newRow("closed, nothing hands over") << "closed";
}

void TestSessionCoordinator::nextWindowTakesTheLastScreensPlace()
{
    QFETCH(QString, before);
    coordinator();
    Navigator *navigator = Navigator::instance();
    SplashSelect *splash = navigator->showStartScreen(nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(splash));
    // As a window manager does it: on the native window, not through move().
    splash->windowHandle()->setPosition(QPoint(317, 143));
    QTRY_COMPARE(splash->pos(), QPoint(317, 143));
    QWidget *next = nullptr;
    if (before == QLatin1String("moved")) {
        next = navigator->showAccountLogin(splash, QStringLiteral("1"));
    } else if (before == QLatin1String("hidden")) {
        splash->hide();
        next = navigator->openJoinMeeting(splash, QString(), QString());
    } else {
        splash->close();
        next = navigator->showStartScreen(nullptr, Navigator::StartReason::Returned);
    }
    QCOMPARE(next->pos(), QPoint(317, 143));
}

QTEST_MAIN(TestSessionCoordinator)
#include "tst_sessioncoordinator.moc"
