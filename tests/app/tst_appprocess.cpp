#include "support/programsandbox.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTcpServer>
#include <QtTest>

#include <signal.h>

// Runs the real program from a private copy, with a private home, so its data
// folder, instance marker and sockets belong to the test alone.
class TestAppProcess : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<testsupport::ProgramSandbox> m_root;

    QString dataFolder() const { return m_root->dataFolder(); }
    QString todaysLog() const { return m_root->todaysLog(); }
    static QString readText(const QString &path) { return testsupport::readText(path); }

    void start(QProcess &process, const QStringList &extraEnvironment = {})
    {
        QProcessEnvironment env = m_root->environment(5);
        for (const QString &entry : extraEnvironment)
            env.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
        QVERIFY2(m_root->start(process, m_root->filePath(QStringLiteral("VeskMeeting")), {}, env),
                 qPrintable(process.errorString()));
    }

    // The day's log shows the given number of starts.
    void waitUntilStarted(QProcess &process, int starts = 1)
    {
        QTRY_VERIFY2_WITH_TIMEOUT(
            readText(todaysLog()).count(QStringLiteral("Debug: Vesk云会议v1.0.0\r\n")) >= starts ||
                process.state() == QProcess::NotRunning,
            qPrintable(readText(todaysLog())), 30000);
        QCOMPARE(process.state(), QProcess::Running);
    }

    static void endCleanly(QProcess &process) { testsupport::endCleanly(process); }

