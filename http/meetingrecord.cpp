#include "http/meetingrecord.h"
#include "http/logcategory.h"

#include "http/jsonread.h"

#include <QDebug>

QString MeetingRecord::plainCode() const
{
    QString code = meetingCode;
    return code.remove(QLatin1Char(' ')).remove(QLatin1Char('-'));
}

std::optional<MeetingRecord> MeetingRecord::read(const QJsonObject &meeting)
{
    const std::optional<qint64> start = JsonRead::seconds(meeting.value(QStringLiteral("startTime")));
    const QJsonValue endValue = meeting.value(QStringLiteral("endTime"));
    const std::optional<qint64> end =
        endValue.isUndefined() || endValue.isNull() ? start : JsonRead::seconds(endValue);
    if (!start || !end || *end < *start)
        return std::nullopt;
    MeetingRecord record;
    record.startSecs = *start;
    record.endSecs = *end;
    record.meetingType = JsonRead::text(meeting.value(QStringLiteral("meetingType")));
    record.isActivity = record.meetingType == QLatin1String("3") || record.meetingType == QLatin1String("4");
    record.meetingCode = JsonRead::text(meeting.value(QStringLiteral("meetingCode")));
    record.meetingId = JsonRead::text(meeting.value(QStringLiteral("meetingId")));
    record.subject = JsonRead::text(meeting.value(QStringLiteral("subject")));
    const QJsonArray hosts = meeting.value(QStringLiteral("currentHosts")).toArray();
    if (!hosts.isEmpty())
        record.hostUserId = JsonRead::text(hosts.first().toObject().value(QStringLiteral("userId")));
    return record;
}

QVector<MeetingRecord> MeetingRecord::readList(const QJsonArray &meetings)
{
    QVector<MeetingRecord> records;
    records.reserve(meetings.size());
    int leftOut = 0;
    for (const QJsonValue &value : meetings) {
        if (std::optional<MeetingRecord> record = read(value.toObject()))
            records.append(std::move(*record));
        else
            ++leftOut;
    }
    if (leftOut > 0)
        qCDebug(lcHttp).noquote()
            << QStringLiteral("meeting list: %1 meeting(s) without usable times left out").arg(leftOut);
    return records;
}

void MeetingRecord::writeTimes(QJsonObject &body, const QDateTime &start, const QDateTime &end)
{
    const QString wire = QStringLiteral("yyyy-MM-dd hh:mm:00");
    body.insert(QStringLiteral("startTime"), start.toString(wire));
    body.insert(QStringLiteral("endTime"), end.toString(wire));
}

bool operator==(const MeetingRecord &a, const MeetingRecord &b)
{
    return a.startSecs == b.startSecs && a.endSecs == b.endSecs && a.meetingType == b.meetingType &&
           a.meetingCode == b.meetingCode && a.meetingId == b.meetingId && a.subject == b.subject &&
           a.hostUserId == b.hostUserId;
}
