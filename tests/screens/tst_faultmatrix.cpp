// Whatever the service or the Meeting SDK do, a screen never crashes, never
// stays disabled behind its busy indicator, says what went wrong within 10 s
// and keeps User.dat as it was. Every endpoint a screen sends meets every
// kind of fault; the cells are printed as a table. A new endpoint joins with
// one row in endpoints(), a new Meeting SDK failure with one in sdkFailures().

#include "session/sessiontestsupport.h"

#include "app/waits.h"
#include "login/accountlogin.h"
#include "meeting/homescreen.h"
#include "meeting/schedulemeeting.h"
#include "widgets/twobtndlg.h"
#include "widgets/waitingspinnerwidget.h"

#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QTcpServer>

#include <functional>
#include <map>

using namespace sessiontest;

namespace {

enum class Fault
{
    Late,
    Http500,
    Refused,
    NotJson,
    NoErrorMsg,
    WrongResultType,
    LateAfterRetry
};

const QList<QPair<Fault, QString>> &faults()
{
    static const QList<QPair<Fault, QString>> all = {
        {Fault::Late, QStringLiteral("late")},
        {Fault::Http500, QStringLiteral("HTTP 500")},
        {Fault::Refused, QStringLiteral("refused")},
        {Fault::NotJson, QStringLiteral("not JSON")},
        {Fault::NoErrorMsg, QStringLiteral("no errorMsg")},
        {Fault::WrongResultType, QStringLiteral("result type")},
        {Fault::LateAfterRetry, QStringLiteral("late, retried")},
    };
    return all;
}

const QString password = QStringLiteral("Vesk@2024");

QLineEdit *edit(QWidget *screen, const QString &placeholder)
{
    return editWithPlaceholder(screen, placeholder);
}

// The account sign-in with the demo account typed in, ready to click.
QWidget *accountSignInTyped()
{
    auto *login = new AccountLogin(QStringLiteral("1"));
    login->show();
    QTest::keyClicks(edit(login, QStringLiteral("请输入公司代码")), QStringLiteral("600888"));
    QTest::keyClicks(edit(login, QStringLiteral("请输入账号")), QStringLiteral("zhangwei"));
    QTest::keyClicks(edit(login, QStringLiteral("请输入密码")), password);
    return login;
}

QAbstractButton *signInButton(QWidget *screen)
{
    return childWithText<QAbstractButton>(screen, QStringLiteral("登录"));
}

bool homeListShown(QWidget *screen)
{
    auto *home = qobject_cast<HomeScreen *>(screen);
    if (!home)
        home = visibleTopLevel<HomeScreen>();
    if (!home)
        return false;
    auto *list = home->findChild<QScrollArea *>(QStringLiteral("scMtgList"));
    auto *empty = home->findChild<QWidget *>(QStringLiteral("emptyWidget"));
    return (list->isVisible() || empty->isVisible()) && home->isEnabled();
}

// Signed in through the account sign-in screen; the home screen it hands
// over to has loaded its list.
HomeScreen *signedInHome()
{
    QWidget *login = accountSignInTyped();
    QTest::mouseClick(signInButton(login), Qt::LeftButton);
    if (!QTest::qWaitFor([] { return homeListShown(nullptr); }, 10000))
        return nullptr;
    return visibleTopLevel<HomeScreen>();
}

QPushButton *quickButton(QWidget *home)
{
    return home->findChild<QPushButton *>(QStringLiteral("btnMtgQuick"));
}

// The scheduling dialog opened from a signed-in home screen, as the user
// opens it; null when it did not come.
ScheduleMeeting *openSchedule(QWidget *home)
{
    QTest::mouseClick(home->findChild<QPushButton *>(QStringLiteral("btnMtgCreate")), Qt::LeftButton);
    if (!QTest::qWaitFor([] { return visibleTopLevels<ScheduleMeeting>().size() == 1; }, 5000))
        return nullptr;
    return visibleTopLevels<ScheduleMeeting>().first();
}

QAbstractButton *bookButton(QWidget *schedule)
{
    return childWithText<QAbstractButton>(schedule, QStringLiteral("预定会议"));
}

bool roomSizeShown(QWidget *schedule)
{
    auto *label = schedule ? schedule->findChild<QLabel *>(QStringLiteral("lblMtgMaxPersonCount")) : nullptr;
    return label && label->text().endsWith(QStringLiteral("人"));
}

// One service endpoint as a screen sends it.
struct Endpoint
{
    QString name;
    std::string path;
    QString *(*baseUrl)(); // the configured base URL the request goes to
    // Brings the screen to where the user's action sends the request; null
    // when that failed. Runs before the fault is in place.
    std::function<QWidget *()> prepare;
    // What the user does; returns the screen that must stay usable.
    std::function<QWidget *(QWidget *prepared)> act;
    // The button the user needs again afterwards (null: none).
    std::function<QAbstractButton *(QWidget *screen)> button;
    // After a retry (act again, unless retryActs is false): the normal outcome.
    std::function<bool(QWidget *screen)> succeeded;
    bool retryActs = true;
    // Where the screen does not need the result, a result of the wrong type
    // is no failure: what the screen shows instead of a message (an empty
    // list; the dialog done).
    std::function<bool(QWidget *screen)> wrongTypeOutcome;
};

QString *serviceBase()
{
    return &baseValues->serviceUrl;
}
QString *cloudBase()
{
    return &baseValues->cloudUrl;
}
QString *idmBase()
{
    return &baseValues->idmUrl;
}

const QList<Endpoint> &endpoints()
{
    static const QList<Endpoint> all = {
        {QStringLiteral("company check"), "/cloud/application/portCloudApplication", cloudBase,
         accountSignInTyped,
         [](QWidget *login) {
             QTest::mouseClick(signInButton(login), Qt::LeftButton);
             return login;
         },
         signInButton, [](QWidget *) { return homeListShown(nullptr); }},
        {QStringLiteral("service sign-in"), "/idm/api/user/loginByType", idmBase, accountSignInTyped,
         [](QWidget *login) {
             QTest::mouseClick(signInButton(login), Qt::LeftButton);
             return login;
         },
         signInButton, [](QWidget *) { return homeListShown(nullptr); }},
        {QStringLiteral("meeting token"), "/service/tencent-meeting/user/token", serviceBase,
         accountSignInTyped,
         [](QWidget *login) {
             QTest::mouseClick(signInButton(login), Qt::LeftButton);
             return login;
         },
         signInButton, [](QWidget *) { return homeListShown(nullptr); }},
        // The list loads when the home screen opens; a late answer fills it.
        {QStringLiteral("meeting list"), "/service/tencent-meeting/meeting/queryMeeting", serviceBase,
         [] { return static_cast<QWidget *>(signedInHome()); },
         [](QWidget *signedIn) {
             // A new home screen, as after a meeting.
             delete signedIn;
             auto *home = new HomeScreen;
             home->show();
             return static_cast<QWidget *>(home);
         },
         quickButton, homeListShown, false,
         [](QWidget *home) {
             auto *empty = home ? home->findChild<QWidget *>(QStringLiteral("emptyWidget")) : nullptr;
             return empty && empty->isVisible();
         }},
        {QStringLiteral("quick meeting"), "/service/tencent-meeting/meeting/createMeeting", serviceBase,
         [] { return static_cast<QWidget *>(signedInHome()); },
         [](QWidget *home) {
             QTest::mouseClick(home->findChild<QPushButton *>(QStringLiteral("btnMtgQuick")), Qt::LeftButton);
             return home;
         },
         quickButton, [](QWidget *) { return WemeetSim::phase() == WemeetSim::Phase::InMeeting; }},
        // The room size loads when the scheduling dialog opens; a late answer fills it.
        {QStringLiteral("room size"), "/service/tencent-meeting/meeting/getMeetingMaxPeople", serviceBase,
         [] { return static_cast<QWidget *>(signedInHome()); },
         [](QWidget *home) { return static_cast<QWidget *>(openSchedule(home)); }, bookButton, roomSizeShown,
         false},
        {QStringLiteral("schedule meeting"), "/service/tencent-meeting/meeting/createMeeting", serviceBase,
         []() -> QWidget * {
             HomeScreen *home = signedInHome();
             ScheduleMeeting *schedule = home ? openSchedule(home) : nullptr;
             if (!schedule ||
                 !QTest::qWaitFor(
                     [schedule] { return roomSizeShown(schedule) && bookButton(schedule)->isEnabled(); },
                     5000))
                 return nullptr;
             return schedule;
         },
         [](QWidget *schedule) {
             QTest::mouseClick(bookButton(schedule), Qt::LeftButton);
             return schedule;
         },
         bookButton, [](QWidget *) { return visibleTopLevels<ScheduleMeeting>().isEmpty(); }, true,
         [](QWidget *) { return visibleTopLevels<ScheduleMeeting>().isEmpty() && homeListShown(nullptr); }},
    };
    return all;
}

// What a user sees of a failure: a notice or a message dialog.
bool messageShown()
{
    if (!noticeTexts().isEmpty())
        return true;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (qobject_cast<TwoBtnDlg *>(w) && w->isVisible())
            return true;
    }
    return false;
}

