#include "http/loginhttp.h"

#include "app/basevalues.h"

LoginHttp::LoginHttp(QObject *parent) : HttpHelper(parent) {}

void LoginHttp::loginByAccount(const QString &companyCode, const QString &userName, const QString &password,
                               int loginType)
{
    const QByteArray body = QByteArray("type=2") + "&appId=video_meeting" +
                            "&companyCode=" + encodeValue(companyCode) +
                            "&userName=" + encodeValue(userName) + "&password=" + encodeValue(password) +
                            "&loginType=" + QByteArray::number(loginType);
    httpPost(baseValues->idmUrl + QStringLiteral("api/user/loginByType"), body);
}

void LoginHttp::loginByMobile(const QString &companyCode, const QString &mobile, const QString &verifyCode,
                              int loginType)
{
    const QByteArray body = QByteArray("type=1") + "&appId=video_meeting" +
                            "&companyCode=" + encodeValue(companyCode) + "&mobile=" + encodeValue(mobile) +
                            "&verifyCode=" + encodeValue(verifyCode) +
                            "&loginType=" + QByteArray::number(loginType);
    httpPost(baseValues->idmUrl + QStringLiteral("api/user/loginByType"), body);
}

void LoginHttp::simulateLogin(const QString &companyCode, const QString &userId)
{
    const QByteArray body = QByteArray("appId=video_meeting") + "&companyCode=" + encodeValue(companyCode) +
                            "&userId=" + encodeValue(userId);
    httpPost(baseValues->idmUrl + QStringLiteral("api/user/simulateLogin"), body);
}

void LoginHttp::autoLoginByOpenId(const QString &openId, const QString &uid, const QString &unionId)
{
    // The service names the union id "unionid" here, "unionId" in its answer.
    const QByteArray body = QByteArray("openId=") + encodeValue(openId) + "&uid=" + encodeValue(uid) +
                            "&unionid=" + encodeValue(unionId) + "&loginImei=pc" + "&appId=video_meeting";
    httpPost(baseValues->idmUrl + QStringLiteral("api/user/autoLoginByOpenIdForMobile"), body);
}

void LoginHttp::simulateLoginByUuid(const QString &uuid)
{
    httpPost(baseValues->idmUrl + QStringLiteral("api/user/simulateLoginByUUID"),
             QByteArray("uuid=") + encodeValue(uuid));
}

void LoginHttp::handleReply(QNetworkReply *reply, QByteArray data, int statusCode)
{
    const Answer answer = readAnswer(reply, data, statusCode);
    if (answer.kind != Answer::Succeeded || !answer.result.isObject()) {
        emit sendLoginResultSignal(failure(QStringLiteral("Login"), answer, ResultForm::Plain),
                                   failureReply(answer));
        return;
    }

    const QJsonObject result = answer.result.toObject();
    baseValues->loginResult = compactJson(result);
    auto text = [&result](const char *key) { return result.value(QLatin1String(key)).toString(); };
    auto firstOf = [](const QString &a, const QString &b) { return a.isEmpty() ? b : a; };
    auto withoutApi = [](QString url) { return url.remove(QStringLiteral("api/")); };

    baseValues->userName = firstOf(text("veskUserName"), firstOf(text("nickName"), text("userName")));
    baseValues->personName = firstOf(text("personName"), text("nickName"));
    baseValues->interfaceUrl = withoutApi(firstOf(text("interfaceUrl"), text("enterpriseApiUrl")));
    baseValues->telephone = firstOf(text("userMobile"), text("mobile"));
    baseValues->mobileCountryCode = firstOf(text("internationalTelephoneCode"), QStringLiteral("+86"));
    baseValues->companyCode = text("companyCode");

    const QJsonObject binding = result.value(QStringLiteral("bindCompanyInfo")).toObject();
    if (!binding.isEmpty()) {
        baseValues->accessToken = binding.value(QStringLiteral("accessToken")).toString();
        baseValues->refreshToken = binding.value(QStringLiteral("refreshToken")).toString();
        if (baseValues->interfaceUrl.isEmpty())
            baseValues->interfaceUrl = withoutApi(binding.value(QStringLiteral("interfaceUrl")).toString());
        baseValues->companyCode = binding.value(QStringLiteral("companyCode")).toString();
    } else {
        baseValues->accessToken = text("accessToken");
        baseValues->refreshToken = text("refreshToken");
    }

    baseValues->tenantInfo = text("gateway_tenant_info");
    baseValues->gatewayAccessToken = text("gateway_access_token");

    // The remembered WeChat identity survives answers that lack it.
    if (!text("openId").isEmpty())
        baseValues->openId = text("openId");
    if (!text("uid").isEmpty())
        baseValues->uid = text("uid");
    if (!text("unionId").isEmpty())
        baseValues->unionId = text("unionId");

    emit sendLoginResultSignal(QString(), ServiceReply::success(answer.result));
}
