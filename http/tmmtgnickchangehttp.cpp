#include "http/tmmtgnickchangehttp.h"

#include "app/basevalues.h"

TmMtgNickChangeHttp::TmMtgNickChangeHttp(QObject *parent) : HttpHelper(parent) {}

void TmMtgNickChangeHttp::request(const QString &tenantInfo, const QString &userName)
{
    httpPostAuth(address(baseValues->serviceUrl, QStringLiteral("tencent-meeting/user/modifyUserName"),
                         {{QStringLiteral("tenant_info"), tenantInfo}}),
                 baseValues->gatewayAccessToken, QByteArray("userName=") + encodeValue(userName));
}

void TmMtgNickChangeHttp::handleReply(QNetworkReply *reply, QByteArray data, int statusCode)
{
    const Answer answer = readAnswer(reply, data, statusCode);
    if (answer.kind == Answer::Succeeded && answer.result.isBool()) {
        emit sendTmMtgNickChangeResultSignal(QString(), ServiceReply::success(answer.result));
        return;
    }
    emit sendTmMtgNickChangeResultSignal(
        failure(QStringLiteral("TmMtgNickChange"), answer, ResultForm::Plain), failureReply(answer));
}
