// The installed client is started through a link with another name (the
// launcher /usr/bin/veskmeeting): it must still read config.ini and its files
// beside the real program and keep its data in the one data folder.

#include "support/programsandbox.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <memory>
#include <signal.h>

class TestLauncher : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<testsupport::ProgramSandbox> m_root;

private slots:
    void init()
    {
        m_root = std::make_unique<testsupport::ProgramSandbox>();
        QVERIFY(m_root->isValid());
        QVERIFY(QDir(m_root->path()).mkpath(QStringLiteral("usr/bin")));
    }
    // Also releases the instance marker of a program the test killed.
    void cleanup() { m_root.reset(); }

    void startedThroughTheLauncherLink()
    {
        const QString app = QStringLiteral("opt/veskmeeting");
        QVERIFY(m_root->installProgram(app));
        // A version only this config.ini names, and no service.
        m_root->setConfig(app, {{QStringLiteral("VERSION/NO"), QStringLiteral("7.7.7")}});
        m_root->useServiceAt(app, QStringLiteral("http://127.0.0.1:9/"));
        const QString launcher = m_root->filePath(QStringLiteral("usr/bin/veskmeeting"));
        QVERIFY(QFile::link(QStringLiteral("../../opt/veskmeeting/VeskMeeting"), launcher));

        QProcess process;
        QVERIFY2(m_root->start(process, launcher, {}, m_root->environment(5)),
                 qPrintable(process.errorString()));

        const QString log = m_root->todaysLog();
        QTRY_VERIFY2_WITH_TIMEOUT(
            testsupport::readText(log).contains(QStringLiteral("Vesk云会议v7.7.7")) ||
                process.state() == QProcess::NotRunning,
            qPrintable(QDir(m_root->filePath(QStringLiteral("home/data"))).entryList().join(' ')), 30000);
        QCOMPARE(process.state(), QProcess::Running);
        QVERIFY(QFile::exists(m_root->filePath(QStringLiteral("home/data/VeskMeeting/User.dat"))));
        QVERIFY(!QFile::exists(m_root->filePath(QStringLiteral("home/data/veskmeeting"))));

        ::kill(pid_t(process.processId()), SIGTERM);
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestLauncher)
#include "tst_launcher.moc"
