#include "http/actmtgdetailhttp.h"

#include "app/basevalues.h"

#include <QJsonArray>

ActMtgDetailHttp::ActMtgDetailHttp(QObject *parent) : HttpHelper(parent) {}

void ActMtgDetailHttp::request(const QString &meetingIds)
{
    httpPostAuth(baseValues->serviceUrl +
                     QStringLiteral("interact/activityManageApi/getActivityInfoByMeetingIds"),
                 baseValues->s_accessToken, QByteArray("meetingIds=") + encodeValue(meetingIds));
}

void ActMtgDetailHttp::handleReply(QNetworkReply *reply, QByteArray data, int statusCode)
{
    const Answer answer = readAnswer(reply, data, statusCode);
    if (answer.kind == Answer::Succeeded) {
        const QJsonObject activity = answer.result.toArray().at(0).toObject();
        emit sendActMtgDetailResultSignal(compactJson(activity), ServiceReply::success(activity));
        return;
    }
    emit sendActMtgDetailResultSignal(failure(QStringLiteral("ActMtgDetail"), answer, ResultForm::Plain),
                                      failureReply(answer));
}