// Empty when the screen can be used again, otherwise what is wrong.
QString unusable(QWidget *screen, const std::function<QAbstractButton *(QWidget *)> &button)
{
    if (!screen)
        return QStringLiteral("screen gone");
    if (!screen->isVisible())
        return QStringLiteral("screen hidden");
    if (!screen->isEnabled())
        return QStringLiteral("screen disabled");
    for (WaitingSpinnerWidget *spinner : screen->findChildren<WaitingSpinnerWidget *>()) {
        if (spinner->isSpinning() || spinner->isVisible())
            return QStringLiteral("still busy");
    }
    if (button) {
        QAbstractButton *b = button(screen);
        if (!b || !b->isEnabled())
            return QStringLiteral("button disabled");
    }
    return QString();
}

QByteArray userDat()
{
    QFile file(userDatPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

// A loopback port nobody listens on.
int closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const int port = probe.serverPort();
    probe.close();
    return port;
}

// Cells of one table in the order they ran: row, column, outcome ("held" or
// what failed).
using Table = QList<QPair<QString, std::map<QString, QString>>>;

void record(Table &table, const QString &row, const QString &column, const QString &outcome)
{
    for (auto &existing : table) {
        if (existing.first == row) {
            existing.second[column] = outcome;
            return;
        }
    }
    table.append({row, {{column, outcome}}});
}

void printTable(const QString &title, const Table &rows, const QStringList &columns)
{
    int held = 0, tried = 0;
    QString text = QStringLiteral("\n%1\n%2").arg(title).arg(QString(), -22);
    for (const QString &c : columns)
        text += QStringLiteral(" | %1").arg(c, -16);
    for (const auto &row : rows) {
        text += QStringLiteral("\n%1").arg(row.first, -22);
        for (const QString &c : columns) {
            const auto cell = row.second.find(c);
            const QString outcome = cell == row.second.end() ? QStringLiteral("-") : cell->second;
            if (cell != row.second.end()) {
                ++tried;
                held += outcome == QLatin1String("held");
            }
            text += QStringLiteral(" | %1").arg(outcome, -16);
        }
    }
    printf("%s\n%s: %d/%d cells held\n", qPrintable(text), qPrintable(title), held, tried);
    fflush(stdout);
}

} // namespace

