#pragma once

#include "http/httphelper.h"

// Fetches the WeChat sign-in page address and uuid.
class LoginWxUrlHttp final : public HttpHelper
{
    Q_OBJECT
    Q_DISABLE_COPY(LoginWxUrlHttp)

public:
    explicit LoginWxUrlHttp(QObject *parent = nullptr);

    void request();

signals:
    void sendLoginWxUrlResultSignal(QString result, ServiceReply reply);

protected:
    void handleReply(QNetworkReply *reply, QByteArray data, int statusCode) override;
};
