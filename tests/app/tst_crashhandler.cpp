#include "app/platform.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

namespace {

volatile int zero = 0;
volatile int one = 1;
volatile int quotient = 0;

// Endless on purpose: the stack overflow is the fault under test.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winfinite-recursion"
int overflow(int depth)
{
    volatile char buffer[4096];
    buffer[0] = char(depth);
    return overflow(depth + 1) + buffer[0];
}
#pragma GCC diagnostic pop

// The faults are the point here: the undefined-behaviour checks of a
// sanitizer build must let them happen.
__attribute__((no_sanitize("undefined"))) void causeFault(int fault)
{
    switch (fault) {
    case 0:
        *static_cast<volatile int *>(nullptr) = 1;
        break;
    case 1:
        overflow(0);
        break;
    case 2:
        abort();
    case 3:
        quotient = one / zero;
        break;
    }
}

} // namespace

// Real faults in a child process with the crash handler installed; a small
// script stands in for the crash reporter.
class TestCrashHandler : public QObject
{
    Q_OBJECT

private slots:
    void faultLeavesAReportAndStartsTheReporter_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("detail");
        QTest::newRow("write through a null pointer")
            << 0 << int(SIGSEGV) << QStringLiteral("address: 0x0\n");
        QTest::newRow("stack overflow") << 1 << int(SIGSEGV) << QStringLiteral("address: 0x");
        QTest::newRow("abort") << 2 << int(SIGABRT) << QStringLiteral("sent by process: ");
        QTest::newRow("integer division by zero") << 3 << int(SIGFPE) << QStringLiteral("address: 0x");
    }

    void faultLeavesAReportAndStartsTheReporter()
    {
        QFETCH(int, fault);
        QFETCH(int, signal);
        QFETCH(QString, detail);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString marker = dir.filePath(QStringLiteral("reporter-ran"));
        const QString reporter = dir.filePath(QStringLiteral("reporter.sh"));
        {
            QFile script(reporter);
            QVERIFY(script.open(QIODevice::WriteOnly));
            script.write(
                QStringLiteral("#!/bin/sh\n[ \"$VESK_CRASH_REPORTER\" = 1 ] && [ $# -eq 0 ] && touch '%1'\n")
                    .arg(marker)
                    .toUtf8());
        }
        QFile::setPermissions(reporter, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        const QByteArray folder = dir.path().toUtf8();
        const QByteArray reporterPath = reporter.toUtf8();
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            installCrashHandler(folder.toStdString(), nullptr);
            setCrashReporterExecutable(reporterPath.toStdString());
            causeFault(fault);
            _exit(0);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY2(WIFSIGNALED(status), "ends with the signal");
        QCOMPARE(WTERMSIG(status), signal);

        const QStringList dumps = QDir(dir.path()).entryList({QStringLiteral("*.dmp")}, QDir::Files);
        QCOMPARE(dumps.size(), 1);
        QVERIFY2(
            QRegularExpression(QStringLiteral("^VeskMeeting_\\d{17}\\.dmp$")).match(dumps.first()).hasMatch(),
            qPrintable(dumps.first()));
        QFile dump(dir.filePath(dumps.first()));
        QVERIFY(dump.open(QIODevice::ReadOnly));
        QCOMPARE(dump.permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
        const QString report = QString::fromUtf8(dump.readAll());
        QVERIFY2(report.contains(QStringLiteral("signal: %1 (").arg(signal)), qPrintable(report));
        QVERIFY2(report.contains(detail), qPrintable(report));
        QVERIFY2(report.contains(QStringLiteral("backtrace:\n")), qPrintable(report));
        QVERIFY2(report.section(QStringLiteral("backtrace:\n"), 1).count(QLatin1Char('\n')) >= 3,
                 qPrintable(report));
        QVERIFY(QFile::exists(marker));
    }

    void dumpAfterASummerTimeChangeIsNamedInLocalTime()
    {
        // A zone whose summer time (one hour ahead of UTC) starts two seconds
        // from now; the child crashes after the change.
        const QDateTime now = QDateTime::currentDateTimeUtc();
        const int second = now.time().msecsSinceStartOfDay() / 1000 + 2;
        if (second >= 86400 - 10)
            QSKIP("too close to midnight for a same-day change");
        const int day = now.date().dayOfYear() - 1;
        const QByteArray zone = QStringLiteral("AAA0BBB,%1/%2:%3:%4,%5/02:00:00")
                                    .arg(day)
                                    .arg(second / 3600, 2, 10, QLatin1Char('0'))
                                    .arg(second / 60 % 60, 2, 10, QLatin1Char('0'))
                                    .arg(second % 60, 2, 10, QLatin1Char('0'))
                                    .arg((day + 60) % 365)
                                    .toLatin1();

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray folder = dir.path().toUtf8();
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            setenv("TZ", zone.constData(), 1);
            installCrashHandler(folder.toStdString(), nullptr);
            setCrashReporterExecutable(std::string());
            usleep(3000 * 1000);
            abort();
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        const QDateTime crashUtc = QDateTime::currentDateTimeUtc();
        QVERIFY(WIFSIGNALED(status));

        const QStringList dumps = QDir(dir.path()).entryList({QStringLiteral("*.dmp")}, QDir::Files);
        QCOMPARE(dumps.size(), 1);
        QDateTime stamp =
            QDateTime::fromString(dumps.first().mid(12, 17), QStringLiteral("yyyyMMddHHmmsszzz"));
        QVERIFY2(stamp.isValid(), qPrintable(dumps.first()));
        stamp.setTimeSpec(Qt::UTC);
        const qint64 ahead = crashUtc.secsTo(stamp);
        QVERIFY2(qAbs(ahead - 3600) < 10,
                 qPrintable(dumps.first() + QLatin1Char(' ') + QString::number(ahead)));
    }
};

QTEST_GUILESS_MAIN(TestCrashHandler)
#include "tst_crashhandler.moc"
