#include "http/tmsdkinfohttp.h"

#include "app/basevalues.h"

TmSDKInfoHttp::TmSDKInfoHttp(QObject *parent) : HttpHelper(parent) {}

void TmSDKInfoHttp::request()
{
    httpGet(address(baseValues->serviceUrl, QStringLiteral("tencent-meeting/user/sdkInit"),
                    {{QStringLiteral("access_token"), baseValues->s_accessToken}}));
}

void TmSDKInfoHttp::handleReply(QNetworkReply *reply, QByteArray data, int statusCode)
{
    const Answer answer = readAnswer(reply, data, statusCode);
    if (answer.kind == Answer::Succeeded) {
        const QJsonObject result = answer.result.toObject();
        baseValues->sdkId = result.value(QStringLiteral("sdkId")).toString();
        baseValues->sdkToken = result.value(QStringLiteral("sdkToken")).toString();
        baseValues->ssoUrl = result.value(QStringLiteral("ssoUrl")).toString();
        emit sendTmSdkInfoResultSignal(QString(), ServiceReply::success(answer.result));
        return;
    }
    baseValues->sdkId.clear();
    baseValues->sdkToken.clear();
    baseValues->ssoUrl.clear();
    emit sendTmSdkInfoResultSignal(failure(QStringLiteral("TmSDKInfoHttp"), answer, ResultForm::Prefixed),
                                   failureReply(answer));
}
