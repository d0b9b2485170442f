#include "http/tmmtgquerydhttp.h"

#include "app/basevalues.h"

#include <QJsonArray>

TmMtgQueryDHttp::TmMtgQueryDHttp(QObject *parent) : HttpHelper(parent) {}

void TmMtgQueryDHttp::request(const QString &tenantInfo, const QString &meetingCode)
{
    const QByteArray query = QByteArray("tenant_info=") + encodeValue(tenantInfo) +
                             "&meetingCode=" + encodeValue(meetingCode) + "&instanceId=1";
    httpPostAuth(baseValues->serviceUrl + QStringLiteral("tencent-meeting/meeting/queryMeetingDetail?") +
                     QString::fromLatin1(query),
                 baseValues->gatewayAccessToken, QByteArray());
}

void TmMtgQueryDHttp::handleReply(QNetworkReply *reply, QByteArray data, int statusCode)
{
    const Answer answer = readAnswer(reply, data, statusCode);
    if (answer.kind == Answer::Succeeded) {
        const QJsonValue list = answer.result.toObject().value(QStringLiteral("meetingInfoList"));
        emit sendTmMtgQueryDResultSignal(compactJson(list.toArray()));
        return;
    }
    emit sendTmMtgQueryDResultSignal(failure(QStringLiteral("TmMtgQueryD"), answer, ResultForm::Plain));
}
