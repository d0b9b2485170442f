#pragma once

#include <QJsonValue>
#include <QString>

#include <optional>

// Reading single values of the service's and the Meeting SDK's JSON, which
// send numbers as strings and strings as numbers as they please.
namespace JsonRead {

// Strings as they are, whole numbers without exponent ("123456789", never
// "1.23457e+08"), booleans as "true"/"false", anything else as "".
QString text(const QJsonValue &value);

// A time in seconds since 1970-01-01 UTC, as number or digits. Nothing for
// what is no time a meeting can have: unreadable, before 1970, after the
// year 9999 (so no sum or conversion can overflow).
std::optional<qint64> seconds(const QJsonValue &value);

// The last second of the year 9999 UTC.
inline constexpr qint64 latestSeconds = 253402300799;

} // namespace JsonRead