Q_DECLARE_METATYPE(Fault)

class TestFaultMatrix : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void everyEndpointSurvivesEveryFault_data();
    void everyEndpointSurvivesEveryFault();
    void everyMeetingSdkFailureIsSaid_data();
    void everyMeetingSdkFailureIsSaid();

private:
    QString runServiceCell(const Endpoint &endpoint, Fault fault);
    std::unique_ptr<devservice::Server> m_server;
    Table m_serviceCells;
    Table m_sdkCells;
};

void TestFaultMatrix::initTestCase()
{
    useOwnHomeFolder();
    m_server = std::make_unique<devservice::Server>();
    QVERIFY(m_server->start() > 0);
}

void TestFaultMatrix::init()
{
    QVERIFY(freshStart(*m_server));
}

void TestFaultMatrix::cleanup()
{
    cancelDialogAnswers();
    WeMeetManager *manager = WeMeetManager::instance();
    if (WemeetSim::phase() == WemeetSim::Phase::InMeeting) {
        QSignalSpy left(manager, &WeMeetManager::OnLeaveMeetingFinishSignal);
        WemeetSim::pressLeave();
        left.wait(3000);
    }
    deleteAllWindows();
    baseValues->signedIn = false;
}

void TestFaultMatrix::cleanupTestCase()
{
    QStringList columns;
    for (const auto &f : faults())
        columns << f.second;
    printTable(QStringLiteral("fault matrix, service endpoints"), m_serviceCells, columns);
    printTable(QStringLiteral("fault matrix, Meeting SDK"), m_sdkCells,
               {QStringLiteral("account sign-in"), QStringLiteral("quick meeting")});
}

