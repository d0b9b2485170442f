#include "app/ssohandoff.h"
#include "app/logcategory.h"

#include <QDebug>
#include <QStringList>
#include <QUrl>

bool parseSsoHandOffLine(const QString &line, const QDateTime &now, int maxAgeSecs, SsoHandOff *handOff)
{
    if (line.isEmpty())
        return false;
    const QString decoded = QUrl::fromPercentEncoding(line.toUtf8());
    if (!decoded.contains(QLatin1String("veskmeet")) || !decoded.contains(QLatin1Char('?'))) {
        qCDebug(lcApp) << "single-sign-on hand-off ignored: not a meeting hand-off";
        return false;
    }
    QString companyCode, userName, timeStamp;
    const QStringList parts = decoded.mid(decoded.indexOf(QLatin1Char('?')) + 1).split(QLatin1Char('&'));
    for (const QString &part : parts) {
        if (!part.contains(QLatin1Char('=')))
            continue;
        const QString value = part.mid(part.indexOf(QLatin1Char('=')) + 1);
        if (part.contains(QLatin1String("companyCode")))
            companyCode = value;
        else if (part.contains(QLatin1String("userName")))
            userName = value;
        else if (part.contains(QLatin1String("timeStamp")))
            timeStamp = value;
    }
    if (companyCode.isEmpty() || userName.isEmpty() || timeStamp.isEmpty()) {
        qCDebug(lcApp) << "single-sign-on hand-off ignored: incomplete";
        return false;
    }
    QDateTime stamp = QDateTime::fromString(timeStamp, QStringLiteral("yyyyMMddhhmmss"));
    stamp.setTimeSpec(Qt::LocalTime);
    // A stamp that does not parse is as good as a stale one.
    const qint64 age = stamp.isValid() ? stamp.secsTo(now) : -1 - ssoHandOffClockSkewSecs;
    if (age > maxAgeSecs || age < -ssoHandOffClockSkewSecs) {
        qCDebug(lcApp) << "single-sign-on hand-off ignored: time stamp out of range" << timeStamp;
        return false;
    }
    handOff->companyCode = companyCode;
    handOff->userName = userName;
    return true;
}
