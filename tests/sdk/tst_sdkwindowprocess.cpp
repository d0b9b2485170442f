// The simulator's windows live in a process of their own, as the real SDK's
// do: the client's modal screens do not block them, and that process is a
// real child of the client which ends with it.

#include "sdktestsupport.h"

#include "app/platform.h"
#include "app/waits.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <csignal>
#include <cstdio>

namespace {

const char childModeVariable[] = "VESK_TEST_WINDOW_PROCESS_CHILD";

QByteArray procStat(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    return stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
}

// Running means: listed in /proc and neither a zombie nor dead.
bool running(qint64 pid)
{
    const QByteArray content = procStat(pid);
    const int close = content.lastIndexOf(')');
    const char state = close >= 0 && close + 2 < content.size() ? content.at(close + 2) : 'X';
    return state != 'Z' && state != 'X' && state != 'x';
}

qint64 parentOf(qint64 pid)
{
    const QByteArray content = procStat(pid);
    const QList<QByteArray> fields = content.mid(content.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() : -1;
}

// Signed in and in a meeting whose window is on screen.
bool meetWithWindow()
{
    if (!initializeSdk() || !sdkLoginResult().isEmpty())
        return false;
    QSignalSpy joined(WeMeetManager::instance(), &WeMeetManager::OnJoinMeetingFinishSignal);
    WeMeetManager::instance()->joinMeeting(QStringLiteral("123456789"), QStringLiteral("张三"), false, false,
                                           QString());
    if (!joined.wait(Waits::sdkResponseMs) || !joined.first().first().toString().isEmpty())
        return false;
    return QTest::qWaitFor(
        [] { return WemeetSim::meetingWindow() && WemeetSim::meetingWindow()->isVisible(); }, 10000);
}

void prepareSession()
{
    resetSdkWorld();
    baseValues->ssoUrl = QStringLiteral("http://127.0.0.1:1/sso/login?id_token=");
    baseValues->idToken = QStringLiteral("id-77");
}

// The client side of the process test: meets, tells the window process's id,
// then waits to be ended or ends everything itself.
int runChild(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    prepareSession();
    if (!meetWithWindow())
        return 3;
    std::printf("%lld\n", static_cast<long long>(WemeetSim::windowProcessId()));
    std::fflush(stdout);
    if (qEnvironmentVariable(childModeVariable) == QLatin1String("killProcessTree"))
        killProcessTree();
    return app.exec();
}

} // namespace

class TestSdkWindowProcess : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init() { prepareSession(); }

    void windowsAnswerWhileTheClientShowsAModalDialog()
    {
        QVERIFY(meetWithWindow());
        WeMeetManager *manager = WeMeetManager::instance();

        // As the client's invitation dialog or home screen are.
        QDialog modal;
        modal.setWindowModality(Qt::ApplicationModal);
        modal.show();
        QTRY_COMPARE(QApplication::activeModalWidget(), &modal);

        QSignalSpy share(manager, &WeMeetManager::OnShareToMeetingFinishSignal);
        QVERIFY(WemeetSim::pressInvite());
        QVERIFY(share.wait(Waits::sdkResponseMs));

        WemeetSim::SimWindow *meeting = WemeetSim::meetingWindow();
        meeting->click(QStringLiteral("simMicButton"));
        // The window lives in its own process, which a loaded machine answers late.
        QTRY_COMPARE_WITH_TIMEOUT(meeting->text(QStringLiteral("simMicLabel")), QStringLiteral("麦克风：开"),
                                  Waits::sdkResponseMs);

        QSignalSpy left(manager, &WeMeetManager::OnLeaveMeetingFinishSignal);
        QVERIFY(WemeetSim::pressLeave());
        QVERIFY(left.wait(Waits::sdkResponseMs));
        QCOMPARE(manager->state(), 2);
        QVERIFY(!WemeetSim::meetingWindow());

        // The screen-cast view closes with its own button.
        manager->showScreenCastView();
        QTRY_VERIFY_WITH_TIMEOUT(WemeetSim::screenCastWindow() && WemeetSim::screenCastWindow()->isVisible(),
                                 Waits::sdkResponseMs);
        WemeetSim::screenCastWindow()->click(QStringLiteral("simScreenCastCloseButton"));
        QTRY_VERIFY_WITH_TIMEOUT(!WemeetSim::screenCastWindow(), Waits::sdkResponseMs);
        QCOMPARE(QApplication::activeModalWidget(), &modal);
    }

    void windowProcessIsAChildBesideTheLibraryAndEndsWithTheClient_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::newRow("the process-ending routine") << QStringLiteral("killProcessTree");
        QTest::newRow("killed from outside") << QStringLiteral("kill");
    }

    void windowProcessIsAChildBesideTheLibraryAndEndsWithTheClient()
    {
        QFETCH(QString, ending);
        QProcess client;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QLatin1String(childModeVariable), ending);
        client.setProcessEnvironment(env);
        client.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        client.start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY(client.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(client.canReadLine() || client.state() == QProcess::NotRunning, 30000);
        const qint64 windows = client.readLine().trimmed().toLongLong();
        QVERIFY2(windows > 0, "the client met and reported its window process");

        if (ending == QLatin1String("kill")) {
            QVERIFY(running(windows));
            QCOMPARE(parentOf(windows), client.processId());
            const QFileInfo program(QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(windows)));
            QCOMPARE(program.fileName(), QStringLiteral("wemeetsdk-windows"));
            QVERIFY(QFileInfo::exists(program.dir().filePath(QStringLiteral("libwemeetsdk.so"))));
            ::kill(pid_t(client.processId()), SIGKILL);
            QTRY_COMPARE_WITH_TIMEOUT(client.state(), QProcess::NotRunning, 10000);
            QCOMPARE(client.exitStatus(), QProcess::CrashExit);
        } else {
            // The routine ends the client with status 0 once its children are gone.
            QTRY_COMPARE_WITH_TIMEOUT(client.state(), QProcess::NotRunning, 10000);
            QCOMPARE(client.exitStatus(), QProcess::NormalExit);
            QCOMPARE(client.exitCode(), 0);
        }
        QTRY_VERIFY_WITH_TIMEOUT(!running(windows), 10000);
    }
};

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet(childModeVariable))
        return runChild(argc, argv);
    QApplication app(argc, argv);
    TestSdkWindowProcess test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sdkwindowprocess.moc"
