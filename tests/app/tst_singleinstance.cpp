// One client per user, with real processes: a second start hands its launch
// link to the running client over the local socket, brings its window to the
// front and ends; a killed client leaves nothing behind that blocks the next
// start. The window cases run on a private X server.

#include "app/instancemarker.h"
#include "app/veskmeetingserver.h"
#include "support/programsandbox.h"
#include "x11desktop.h"

#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSharedMemory>
#include <QTcpServer>
#include <QtTest>

#include <memory>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString appTitle = QStringLiteral("Vesk云会议");
// Chinese text and a percent-encoded one: the channel carries UTF-8 as is.
const QString meetingLink =
    QStringLiteral("veskmeeting://join?meetingCode=482915736&name=张伟&phone=%2B86%20138");
} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<testsupport::ProgramSandbox> m_root;
    QByteArray m_testTmpDir;
    QProcess m_xServer;
    QString m_display;

    QString tmpFolder() const { return m_root->tmpFolder(); }
    QString socketPath() const { return tmpFolder() + QLatin1Char('/') + VeskMeetingServer::serverName(); }
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
        // A private X server; the display number comes back on its output.
        m_xServer.setStandardErrorFile(QProcess::nullDevice());
        m_xServer.start(QStringLiteral("Xvfb"),
                        {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                         QStringLiteral("0"), QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                         QStringLiteral("tcp")});
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
        m_testTmpDir = qgetenv("TMPDIR");
        qputenv("TMPDIR", tmpFolder().toLocal8Bit());
    }

    void cleanup()
    {
        if (m_testTmpDir.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", m_testTmpDir);
        // Also releases the marker of a program the test killed.
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
        const std::vector<unsigned long> raised = desktop.activationRequests();
        QVERIFY2(std::find(raised.begin(), raised.end(), window) != raised.end(), qPrintable(log()));

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
        // What it leaves: its socket and its marker.
        QVERIFY(QFileInfo::exists(socketPath()));
        {
            QSharedMemory marker(instanceMarkerKey());
            QVERIFY(!marker.create(100));
            QCOMPARE(marker.error(), QSharedMemory::AlreadyExists);
        }

        QProcess next;
        start(next, Screen::Offscreen);
        QTRY_VERIFY_WITH_TIMEOUT(channelAnswers() || next.state() == QProcess::NotRunning, 10000);
        QCOMPARE(next.state(), QProcess::Running);
        QCOMPARE(handOver(meetingLink), QStringLiteral("Hello Client"));
        QTRY_VERIFY2(log().contains(QStringLiteral("receiveAppParameter = ") + meetingLink),
                     qPrintable(log()));
        QVERIFY(log().contains(QStringLiteral("instance marker left by an ended instance released")));
        endCleanly(next);

        // A clean end leaves neither behind.
        QVERIFY(!QFileInfo::exists(socketPath()));
        QSharedMemory marker(instanceMarkerKey());
        QVERIFY(marker.create(100));
    }

    void anotherUsersClientDoesNotStopThisUsersStart()
    {
        // What a client of another user holds in the shared temporary folder
        // under the machine-wide names.
        QSharedMemory othersMarker(QStringLiteral("VeskMeeting.exe"));
        QVERIFY(othersMarker.create(100));
        QLocalServer othersSocket;
        othersSocket.setSocketOptions(QLocalServer::WorldAccessOption);
        QVERIFY(othersSocket.listen(QStringLiteral("VeskMeeting")));

        QProcess mine;
        start(mine, Screen::Offscreen);
        QTRY_VERIFY_WITH_TIMEOUT(log().contains(QStringLiteral("Run Server ok")), 10000);
        QVERIFY(channelAnswers());
        QVERIFY(!othersSocket.hasPendingConnections());
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

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
