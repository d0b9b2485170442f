#pragma once

// What the simulator and its window process say to each other over their
// local socket: one compact JSON object per line.
//
// To the window process ("cmd"):
//   show     id, kind, title and the kind's content (meetingCode, nickname,
//            showInvite, mic, camera)
//   set      id, mic and/or camera
//   raise    id
//   close    id: closed by the SDK itself, nothing is reported back
//   userClose id: as the title bar's close button
//   click    id, child: a user's mouse click on that button
// From it ("event"):
//   hello    nonce: the first line, proves the process is the one started
//   state    id, visible, title, children {name: {text, visible}}
//   action   id, action ("leave", "invite", "admit", "mic", "camera"), on
//   closed   id: gone by the user's doing (the screen-cast view)

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace WemeetSim {
namespace Wire {

inline const char *kindMeeting()
{
    return "meeting";
}
inline const char *kindWaitingRoom()
{
    return "waitingRoom";
}
inline const char *kindScreenCast()
{
    return "screenCast";
}

inline QByteArray encode(const QJsonObject &message)
{
    return QJsonDocument(message).toJson(QJsonDocument::Compact) + '\n';
}

// Takes every complete line out of buffer; a line that is not a JSON object
// comes back as an empty object.
template <typename Fn> void takeLines(QByteArray &buffer, Fn &&handle)
{
    int end = buffer.indexOf('\n');
    while (end >= 0) {
        const QByteArray line = buffer.left(end);
        buffer.remove(0, end + 1);
        handle(QJsonDocument::fromJson(line).object());
        end = buffer.indexOf('\n');
    }
}

} // namespace Wire
} // namespace WemeetSim
