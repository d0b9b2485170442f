#pragma once

#include "http/httphelper.h"

// Polls whether the WeChat QR code was scanned and bound.
class LoginWxBindingHttp final : public HttpHelper
{
    Q_OBJECT
    Q_DISABLE_COPY(LoginWxBindingHttp)

public:
    explicit LoginWxBindingHttp(QObject *parent = nullptr);

    void request(const QString &uuid);

signals:
    void sendLoginWxBindingResultSignal(QString result, ServiceReply reply);

protected:
    void handleReply(QNetworkReply *reply, QByteArray data, int statusCode) override;
};
