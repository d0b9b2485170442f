#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

// The join dialog's recent meetings as User.dat keeps them:
// {"list":[{"code":…,"name":…,"time":"yyyyMMddhhmmsszzz"},…]}, newest first.
namespace MeetingHistory {

// The entries that are objects; anything else (an older or damaged text) is
// no entry.
QList<QJsonObject> parse(const QString &history);

// The history with one more join at its head: the same code moves up, at
// most five entries stay.
QString withEntry(const QString &history, const QString &code, const QString &name, const QString &time);

} // namespace MeetingHistory
