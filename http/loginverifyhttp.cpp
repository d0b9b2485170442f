#include "http/loginverifyhttp.h"

#include "app/basevalues.h"

LoginVerifyHttp::LoginVerifyHttp(QObject *parent) : HttpHelper(parent) {}

void LoginVerifyHttp::request(const QString &companyCode, const QString &userName)
{
    const QByteArray body = QByteArray("companyCode=") + encodeValue(companyCode) +
                            "&userName=" + encodeValue(userName) + "&appId=video_meeting" + "&sendSms=true";
    httpPostAuth(baseValues->idmUrl + QStringLiteral("api/user/getVerifyCode"), baseValues->s_accessToken,
                 body);
}

void LoginVerifyHttp::handleReply(QNetworkReply *reply, QByteArray data, int statusCode)
{
    const Answer answer = readAnswer(reply, data, statusCode);
    if (answer.kind == Answer::Succeeded && answer.result.isBool()) {
        emit sendLoginVerifyResultSignal(QString(), ServiceReply::success(answer.result));
        return;
    }
    emit sendLoginVerifyResultSignal(failure(QStringLiteral("LoginVerify"), answer, ResultForm::Plain),
                                     failureReply(answer));
}
