#include "http/tmmtginvitehttp.h"

#include "app/basevalues.h"

TmMtgInviteHttp::TmMtgInviteHttp(QObject *parent) : HttpHelper(parent) {}

void TmMtgInviteHttp::request(const QString &tenantInfo, const QString &meetingCode)
{
    httpPostAuth(
        address(baseValues->serviceUrl, QStringLiteral("tencent-meeting/meeting/invitationMessage"),
                {{QStringLiteral("tenant_info"), tenantInfo}, {QStringLiteral("meetingCode"), meetingCode}}),
        baseValues->gatewayAccessToken, QByteArray());
}

void TmMtgInviteHttp::handleReply(QNetworkReply *reply, QByteArray data, int statusCode)
{
    const Answer answer = readAnswer(reply, data, statusCode);
    if (answer.kind == Answer::Succeeded) {
        const QJsonObject info = answer.result.toObject();
        emit sendTmMtgInviteResultSignal(QStringLiteral("info:") + compactJson(info),
                                         ServiceReply::success(info));
        return;
    }
    emit sendTmMtgInviteResultSignal(failure(QStringLiteral("TmMtgInvite"), answer, ResultForm::Tagged),
                                     failureReply(answer));
}
