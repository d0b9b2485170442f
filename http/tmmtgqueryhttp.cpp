#include "http/tmmtgqueryhttp.h"

#include "app/basevalues.h"

#include <QJsonArray>

TmMtgQueryHttp::TmMtgQueryHttp(QObject *parent) : HttpHelper(parent) {}

void TmMtgQueryHttp::request(const QString &tenantInfo)
{
    httpPostAuth(address(baseValues->serviceUrl, QStringLiteral("tencent-meeting/meeting/queryMeeting"),
                         {{QStringLiteral("tenant_info"), tenantInfo}}),
                 baseValues->gatewayAccessToken, QByteArray());
}

void TmMtgQueryHttp::handleReply(QNetworkReply *reply, QByteArray data, int statusCode)
{
    Answer answer = readAnswer(reply, data, statusCode);
    if (answer.kind == Answer::Succeeded) {
        // No meetings may come as null: an empty list all the same.
        const QJsonArray meetings = answer.result.toArray();
        const QString text = compactJson(meetings);
        // A long list is held three times over otherwise while the screen
        // builds from it.
        answer = Answer();
        data.clear();
        ServiceReply read = ServiceReply::success(meetings);
        read.meetings = MeetingRecord::readList(meetings);
        emit sendTmMtgQueryResultSignal(text, read);
        return;
    }
    emit sendTmMtgQueryResultSignal(failure(QStringLiteral("TmMtgQuery"), answer, ResultForm::Plain),
                                    failureReply(answer));
}
