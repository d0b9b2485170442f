#pragma once

#include "http/httphelper.h"

// Asks the service to send an SMS code for the phone sign-in.
class LoginVerifyHttp final : public HttpHelper
{
    Q_OBJECT
    Q_DISABLE_COPY(LoginVerifyHttp)

public:
    explicit LoginVerifyHttp(QObject *parent = nullptr);

    void request(const QString &companyCode, const QString &userName);

signals:
    void sendLoginVerifyResultSignal(QString result, ServiceReply reply);

protected:
    void handleReply(QNetworkReply *reply, QByteArray data, int statusCode) override;
};
