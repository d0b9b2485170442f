#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

// Builds the invitation texts users copy to share a meeting: one from the
// service's invitation data (meeting list), one from the Meeting SDK's
// invite_info JSON (raised inside a meeting).
namespace InvitationText {

// Dial-in numbers of the meeting platform, in international form.
inline const QString mainlandDialIn = QStringLiteral("+8675586960000");
inline const QString hongKongDialIn = QStringLiteral("+85230018888");

// A meeting number grouped for reading, groups separated by two spaces:
// up to 3 characters unchanged; 4-6 split after the 3rd; 7-10 after the 3rd
// and 6th; 11 after the 3rd and 7th; 12 or more after the 4th and 8th.
QString groupMeetingCode(const QString &code);

// The "手机一键拨号入会" block for an ungrouped meeting number.
QString dialInBlock(const QString &meetingCode);

// Invitation from the service's data (personName, rootNum, meetingName,
// onlineAddress, meetingTime, password).
QString fromServiceData(const QJsonObject &info);

// The Meeting SDK's invite_info read; an empty object (logged) when it is
// not a JSON object.
QJsonObject readSdkInfo(const QString &inviteInfo);
// Invitation from the Meeting SDK's invite_info; empty when it is empty.
// The inviter is host_name when signed in, the nickname otherwise.
QString fromSdkInfo(const QJsonObject &info);

} // namespace InvitationText
