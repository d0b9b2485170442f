#include "http/tmmtgdeletehttp.h"

#include "app/basevalues.h"

TmMtgDeleteHttp::TmMtgDeleteHttp(QObject *parent) : HttpHelper(parent) {}

void TmMtgDeleteHttp::request(const QString &tenantInfo, const QString &meetingCodes)
{
    httpPostAuth(address(baseValues->serviceUrl, QStringLiteral("tencent-meeting/meeting/deleteMeeting"),
                         {{QStringLiteral("tenant_info"), tenantInfo},
                          {QStringLiteral("meetingCodes"), meetingCodes}}),
                 baseValues->gatewayAccessToken, QByteArray());
}

void TmMtgDeleteHttp::handleReply(QNetworkReply *reply, QByteArray data, int statusCode)
{
    const Answer answer = readAnswer(reply, data, statusCode);
    if (answer.kind == Answer::Succeeded && answer.result.isBool()) {
        emit sendTmMtgDeleteResultSignal(QString(), ServiceReply::success(answer.result));
        return;
    }
    emit sendTmMtgDeleteResultSignal(failure(QStringLiteral("TmMtgDelete"), answer, ResultForm::Plain),
                                     failureReply(answer));
}
