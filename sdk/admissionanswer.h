#pragma once

#include <QString>

// The activity admission check that a join runs before it goes ahead, read
// the same way by the home screen, the join dialog and the guest's phone
// verification.

// Meetings of these types ask for the admission check ("活动系统", "预约会议").
bool isActivityMeeting(const QString &meetingType);

// What the check's answer asks of the joining window.
struct AdmissionAnswer
{
    enum class Next
    {
        // Admitted: the join goes ahead.
        Join,
        // Steps of the activity are missing: the admission window shows url.
        Approve,
        // Not admitted: a message dialog with message, button "确定".
        Refuse
    };
    Next next = Next::Refuse;
    QString url;
    QString message;
};

// The addresses come from baseValues (activityShortUrl, signatureUrl); an
// unknown code is logged.
AdmissionAnswer readAdmissionAnswer(const QString &result);
