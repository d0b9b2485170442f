#include "app/logging.h"

#include "app/platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QStandardPaths>
#include <QStringList>
#include <QTextStream>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// Files are kept while they are at most this many calendar days old.
constexpr int keepDays = 9;

bool olderThanKept(const QDate &date)
{
    // Counted in calendar days: a day across a clock change is still one day.
    return date.isValid() && date.daysTo(QDate::currentDate()) > keepDays;
}

// Names of the files in the data folder with the given suffix; false when the
// folder does not exist.
bool listFiles(const QString &suffix, QStringList *names)
{
    QDir dir(dataFolder());
    if (!dir.exists())
        return false;
    dir.setSorting(QDir::Time);
    for (const QFileInfo &info : dir.entryInfoList(QDir::Files | QDir::Hidden)) {
        if (info.suffix() == suffix)
            names->append(info.fileName());
    }
    return true;
}

} // namespace

QString dataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

bool ensureDataFolder()
{
    // The logs hold what the user typed and meeting passwords: the folder is
    // the owner's alone, also when it was made by an older version.
    const QString folder = dataFolder();
    const QFileInfo info(folder);
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    return createPrivateFolder(QFile::encodeName(folder).toStdString());
}

QString logLevelWord(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return QStringLiteral("Debug:");
    case QtWarningMsg:
        return QStringLiteral("Warning:");
    case QtCriticalMsg:
        return QStringLiteral("Critical:");
    case QtFatalMsg:
        return QStringLiteral("Fatal:");
    default:
        return QString();
    }
}

QString formatLogLine(QtMsgType type, const QString &message, const QDateTime &time)
{
    // One misbehaving answer must not fill the disk; the start says enough.
    QString text = message;
    if (text.size() > maxLogMessageChars) {
        int kept = maxLogMessageChars;
        if (text.at(kept - 1).isHighSurrogate())
            --kept; // never half a character
        const int dropped = text.size() - kept;
        text.truncate(kept);
        text += QStringLiteral(" [... %1 more characters cut]").arg(dropped);
    }
    return QStringLiteral("%1 %2 %3")
        .arg(time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss zzz")), logLevelWord(type), text);
}

QString logFilePath(const QDate &date)
{
    return QStringLiteral("%1/%2.log").arg(dataFolder(), date.toString(QStringLiteral("yyyy-MM-dd")));
}

void writeLogLine(QtMsgType type, const QString &message, const QDateTime &time)
{
    static QMutex mutex;
    QMutexLocker locker(&mutex);

    // One moment for both the line and the file name, so a line written at
    // midnight lands in the file of its own date.
    const QString line = formatLogLine(type, message, time);
    QFile file(logFilePath(time.date()));
    const int fd = openPrivateForAppend(QFile::encodeName(file.fileName()).toStdString());
    if (fd >= 0) {
        if (!file.open(fd, QIODevice::WriteOnly | QIODevice::Append, QFileDevice::AutoCloseHandle)) {
#ifdef Q_OS_UNIX
            ::close(fd);
#endif
            return;
        }
    } else {
        if (!file.exists())
            createPrivateFile(QFile::encodeName(file.fileName()).toStdString());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
            return;
    }
    QTextStream stream(&file);
    stream.setCodec("UTF-8");
    stream << line << "\r\n";
    stream.flush();
    file.close();
}

void logMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    Q_UNUSED(context)
    writeLogLine(type, message, QDateTime::currentDateTime());
}

bool deleteOldLogs()
{
    QStringList names;
    if (!listFiles(QStringLiteral("log"), &names))
        return false;
    QDir dir(dataFolder());
    for (const QString &name : qAsConst(names)) {
        const QString day = name.left(10);
        if (olderThanKept(QDate::fromString(day, QStringLiteral("yyyy-MM-dd"))))
            dir.remove(day + QStringLiteral(".log"));
    }
    return true;
}

bool deleteOldDumps()
{
    QStringList names;
    if (!listFiles(QStringLiteral("dmp"), &names))
        return false;
    QDir dir(dataFolder());
    for (const QString &name : qAsConst(names)) {
        // The time stamp counted from the end, whatever the prefix; the file
        // removed is rebuilt from it, so only our own dumps go.
        const QString stamp = name.right(21).left(17);
        if (olderThanKept(QDate::fromString(stamp.left(8), QStringLiteral("yyyyMMdd"))))
            dir.remove(QStringLiteral("VeskMeeting_") + stamp + QStringLiteral(".dmp"));
    }
    return true;
}
