#include "http/tmmtgcreatehttp.h"

#include "app/basevalues.h"

TmMtgCreateHttp::TmMtgCreateHttp(QObject *parent) : HttpHelper(parent) {}

void TmMtgCreateHttp::request(const QString &tenantInfo, const QString &meetingJson)
{
    httpPostJsonAuth(address(baseValues->serviceUrl, QStringLiteral("tencent-meeting/meeting/createMeeting"),
                             {{QStringLiteral("tenant_info"), tenantInfo}}),
                     baseValues->gatewayAccessToken, meetingJson.toUtf8());
}

void TmMtgCreateHttp::handleReply(QNetworkReply *reply, QByteArray data, int statusCode)
{
    const Answer answer = readAnswer(reply, data, statusCode);
    if (answer.kind == Answer::Succeeded) {
        if (answer.result.isObject()) {
            emit sendTmMtgCreateResultSignal(QStringLiteral("result:%1").arg(compactJson(answer.result)),
                                             ServiceReply::success(answer.result));
            return;
        }
        if (answer.result.isString()) {
            emit sendTmMtgCreateResultSignal(QStringLiteral("result:%1").arg(answer.result.toString()),
                                             ServiceReply::success(answer.result));
            return;
        }
    }
    emit sendTmMtgCreateResultSignal(failure(QStringLiteral("TmMtgCreate"), answer, ResultForm::Tagged),
                                     failureReply(answer));
}
