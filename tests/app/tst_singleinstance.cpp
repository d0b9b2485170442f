// One client per user, with real processes: a second start hands its launch
// link to the running client over the local socket, brings its window to the
// front and ends; a killed client leaves nothing behind that blocks the next
// start. The window cases run on a private X server.

#include "app/veskmeetingserver.h"
#include "app/waits.h"
#include "support/programsandbox.h"
#include "x11desktop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSharedMemory>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QtTest>

#include <cstdio>
#include <memory>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString appTitle = QStringLiteral("Vesk云会议");
const QString squatter = QStringLiteral("vesksquat");
// Chinese text and a percent-encoded one: the channel carries UTF-8 as is.
const QString meetingLink =
    QStringLiteral("veskmeeting://join?meetingCode=482915736&name=张伟&phone=%2B86%20138");
} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<testsupport::ProgramSandbox> m_root;
    QProcessEnvironment m_testEnv;
    QProcess m_xServer;
    QString m_display;

    QString tmpFolder() const { return m_root->tmpFolder(); }
    QString socketPath() const { return VeskMeetingServer::serverName(); }
    QString log() const { return testsupport::readText(m_root->todaysLog()); }

    void useServiceAt(quint16 port)
    {
        m_root->useServiceAt(QString(), QStringLiteral("http://127.0.0.1:%1/").arg(port));
    }

    enum class Screen
    {
        Offscreen,
        X
    };

    void start(QProcess &process, Screen screen, const QStringList &arguments = {}, int waitScalePercent = 5)
    {
        QProcessEnvironment env = m_root->environment(waitScalePercent);
        env.insert(QStringLiteral("VESK_SDK_SIM"), QStringLiteral("headless=1"));
        if (screen == Screen::X) {
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
            env.insert(QStringLiteral("DISPLAY"), m_display);
        } else {
            env.remove(QStringLiteral("DISPLAY"));
        }
        QVERIFY2(m_root->start(process, m_root->filePath(QStringLiteral("VeskMeeting")), arguments, env),
                 qPrintable(process.errorString()));
    }

    // Connects as a second start would; nothing is sent.
    bool channelAnswers() const
    {
        QLocalSocket socket;
        socket.connectToServer(socketPath());
        return socket.waitForConnected(1000);
    }

    // Hands a link over as a second start does; returns the reply.
    QString handOver(const QString &parameter) const
    {
        QLocalSocket socket;
        socket.connectToServer(socketPath());
        if (!socket.waitForConnected(5000))
            return QStringLiteral("not connected");
        socket.write(parameter.toUtf8());
        socket.flush();
        QByteArray reply;
        while (reply.size() < 12 && socket.waitForReadyRead(5000))
            reply += socket.readAll();
        return QString::fromUtf8(reply);
    }

    static void endCleanly(QProcess &process) { testsupport::endCleanly(process); }

    bool hasXServer() { return !m_display.isEmpty() && m_xServer.state() == QProcess::Running; }

