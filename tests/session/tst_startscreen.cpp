#include "sessiontestsupport.h"

#include "app/waits.h"
#include "login/accountlogin.h"
#include "meeting/homescreen.h"
#include "session/mainwindow.h"
#include "session/navigator.h"
#include "session/splashselect.h"
#include "widgets/loginshared.h"
#include "widgets/waitingspinnerwidget.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopedValueRollback>
#include <QSettings>
#include <QTemporaryDir>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace sessiontest;

class TestStartScreen : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void showsProductNameVersionAndChoices();
    void signInButtonHandsOverAtSamePlace();
    void handOffFileIsUsedOnceWhileFresh_data();
    void handOffFileIsUsedOnceWhileFresh();
    void handOffIsNotReusedAfterSignOut();
    void handOffThatCannotBeDeletedIsNotUsed();
    void automaticSignInByRememberedMethod_data();
    void automaticSignInByRememberedMethod();
    void missingServiceTokenShowsNotice();
    void missingSdkCredentialsAreFetchedForGuestInitialisation();
    void silentSdkCredentialRequestStillInitialisesGuest();
    void closingEndsTheRunUnlessAMeetingKeepsIt_data();
    void closingEndsTheRunUnlessAMeetingKeepsIt();
    void linkNamingAccountSignsInAndJoins();
    void automaticSignInThenJoinsLinkedMeetingOnce();
    void automaticSignInStillPreparesGuestJoin();
    void escapeKeepsTheStartScreen();
    void linkForOtherAccountWhileSignedInIsRefused();
    void forcedSignOutShowsMessageAndStaysSignedOut();

private:
    void rememberAccount(const QString &autoLogin);
    std::unique_ptr<devservice::Server> m_server;
};

void TestStartScreen::initTestCase()
{
    useOwnHomeFolder();
    m_server = std::make_unique<devservice::Server>();
    QVERIFY(m_server->start() > 0);
}

void TestStartScreen::init()
{
    QFile::remove(SplashSelect::ssoHandOffFilePath());
    QVERIFY(freshStart(*m_server));
}

void TestStartScreen::cleanup()
{
    cancelDialogAnswers();
    deleteAllWindows();
    baseValues->signedIn = false;
}

void TestStartScreen::rememberAccount(const QString &autoLogin)
{
    rememberAccountSignIn(autoLogin, LoginShared::encodePassword("Vesk@2024"));
    QSettings settings(userDatPath(), QSettings::IniFormat);
    settings.setValue("/LOGININFO2/TYPE", 1);
    settings.setValue("/LOGININFO2/COMPANYCODE", "600888");
    settings.setValue("/LOGININFO2/USERNAME", "zhangwei");
    settings.setValue("/LOGININFO2/TELEPHONE", "13800138000");
}

void TestStartScreen::showsProductNameVersionAndChoices()
{
    baseValues->appName = QStringLiteral("Vesk云会议测试版");
    baseValues->versionNo = QStringLiteral("2.3.4");
    auto *splash = new SplashSelect();
    splash->show();
    QCOMPARE(splash->windowTitle(), QStringLiteral("Vesk云会议"));
    QVERIFY(childWithText<QLabel>(splash, QStringLiteral("Vesk云会议测试版")));
    QVERIFY(childWithText<QLabel>(splash, QStringLiteral("V2.3.4")));
    QVERIFY(childWithText<QAbstractButton>(splash, QStringLiteral("加入会议")));
    QVERIFY(childWithText<QAbstractButton>(splash, QStringLiteral("Vesk账号登录")));
    QVERIFY(buttonWithToolTip(splash, QStringLiteral("最小化")));
    QVERIFY(buttonWithToolTip(splash, QStringLiteral("关闭")));
    QVERIFY(splash->testAttribute(Qt::WA_DeleteOnClose));
    // The join dialog is not part of this build: clicking must be harmless.
    QTest::mouseClick(childWithText<QAbstractButton>(splash, QStringLiteral("加入会议")), Qt::LeftButton);
    QVERIFY(splash->isVisible());
}

void TestStartScreen::signInButtonHandsOverAtSamePlace()
{
    auto *splash = new SplashSelect();
    QPointer<SplashSelect> guard(splash);
    splash->move(200, 90);
    splash->show();
    QTRY_VERIFY(WemeetSim::initRecord().received); // start-up checks done
    QTest::mouseClick(childWithText<QAbstractButton>(splash, QStringLiteral("Vesk账号登录")), Qt::LeftButton);
    AccountLogin *login = visibleTopLevel<AccountLogin>();
    QVERIFY(login);
    QCOMPARE(login->pos(), QPoint(200, 90));
    QTRY_VERIFY(guard.isNull()); // closed, not left hidden behind
}

