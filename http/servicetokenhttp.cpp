#include "http/servicetokenhttp.h"

#include "app/basevalues.h"

#include <QNetworkReply>

ServiceTokenHttp::ServiceTokenHttp(QObject *parent) : HttpHelper(parent) {}

void ServiceTokenHttp::request()
{
    httpPost(address(baseValues->serviceUrl, QStringLiteral("oauth/token"),
                     {{QStringLiteral("grant_type"), QStringLiteral("client_credentials")},
                      {QStringLiteral("response_type"), QStringLiteral("token")},
                      {QStringLiteral("client_id"), baseValues->clientId},
                      {QStringLiteral("client_secret"), baseValues->clientSecret}}),
             QByteArray());
}

void ServiceTokenHttp::handleReply(QNetworkReply *reply, QByteArray data, int statusCode)
{
    Answer answer = readAnswer(reply, data, statusCode);

    // A plain OAuth answer carries the token at the top level and no
    // "success"; an enveloped one carries it in "result".
    const QJsonObject fields = answer.result.isObject() ? answer.result.toObject() : answer.object;
    if (answer.kind == Answer::Refused && !answer.object.contains(QStringLiteral("success")) &&
        !fields.value(QStringLiteral("access_token")).toString().isEmpty())
        answer.kind = Answer::Succeeded;

    switch (answer.kind) {
    case Answer::Succeeded: {
        const QString token = fields.value(QStringLiteral("access_token")).toString();
        if (token.isEmpty())
            break;
        const QJsonValue expires = fields.value(QStringLiteral("expires_in"));
        baseValues->s_accessToken = token;
        baseValues->serviceTokenExpiresIn = expires.isString() ? expires.toString().toInt() : expires.toInt();
        emit sendServiceTokenResultSignal(QString(), ServiceReply::success(answer.result));
        return;
    }
    case Answer::TimedOut:
        logLine(QStringLiteral("service token error:") + timeoutText());
        emit sendServiceTokenResultSignal(failureText(answer, ResultForm::Plain), failureReply(answer));
        return;
    case Answer::NetworkFailed:
        emit sendServiceTokenResultSignal(failureText(answer, ResultForm::Plain), failureReply(answer));
        logLine(QStringLiteral("service token fail! error message = %1").arg(answer.errorName));
        return;
    case Answer::Refused:
    case Answer::Malformed:
        break;
    }
    emit sendServiceTokenResultSignal(failure(QStringLiteral("ServiceToken"), answer, ResultForm::Plain),
                                      failureReply(answer));
}
