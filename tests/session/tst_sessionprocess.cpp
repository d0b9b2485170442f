// The real program, started as a user's desktop would start it: a hand-off
// file from the company portal and a meeting link on the command line. It
// must sign in by itself and end up in the meeting.

#include "devservice/devservice.h"
#include "support/programsandbox.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

class TestSessionProcess : public QObject
{
    Q_OBJECT

private slots:
    void handOffAndLinkEndInTheMeeting();
};

void TestSessionProcess::handOffAndLinkEndInTheMeeting()
{
    const QString binDir = QStringLiteral(VESK_BIN_DIR);
    if (!QFile::exists(binDir + QStringLiteral("/VeskMeeting")))
        QSKIP("the program is not built");

    devservice::Server server;
    QVERIFY(server.start() > 0);

    testsupport::ProgramSandbox sandbox;
    QVERIFY(sandbox.isValid());
    const QString appDir = sandbox.filePath(QStringLiteral("app"));
    QVERIFY(sandbox.installProgram(QStringLiteral("app")));
    QVERIFY(QDir().mkpath(sandbox.dataHome() + QStringLiteral("/VeskDesk")));
    sandbox.setConfig(QStringLiteral("app"),
                      {{QStringLiteral("VERSION/NAME"), QStringLiteral("Vesk云会议")},
                       {QStringLiteral("VERSION/NO"), QStringLiteral("1.0.0")},
                       {QStringLiteral("CONFIG/SERVICE_URL"), QString::fromStdString(server.serviceUrl())},
                       {QStringLiteral("CONFIG/CLOUD_URL"), QString::fromStdString(server.cloudUrl())},
                       {QStringLiteral("CONFIG/IDM_URL"), QString::fromStdString(server.idmUrl())}});

    const QString handOffPath = sandbox.dataHome() + QStringLiteral("/VeskDesk/VeskLiveMeeting.txt");
    QFile handOff(handOffPath);
    QVERIFY(handOff.open(QIODevice::WriteOnly | QIODevice::Text));
    handOff.write(
        QStringLiteral("veskmeet://sso?companyCode=600888&userName=zhangwei&timeStamp=%1\n")
            .arg(QDateTime::currentDateTime().addSecs(-60).toString(QStringLiteral("yyyyMMddhhmmss")))
            .toUtf8());
    handOff.close();

    QProcessEnvironment env = sandbox.environment(20);
    env.insert(QStringLiteral("VESK_SDK_SIM"), QStringLiteral("headless=1;delay_ms=5"));

    QProcess program;
    QVERIFY2(sandbox.start(program, appDir + QStringLiteral("/VeskMeeting"),
                           {QStringLiteral("veskmeeting://join?meetingCode=482915736")}, env, appDir,
                           QProcess::MergedChannels),
             qPrintable(program.errorString()));

    const QRegularExpression joined(QStringLiteral("JoinMeeting\\.\\.\\.code =\\s+0\\b.*482915736"));
    QString logs;
    QTRY_VERIFY2_WITH_TIMEOUT((logs = sandbox.allLogs()).contains(joined) ||
                                  program.state() == QProcess::NotRunning,
                              "no join in the log", 40000);
    const bool running = program.state() == QProcess::Running;
    program.kill();
    program.waitForFinished(5000);
    QVERIFY2(logs.contains(joined),
             qPrintable(QStringLiteral("process %1 (exit %4, %5); output:\n%2\nlog:\n%3")
                            .arg(running ? "running" : "ended",
                                 QString::fromUtf8(program.readAll()).right(3000), logs.right(6000))
                            .arg(program.exitCode())
                            .arg(program.errorString())));
    QVERIFY2(running, qPrintable(logs.right(5000)));
    QVERIFY(!QFile::exists(handOffPath));
    QVERIFY(logs.contains(QStringLiteral("simulateLogin")) || !server.requests().empty());
    bool simulated = false;
    for (const auto &r : server.requests())
        simulated |= r.path == "/idm/api/user/simulateLogin";
    QVERIFY(simulated);
}

QTEST_GUILESS_MAIN(TestSessionProcess)
#include "tst_sessionprocess.moc"