void TestFaultMatrix::everyEndpointSurvivesEveryFault_data()
{
    QTest::addColumn<int>("endpoint");
    QTest::addColumn<Fault>("fault");
    for (int e = 0; e < endpoints().size(); ++e) {
        for (const auto &f : faults())
            QTest::newRow(qPrintable(endpoints().at(e).name + QStringLiteral(" / ") + f.second))
                << e << f.first;
    }
}

QString TestFaultMatrix::runServiceCell(const Endpoint &endpoint, Fault fault)
{
    QScopedValueRollback<int> timeout(Waits::requestTimeoutMs, 300);
    QScopedValueRollback<int> notice(Waits::noticeMs, 300);
    QWidget *prepared = endpoint.prepare();
    if (!prepared)
        return QStringLiteral("no screen");
    QCoreApplication::processEvents();
    m_server->clearRequests();

    devservice::Fault f;
    const QString base = *endpoint.baseUrl();
    switch (fault) {
    case Fault::Late:
    case Fault::LateAfterRetry:
        f.delayMs = 1500;
        f.times = 1;
        break;
    case Fault::Http500:
        f.httpStatus = 500;
        break;
    case Fault::Refused:
        *endpoint.baseUrl() = QStringLiteral("http://127.0.0.1:%1/").arg(closedPort());
        break;
    case Fault::NotJson:
        f.nonJson = true;
        break;
    case Fault::NoErrorMsg:
        f.successFalse = true;
        f.withErrorMsg = false;
        break;
    case Fault::WrongResultType:
        f.wrongResultType = true;
        break;
    }
    if (fault != Fault::Refused)
        m_server->setFault(endpoint.path, f);

    LogCapture log;
    const QByteArray storeBefore = userDat();
    QPointer<QWidget> screen = endpoint.act(prepared);
    if (fault == Fault::WrongResultType && endpoint.wrongTypeOutcome) {
        if (!QTest::qWaitFor([&] { return endpoint.wrongTypeOutcome(screen); }, 10000))
            return QStringLiteral("nothing shown");
        return userDat() == storeBefore ? QStringLiteral("held") : QStringLiteral("User.dat changed");
    }
    if (!QTest::qWaitFor(messageShown, 10000))
        return QStringLiteral("no message");
    if (fault != Fault::Refused && m_server->requests().empty())
        return QStringLiteral("never sent");
    if (userDat() != storeBefore)
        return QStringLiteral("User.dat changed");
    // Busy indicators stop with the message or right after it.
    QString problem;
    QTest::qWaitFor([&] { return (problem = unusable(screen, endpoint.button)).isEmpty(); }, 2000);
    if (!problem.isEmpty())
        return problem;

    if (fault == Fault::LateAfterRetry) {
        // The late answer comes after the time-out: a retry, or the late
        // answer itself, gets the user where they wanted to go, once.
        if (endpoint.retryActs)
            endpoint.act(screen);
        if (!QTest::qWaitFor([&] { return endpoint.succeeded(screen); }, 10000))
            return QStringLiteral("retry failed");
        // The late answer is either dropped or gone with the screen that
        // asked; either way the user ends where the retry took them, once.
        if (endpoint.retryActs &&
            !QTest::qWaitFor(
                [&] { return screen.isNull() || log.contains(QStringLiteral("late answer dropped")); },
                10000))
            return QStringLiteral("late answer pending");
        if (!endpoint.succeeded(screen) || visibleTopLevels<HomeScreen>().size() > 1)
            return QStringLiteral("late answer used");
    }
    *endpoint.baseUrl() = base;
    return QStringLiteral("held");
}

