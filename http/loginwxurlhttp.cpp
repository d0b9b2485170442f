#include "http/loginwxurlhttp.h"

#include "app/basevalues.h"

LoginWxUrlHttp::LoginWxUrlHttp(QObject *parent) : HttpHelper(parent) {}

void LoginWxUrlHttp::request()
{
    httpPost(baseValues->idmUrl + QStringLiteral("api/user/getWeixinLoginUrl"),
             QByteArray("slightFlag=videoMeeting"));
}

void LoginWxUrlHttp::handleReply(QNetworkReply *reply, QByteArray data, int statusCode)
{
    const Answer answer = readAnswer(reply, data, statusCode);
    if (answer.kind == Answer::Succeeded && answer.result.isObject()) {
        const QJsonObject result = answer.result.toObject();
        logLine(compactJson(result));
        baseValues->wxLoginUrl = result.value(QStringLiteral("weixinLoginUrl")).toString();
        baseValues->wxUuid = result.value(QStringLiteral("uuid")).toString();
        emit sendLoginWxUrlResultSignal(QString(), ServiceReply::success(answer.result));
        return;
    }
    emit sendLoginWxUrlResultSignal(failure(QStringLiteral("LoginWxUrl"), answer, ResultForm::Plain),
                                    failureReply(answer));
}
