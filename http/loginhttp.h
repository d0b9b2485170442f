#pragma once

#include "http/httphelper.h"

// Signs a user in at the identity service; five ways, one answer.
class LoginHttp final : public HttpHelper
{
    Q_OBJECT
    Q_DISABLE_COPY(LoginHttp)

public:
    explicit LoginHttp(QObject *parent = nullptr);

    void loginByAccount(const QString &companyCode, const QString &userName, const QString &password,
                        int loginType);
    void loginByMobile(const QString &companyCode, const QString &mobile, const QString &verifyCode,
                       int loginType);
    void simulateLogin(const QString &companyCode, const QString &userId);
    void autoLoginByOpenId(const QString &openId, const QString &uid, const QString &unionId);
    void simulateLoginByUuid(const QString &uuid);

signals:
    void sendLoginResultSignal(QString result, ServiceReply reply);

protected:
    void handleReply(QNetworkReply *reply, QByteArray data, int statusCode) override;
};
