#include "http/tmmtgmaxpeoplehttp.h"

#include "app/basevalues.h"

TmMtgMaxPeopleHttp::TmMtgMaxPeopleHttp(QObject *parent) : HttpHelper(parent) {}

void TmMtgMaxPeopleHttp::request(const QString &tenantInfo)
{
    httpGet(address(baseValues->serviceUrl, QStringLiteral("tencent-meeting/meeting/getMeetingMaxPeople"),
                    {{QStringLiteral("access_token"), baseValues->gatewayAccessToken},
                     {QStringLiteral("tenant_info"), tenantInfo}}));
}

void TmMtgMaxPeopleHttp::handleReply(QNetworkReply *reply, QByteArray data, int statusCode)
{
    const Answer answer = readAnswer(reply, data, statusCode);
    if (answer.kind == Answer::Succeeded && answer.result.isDouble()) {
        emit sendTmMtgMaxPeopleResultSignal(
            QStringLiteral("result:%1").arg(QString::number(answer.result.toDouble(), 'g', 6)),
            ServiceReply::success(answer.result));
        return;
    }
    emit sendTmMtgMaxPeopleResultSignal(failure(QStringLiteral("TmMtgMaxPeople"), answer, ResultForm::Tagged),
                                        failureReply(answer));
}
