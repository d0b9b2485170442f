#pragma once

#include "http/httphelper.h"

// Asks for the latest released version of the client.
class VeskVersionHttp final : public HttpHelper
{
    Q_OBJECT
    Q_DISABLE_COPY(VeskVersionHttp)

public:
    explicit VeskVersionHttp(QObject *parent = nullptr);

    void request();

signals:
    void sendVersionResultSignal(QString result, ServiceReply reply);

protected:
    void handleReply(QNetworkReply *reply, QByteArray data, int statusCode) override;
};
