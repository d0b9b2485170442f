#include "app/logging.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QThread>
#include <QtTest>

#include <functional>

#include <sys/stat.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void touch(const QString &name)
{
    QFile file(QDir(dataFolder()).filePath(name));
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot create %s", qPrintable(name));
}

QString logName(int daysAgo)
{
    return QDate::currentDate().addDays(-daysAgo).toString(QStringLiteral("yyyy-MM-dd")) +
           QStringLiteral(".log");
}

QString dumpStamp(int daysAgo)
{
    return QDateTime(QDate::currentDate().addDays(-daysAgo), QTime(13, 45, 7, 89))
        .toString(QStringLiteral("yyyyMMddHHmmsszzz"));
}

class LoggingThread : public QThread
{
public:
    LoggingThread(const QString &tag, int count) : m_tag(tag), m_count(count) {}

protected:
    void run() override
    {
        for (int i = 0; i < m_count; ++i)
            qDebug().noquote() << m_tag + QString::number(i) + QStringLiteral(" 一行完整的日志内容");
    }

private:
    QString m_tag;
    int m_count;
};

} // namespace

class TestLogging : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        QDir(dataFolder()).removeRecursively();
        QVERIFY(ensureDataFolder());
    }

    void cleanup() { qInstallMessageHandler(nullptr); }

    void folderAndLogsAreTheOwnersAlone_data()
    {
        QTest::addColumn<bool>("folderFromOlderVersion");
        QTest::newRow("new folder") << false;
        QTest::newRow("folder an older version left open") << true;
    }

    void folderAndLogsAreTheOwnersAlone()
    {
        QFETCH(bool, folderFromOlderVersion);
        // Even a umask that takes nothing away leaves them private.
        const mode_t previous = umask(0);
        QDir(dataFolder()).removeRecursively();
        if (folderFromOlderVersion) {
            QVERIFY(QDir().mkpath(dataFolder()));
            QVERIFY(QFile::setPermissions(dataFolder(), QFile::ReadOwner | QFile::WriteOwner |
                                                            QFile::ExeOwner | QFile::ReadOther |
                                                            QFile::ExeOther));
        }
        const bool made = ensureDataFolder();
        writeLogLine(QtDebugMsg, QStringLiteral("会议密码 123456"), QDateTime::currentDateTime());
        umask(previous);
        QVERIFY(made);

        struct stat folder
        {
        }, log{};
        QCOMPARE(stat(QFile::encodeName(dataFolder()).constData(), &folder), 0);
        QCOMPARE(stat(QFile::encodeName(logFilePath(QDate::currentDate())).constData(), &log), 0);
        QCOMPARE(int(folder.st_mode & 0777), 0700);
        QCOMPARE(int(log.st_mode & 0777), 0600);
        QVERIFY(readAll(logFilePath(QDate::currentDate())).contains("会议密码 123456"));
    }

    void lineFormatIsExact_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("debug") << int(QtDebugMsg) << QStringLiteral("开始")
                               << QByteArray("2024-03-05 07:08:09 012 Debug: 开始\r\n");
        // A 50 MB answer written as it came would fill the disk.
        QTest::newRow("long message cut")
            << int(QtDebugMsg) << (QStringLiteral("开") + QString(5000000, QLatin1Char('x')))
            << "2024-03-05 07:08:09 012 Debug: " +
                   (QStringLiteral("开") + QString(4095, QLatin1Char('x'))).toUtf8() +
                   " [... 4995905 more characters cut]\r\n";
        QTest::newRow("warning") << int(QtWarningMsg) << QStringLiteral("开始")
                                 << QByteArray("2024-03-05 07:08:09 012 Warning: 开始\r\n");
        QTest::newRow("critical") << int(QtCriticalMsg) << QStringLiteral("开始")
                                  << QByteArray("2024-03-05 07:08:09 012 Critical: 开始\r\n");
        QTest::newRow("fatal") << int(QtFatalMsg) << QStringLiteral("开始")
                               << QByteArray("2024-03-05 07:08:09 012 Fatal: 开始\r\n");
        QTest::newRow("info has no word")
            << int(QtInfoMsg) << QStringLiteral("开始") << QByteArray("2024-03-05 07:08:09 012  开始\r\n");
    }

    void lineFormatIsExact()
    {
        QFETCH(int, type);
        QFETCH(QString, message);
        QFETCH(QByteArray, line);
        const QDateTime time(QDate(2024, 3, 5), QTime(7, 8, 9, 12));
        writeLogLine(QtMsgType(type), message, time);
        QCOMPARE(readAll(dataFolder() + QStringLiteral("/2024-03-05.log")), line);
    }

    void linesAreAppended()
    {
        const QDateTime time(QDate(2024, 3, 5), QTime(23, 0));
        writeLogLine(QtDebugMsg, QStringLiteral("one"), time);
        writeLogLine(QtWarningMsg, QStringLiteral("two"), time.addMSecs(1));
        QCOMPARE(
            readAll(logFilePath(QDate(2024, 3, 5))),
            QByteArray("2024-03-05 23:00:00 000 Debug: one\r\n2024-03-05 23:00:00 001 Warning: two\r\n"));
    }

    void linesAroundMidnightGoIntoTwoFiles()
    {
        const QDateTime beforeMidnight(QDate(2024, 12, 31), QTime(23, 59, 59, 999));
        writeLogLine(QtDebugMsg, QStringLiteral("old year"), beforeMidnight);
        writeLogLine(QtDebugMsg, QStringLiteral("new year"), beforeMidnight.addMSecs(1));
        QCOMPARE(readAll(dataFolder() + QStringLiteral("/2024-12-31.log")),
                 QByteArray("2024-12-31 23:59:59 999 Debug: old year\r\n"));
        QCOMPARE(readAll(dataFolder() + QStringLiteral("/2025-01-01.log")),
                 QByteArray("2025-01-01 00:00:00 000 Debug: new year\r\n"));
    }

    void handlerWritesTheDaysFile()
    {
        qInstallMessageHandler(logMessageHandler);
        qDebug() << "Vesk云会议v1.0.0";
        qInfo("info line");
        qWarning("warning line");
        qInstallMessageHandler(nullptr);

        const QString text = QString::fromUtf8(readAll(logFilePath(QDate::currentDate())));
        const QString time = QStringLiteral("\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2} \\d{3}");
        const QRegularExpression expected(QStringLiteral("^%1 Debug: Vesk云会议v1\\.0\\.0\r\n"
                                                         "%1  info line\r\n"
                                                         "%1 Warning: warning line\r\n$")
                                              .arg(time));
        QVERIFY2(expected.match(text).hasMatch(), qPrintable(text));
    }

    void twoThreadsLoggingAtOnceGiveWholeLines()
    {
        constexpr int perThread = 400;
        qInstallMessageHandler(logMessageHandler);
        LoggingThread a(QStringLiteral("A"), perThread);
        LoggingThread b(QStringLiteral("B"), perThread);
        a.start();
        b.start();
        QVERIFY(a.wait(60000));
        QVERIFY(b.wait(60000));
        qInstallMessageHandler(nullptr);

        const QByteArray content = readAll(logFilePath(QDate::currentDate()));
        QVERIFY(content.endsWith("\r\n"));
        const QList<QByteArray> lines = content.left(content.size() - 2).split('\n');
        QCOMPARE(lines.size(), 2 * perThread);
        const QRegularExpression whole(QStringLiteral(
            "^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2} \\d{3} Debug: [AB]\\d+ 一行完整的日志内容\r?$"));
        QSet<QString> seen;
        for (const QByteArray &line : lines) {
            const QString text = QString::fromUtf8(line);
            QVERIFY2(whole.match(text).hasMatch(), qPrintable(text));
            seen.insert(text.section(QLatin1Char(' '), 4, 4));
        }
        QCOMPARE(seen.size(), 2 * perThread);
    }

    void oldFilesAreRemoved_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("kept");
        QTest::newRow("log of today") << logName(0) << true;
        QTest::newRow("log of 9 days ago") << logName(9) << true;
        QTest::newRow("log of 10 days ago") << logName(10) << false;
        QTest::newRow("log of a year ago") << logName(365) << false;
        QTest::newRow("log without a date") << QStringLiteral("notes.log") << true;
        // The name removed is rebuilt from the date: only the client's own logs go.
        QTest::newRow("longer log name of 10 days ago")
            << logName(10).replace(QStringLiteral(".log"), QStringLiteral("-copy.log")) << true;
        QTest::newRow("other file of 10 days ago")
            << logName(10).replace(QStringLiteral(".log"), QStringLiteral(".txt")) << true;
        QTest::newRow("dump of 9 days ago") << QStringLiteral("VeskMeeting_%1.dmp").arg(dumpStamp(9)) << true;
        QTest::newRow("dump of 10 days ago")
            << QStringLiteral("VeskMeeting_%1.dmp").arg(dumpStamp(10)) << false;
        QTest::newRow("dump of another prefix") << QStringLiteral("Other_%1.dmp").arg(dumpStamp(10)) << true;
        QTest::newRow("short dump name") << QStringLiteral("x.dmp") << true;
    }

    void oldFilesAreRemoved()
    {
        QFETCH(QString, name);
        QFETCH(bool, kept);
        touch(name);
        QVERIFY(deleteOldLogs());
        QVERIFY(deleteOldDumps());
        QCOMPARE(QFile::exists(QDir(dataFolder()).filePath(name)), kept);
    }

    void cleanUpOfManyFilesKeepsTheRecentOnes()
    {
        for (int day = 0; day < 15; ++day) {
            touch(logName(day));
            touch(QStringLiteral("VeskMeeting_%1.dmp").arg(dumpStamp(day)));
        }
        QVERIFY(deleteOldLogs());
        QVERIFY(deleteOldDumps());
        QDir dir(dataFolder());
        QCOMPARE(dir.entryList({QStringLiteral("*.log")}, QDir::Files).size(), 10);
        QCOMPARE(dir.entryList({QStringLiteral("*.dmp")}, QDir::Files).size(), 10);
    }

    void missingFolderIsReportedAndLogsAreDropped()
    {
        QVERIFY(QDir(dataFolder()).removeRecursively());
        QVERIFY(!deleteOldLogs());
        QVERIFY(!deleteOldDumps());

        qInstallMessageHandler(logMessageHandler);
        qDebug("into the void");
        qInstallMessageHandler(nullptr);
        QVERIFY(!QFileInfo::exists(dataFolder()));
    }

    void folderVanishingWhileLoggingIsHarmless()
    {
        qInstallMessageHandler(logMessageHandler);
        LoggingThread writer(QStringLiteral("W"), 300);
        writer.start();
        QDir(dataFolder()).removeRecursively();
        QVERIFY(writer.wait(60000));
        qDebug("after");
        qInstallMessageHandler(nullptr);
        ensureDataFolder();
        qInstallMessageHandler(logMessageHandler);
        qDebug("back again");
        qInstallMessageHandler(nullptr);
        QVERIFY(QString::fromUtf8(readAll(logFilePath(QDate::currentDate())))
                    .contains(QStringLiteral("back again")));
    }
};

QTEST_GUILESS_MAIN(TestLogging)
#include "tst_logging.moc"
