#pragma once

#include "http/httphelper.h"

// Asks which product version (account type) a company code belongs to.
class LoginComVerifyHttp final : public HttpHelper
{
    Q_OBJECT
    Q_DISABLE_COPY(LoginComVerifyHttp)

public:
    explicit LoginComVerifyHttp(QObject *parent = nullptr);

    void request(const QString &companyCode);

signals:
    void sendComVerifyResultSignal(QString result, ServiceReply reply);

protected:
    void handleReply(QNetworkReply *reply, QByteArray data, int statusCode) override;
};
