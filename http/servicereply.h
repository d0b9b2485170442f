#pragma once

#include "http/jsonread.h"
#include "http/meetingrecord.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QMetaType>
#include <QNetworkReply>
#include <QString>

// What a request hands on beside its result text: how the answer ended and
// what the request already read from it, so that a caller neither parses the
// text again nor tells the outcome by its prefix.
struct ServiceReply
{
    enum Outcome
    {
        Succeeded,
        Refused,
        TimedOut,
        NetworkFailed,
        Malformed
    };
    Outcome outcome = Malformed;
    // Succeeded: the part of the answer the request hands on (the meeting
    // list, the invitation, the new meeting, the participant limit...).
    QJsonValue value;
    // The meeting list's answer, read into records (left out: meetings
    // without usable times).
    QVector<MeetingRecord> meetings;
    // Any other outcome: the failure as the result text words it, without
    // its "error:" tag.
    QString message;
    // NetworkFailed: what the network reported.
    QNetworkReply::NetworkError networkError = QNetworkReply::NoError;
    // The service no longer knows the session or the client's token.
    bool sessionLost = false;

    bool succeeded() const { return outcome == Succeeded; }
    // A member of an object answer as text (JsonRead::text).
    QString text(const QString &key) const { return JsonRead::text(value.toObject().value(key)); }
    static ServiceReply success(const QJsonValue &value = QJsonValue())
    {
        ServiceReply reply;
        reply.outcome = Succeeded;
        reply.value = value;
        return reply;
    }
};
Q_DECLARE_METATYPE(ServiceReply)
