#include "http/tmphoneverifyhttp.h"

#include "app/basevalues.h"

#include <QUrl>

TmPhoneVerifyHttp::TmPhoneVerifyHttp(QObject *parent) : HttpHelper(parent) {}

void TmPhoneVerifyHttp::request(const QString &telephone, const QString &mobileCountryCode)
{
    // The "+" of "+86" travels as %2B.
    const QByteArray query = QByteArray("access_token=") + encodeValue(baseValues->s_accessToken) +
                             "&telephone=" + encodeValue(telephone) +
                             "&mobileCountryCode=" + QUrl::toPercentEncoding(mobileCountryCode);
    httpGet(baseValues->serviceUrl + QStringLiteral("tencent-meeting/user/getVerifyCode?") +
            QString::fromLatin1(query));
}

void TmPhoneVerifyHttp::handleReply(QNetworkReply *reply, QByteArray data, int statusCode)
{
    const Answer answer = readAnswer(reply, data, statusCode);
    if (answer.kind == Answer::Succeeded && answer.result.isBool()) {
        emit sendTmPhoneVerifyResultSignal(QString());
        return;
    }
    emit sendTmPhoneVerifyResultSignal(failure(QStringLiteral("TmPhoneVerify"), answer, ResultForm::Plain));
}
