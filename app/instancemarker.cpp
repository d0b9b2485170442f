#include "app/instancemarker.h"
#include "app/logcategory.h"

#include "app/logging.h"
#include "app/platform.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

namespace {

// The user's random value, made once: written to a file of its own and
// renamed into place, so two first starts at once agree on one value.
QString userSecret()
{
    const QString path = dataFolder() + QStringLiteral("/instance.key");
    QFile stored(path);
    if (!stored.exists()) {
        QByteArray value(16, Qt::Uninitialized);
        QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(value.data()), 4);
        QFile fresh(path + QStringLiteral(".%1").arg(QRandomGenerator::system()->generate()));
        if (fresh.open(QIODevice::WriteOnly | QIODevice::NewOnly) && fresh.write(value.toHex()) == 32) {
            fresh.close();
            if (!fresh.rename(path))
                fresh.remove();
        } else {
            fresh.remove();
        }
    }
    if (!stored.open(QIODevice::ReadOnly)) {
        qCWarning(lcApp).noquote() << "instance channel: cannot read" << path << stored.errorString();
        return QString();
    }
    return QString::fromLatin1(stored.read(64));
}

} // namespace

QString instanceChannelName(const QString &base)
{
    const QString folder = dataFolder();
    QDir().mkpath(folder);
    createPrivateFolder(QFile::encodeName(folder).toStdString());
    const std::string channel = instanceChannelFolder(QFile::encodeName(folder).toStdString());
    if (!channel.empty())
        return QFile::decodeName(channel.c_str()) + QLatin1Char('/') + base;
    return base + QLatin1Char('-') + userSecret();
}

QString instanceMarkerKey()
{
    return instanceChannelName(QStringLiteral("VeskMeeting.exe"));
}

bool createInstanceMarker()
{
    return holdInstanceMarker(QFile::encodeName(instanceMarkerKey()).toStdString());
}

bool takeOverInstanceMarker()
{
    if (!createInstanceMarker()) {
        qCDebug(lcApp) << "instance marker still held";
        return false;
    }
    qCDebug(lcApp) << "instance marker left by an ended instance released";
    return true;
}
