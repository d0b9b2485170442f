// The real program, started as a user's desktop would start it: a hand-off
// file from the company portal and a meeting link on the command line. It
// must sign in by itself and end up in the meeting.

#include "devservice/devservice.h"
#include "support/instancemarker.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class TestSessionProcess : public QObject
{
    Q_OBJECT

private slots:
    void handOffAndLinkEndInTheMeeting();

private:
    static QString readLogs(const QString &root);
};

QString TestSessionProcess::readLogs(const QString &root)
{
    QString all;
    QDirIterator it(root, {QStringLiteral("*.log")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly))
            all += QString::fromUtf8(file.readAll());
    }
    return all;
}

void TestSessionProcess::handOffAndLinkEndInTheMeeting()
{
    const QString binDir = QStringLiteral(VESK_BIN_DIR);
    if (!QFile::exists(binDir + QStringLiteral("/VeskMeeting")))
        QSKIP("the program is not built");

    devservice::Server server;
    QVERIFY(server.start() > 0);

    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    tmp.setAutoRemove(qEnvironmentVariableIsEmpty("VESK_KEEP_TEST_FILES"));
    const QString appDir = tmp.filePath(QStringLiteral("app"));
    const QString home = tmp.filePath(QStringLiteral("home"));
    const QString dataHome = home + QStringLiteral("/.local/share");
    const QString tmpDir = tmp.filePath(QStringLiteral("tmp"));
    QVERIFY(QDir().mkpath(appDir));
    QVERIFY(QDir().mkpath(dataHome + QStringLiteral("/VeskDesk")));
    QVERIFY(QDir().mkpath(tmpDir));
    for (const QString &name :
         {QStringLiteral("VeskMeeting"), QStringLiteral("libwemeetsdk.so"), QStringLiteral("areaCode.dat")}) {
        if (QFile::exists(binDir + QLatin1Char('/') + name))
            QVERIFY(QFile::copy(binDir + QLatin1Char('/') + name, appDir + QLatin1Char('/') + name));
    }
    QFile::setPermissions(appDir + QStringLiteral("/VeskMeeting"),
                          QFile::permissions(binDir + QStringLiteral("/VeskMeeting")));

    QFile config(appDir + QStringLiteral("/config.ini"));
    QVERIFY(config.open(QIODevice::WriteOnly | QIODevice::Text));
    config.write(QStringLiteral("[VERSION]\nNAME=Vesk云会议\nNO=1.0.0\n\n[CONFIG]\n"
                                "SERVICE_URL=%1\nCLOUD_URL=%2\nIDM_URL=%3\n")
                     .arg(QString::fromStdString(server.serviceUrl()),
                          QString::fromStdString(server.cloudUrl()), QString::fromStdString(server.idmUrl()))
                     .toUtf8());
    config.close();

    const QString handOffPath = dataHome + QStringLiteral("/VeskDesk/VeskLiveMeeting.txt");
    QFile handOff(handOffPath);
    QVERIFY(handOff.open(QIODevice::WriteOnly | QIODevice::Text));
    handOff.write(
        QStringLiteral("veskmeet://sso?companyCode=600888&userName=zhangwei&timeStamp=%1\n")
            .arg(QDateTime::currentDateTime().addSecs(-60).toString(QStringLiteral("yyyyMMddhhmmss")))
            .toUtf8());
    handOff.close();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
    // The single-instance marker and the local socket live under the
    // temporary folder: keep them apart from any other running client.
    env.insert(QStringLiteral("TMPDIR"), tmpDir);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("VESK_SDK_SIM"), QStringLiteral("headless=1;delay_ms=5"));
    env.insert(QStringLiteral("VESK_WAIT_SCALE_PERCENT"), QStringLiteral("20"));

    QProcess program;
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(appDir);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(appDir + QStringLiteral("/VeskMeeting"),
                  {QStringLiteral("veskmeeting://join?meetingCode=482915736")});
    QVERIFY2(program.waitForStarted(10000), qPrintable(program.errorString()));

    const QRegularExpression joined(QStringLiteral("JoinMeeting\\.\\.\\.code =\\s+0\\b.*482915736"));
    QString logs;
    QTRY_VERIFY2_WITH_TIMEOUT((logs = readLogs(dataHome)).contains(joined) ||
                                  program.state() == QProcess::NotRunning,
                              "no join in the log", 40000);
    const bool running = program.state() == QProcess::Running;
    program.kill();
    program.waitForFinished(5000);
    testsupport::releaseInstanceMarker(tmpDir);
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
