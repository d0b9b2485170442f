#include "http/tmmtgquerydhttp.h"

#include "app/basevalues.h"

#include <QJsonArray>

TmMtgQueryDHttp::TmMtgQueryDHttp(QObject *parent) : HttpHelper(parent) {}

void TmMtgQueryDHttp::request(const QString &tenantInfo, const QString &meetingCode)
{
    httpPostAuth(address(baseValues->serviceUrl, QStringLiteral("tencent-meeting/meeting/queryMeetingDetail"),
                         {{QStringLiteral("tenant_info"), tenantInfo},
                          {QStringLiteral("meetingCode"), meetingCode},
                          {QStringLiteral("instanceId"), QStringLiteral("1")}}),
                 baseValues->gatewayAccessToken, QByteArray());
}

void TmMtgQueryDHttp::handleReply(QNetworkReply *reply, QByteArray data, int statusCode)
{
    const Answer answer = readAnswer(reply, data, statusCode);
    if (answer.kind == Answer::Succeeded) {
        const QJsonValue list = answer.result.toObject().value(QStringLiteral("meetingInfoList"));
        emit sendTmMtgQueryDResultSignal(compactJson(list.toArray()), ServiceReply::success(list.toArray()));
        return;
    }
    emit sendTmMtgQueryDResultSignal(failure(QStringLiteral("TmMtgQueryD"), answer, ResultForm::Plain),
                                     failureReply(answer));
}