void TestFaultMatrix::everyEndpointSurvivesEveryFault()
{
    QFETCH(int, endpoint);
    QFETCH(Fault, fault);
    const Endpoint &e = endpoints().at(endpoint);
    QString column;
    for (const auto &f : faults())
        if (f.first == fault)
            column = f.second;
    const QString outcome = runServiceCell(e, fault);
    record(m_serviceCells, e.name, column, outcome);
    QVERIFY2(outcome == QLatin1String("held"), qPrintable(outcome));
}

void TestFaultMatrix::everyMeetingSdkFailureIsSaid_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("joining");
    const auto row = [](const QString &failure, const QString &script, bool joining) {
        QTest::newRow(
            qPrintable(failure + (joining ? QStringLiteral(" / join") : QStringLiteral(" / sign-in"))))
            << failure << script << joining;
    };
    row(QStringLiteral("initialisation fails"), QStringLiteral("init_fail=初始化失败"), false);
    row(QStringLiteral("sign-in refused"), QStringLiteral("login_fail=账号异常"), false);
    row(QStringLiteral("SDK error"), QStringLiteral("sdk_error=内部错误;sdk_error_after_ms=0;login_fail=x"),
        false);
    row(QStringLiteral("no answer at all"), QStringLiteral("delay_ms=600000"), false);
    row(QStringLiteral("join refused"), QStringLiteral("join_fail=会议不存在"), true);
    row(QStringLiteral("no answer at all"), QStringLiteral("delay_ms=600000"), true);
}

void TestFaultMatrix::everyMeetingSdkFailureIsSaid()
{
    QFETCH(QString, failure);
    QFETCH(QString, script);
    QFETCH(bool, joining);
    QScopedValueRollback<int> sdkWait(Waits::sdkResponseMs, 500);
    QScopedValueRollback<int> spinnerWait(Waits::spinnerFallbackMs, 500);
    QScopedValueRollback<int> notice(Waits::noticeMs, 300);

    QString outcome;
    QPointer<QWidget> screen;
    std::function<QAbstractButton *(QWidget *)> button;
    if (joining) {
        screen = signedInHome();
        button = quickButton;
    } else {
        screen = accountSignInTyped();
        button = signInButton;
    }
    if (!screen) {
        outcome = QStringLiteral("no screen");
    } else {
        WemeetSim::applyScript(script);
        if (joining)
            QTest::mouseClick(button(screen), Qt::LeftButton);
        else
            QTest::mouseClick(signInButton(screen), Qt::LeftButton);
        if (!QTest::qWaitFor(messageShown, 10000)) {
            outcome = QStringLiteral("no message");
        } else {
            QTest::qWaitFor([&] { return (outcome = unusable(screen, button)).isEmpty(); }, 2000);
            if (outcome.isEmpty())
                outcome = QStringLiteral("held");
        }
    }
    record(m_sdkCells, failure, joining ? QStringLiteral("quick meeting") : QStringLiteral("account sign-in"),
           outcome);
    QVERIFY2(outcome == QLatin1String("held"), qPrintable(outcome));
}

QTEST_MAIN(TestFaultMatrix)
#include "tst_faultmatrix.moc"