private slots:
    void initTestCase()
    {
        // A private X server; the display number comes back on its output. It
        // does not reset when the last client leaves, which can turn the next
        // program away.
        m_xServer.setStandardErrorFile(QProcess::nullDevice());
        m_xServer.start(QStringLiteral("Xvfb"),
                        {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                         QStringLiteral("0"), QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                         QStringLiteral("tcp"), QStringLiteral("-noreset")});
        if (!m_xServer.waitForStarted(5000))
            return;
        while (!m_xServer.canReadLine() && m_xServer.waitForReadyRead(10000)) {
        }
        const QByteArray number = m_xServer.readLine().trimmed();
        if (!number.isEmpty())
            m_display = QStringLiteral(":") + QString::fromLatin1(number);
    }

    void cleanupTestCase()
    {
        if (m_xServer.state() == QProcess::Running) {
            m_xServer.terminate();
            m_xServer.waitForFinished(5000);
        }
    }

    void init()
    {
        m_root = std::make_unique<testsupport::ProgramSandbox>();
        QVERIFY(m_root->isValid());
        QVERIFY(m_root->installProgram());
        // No real service: port 9 refuses at once.
        useServiceAt(9);
        // This process looks at the same marker and socket as the programs.
        m_testEnv = QProcessEnvironment::systemEnvironment();
        const QProcessEnvironment env = m_root->environment(100);
        for (const char *name : {"TMPDIR", "XDG_RUNTIME_DIR", "XDG_DATA_HOME"})
            qputenv(name, env.value(QLatin1String(name)).toLocal8Bit());
    }

    void cleanup()
    {
        for (const char *name : {"TMPDIR", "XDG_RUNTIME_DIR", "XDG_DATA_HOME"}) {
            if (m_testEnv.contains(QLatin1String(name)))
                qputenv(name, m_testEnv.value(QLatin1String(name)).toLocal8Bit());
            else
                qunsetenv(name);
        }
        m_root.reset();
    }

    void secondStartHandsOverAndRaisesTheRunningClient_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("with a link") << QStringList{meetingLink};
        QTest::newRow("without a parameter") << QStringList{};
    }

    void secondStartHandsOverAndRaisesTheRunningClient()
    {
        QFETCH(QStringList, arguments);
        if (!hasXServer())
            QSKIP("no Xvfb");
        X11Desktop desktop(m_display.toStdString());
        QVERIFY(desktop.isOpen());

        QProcess first;
        start(first, Screen::X);
        unsigned long window = 0;
        QTRY_VERIFY_WITH_TIMEOUT((window = desktop.windowWithTitle(appTitle.toStdString())) != 0, 30000);

        desktop.watchActivationRequests();
        QProcess second;
        start(second, Screen::X, arguments);
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 1);
        // The first client raises its window after it has answered the second one.
        std::vector<unsigned long> raised;
        const auto wasRaised = [&] {
            const std::vector<unsigned long> more = desktop.activationRequests();
            raised.insert(raised.end(), more.begin(), more.end());
            return std::find(raised.begin(), raised.end(), window) != raised.end();
        };
        QVERIFY2(QTest::qWaitFor(wasRaised, Waits::instanceChannelMs), qPrintable(log()));

        if (arguments.isEmpty()) {
            // Anything the second start had sent would come before this.
            QCOMPARE(handOver(QStringLiteral("veskmeeting://join?meetingCode=1")),
                     QStringLiteral("Hello Client"));
            QTRY_VERIFY(
                log().contains(QStringLiteral("receiveAppParameter = veskmeeting://join?meetingCode=1")));
            QCOMPARE(log().count(QStringLiteral("Read Data From Client:")), 1);
            QCOMPARE(log().count(QStringLiteral("receiveAppParameter")), 1);
            QCOMPARE(log().count(QStringLiteral("New Connection")), 2);
        } else {
            QTRY_VERIFY2(log().contains(QStringLiteral("receiveAppParameter = ") + meetingLink),
                         qPrintable(log()));
            QCOMPARE(log().count(QStringLiteral("receiveAppParameter")), 1);
            QVERIFY(log().contains(QStringLiteral("Read Data From Server: Hello Client")));
        }
        endCleanly(first);
    }

    void linkDuringTheStartUpWaitsReachesTheSessionOnceItRuns()
    {
        if (!hasXServer())
            QSKIP("no Xvfb");
        // A service that takes connections and never answers holds the first
        // client in its start-up waits; it runs offscreen, so a second start
        // without a link finds no window and says so.
        auto silent = std::make_unique<QTcpServer>();
        QVERIFY(silent->listen(QHostAddress::LocalHost));
        useServiceAt(silent->serverPort());
        QProcess first;
        start(first, Screen::Offscreen, {}, 30);
        QTRY_VERIFY_WITH_TIMEOUT(channelAnswers(), 10000);

        X11Desktop desktop(m_display.toStdString());
        QVERIFY(desktop.isOpen());
        QProcess second;
        start(second, Screen::X);
        unsigned long message = 0;
        QTRY_VERIFY_WITH_TIMEOUT((message = desktop.windowWithTitle("温馨提示")) != 0 ||
                                     second.state() == QProcess::NotRunning,
                                 20000);
        // It waits for the user.
        QCOMPARE(second.state(), QProcess::Running);
        QVERIFY2(log().contains(QStringLiteral("Debug: Vesk云会议已经在运行！\r\n")), qPrintable(log()));
        desktop.pressReturn(message);
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 255); // -1

        // With a link that the running client took, there is nothing to say.
        QProcess withLink;
        start(withLink, Screen::X, {meetingLink});
        QVERIFY(withLink.waitForFinished(20000));
        QCOMPARE(withLink.exitCode(), 1);
        QCOMPARE(log().count(QStringLiteral("Debug: Vesk云会议已经在运行！\r\n")), 1);

        const QString later = QStringLiteral("veskmeeting://join?meetingCode=777000111");
        QCOMPARE(handOver(later), QStringLiteral("Hello Client"));
        QString text = log();
        QVERIFY2(text.contains(QStringLiteral("Read Data From Client: ") + meetingLink), qPrintable(text));
        QVERIFY2(!text.contains(QStringLiteral("SDK Version ==")), "the start-up waits ended too early");
        QVERIFY(!text.contains(QStringLiteral("receiveAppParameter")));

        // The service goes away: the waits end, and the session gets both
        // links, in the order they came.
        silent.reset();
        QTRY_VERIFY_WITH_TIMEOUT(log().contains(QStringLiteral("receiveAppParameter = ") + later), 30000);
        text = log();
        const int sessionReady = text.indexOf(QStringLiteral("SDK Version =="));
        const int firstLink = text.indexOf(QStringLiteral("receiveAppParameter = ") + meetingLink);
        const int secondLink = text.indexOf(QStringLiteral("receiveAppParameter = ") + later);
        QVERIFY2(sessionReady >= 0 && sessionReady < firstLink && firstLink < secondLink, qPrintable(text));
        QCOMPARE(text.count(QStringLiteral("receiveAppParameter")), 2);
        endCleanly(first);
    }

    void socketIsForItsUserOnly()
    {
        QProcess first;
        start(first, Screen::Offscreen);
        QTRY_VERIFY_WITH_TIMEOUT(channelAnswers(), 10000);
        struct stat info
        {
        };
        QCOMPARE(::lstat(QFile::encodeName(socketPath()).constData(), &info), 0);
        QVERIFY(S_ISSOCK(info.st_mode));
        QCOMPARE(info.st_uid, ::getuid());
        QCOMPARE(info.st_mode & (S_IRWXG | S_IRWXO), mode_t(0));
        endCleanly(first);
    }

    void killedClientDoesNotBlockTheNextStart()
    {
        QProcess killed;
        start(killed, Screen::Offscreen);
        QTRY_VERIFY_WITH_TIMEOUT(channelAnswers(), 10000);
        ::kill(pid_t(killed.processId()), SIGKILL);
        QVERIFY(killed.waitForFinished(10000));
        // What it leaves: its socket.
        QVERIFY(QFileInfo::exists(socketPath()));

        QProcess next;
        start(next, Screen::Offscreen);
        QTRY_VERIFY_WITH_TIMEOUT(channelAnswers() || next.state() == QProcess::NotRunning, 10000);
        QCOMPARE(next.state(), QProcess::Running);
        QCOMPARE(handOver(meetingLink), QStringLiteral("Hello Client"));
        QTRY_VERIFY2(log().contains(QStringLiteral("receiveAppParameter = ") + meetingLink),
                     qPrintable(log()));
        endCleanly(next);
        // A clean end leaves no socket behind.
        QVERIFY(!QFileInfo::exists(socketPath()));
    }

    // Another user of the machine got there first: the marker under this
    // user's key and a socket where this user's used to be, in the shared
    // temporary folder, and perhaps the runtime folder the client is given.
    void anotherUsersSquatTakesNothing_data()
    {
        QTest::addColumn<bool>("runtimeTaken");
        QTest::newRow("own runtime folder") << false;
        QTest::newRow("runtime folder of the other user") << true;
    }
    void anotherUsersSquatTakesNothing()
    {
        QFETCH(bool, runtimeTaken);
        if (::geteuid() != 0)
            QSKIP("acting as another user needs root");
        QProcess::execute(QStringLiteral("useradd"), {QStringLiteral("-M"), QStringLiteral("-r"), squatter});
        // The other user may use the shared temporary folder, as in /tmp.
        QVERIFY(::chmod(QFile::encodeName(QFileInfo(tmpFolder()).absolutePath()).constData(), 0755) == 0);
        QVERIFY(::chmod(QFile::encodeName(tmpFolder()).constData(), 01777) == 0);
        const QString othersRuntime = tmpFolder() + QStringLiteral("/runtime-of-other");
        QProcess squat;
        squat.start(QStringLiteral("runuser"),
                    {QStringLiteral("-u"), squatter, QStringLiteral("--"),
                     QCoreApplication::applicationFilePath(), QStringLiteral("--squat"), tmpFolder(),
                     QString::number(::getuid()), runtimeTaken ? othersRuntime : QString()});
        QVERIFY(squat.waitForReadyRead(20000));
        QCOMPARE(squat.readLine(), QByteArray("ready\n"));

        QProcessEnvironment env = m_root->environment(5);
        env.insert(QStringLiteral("VESK_SDK_SIM"), QStringLiteral("headless=1"));
        env.remove(QStringLiteral("DISPLAY"));
        if (runtimeTaken) {
            env.insert(QStringLiteral("XDG_RUNTIME_DIR"), othersRuntime);
            qputenv("XDG_RUNTIME_DIR", othersRuntime.toLocal8Bit());
        }
        QProcess mine;
        QVERIFY(m_root->start(mine, m_root->filePath(QStringLiteral("VeskMeeting")), {}, env));
        QTRY_VERIFY_WITH_TIMEOUT(
            log().contains(QStringLiteral("Run Server ok")) || mine.state() == QProcess::NotRunning, 10000);
        QCOMPARE(mine.state(), QProcess::Running);
        QProcess second;
        QVERIFY(m_root->start(second, m_root->filePath(QStringLiteral("VeskMeeting")), {meetingLink}, env));
        QVERIFY(second.waitForFinished(20000));
        QTRY_VERIFY2(log().contains(QStringLiteral("receiveAppParameter = ") + meetingLink),
                     qPrintable(log()));
        QCOMPARE(log().contains(QStringLiteral("passed over")), runtimeTaken);
        squat.closeWriteChannel();
        QVERIFY(squat.waitForFinished(10000));
        // Nothing reached the other user's sockets.
        QCOMPARE(squat.readAll(), QByteArray());
        endCleanly(mine);
    }

    void runningClientsSocketIsNeverReplaced()
    {
        // Two starts that race past the marker: the later one must not take
        // the socket from under the one already listening.
        QLocalServer running;
        QVERIFY(running.listen(VeskMeetingServer::serverName()));
        VeskMeetingServer late;
        late.runServer();
        QVERIFY(!late.isListening());
        while (running.hasPendingConnections())
            delete running.nextPendingConnection();

        QLocalSocket secondStart;
        secondStart.connectToServer(VeskMeetingServer::serverName());
        QVERIFY(secondStart.waitForConnected(5000));
        QVERIFY(running.waitForNewConnection(5000));
    }
};

