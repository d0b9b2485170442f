#include "app/meetinghistory.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

namespace MeetingHistory {

namespace {
constexpr int limit = 5;
}

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
    QJsonArray list;
    for (const QJsonObject &e : entries)
        list.append(e);
    QJsonObject root;
    root.insert(QStringLiteral("list"), list);
    return QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Compact));
}

} // namespace MeetingHistory
