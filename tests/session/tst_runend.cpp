// The real program under an X server, driven as a user drives it: whatever
// road leads away from the last window, the process must end and not linger
// invisibly (a lingering client would later be taken for "already running").

#include "devservice/devservice.h"
#include "support/programsandbox.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QPoint>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

namespace {

// One run of the program in a folder of its own, against the stand-in.
class ProgramRun
{
public:
    explicit ProgramRun(devservice::Server &server) : m_server(server) {}

    bool prepare()
    {
        if (!m_sandbox.isValid() ||
            !m_sandbox.installProgram(appDir, testsupport::ProgramSandbox::Install::Everything) ||
            !QDir().mkpath(m_sandbox.dataHome() + QStringLiteral("/VeskDesk")))
            return false;
        m_sandbox.setConfig(
            appDir, {{QStringLiteral("VERSION/NAME"), QStringLiteral("Vesk云会议")},
                     {QStringLiteral("VERSION/NO"), QStringLiteral("1.0.0")},
                     {QStringLiteral("CONFIG/SERVICE_URL"), QString::fromStdString(m_server.serviceUrl())},
                     {QStringLiteral("CONFIG/CLOUD_URL"), QString::fromStdString(m_server.cloudUrl())},
                     {QStringLiteral("CONFIG/IDM_URL"), QString::fromStdString(m_server.idmUrl())}});
        return true;
    }

    // A fresh single-sign-on hand-off: the program signs in by itself.
    void handOffAccount()
    {
        QFile handOff(m_sandbox.dataHome() + QStringLiteral("/VeskDesk/VeskLiveMeeting.txt"));
        if (handOff.open(QIODevice::WriteOnly | QIODevice::Text))
            handOff.write(
                QStringLiteral("veskmeet://sso?companyCode=600888&userName=zhangwei&timeStamp=%1\n")
                    .arg(QDateTime::currentDateTime().addSecs(-60).toString(QStringLiteral("yyyyMMddhhmmss")))
                    .toUtf8());
    }

    bool start(const QString &simScript)
    {
        QProcessEnvironment env = m_sandbox.environment(10);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("VESK_SDK_SIM"), simScript);
        const QString dir = m_sandbox.filePath(appDir);
        return m_sandbox.start(m_program, dir + QStringLiteral("/VeskMeeting"), {}, env, dir,
                               QProcess::MergedChannels);
    }

    // The newest visible top-level window titled like the product, other
    // than `not`; 0 when none shows up in time.
    qulonglong waitForWindow(qulonglong notThis = 0, int timeoutMs = 20000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired() && m_program.state() == QProcess::Running) {
            const QStringList ids = shownWindows();
            for (auto it = ids.crbegin(); it != ids.crend(); ++it) {
                const qulonglong id = it->toULongLong();
                if (id && id != notThis)
                    return id;
            }
            QTest::qWait(100);
        }
        return 0;
    }

    // The program's mapped top-level windows titled like the product, oldest first.
    QStringList shownWindows()
    {
        QProcess search;
        search.start(QStringLiteral("xdotool"),
                     {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                      QStringLiteral("--pid"), QString::number(m_program.processId()),
                      QStringLiteral("--name"), QStringLiteral("^Vesk云会议$")});
        search.waitForFinished(5000);
        return QString::fromUtf8(search.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    // The window's top-left corner on the screen.
    static QPoint position(qulonglong window)
    {
        QProcess query;
        query.start(QStringLiteral("xdotool"),
                    {QStringLiteral("getwindowgeometry"), QString::number(window)});
        query.waitForFinished(5000);
        const auto m = QRegularExpression(QStringLiteral("Position: (\\d+),(\\d+)"))
                           .match(QString::fromUtf8(query.readAllStandardOutput()));
        return QPoint(m.captured(1).toInt(), m.captured(2).toInt());
    }

    // Clicks at a point of the window, in the window's own coordinates.
    static bool click(qulonglong window, int x, int y)
    {
        return QProcess::execute(QStringLiteral("xdotool"),
                                 {QStringLiteral("mousemove"), QStringLiteral("--window"),
                                  QString::number(window), QString::number(x), QString::number(y),
                                  QStringLiteral("click"), QStringLiteral("1")}) == 0;
    }

    // The window manager's close (Alt+F4, the taskbar).
    static bool closeLikeWindowManager(qulonglong window)
    {
        return QProcess::execute(QStringLiteral(VESK_TESTS_BIN_DIR "/x11close"), {QString::number(window)}) ==
               0;
    }

    // A value in the program's User.dat before it starts.
    void setUserValue(const QString &key, const QString &value)
    {
        QSettings store(m_sandbox.dataHome() + QStringLiteral("/VeskMeeting/User.dat"), QSettings::IniFormat);
        store.setValue(key, value);
    }

    bool endsWithin(int ms) { return m_program.waitForFinished(ms); }

    QString logs() const { return m_sandbox.allLogs(); }

    QString report()
    {
        return QStringLiteral("output:\n%1\nlog:\n%2")
            .arg(QString::fromUtf8(m_program.readAll()).right(2000), logs().right(4000));
    }

    // The sandbox goes after the program and releases the instance marker
    // that a killed program leaves.
    ~ProgramRun()
    {
        if (m_program.state() != QProcess::NotRunning) {
            m_program.kill();
            m_program.waitForFinished(5000);
        }
    }

    QProcess &program() { return m_program; }

private:
    static inline const QString appDir = QStringLiteral("app");
    devservice::Server &m_server;
    testsupport::ProgramSandbox m_sandbox;
    QProcess m_program;
};

// Points inside the 395 × 687 screens (10 px shadow around the content).
const QPoint loginButton(10 + 48 + 139, 10 + 540 + 20);
const QPoint returnButton(10 + 16, 10 + 16);
const QPoint closeButton(10 + 342 + 16, 10 + 16);

} // namespace

class TestRunEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void returnThenCloseEndsTheProgram();
    void windowManagerCloseEndsTheProgram_data();
    void windowManagerCloseEndsTheProgram();
    void traySwitchKeepsTheRunAlive();
    void closingHomeWhenSignOutFailsEndsTheProgram_data();
    void closingHomeWhenSignOutFailsEndsTheProgram();

private:
    bool listAsked() const;
    devservice::Server m_server;
};

// The home screen has asked for the meetings: the sign-in is over.
bool TestRunEnd::listAsked() const
{
    for (const auto &r : m_server.requests())
        if (r.path == "/service/tencent-meeting/meeting/queryMeeting")
            return true;
    return false;
}

void TestRunEnd::initTestCase()
{
    if (qgetenv("QT_QPA_PLATFORM") != "xcb" || qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server (run under xvfb-run)");
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        QSKIP("needs xdotool");
    QVERIFY(m_server.start() > 0);
}

void TestRunEnd::returnThenCloseEndsTheProgram()
{
    ProgramRun run(m_server);
    QVERIFY(run.prepare());
    QVERIFY(run.start(QStringLiteral("headless=1;delay_ms=5")));
    // The start screen takes clicks once its start-up checks are done; the
    // window is looked up after them, so a start-up splash is never taken
    // for it.
    QTRY_VERIFY_WITH_TIMEOUT(run.logs().contains(QStringLiteral("autoLoginSlot()")), 20000);
    const qulonglong start = run.waitForWindow();
    QVERIFY2(start, qPrintable(run.report()));
    QVERIFY(ProgramRun::click(start, loginButton.x(), loginButton.y()));
    const qulonglong login = run.waitForWindow(start);
    QVERIFY2(login, qPrintable(run.report()));
    QVERIFY(ProgramRun::click(login, returnButton.x(), returnButton.y()));
    const qulonglong startAgain = run.waitForWindow(login);
    QVERIFY2(startAgain, qPrintable(run.report()));
    QVERIFY(ProgramRun::click(startAgain, closeButton.x(), closeButton.y()));
    QVERIFY2(run.endsWithin(15000), qPrintable(run.report()));
    QCOMPARE(run.program().exitCode(), 0);
    QVERIFY(run.logs().contains(QStringLiteral("Uninitialize")));
}

void TestRunEnd::windowManagerCloseEndsTheProgram_data()
{
    QTest::addColumn<bool>("fromSignIn");
    QTest::newRow("start screen") << false;
    QTest::newRow("account sign-in") << true;
}

void TestRunEnd::windowManagerCloseEndsTheProgram()
{
    QFETCH(bool, fromSignIn);
    ProgramRun run(m_server);
    QVERIFY(run.prepare());
    QVERIFY(run.start(QStringLiteral("headless=1;delay_ms=5")));
    QVERIFY2(run.waitForWindow(), qPrintable(run.report()));
    // On a busy machine the first window can be the start-up splash: take
    // the start screen's once its start-up checks are done.
    QTRY_VERIFY_WITH_TIMEOUT(run.logs().contains(QStringLiteral("autoLoginSlot()")), 20000);
    qulonglong window = run.waitForWindow();
    QVERIFY2(window, qPrintable(run.report()));
    if (fromSignIn) {
        QVERIFY(ProgramRun::click(window, loginButton.x(), loginButton.y()));
        window = run.waitForWindow(window);
        QVERIFY2(window, qPrintable(run.report()));
    }
    QVERIFY(ProgramRun::closeLikeWindowManager(window));
    QVERIFY2(run.endsWithin(15000), qPrintable(run.report()));
    QCOMPARE(run.program().exitCode(), 0);
}

void TestRunEnd::closingHomeWhenSignOutFailsEndsTheProgram_data()
{
    QTest::addColumn<QString>("simScript");
    QTest::newRow("sign-out refused") << QStringLiteral("headless=1;delay_ms=5;logout_fail=网络异常");
    QTest::newRow("sign-out succeeds") << QStringLiteral("headless=1;delay_ms=5");
}

void TestRunEnd::closingHomeWhenSignOutFailsEndsTheProgram()
{
    QFETCH(QString, simScript);
    ProgramRun run(m_server);
    QVERIFY(run.prepare());
    run.handOffAccount();
    m_server.clearRequests();
    QVERIFY(run.start(simScript));
    // Signed in by the hand-off: once the home screen asks for the meetings
    // the sign-in has handed over to it, and it is the one window left.
    QTRY_VERIFY2_WITH_TIMEOUT(listAsked(), qPrintable(run.report()), 40000);
    const qulonglong home = run.waitForWindow();
    QVERIFY2(home, qPrintable(run.report()));
    QVERIFY(ProgramRun::closeLikeWindowManager(home));
    QVERIFY2(run.endsWithin(20000), qPrintable(run.report()));
    QCOMPARE(run.program().exitCode(), 0);
}

void TestRunEnd::traySwitchKeepsTheRunAlive()
{
    if (QStandardPaths::findExecutable(QStringLiteral("trayer")).isEmpty())
        QSKIP("needs trayer for a notification area");
    // A notification area in the top-left corner; its first icon sits at 16, 16.
    QProcess tray;
    tray.start(QStringLiteral("trayer"),
               {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
                QStringLiteral("left"), QStringLiteral("--widthtype"), QStringLiteral("pixel"),
                QStringLiteral("--width"), QStringLiteral("64"), QStringLiteral("--height"),
                QStringLiteral("32")});
    QVERIFY(tray.waitForStarted());
    ProgramRun run(m_server);
    QVERIFY(run.prepare());
    run.handOffAccount();
    run.setUserValue(QStringLiteral("TRAY/600888_u_zhangwei"), QStringLiteral("True"));
    // Last seen beyond the right edge of a screen that is gone.
    run.setUserValue(QStringLiteral("WINDOW/HOMEPOS"), QStringLiteral("5000,40"));
    run.setUserValue(QStringLiteral("WINDOW/HOMESCREEN"), QStringLiteral("HDMI-9"));
    m_server.clearRequests();
    QVERIFY(run.start(QStringLiteral("headless=1;delay_ms=5")));
    QTRY_VERIFY2_WITH_TIMEOUT(listAsked(), qPrintable(run.report()), 40000);
    const qulonglong home = run.waitForWindow();
    QVERIFY2(home, qPrintable(run.report()));
    QCOMPARE(ProgramRun::position(home), QPoint(1280 - 395, 40));

    // The close button hides the home screen; the run goes on without a window.
    QVERIFY(ProgramRun::click(home, closeButton.x(), closeButton.y()));
    QTRY_VERIFY2_WITH_TIMEOUT(run.logs().contains(QStringLiteral("home screen kept in the tray")),
                              qPrintable(run.report()), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(!run.shownWindows().contains(QString::number(home)), 10000);

    // A click on the tray icon (the area's first, at the screen's corner) brings the same window back.
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"),
                               {QStringLiteral("mousemove"), QStringLiteral("16"), QStringLiteral("16"),
                                QStringLiteral("click"), QStringLiteral("1")}),
             0);
    QTRY_VERIFY2_WITH_TIMEOUT(run.shownWindows().contains(QString::number(home)), qPrintable(run.report()),
                              15000);
    QCOMPARE(run.program().state(), QProcess::Running);
    tray.kill();
    tray.waitForFinished(5000);
}

QTEST_GUILESS_MAIN(TestRunEnd)
#include "tst_runend.moc"
