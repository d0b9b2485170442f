#include "http/activityapprovehttp.h"

#include "app/basevalues.h"

#include <QJsonDocument>

namespace {

void clearActivityValues()
{
    baseValues->activityShortUrl.clear();
    baseValues->signatureUrl.clear();
    baseValues->signatureId.clear();
}

} // namespace

ActivityApproveHttp::ActivityApproveHttp(QObject *parent) : HttpHelper(parent) {}

void ActivityApproveHttp::request(const QString &meetingId, const QString &telephone,
                                  const QString &mobileCountryCode)
{
    QJsonObject body;
    body.insert(QStringLiteral("meetingId"), meetingId);
    body.insert(QStringLiteral("telephone"), telephone);
    body.insert(QStringLiteral("mobileCountryCode"), mobileCountryCode);
    httpPostJsonAuth(baseValues->serviceUrl + QStringLiteral("tencent-meeting/activity/checkActivityApprove"),
                     baseValues->s_accessToken, QJsonDocument(body).toJson(QJsonDocument::Compact));
}

void ActivityApproveHttp::handleReply(QNetworkReply *reply, QByteArray data, int statusCode)
{
    const Answer answer = readAnswer(reply, data, statusCode);
    switch (answer.kind) {
    case Answer::Succeeded:
        clearActivityValues();
        emit sendCheckActivityApproveResultSignal(QString(), ServiceReply::success(answer.result));
        return;
    case Answer::Refused: {
        // A refusal is an answer: the number is not admitted yet, and the
        // result says where to register or sign.
        const QJsonObject result = answer.result.toObject();
        baseValues->activityShortUrl = result.value(QStringLiteral("activityShortUrl")).toString();
        baseValues->signatureUrl = result.value(QStringLiteral("signatureUrl")).toString();
        baseValues->signatureId = result.value(QStringLiteral("signatureId")).toString();
        emit sendCheckActivityApproveResultSignal(
            failure(QStringLiteral("ActivityApprove"), answer, ResultForm::Activity), failureReply(answer));
        return;
    }
    case Answer::TimedOut:
    case Answer::NetworkFailed:
    case Answer::Malformed:
        break;
    }
    clearActivityValues();
    emit sendCheckActivityApproveResultSignal(
        failure(QStringLiteral("ActivityApprove"), answer, ResultForm::Activity), failureReply(answer));
}