private slots:
    void init()
    {
        m_root = std::make_unique<testsupport::ProgramSandbox>();
        QVERIFY(m_root->isValid());
        QVERIFY(m_root->installProgram());
        // No real service: every address refuses at once.
        m_root->useServiceAt(QString(), QStringLiteral("http://127.0.0.1:9/"));
    }

    // Also releases the instance marker of a program the test killed.
    void cleanup() { m_root.reset(); }

    void firstStartCreatesTheUserStoreAndLogsTheVersion()
    {
        QProcess app;
        start(app);
        waitUntilStarted(app);

        const QString userDat = dataFolder() + QStringLiteral("/User.dat");
        QSettings store(userDat, QSettings::IniFormat);
        const QString serial = store.value(QStringLiteral("SOFTINFO/SERIALNO")).toString();
        QVERIFY2(QRegularExpression(QStringLiteral("^[0-9a-f]{32}$")).match(serial).hasMatch(),
                 qPrintable(serial));
        QCOMPARE(store.allKeys(), QStringList{QStringLiteral("SOFTINFO/SERIALNO")});
        QCOMPARE(QFile(userDat).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());

        const QString log = readText(todaysLog());
        const QRegularExpression serialLine(QStringLiteral("\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2} \\d{3} "
                                                           "Debug: uuid:%1\r\n")
                                                .arg(serial));
        QVERIFY2(serialLine.match(log).hasMatch(), qPrintable(log));
        QVERIFY2(!log.contains(QStringLiteral("删除失败")), qPrintable(log));
        endCleanly(app);

        // A second run keeps the serial number.
        QProcess again;
        start(again);
        QTRY_VERIFY_WITH_TIMEOUT(readText(todaysLog()).count(QStringLiteral("v1.0.0\r\n")) == 2, 30000);
        QSettings reread(userDat, QSettings::IniFormat);
        QCOMPARE(reread.value(QStringLiteral("SOFTINFO/SERIALNO")).toString(), serial);
        QCOMPARE(readText(todaysLog()).count(QStringLiteral("uuid:")), 1);
        endCleanly(again);
    }

    void startUpRemovesOldLogsAndDumps()
    {
        QDir data(dataFolder());
        QVERIFY(data.mkpath(QStringLiteral(".")));
        const QDate today = QDate::currentDate();
        const QString oldLog =
            today.addDays(-10).toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".log");
        const QString keptLog =
            today.addDays(-9).toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".log");
        const auto dumpOf = [&today](int daysAgo) {
            return QStringLiteral("VeskMeeting_") +
                   today.addDays(-daysAgo).toString(QStringLiteral("yyyyMMdd")) +
                   QStringLiteral("120000000.dmp");
        };
        const QString oldDump = dumpOf(10);
        const QString keptDump = dumpOf(9);
        for (const QString &name : {oldLog, keptLog, oldDump, keptDump}) {
            QFile file(data.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }

        QProcess app;
        start(app);
        waitUntilStarted(app);
        QVERIFY(!data.exists(oldLog));
        QVERIFY(data.exists(keptLog));
        QVERIFY(!data.exists(oldDump));
        QVERIFY(data.exists(keptDump));
        endCleanly(app);
    }

    void startUpStepsRunInTheirOrder()
    {
        // A service that takes connections and never answers: every token
        // attempt runs into its wait, and each one is followed by the pause.
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        m_root->useServiceAt(QString(), QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort()));

        QProcess app;
        start(app);
        QTRY_VERIFY2_WITH_TIMEOUT(readText(todaysLog()).contains(QStringLiteral("Debug: SDK Version ==")) ||
                                      app.state() == QProcess::NotRunning,
                                  qPrintable(readText(todaysLog())), 60000);
        QCOMPARE(app.state(), QProcess::Running);
        endCleanly(app);

        const QString log = readText(todaysLog());
        const QStringList steps{QStringLiteral("Debug: uuid:"), QStringLiteral("Debug: Vesk云会议v1.0.0\r\n"),
                                QStringLiteral("Debug: QSslSocket="),
                                QStringLiteral("Debug: OpenSSL支持情况:"),
                                QStringLiteral("Debug: SDK Version ==")};
        int previous = -1;
        for (const QString &step : steps) {
            const int at = log.indexOf(step);
            QVERIFY2(at > previous, qPrintable(step + QStringLiteral("\n") + log));
            previous = at;
        }
        // Ended from the event loop: the shutdown step ran and main returned.
        QVERIFY2(log.indexOf(QStringLiteral("Debug: exit 0\r\n")) > previous, qPrintable(log));
        // Connections made by signature fail only at run time, with a warning.
        QVERIFY2(!log.contains(QStringLiteral("QObject::connect")), qPrintable(log));

        // Four attempts, each a wait of at least one (scaled) request time-out
        // and a pause: 4 x (250 + 250) ms at 5 %.
        const auto timeOf = [&log](const QString &step) {
            const int at = log.indexOf(step);
            const int start = log.lastIndexOf(QLatin1Char('\n'), at) + 1;
            return QDateTime::fromString(log.mid(start, 23), QStringLiteral("yyyy-MM-dd hh:mm:ss zzz"));
        };
        const qint64 tokenSteps = timeOf(steps.at(1)).msecsTo(timeOf(QStringLiteral("Debug: QSslSocket=")));
        QVERIFY2(tokenSteps >= 1800, qPrintable(QString::number(tokenSteps)));
    }

    void terminationDuringTheServiceWaitsEndsAtOnce()
    {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        m_root->setConfig(QString(),
                          {{QStringLiteral("CONFIG/SERVICE_URL"),
                            QStringLiteral("http://127.0.0.1:%1/api-service/").arg(silent.serverPort())}});
        QProcess app;
        // Half the waits: the token attempts alone would take 20 s.
        start(app, {QStringLiteral("VESK_WAIT_SCALE_PERCENT=50")});
        waitUntilStarted(app);
        QElapsedTimer timer;
        timer.start();
        ::kill(pid_t(app.processId()), SIGTERM);
        QVERIFY(app.waitForFinished(30000));
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 0);
        const QString log = readText(todaysLog());
        QVERIFY2(log.contains(QStringLiteral("Debug: termination requested\r\n")), qPrintable(log));
        QVERIFY2(!log.contains(QStringLiteral("SDK Version ==")), qPrintable(log));
        QVERIFY2(!log.contains(QStringLiteral("Debug: exit ")), qPrintable(log));
    }

    void crashLeavesADumpAndTellsTheUser_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("fromInside");
        QTest::newRow("segmentation fault") << int(SIGSEGV) << QStringLiteral("SIGSEGV") << false;
        QTest::newRow("abort") << int(SIGABRT) << QStringLiteral("SIGABRT") << false;
        QTest::newRow("bus error") << int(SIGBUS) << QStringLiteral("SIGBUS") << false;
        QTest::newRow("arithmetic") << int(SIGFPE) << QStringLiteral("SIGFPE") << false;
        QTest::newRow("illegal instruction") << int(SIGILL) << QStringLiteral("SIGILL") << false;
        QTest::newRow("fault inside the program") << int(SIGSEGV) << QStringLiteral("SIGSEGV") << true;
    }

    void crashLeavesADumpAndTellsTheUser()
    {
        QFETCH(int, signal);
        QFETCH(QString, name);
        QFETCH(bool, fromInside);
        QProcess app;
        // The reporter's box closes by itself instead of waiting for a click.
        QStringList environment = {QStringLiteral("VESK_CRASH_REPORTER_CLOSE_MS=200")};
        if (fromInside)
            environment << QStringLiteral("LD_PRELOAD=" VESK_FAULTINJECT);
        const QDateTime crashTime = QDateTime::currentDateTime();
        start(app, environment);
        if (!fromInside) {
            waitUntilStarted(app);
            ::kill(pid_t(app.processId()), signal);
        }
        QVERIFY(app.waitForFinished(30000));
        QCOMPARE(app.exitStatus(), QProcess::CrashExit);

        const QStringList dumps = QDir(dataFolder()).entryList({QStringLiteral("*.dmp")}, QDir::Files);
        QCOMPARE(dumps.size(), 1);
        const QRegularExpressionMatch match =
            QRegularExpression(QStringLiteral("^VeskMeeting_(\\d{17})\\.dmp$")).match(dumps.first());
        QVERIFY2(match.hasMatch(), qPrintable(dumps.first()));
        const QDateTime stamp = QDateTime::fromString(match.captured(1), QStringLiteral("yyyyMMddHHmmsszzz"));
        QVERIFY2(qAbs(stamp.msecsTo(crashTime)) < 60000, qPrintable(match.captured(1)));

        const QString report = readText(dataFolder() + QLatin1Char('/') + dumps.first());
        QVERIFY2(report.contains(QStringLiteral("signal: %1 (%2)").arg(signal).arg(name)),
                 qPrintable(report));
        QVERIFY2(report.contains(QStringLiteral("backtrace:\n")), qPrintable(report));
        QVERIFY2(report.count(QLatin1Char('\n')) > 6, qPrintable(report));
        // The reporter runs apart from the crashed process: wait for its box.
        QTRY_VERIFY2_WITH_TIMEOUT(
            readText(todaysLog()).contains(QStringLiteral("Debug: crash report shown: 错误报告\r\n")),
            qPrintable(readText(todaysLog())), 30000);
        QVERIFY(readText(todaysLog()).contains(QStringLiteral("Debug: crash reporter started\r\n")));

        // The next start runs as if nothing had happened, and keeps the fresh dump.
        QProcess next;
        start(next);
        waitUntilStarted(next, 2);
        endCleanly(next);
        QCOMPARE(QDir(dataFolder()).entryList({QStringLiteral("*.dmp")}, QDir::Files), dumps);
    }
};

QTEST_GUILESS_MAIN(TestAppProcess)
#include "tst_appprocess.moc"
