// The installed client is started through a link with another name (the
// launcher /usr/bin/veskmeeting): it must still read config.ini and its files
// beside the real program and keep its data in the one data folder.

#include "support/instancemarker.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <signal.h>

class TestLauncher : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_root;

    static QString readText(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    QString logIn(const QString &folder) const
    {
        return m_root->filePath(
            QStringLiteral("home/data/%1/%2.log")
                .arg(folder, QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));
    }

private slots:
    void init()
    {
        m_root = std::make_unique<QTemporaryDir>();
        QVERIFY(m_root->isValid());
        QDir root(m_root->path());
        for (const char *folder :
             {"opt/veskmeeting", "usr/bin", "home/data", "home/config", "runtime", "tmp"})
            QVERIFY(root.mkpath(QString::fromLatin1(folder)));
        QFile::setPermissions(root.filePath(QStringLiteral("runtime")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    void cleanup()
    {
        testsupport::releaseInstanceMarker(m_root->filePath(QStringLiteral("tmp")));
        m_root.reset();
    }

    void startedThroughTheLauncherLink()
    {
        const QString bin = QStringLiteral(VESK_BIN_DIR);
        const QDir app(m_root->filePath(QStringLiteral("opt/veskmeeting")));
        for (const char *file : {"VeskMeeting", "libwemeetsdk.so"})
            QVERIFY(
                QFile::copy(bin + QLatin1Char('/') + QLatin1String(file), app.filePath(QLatin1String(file))));
        // A version only this config.ini names, and no service.
        QSettings config(app.filePath(QStringLiteral("config.ini")), QSettings::IniFormat);
        config.setValue(QStringLiteral("VERSION/NO"), QStringLiteral("7.7.7"));
        config.setValue(QStringLiteral("CONFIG/SERVICE_URL"),
                        QStringLiteral("http://127.0.0.1:9/api-service/"));
        config.setValue(QStringLiteral("CONFIG/CLOUD_URL"), QStringLiteral("http://127.0.0.1:9/api/"));
        config.setValue(QStringLiteral("CONFIG/IDM_URL"), QStringLiteral("http://127.0.0.1:9/idm/"));
        config.sync();
        const QString launcher = m_root->filePath(QStringLiteral("usr/bin/veskmeeting"));
        QVERIFY(QFile::link(QStringLiteral("../../opt/veskmeeting/VeskMeeting"), launcher));

        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_root->filePath(QStringLiteral("home")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_root->filePath(QStringLiteral("home/data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_root->filePath(QStringLiteral("home/config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_root->filePath(QStringLiteral("runtime")));
        env.insert(QStringLiteral("TMPDIR"), m_root->filePath(QStringLiteral("tmp")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("VESK_WAIT_SCALE_PERCENT"), QStringLiteral("5"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(m_root->path());
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(launcher, QStringList());
        QVERIFY2(process.waitForStarted(10000), qPrintable(process.errorString()));

        const QString log = logIn(QStringLiteral("VeskMeeting"));
        QTRY_VERIFY2_WITH_TIMEOUT(
            readText(log).contains(QStringLiteral("Vesk云会议v7.7.7")) ||
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