// The other user's side, run as them: holds what this user's client used
// to take, says "ready", then "connected" for every connection it gets,
// until its input closes.
int squatFor(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString suffix = QStringLiteral("-") + QString::fromLatin1(argv[3]);
    qputenv("TMPDIR", argv[2]);
    QSharedMemory marker(QStringLiteral("VeskMeeting.exe") + suffix);
    marker.create(100);
    QStringList places{QString::fromLocal8Bit(argv[2]) + QStringLiteral("/VeskMeeting") + suffix};
    if (argc > 4 && argv[4][0]) {
        QDir().mkpath(QString::fromLocal8Bit(argv[4]));
        ::chmod(argv[4], 0777);
        places << QString::fromLocal8Bit(argv[4]) + QStringLiteral("/VeskMeeting");
    }
    std::vector<std::unique_ptr<QLocalServer>> servers;
    for (const QString &place : places) {
        servers.push_back(std::make_unique<QLocalServer>());
        servers.back()->setSocketOptions(QLocalServer::WorldAccessOption);
        servers.back()->listen(place);
        QObject::connect(servers.back().get(), &QLocalServer::newConnection, [] {
            fputs("connected\n", stdout);
            fflush(stdout);
        });
    }
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&app] {
        char byte;
        if (::read(0, &byte, 1) <= 0)
            app.quit();
    });
    fputs("ready\n", stdout);
    fflush(stdout);
    return app.exec();
}

int main(int argc, char **argv)
{
    if (argc > 3 && qstrcmp(argv[1], "--squat") == 0)
        return squatFor(argc, argv);
    QCoreApplication app(argc, argv);
    TestSingleInstance test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"
