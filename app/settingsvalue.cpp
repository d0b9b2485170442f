#include "app/settingsvalue.h"

#include <QStringList>
#include <QVariant>

QString settingsText(const QSettings &settings, const QString &key)
{
    const QVariant value = settings.value(key);
    if (value.type() == QVariant::StringList)
        return value.toStringList().join(QLatin1Char(',')).trimmed();
    return value.toString().trimmed();
}
