#include "app/launchparameter.h"

#include <QStringList>
#include <QUrl>

QMap<QString, QString> parseLaunchParameter(const QString &parameter)
{
    QMap<QString, QString> result;
    const QString query = QUrl(parameter, QUrl::TolerantMode).query();
    if (query.isEmpty())
        return result;
    const QStringList parts = query.split(QLatin1Char('&'), Qt::KeepEmptyParts, Qt::CaseSensitive);
    for (const QString &part : parts) {
        const QStringList pieces = part.split(QLatin1Char('='), Qt::KeepEmptyParts, Qt::CaseSensitive);
        const QString key = QUrl::fromPercentEncoding(pieces.at(0).toUtf8());
        const QString value =
            pieces.size() == 2 ? QUrl::fromPercentEncoding(pieces.at(1).toUtf8()) : QString();
        result.insert(key, value);
    }
    return result;
}

QMap<QString, QString> linkInfoFromArguments(const QStringList &arguments)
{
    if (arguments.size() != 2)
        return QMap<QString, QString>();
    return parseLaunchParameter(arguments.at(1));
}
