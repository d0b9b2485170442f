#include "app/launchparameter.h"

#include "app/basevalues.h"

#include <QJsonDocument>
#include <QJsonObject>

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

bool linkNamesOtherAccount(const QMap<QString, QString> &link)
{
    const QString companyCode = link.value(QStringLiteral("companycode"));
    const QString userName = link.value(QStringLiteral("username"));
    const QString phone = link.value(QStringLiteral("phone"));
    const QString countryCode = link.value(QStringLiteral("mobileCountryCode"));
    if (!companyCode.isEmpty() && !userName.isEmpty()) {
        // Links name the account; userName holds the display name, which is
        // often a person's name. Either one identifies the signed-in user.
        const QString accountName = QJsonDocument::fromJson(baseValues->loginResult.toUtf8())
                                        .object()
                                        .value(QStringLiteral("userName"))
                                        .toString();
        const bool sameUser =
            userName == baseValues->userName || (!accountName.isEmpty() && userName == accountName);
        if (companyCode != baseValues->companyCode || !sameUser)
            return true;
    }
    return !phone.isEmpty() && phone != baseValues->telephone && !countryCode.isEmpty() &&
           countryCode != baseValues->mobileCountryCode;
}
