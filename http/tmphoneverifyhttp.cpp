#include "http/tmphoneverifyhttp.h"

#include "app/basevalues.h"

TmPhoneVerifyHttp::TmPhoneVerifyHttp(QObject *parent) : HttpHelper(parent) {}

void TmPhoneVerifyHttp::request(const QString &telephone, const QString &mobileCountryCode)
{
    // The "+" of "+86" travels as %2B.
    httpGet(address(baseValues->serviceUrl, QStringLiteral("tencent-meeting/user/getVerifyCode"),
                    {{QStringLiteral("access_token"), baseValues->s_accessToken},
                     {QStringLiteral("telephone"), telephone},
                     {QStringLiteral("mobileCountryCode"), mobileCountryCode}}));
}

void TmPhoneVerifyHttp::handleReply(QNetworkReply *reply, QByteArray data, int statusCode)
{
    const Answer answer = readAnswer(reply, data, statusCode);
    if (answer.kind == Answer::Succeeded && answer.result.isBool()) {
        emit sendTmPhoneVerifyResultSignal(QString(), ServiceReply::success(answer.result));
        return;
    }
    emit sendTmPhoneVerifyResultSignal(failure(QStringLiteral("TmPhoneVerify"), answer, ResultForm::Plain),
                                       failureReply(answer));
}