void TestStartScreen::handOffFileIsUsedOnceWhileFresh_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("signsIn");
    const QString nineMinutes = QDateTime::currentDateTime().addSecs(-9 * 60).toString("yyyyMMddhhmmss");
    const QString elevenMinutes = QDateTime::currentDateTime().addSecs(-11 * 60).toString("yyyyMMddhhmmss");
    QTest::newRow("9 minutes old") << "veskmeet://sso?companyCode=600888&userName=zhangwei&timeStamp=" +
                                          nineMinutes
                                   << true;
    QTest::newRow("9 minutes old, percent-encoded")
        << QString::fromLatin1(QUrl::toPercentEncoding(
               "veskmeet://sso?companyCode=600888&userName=zhangwei&timeStamp=" + nineMinutes))
        << true;
    QTest::newRow("11 minutes old") << "veskmeet://sso?companyCode=600888&userName=zhangwei&timeStamp=" +
                                           elevenMinutes
                                    << false;
    QTest::newRow("30 s ahead, the writer's clock a little fast")
        << "veskmeet://sso?companyCode=600888&userName=zhangwei&timeStamp=" +
               QDateTime::currentDateTime().addSecs(30).toString("yyyyMMddhhmmss")
        << true;
    QTest::newRow("far in the future")
        << QStringLiteral("veskmeet://sso?companyCode=600888&userName=zhangwei&timeStamp=99991231235959")
        << false;
    QTest::newRow("not a meeting hand-off")
        << "other://sso?companyCode=600888&userName=zhangwei&timeStamp=" + nineMinutes << false;
    QTest::newRow("no user") << "veskmeet://sso?companyCode=600888&timeStamp=" + nineMinutes << false;
    QTest::newRow("garbled time") << "veskmeet://sso?companyCode=600888&userName=zhangwei&timeStamp=soon"
                                  << false;
    QTest::newRow("empty line") << QString() << false;
}

void TestStartScreen::handOffFileIsUsedOnceWhileFresh()
{
    QFETCH(QString, line);
    QFETCH(bool, signsIn);
    const QString path = writeHandOff(line);
    QVERIFY(QFile::exists(path));

    auto *splash = new SplashSelect();
    splash->show();
    if (signsIn) {
        QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<HomeScreen>(), 10000);
        QVERIFY(baseValues->signedIn);
        QCOMPARE(baseValues->companyCode, QStringLiteral("600888"));
        QCOMPARE(baseValues->userName, QStringLiteral("张伟"));
        bool simulated = false;
        for (const auto &r : m_server->requests())
            simulated |= r.path == "/idm/api/user/simulateLogin";
        QVERIFY(simulated);
    } else {
        // The start screen stays and prepares a guest join instead.
        QTRY_VERIFY_WITH_TIMEOUT(WemeetSim::initRecord().received, 5000);
        QVERIFY(visibleTopLevel<SplashSelect>());
        QVERIFY(!visibleTopLevel<AccountLogin>());
        QVERIFY(baseValues->ssoCompanyCode.isEmpty());
    }
    QVERIFY(!QFile::exists(path));
}

void TestStartScreen::handOffIsNotReusedAfterSignOut()
{
    const QString stamp = QDateTime::currentDateTime().toString("yyyyMMddhhmmss");
    writeHandOff("veskmeet://sso?companyCode=600888&userName=zhangwei&timeStamp=" + stamp);
    auto *splash = new SplashSelect();
    splash->show();
    QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<HomeScreen>(), 10000);
    deleteAllWindows();
    baseValues->signedIn = false;

    // Later the user opens the account sign-in by hand: no sign-in by itself.
    m_server->clearRequests();
    auto *login = new AccountLogin(QStringLiteral("1"));
    login->show();
    // Its start-up checks are queued behind the construction.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    // A list query of the home screen just gone may still land; no sign-in may.
    for (const auto &r : m_server->requests())
        QVERIFY2(r.path.rfind("/idm/", 0) != 0, r.path.c_str());
    QVERIFY(!login->findChild<WaitingSpinnerWidget *>()->isVisible());
}

