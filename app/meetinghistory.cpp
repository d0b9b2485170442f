#include "app/meetinghistory.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <algorithm>

namespace MeetingHistory {

namespace {
// No invitation is this long; a bigger clipboard is not looked into.
constexpr int clipboardLimit = 16 * 1024;

QString compact(const QList<QJsonObject> &entries)
{
    QJsonArray list;
    for (const QJsonObject &e : entries)
        list.append(e);
    QJsonObject root;
    root.insert(QStringLiteral("list"), list);
    return QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Compact));
}
} // namespace

QList<QJsonObject> parse(const QString &history)
{
    QList<QJsonObject> entries;
    if (history.isEmpty())
        return entries;
    const QJsonArray list =
        QJsonDocument::fromJson(history.toUtf8()).object().value(QStringLiteral("list")).toArray();
    for (const QJsonValue &value : list) {
        if (value.isObject())
            entries << value.toObject();
    }
    return entries;
}

QList<QJsonObject> shown(const QString &history)
{
    QList<QJsonObject> entries = parse(history);
    std::stable_sort(entries.begin(), entries.end(), [](const QJsonObject &a, const QJsonObject &b) {
        return a.value(QStringLiteral("time")).toString() > b.value(QStringLiteral("time")).toString();
    });
    while (entries.size() > limit)
        entries.removeLast();
    return entries;
}

QString withEntry(const QString &history, const QString &code, const QString &name, const QString &time)
{
    QList<QJsonObject> entries = parse(history);
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&code](const QJsonObject &entry) {
                                     return entry.value(QStringLiteral("code")).toString() == code;
                                 }),
                  entries.end());
    QJsonObject entry;
    entry.insert(QStringLiteral("code"), code);
    entry.insert(QStringLiteral("name"), name);
    entry.insert(QStringLiteral("time"), time);
    entries.prepend(entry);
    while (entries.size() > limit)
        entries.removeLast();
    return compact(entries);
}

QString storable(const QString &history)
{
    QString out;
    out.reserve(history.size());
    for (const QChar ch : history) {
        if (ch.isSurrogate())
            out += QStringLiteral("\\u%1").arg(ch.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += ch;
    }
    return out;
}

QString withoutEntry(const QString &history, const QString &code, const QString &time)
{
    QList<QJsonObject> entries = parse(history);
    for (int i = 0; i < entries.size(); ++i) {
        if (entries.at(i).value(QStringLiteral("code")).toString() == code &&
            entries.at(i).value(QStringLiteral("time")).toString() == time) {
            entries.removeAt(i);
            return entries.isEmpty() ? QString() : compact(entries);
        }
    }
    return history;
}

QString numberFromClipboard(const QString &text)
{
    if (text.size() > clipboardLimit)
        return QString();
    static const QRegularExpression bare(QStringLiteral("^[0-9]+(?:[ -]+[0-9]+)*$"));
    static const QRegularExpression invitation(
        QStringLiteral("邀请您加入Vesk会议[\\s\\S]*\\n会议号：([0-9 -]+)\\r?\\n"));
    QString found;
    const QString trimmed = text.trimmed();
    if (bare.match(trimmed).hasMatch()) {
        found = trimmed;
    } else {
        const QRegularExpressionMatch match = invitation.match(text);
        if (!match.hasMatch())
            return QString();
        found = match.captured(1);
    }
    found.remove(QLatin1Char(' ')).remove(QLatin1Char('-'));
    // A copied mobile number is the likeliest 11 digits: never offer it.
    static const QRegularExpression mobile(QStringLiteral("^1[3-9][0-9]{9}$"));
    if (mobile.match(found).hasMatch())
        return QString();
    return found.size() >= 9 && found.size() <= 12 ? found : QString();
}

} // namespace MeetingHistory
