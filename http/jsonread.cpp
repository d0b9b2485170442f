#include "http/jsonread.h"

#include <cmath>

namespace JsonRead {

QString text(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Double: {
        const double d = value.toDouble();
        if (std::floor(d) == d && std::fabs(d) < 9.0e15)
            return QString::number(static_cast<qint64>(d));
        return QString::number(d, 'g', 15);
    }
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    default:
        return QString();
    }
}

std::optional<qint64> seconds(const QJsonValue &value)
{
    qint64 secs = -1;
    if (value.isDouble()) {
        // Compared as a double first: converting one beyond qint64 is undefined.
        const double d = value.toDouble();
        if (!std::isfinite(d) || d < 0 || d > double(latestSeconds))
            return std::nullopt;
        secs = qint64(d);
    } else if (value.isString()) {
        bool ok = false;
        secs = value.toString().trimmed().toLongLong(&ok);
        if (!ok)
            return std::nullopt;
    }
    if (secs <= 0 || secs > latestSeconds)
        return std::nullopt;
    return secs;
}

} // namespace JsonRead
