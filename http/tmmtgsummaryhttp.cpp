#include "http/tmmtgsummaryhttp.h"

#include "app/basevalues.h"

TmMtgSummaryHttp::TmMtgSummaryHttp(QObject *parent) : HttpHelper(parent) {}

void TmMtgSummaryHttp::request(const QString &meetingCode)
{
    httpGet(address(baseValues->serviceUrl, QStringLiteral("tencent-meeting/meeting/meetingSummary"),
                    {{QStringLiteral("meetingCode"), meetingCode},
                     {QStringLiteral("access_token"), baseValues->s_accessToken}}));
}

void TmMtgSummaryHttp::handleReply(QNetworkReply *reply, QByteArray data, int statusCode)
{
    const Answer answer = readAnswer(reply, data, statusCode);
    if (answer.kind == Answer::Succeeded) {
        const QJsonObject result = answer.result.toObject();
        baseValues->meetingId = result.value(QStringLiteral("meetingId")).toString();
        baseValues->meetingType = result.value(QStringLiteral("meetingType")).toString();
        baseValues->joinUrl = result.value(QStringLiteral("joinUrl")).toString();
        emit sendTmMtgSummaryResultSignal(QString(), ServiceReply::success(answer.result));
        return;
    }
    // No stale meeting stays in hand for the caller to join by mistake.
    baseValues->joinUrl.clear();
    baseValues->meetingId.clear();
    baseValues->meetingType.clear();
    emit sendTmMtgSummaryResultSignal(failure(QStringLiteral("TmMtgSummary"), answer, ResultForm::Prefixed),
                                      failureReply(answer));
}
