#pragma once

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QMetaType>
#include <QString>
#include <QVector>

#include <optional>

// One meeting of the list answer, read once where the answer arrives.
// Everything that shows, reminds of, exports or looks up a meeting reads
// these instead of the service's JSON.
struct MeetingRecord
{
    qint64 startSecs = 0; // seconds since 1970-01-01 UTC
    qint64 endSecs = 0;
    QString meetingType; // as the service names it
    QString meetingCode;
    QString meetingId;
    QString subject;
    QString hostUserId;      // first of currentHosts; empty when none
    bool isActivity = false; // meetingType "3" or "4"

    QDateTime start() const { return QDateTime::fromSecsSinceEpoch(startSecs); }
    QDateTime end() const { return QDateTime::fromSecsSinceEpoch(endSecs); }
    // The meeting number without the blanks and dashes of its display form.
    QString plainCode() const;

    // One meeting; nothing when its times are no meeting's (unreadable,
    // before 1970, after 9999, ending before it starts). A missing end is the start.
    static std::optional<MeetingRecord> read(const QJsonObject &meeting);
    // A whole answer in the service's order, unusable meetings left out.
    static QVector<MeetingRecord> readList(const QJsonArray &meetings);
    // The meeting's times as the create and change requests send them.
    static void writeTimes(QJsonObject &body, const QDateTime &start, const QDateTime &end);
};
Q_DECLARE_METATYPE(MeetingRecord)

bool operator==(const MeetingRecord &a, const MeetingRecord &b);
inline bool operator!=(const MeetingRecord &a, const MeetingRecord &b)
{
    return !(a == b);
}
