// Both invitation sources: the Meeting SDK's invite_info text (first byte
// even) and the service's invitation data (first byte odd).

#include "fuzzsupport.h"

#include "meeting/invitationtext.h"

#include <QJsonDocument>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzsupport::start(argc, argv);
    baseValues->wmNickname = QStringLiteral("李雷");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray body = fuzzsupport::bytes(data + 1, size - 1);
    baseValues->signedIn = data[0] & 2;
    if (data[0] & 1) {
        const QJsonObject info = QJsonDocument::fromJson(body).object();
        InvitationText::fromServiceData(info);
        InvitationText::groupMeetingCode(info.value(QStringLiteral("rootNum")).toString());
    } else {
        InvitationText::fromSdkInfo(InvitationText::readSdkInfo(QString::fromUtf8(body)));
    }
    return 0;
}