namespace {

// A folder nobody may change, not even root: entries can be neither added
// nor removed.
class LockedFolder
{
public:
    explicit LockedFolder(const QString &path)
        : m_fd(open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY))
    {
        int flags = 0;
        m_locked = m_fd >= 0 && ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                   ioctl(m_fd, FS_IOC_SETFLAGS, &(flags |= FS_IMMUTABLE_FL)) == 0;
        if (!m_locked && geteuid() != 0)
            m_locked = chmod(QFile::encodeName(path).constData(), 0500) == 0;
        m_path = path;
    }
    ~LockedFolder()
    {
        int flags = 0;
        if (m_fd >= 0 && ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags &= ~FS_IMMUTABLE_FL;
            ioctl(m_fd, FS_IOC_SETFLAGS, &flags);
        }
        chmod(QFile::encodeName(m_path).constData(), 0700);
        if (m_fd >= 0)
            close(m_fd);
    }
    bool locked() const { return m_locked; }

private:
    int m_fd = -1;
    bool m_locked = false;
    QString m_path;
};

} // namespace

void TestStartScreen::handOffThatCannotBeDeletedIsNotUsed()
{
    const QString path = writeHandOff("veskmeet://sso?companyCode=600888&userName=zhangwei&timeStamp=" +
                                      QDateTime::currentDateTime().toString("yyyyMMddhhmmss"));
    LockedFolder folder(QFileInfo(path).absolutePath());
    if (!folder.locked())
        QSKIP("this file system cannot keep the file from being deleted");
    LogCapture log;
    // Otherwise every start would sign in with it again.
    QVERIFY(!SplashSelect::takeSsoHandOff());
    QVERIFY(!SplashSelect::takeSsoHandOff());
    QVERIFY(QFile::exists(path));
    QVERIFY(baseValues->ssoCompanyCode.isEmpty());
    QVERIFY(log.contains(QStringLiteral("single-sign-on hand-off file could not be deleted, not used:")));
}

void TestStartScreen::automaticSignInByRememberedMethod_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<bool>("signsIn");
    QTest::newRow("account") << "1" << true;
    QTest::newRow("phone") << "2" << false;
    QTest::newRow("WeChat") << "3" << false;
    QTest::newRow("none") << "" << false;
}

void TestStartScreen::automaticSignInByRememberedMethod()
{
    QFETCH(QString, method);
    QFETCH(bool, signsIn);
    rememberAccount(method);
    loadLoginInfo();
    auto *splash = new SplashSelect();
    splash->show();
    if (signsIn) {
        QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<HomeScreen>(), 10000);
        QVERIFY(baseValues->signedIn);
    } else {
        // The guest preparation comes after the decision not to sign in.
        QTRY_VERIFY_WITH_TIMEOUT(WemeetSim::initRecord().received, 5000);
        QVERIFY(visibleTopLevel<SplashSelect>());
        QVERIFY(!visibleTopLevel<AccountLogin>());
        QVERIFY(!baseValues->signedIn);
    }
}

void TestStartScreen::missingServiceTokenShowsNotice()
{
    baseValues->s_accessToken.clear();
    auto *splash = new SplashSelect();
    splash->show();
    QTRY_VERIFY(noticeTexts().contains(QStringLiteral("Vesk云会议初始化失败，请稍后再试")));
    QVERIFY(splash->isEnabled());
    QVERIFY(!splash->findChild<WaitingSpinnerWidget *>()->isVisible());
    // A link cannot be joined without the token.
    baseValues->linkInfo.insert(QStringLiteral("meetingCode"), QStringLiteral("482915736"));
    LogCapture capture;
    emit WeMeetManager::instance()->linkJoinMeetingSignal();
    QVERIFY(capture.contains(QStringLiteral("程序初始化失败,未取得s_accessToken")));
}

void TestStartScreen::missingSdkCredentialsAreFetchedForGuestInitialisation()
{
    QVERIFY(baseValues->sdkId.isEmpty());
    auto *splash = new SplashSelect();
    splash->show();
    QTRY_VERIFY_WITH_TIMEOUT(WemeetSim::initRecord().received, 5000);
    QCOMPARE(baseValues->sdkId, QStringLiteral("1400713254"));
    QCOMPARE(WemeetSim::initRecord().sdkId, QStringLiteral("1400713254"));
    QCOMPARE(WemeetSim::initRecord().appName, baseValues->appName);
    QTRY_COMPARE(WeMeetManager::instance()->state(), 1);
    QVERIFY(!splash->findChild<WaitingSpinnerWidget *>()->isVisible());
}

