#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

// The join dialog's recent meetings as User.dat keeps them:
// {"list":[{"code":…,"name":…,"time":"yyyyMMddhhmmsszzz"},…]}, newest first.
namespace MeetingHistory {

// How many recent meetings are kept and shown.
constexpr int limit = 5;

// The entries that are objects; anything else (an older or damaged text) is
// no entry.
QList<QJsonObject> parse(const QString &history);

// The entries a list of recent meetings shows: newest first, at most
// limit of them (a hand-edited file may hold any number).
QList<QJsonObject> shown(const QString &history);

// The history with one more join at its head: the same code moves up, at
// most five entries stay.
QString withEntry(const QString &history, const QString &code, const QString &name, const QString &time);

// The history without the one entry of this code and time; the others stay
// as they were, in their order.
QString withoutEntry(const QString &history, const QString &code, const QString &time);

// The history as User.dat can keep it: characters beyond the basic plane
// (a subject's emoji) as JSON escapes, which the INI writer would drop.
QString storable(const QString &history);

// The meeting number a clipboard text offers: the number of an invitation
// of this client, or a bare number of 9 to 12 digits (blanks or dashes
// between groups allowed) that is not a mobile number. Empty for anything
// else.
QString numberFromClipboard(const QString &text);

} // namespace MeetingHistory
