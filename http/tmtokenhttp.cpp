#include "http/tmtokenhttp.h"

#include "app/basevalues.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

// The phone verification travels only when the screen has one.
void insertPhoneVerification(QJsonObject &body, const QString &telephone, const QString &mobileCountryCode,
                             const QString &verifyCode)
{
    if (!telephone.isEmpty())
        body.insert(QStringLiteral("telephone"), telephone);
    if (!mobileCountryCode.isEmpty())
        body.insert(QStringLiteral("mobileCountryCode"), mobileCountryCode);
    if (!verifyCode.isEmpty())
        body.insert(QStringLiteral("verifyCode"), verifyCode);
}

} // namespace

TmTokenHttp::TmTokenHttp(QObject *parent) : HttpHelper(parent) {}

void TmTokenHttp::requestForMember(const QString &tenantInfo, const QString &telephone,
                                   const QString &mobileCountryCode, const QString &verifyCode)
{
    QJsonObject body;
    body.insert(QStringLiteral("accountType"), QStringLiteral("1"));
    insertPhoneVerification(body, telephone, mobileCountryCode, verifyCode);
    httpPostJsonAuth(address(baseValues->serviceUrl, QStringLiteral("tencent-meeting/user/token"),
                             {{QStringLiteral("tenant_info"), tenantInfo}}),
                     baseValues->gatewayAccessToken, QJsonDocument(body).toJson(QJsonDocument::Compact));
}

void TmTokenHttp::requestForGuest(const QString &serialNo, const QString &meetingCode,
                                  const QString &nickName, const QString &telephone,
                                  const QString &mobileCountryCode, const QString &verifyCode)
{
    QJsonObject body;
    body.insert(QStringLiteral("accountType"), QStringLiteral("2"));
    body.insert(QStringLiteral("serialNo"), serialNo);
    body.insert(QStringLiteral("meetingCode"), meetingCode);
    body.insert(QStringLiteral("nickName"), nickName);
    insertPhoneVerification(body, telephone, mobileCountryCode, verifyCode);
    httpPostJson(address(baseValues->serviceUrl, QStringLiteral("tencent-meeting/user/token"),
                         {{QStringLiteral("access_token"), baseValues->s_accessToken}}),
                 QJsonDocument(body).toJson(QJsonDocument::Compact));
}

void TmTokenHttp::handleReply(QNetworkReply *reply, QByteArray data, int statusCode)
{
    const Answer answer = readAnswer(reply, data, statusCode);
    if (answer.kind != Answer::Succeeded || !answer.result.isObject()) {
        emit sendTmTokenResultSignal(failure(QStringLiteral("TmToken"), answer, ResultForm::Plain),
                                     failureReply(answer));
        return;
    }

    const QJsonObject result = answer.result.toObject();
    auto text = [&result](const char *key) { return result.value(QLatin1String(key)).toString(); };

    baseValues->sdkId = text("sdkId");
    baseValues->sdkToken = text("sdkToken");
    baseValues->ssoUrl = text("ssoUrl");
    baseValues->idToken = text("idToken");
    baseValues->meetingName = text("meetingName");

    const QJsonValue status = result.value(QStringLiteral("loginStatus"));
    baseValues->loginStatus = QString::number(status.isString() ? status.toString().toInt() : status.toInt());

    // The platform's placeholder name gives way to the name of the sign-in.
    const QString personName = text("personName");
    baseValues->meetingPersonName = personName == QLatin1String("Vesk") ? baseValues->personName : personName;

    if (baseValues->telephone.isEmpty())
        baseValues->telephone = text("telephone");
    if (baseValues->mobileCountryCode.isEmpty())
        baseValues->mobileCountryCode = text("mobileCountryCode");

    baseValues->meetingId = text("meetingId");
    baseValues->joinUrl = text("joinUrl");
    baseValues->userId = text("userId");

    emit sendTmTokenResultSignal(QString(), ServiceReply::success(answer.result));
}