void TestStartScreen::silentSdkCredentialRequestStillInitialisesGuest()
{
    QScopedValueRollback<int> wait(Waits::sdkInfoWaitMs, 1000);
    QScopedValueRollback<int> timeout(Waits::requestTimeoutMs, 5000);
    devservice::Fault slow;
    slow.delayMs = 3000;
    m_server->setFault("/service/tencent-meeting/user/sdkInit", slow);
    auto *splash = new SplashSelect();
    splash->show();
    auto *spinner = splash->findChild<WaitingSpinnerWidget *>();
    QTRY_COMPARE(spinner->text(), QStringLiteral("正在初始化..."));
    // The screen is painted first; then the spinner turns while the wait lasts.
    QVERIFY(QTest::qWaitForWindowExposed(splash));
    QTRY_VERIFY(spinner->isVisible());
    QVERIFY(!splash->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(WemeetSim::initRecord().received, 3000);
    QVERIFY(!spinner->isVisible());
    QVERIFY(splash->isEnabled());
    QVERIFY(WemeetSim::initRecord().sdkId.isEmpty());
}

void TestStartScreen::closingEndsTheRunUnlessAMeetingKeepsIt_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("ends");
    QTest::newRow("SDK never initialised") << 0 << true;
    QTest::newRow("guest initialisation done") << 1 << true;
    QTest::newRow("guest signed in to the SDK") << 2 << true;
    QTest::newRow("guest joining") << 3 << false;
    QTest::newRow("guest in a meeting") << 4 << false;
}

void TestStartScreen::closingEndsTheRunUnlessAMeetingKeepsIt()
{
    QFETCH(int, state);
    QFETCH(bool, ends);
    QPointer<SplashSelect> splash = Navigator::instance()->showStartScreen(nullptr);
    QSignalSpy ended(Navigator::instance(), &Navigator::runEnded);
    QTRY_VERIFY(WemeetSim::initRecord().received); // start-up checks done
    QTRY_COMPARE(WeMeetManager::instance()->state(), 1);
    WeMeetManager::instance()->setState(WeMeetManager::State(state));
    QTest::mouseClick(buttonWithToolTip(splash, QStringLiteral("关闭")), Qt::LeftButton);
    QTRY_VERIFY(splash.isNull());
    // The rule is checked once the close has been handled.
    QCoreApplication::processEvents();
    QCOMPARE(ended.count(), ends ? 1 : 0);
    WeMeetManager::instance()->setState(WeMeetManager::State(1));
}

void TestStartScreen::linkNamingAccountSignsInAndJoins()
{
    // The home screen compares the link's user with the display name, so
    // here both are the same.
    QTemporaryDir dir;
    QFile in(QStringLiteral(DEVSERVICE_FIXTURE));
    QVERIFY(in.open(QIODevice::ReadOnly));
    QJsonObject root = QJsonDocument::fromJson(in.readAll()).object();
    QJsonArray accounts = root.value("accounts").toArray();
    QJsonObject first = accounts.at(0).toObject();
    QCOMPARE(first.value("userName").toString(), QStringLiteral("zhangwei"));
    first.insert("veskUserName", "zhangwei");
    accounts.replace(0, first);
    root.insert("accounts", accounts);
    QFile out(dir.filePath("fixtures.json"));
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(QJsonDocument(root).toJson());
    out.close();
    devservice::Server server(out.fileName().toStdString());
    QVERIFY(server.start() > 0);
    freshBaseValues(server);
    QVERIFY(fetchServiceToken());

    baseValues->linkInfo = {{QStringLiteral("companycode"), QStringLiteral("600888")},
                            {QStringLiteral("username"), QStringLiteral("zhangwei")},
                            {QStringLiteral("meetingCode"), QStringLiteral("482915736")}};
    LogCapture log;
    auto *splash = new SplashSelect();
    splash->show();
    QTRY_VERIFY_WITH_TIMEOUT(WemeetSim::lastJoin().received, 15000);
    QCOMPARE(WemeetSim::lastJoin().meetingCode, QStringLiteral("482915736"));
    // The log lines carry the values as they are, without quotes.
    for (const char *line : {"companyCode == 600888", "userName == zhangwei", "meetingCode == 482915736",
                             "linkJoinMeeting ssoLogin"})
        QVERIFY2(log.hasLine(QString::fromUtf8(line)), line);
    QVERIFY(baseValues->signedIn);
    QTRY_COMPARE_WITH_TIMEOUT(WeMeetManager::instance()->state(), 4, 5000);
}

