#include "http/loginwxbindinghttp.h"

#include "app/basevalues.h"

LoginWxBindingHttp::LoginWxBindingHttp(QObject *parent) : HttpHelper(parent) {}

void LoginWxBindingHttp::request(const QString &uuid)
{
    httpPost(baseValues->idmUrl + QStringLiteral("api/user/getBindingStatus"),
             QByteArray("uuid=") + encodeValue(uuid));
}

void LoginWxBindingHttp::handleReply(QNetworkReply *reply, QByteArray data, int statusCode)
{
    const Answer answer = readAnswer(reply, data, statusCode);
    if (answer.kind == Answer::Succeeded && answer.result.isObject()) {
        const QJsonObject result = answer.result.toObject();
        logLine(compactJson(result));
        const QJsonValue status = result.value(QStringLiteral("bindingStatus"));
        emit sendLoginWxBindingResultSignal(status.toString(), ServiceReply::success(status));
        return;
    }
    emit sendLoginWxBindingResultSignal(failure(QStringLiteral("LoginWxBinding"), answer, ResultForm::Plain),
                                        failureReply(answer));
}
