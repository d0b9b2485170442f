#include "updatetestsupport.h"

#include "app/startup.h"
#include "update/checkupdate.h"

#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace testsupport;
using namespace updatetest;

// The version check of the start-up, before any other window exists.
class TestUpdateStartup : public QObject
{
    Q_OBJECT

private:
    devservice::Server m_server;
    QTemporaryDir m_recordDir;
    QString m_record;

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_server.start() > 0);
        pointBaseValuesAt(m_server);
        QVERIFY(m_recordDir.isValid());
        m_record = m_recordDir.filePath(QStringLiteral("installer-started.txt"));
        qputenv("VESK_INSTALLER_RECORD", m_record.toUtf8());
    }

    void cleanupTestCase() { m_server.stop(); }

    void updateDialogComesAndGoesWithoutEndingTheRun_data()
    {
        QTest::addColumn<bool>("newerVersion");
        QTest::newRow("newer version") << true;
        QTest::newRow("up to date") << false;
    }

    void updateDialogComesAndGoesWithoutEndingTheRun()
    {
        QFETCH(bool, newerVersion);
        m_server.resetData();
        if (newerVersion)
            m_server.addVersion("9.9.9", "更快的入会");
        baseValues->latestVersion.clear();
        baseValues->updateUrl = updateUrlOf(m_server);
        QFile::remove(m_record);

        // The user waits for the installer, then closes the dialog.
        bool dialogSeen = false;
        QTimer user;
        user.setInterval(20);
        connect(&user, &QTimer::timeout, this, [&] {
            CheckUpdate *dialog = visibleTopLevel<CheckUpdate>();
            if (!dialog)
                return;
            dialogSeen = true;
            auto *close =
                findByName<QPushButton>(dialog, QStringLiteral("titlePushButton"), QStringLiteral("关闭"));
            if (readInstallerRecord(m_record).complete && close->isEnabled())
                QTest::mouseClick(close, Qt::LeftButton);
        });
        user.start();
        runStartupStepVersionCheck();
        user.stop();

        QCOMPARE(dialogSeen, newerVersion);
        QCOMPARE(readInstallerRecord(m_record).complete, newerVersion);
        QVERIFY(topLevels<CheckUpdate>().isEmpty());
        QVERIFY(QApplication::quitOnLastWindowClosed());

        // The event loop of the run still runs until it is ended.
        QTimer::singleShot(0, [] { QCoreApplication::exit(7); });
        QCOMPARE(QApplication::exec(), 7);
    }
};

QTEST_MAIN(TestUpdateStartup)
#include "tst_updatestartup.moc"