void TestStartScreen::automaticSignInThenJoinsLinkedMeetingOnce()
{
    rememberAccount(QStringLiteral("1"));
    loadLoginInfo();
    baseValues->linkInfo = {{QStringLiteral("meetingCode"), QStringLiteral("482915736")}};
    auto *splash = new SplashSelect();
    splash->show();
    QTRY_VERIFY_WITH_TIMEOUT(WemeetSim::lastJoin().received, 15000);
    QCOMPARE(WemeetSim::lastJoin().meetingCode, QStringLiteral("482915736"));
    QVERIFY(baseValues->signedIn);
    // One sign-in, no guest preparation beside it.
    int signIns = 0;
    for (const auto &r : m_server->requests())
        signIns += r.path == "/idm/api/user/loginByType" ? 1 : 0;
    QCOMPARE(signIns, 1);
    QCOMPARE(WemeetSim::calls().count(QStringLiteral("Initialize")), 1);
}

void TestStartScreen::escapeKeepsTheStartScreen()
{
    QPointer<SplashSelect> splash = Navigator::instance()->showStartScreen(nullptr);
    QSignalSpy closeSelf(splash, &SplashSelect::closeSelfSignal);
    QTRY_VERIFY(WemeetSim::initRecord().received);
    QTRY_VERIFY(splash->isEnabled());
    QTest::keyClick(splash, Qt::Key_Escape);
    QCoreApplication::processEvents();
    QVERIFY(splash && splash->isVisible());
    QCOMPARE(closeSelf.count(), 0);
    splash->close();
}

void TestStartScreen::linkForOtherAccountWhileSignedInIsRefused()
{
    auto *splash = new SplashSelect();
    splash->show();
    QTRY_VERIFY_WITH_TIMEOUT(WemeetSim::initRecord().received, 5000);
    baseValues->signedIn = true;
    baseValues->companyCode = QStringLiteral("600888");
    baseValues->userName = QStringLiteral("张伟");
    baseValues->linkInfo = {{QStringLiteral("companycode"), QStringLiteral("000999")},
                            {QStringLiteral("username"), QStringLiteral("zhaolei")},
                            {QStringLiteral("meetingCode"), QStringLiteral("482915736")}};
    auto answer = answerNextDialog();
    emit WeMeetManager::instance()->linkJoinMeetingSignal();
    QTRY_VERIFY(answer->answered);
    QCOMPARE(answer->message, QStringLiteral("本地已登录另一账号，请重新登录后进入会议。"));
    QCOMPARE(answer->buttons, QStringList{QStringLiteral("知道了")});
    QVERIFY(baseValues->linkInfo.isEmpty());
    QVERIFY(!WemeetSim::lastJoin().received);
}

void TestStartScreen::forcedSignOutShowsMessageAndStaysSignedOut()
{
    rememberAccount(QStringLiteral("1"));
    QPointer<MainWindow> coordinator = newCoordinator();
    QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<HomeScreen>(), 10000);
    QVERIFY(baseValues->signedIn);
    m_server->clearRequests();

    auto answer = answerNextDialog();
    LogCapture log;
    QVERIFY(WemeetSim::triggerForcedLogout());
    QTRY_VERIFY_WITH_TIMEOUT(answer->answered, 5000);
    QCOMPARE(answer->message, QStringLiteral("您已经在其他设备登录，当前设备被登出。"));
    QVERIFY(log.hasLine(QStringLiteral("您已经在其他设备登录，当前设备被登出。")));
    QCOMPARE(answer->buttons, QStringList{QStringLiteral("确定")});
    QTRY_VERIFY(!visibleTopLevel<HomeScreen>());
    QVERIFY(visibleTopLevel<SplashSelect>());
    QVERIFY(!baseValues->signedIn);
    // Signing in again by itself would throw the other device out in turn.
    QTRY_VERIFY(log.contains(QStringLiteral("autoLoginSlot()")));
    QVERIFY(!visibleTopLevel<AccountLogin>());
    for (const auto &r : m_server->requests())
        QVERIFY2(r.path != "/idm/api/user/loginByType", "signed in again by itself");
    delete coordinator.data();
}

void TestStartScreen::automaticSignInStillPreparesGuestJoin()
{
    // The company check fails, so the sign-in screen never reaches the
    // Meeting SDK: an initialisation can only come from the start screen.
    rememberAccount(QStringLiteral("1"));
    loadLoginInfo();
    devservice::Fault fault;
    fault.httpStatus = 500;
    m_server->setFault("/cloud/application/portCloudApplication", fault);
    auto *splash = new SplashSelect();
    splash->show();
    QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<AccountLogin>(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(WemeetSim::initRecord().received, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(noticeTexts().contains(QStringLiteral("服务器繁忙，请稍后再试")), 5000);
    QTRY_COMPARE(WeMeetManager::instance()->state(), 1);
    QVERIFY(!baseValues->signedIn);
}

QTEST_MAIN(TestStartScreen)
#include "tst_startscreen.moc"
