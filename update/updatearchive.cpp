#include "update/updatearchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipfileinfo.h>

namespace {

// What an archive may unpack to, against what was downloaded: an installer
// compresses a few times at most, an archive built to fill the disk
// hundreds of times. Small archives get a floor of their own.
constexpr qint64 unpackRatio = 20;
constexpr qint64 unpackFloor = 4 * 1024 * 1024;
qint64 unpackBudget(qint64 archiveBytes)
{
    return qMax(unpackFloor, archiveBytes * unpackRatio);
}
int entryBudget(qint64 archiveBytes)
{
    return int(qMin<qint64>(16 + archiveBytes / 4096, 100000));
}

// Whether an archive entry unpacks inside the target folder: no "..", no
// absolute path, no drive letter, with either separator.
bool isSafeEntryName(const QString &name)
{
    QString path = name;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // ":" covers drive letters and Windows' alternate data streams.
    if (path.isEmpty() || path.startsWith(QLatin1Char('/')) || path.contains(QLatin1Char(':')))
        return false;
    for (const QString &part : path.split(QLatin1Char('/'))) {
        // Windows drops trailing dots and blanks, so "... " is ".." there.
        if (part.size() >= 2 && part.count(QLatin1Char('.')) + part.count(QLatin1Char(' ')) == part.size() &&
            part.contains(QLatin1String("..")))
            return false;
    }
    return true;
}

// Unpacks every entry under folder, writing no more than budget bytes in
// all: the sizes an archive declares may lie, the bytes inflated do not.
// Empty on success, else why not.
QString unpackWithin(const QString &archive, const QString &folder, qint64 budget)
{
    QuaZip zip(archive);
    if (!zip.open(QuaZip::mdUnzip))
        return QStringLiteral("cannot open %1 (%2)").arg(archive).arg(zip.getZipError());
    qint64 written = 0;
    QByteArray buffer(64 * 1024, Qt::Uninitialized);
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        QuaZipFileInfo64 info;
        if (!zip.getCurrentFileInfo(&info))
            return QStringLiteral("unreadable entry in %1").arg(archive);
        const QString name = QString(info.name).replace(QLatin1Char('\\'), QLatin1Char('/'));
        const QString target = folder + QLatin1Char('/') + name;
        if (name.endsWith(QLatin1Char('/'))) {
            QDir().mkpath(target);
            continue;
        }
        QDir().mkpath(QFileInfo(target).absolutePath());
        QuaZipFile in(&zip);
        QFile out(target);
        if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QStringLiteral("cannot unpack %1").arg(name);
        qint64 n = 0;
        while ((n = in.read(buffer.data(), buffer.size())) > 0) {
            written += n;
            if (written > budget)
                return QStringLiteral("unpacks to more than %1 bytes").arg(budget);
            if (out.write(buffer.constData(), n) != n)
                return QStringLiteral("cannot write %1: %2").arg(target, out.errorString());
        }
        in.close();
        if (n < 0 || in.getZipError() != UNZ_OK)
            return QStringLiteral("damaged entry %1").arg(name);
        out.close();
        out.setPermissions(info.getPermissions());
    }
    return zip.getZipError() == UNZ_OK ? QString() : QStringLiteral("damaged archive %1").arg(archive);
}

} // namespace

namespace UpdateArchive {

Result unpack(const QString &archive, const QString &folder, const QString &installerName)
{
    bool holdsInstaller = false;
    const qint64 archiveBytes = QFileInfo(archive).size();
    {
        QuaZip zip(archive);
        if (!zip.open(QuaZip::mdUnzip))
            return {Problem::NotAnArchive,
                    QStringLiteral("%1 is not a zip archive (%2)").arg(archive).arg(zip.getZipError())};
        const QList<QuaZipFileInfo64> entries = zip.getFileInfoList64();
        qint64 declared = 0;
        for (const QuaZipFileInfo64 &entry : entries)
            declared += qMax<qint64>(0, qint64(entry.uncompressedSize));
        if (entries.size() > entryBudget(archiveBytes) || declared > unpackBudget(archiveBytes))
            return {Problem::Oversized,
                    QStringLiteral("%1 of %2 bytes declares %3 entries, %4 bytes unpacked")
                        .arg(archive)
                        .arg(archiveBytes)
                        .arg(entries.size())
                        .arg(declared)};
        for (const QuaZipFileInfo64 &entry : entries) {
            if (!isSafeEntryName(entry.name) || entry.isSymbolicLink())
                return {Problem::UnsafeEntry,
                        QStringLiteral("refused update archive entry %1").arg(entry.name)};
            if (entry.name == installerName)
                holdsInstaller = true;
        }
    }
    if (!holdsInstaller)
        return {Problem::NoInstaller, QStringLiteral("%1 holds no %2").arg(archive, installerName)};
    const QString problem = unpackWithin(archive, folder, unpackBudget(archiveBytes));
    if (!problem.isEmpty())
        return {Problem::Oversized, problem};
    return {};
}

} // namespace UpdateArchive
