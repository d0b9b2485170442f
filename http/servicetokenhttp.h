#pragma once

#include "http/httphelper.h"

// Asks the service for the program's own client-credentials token.
class ServiceTokenHttp final : public HttpHelper
{
    Q_OBJECT
    Q_DISABLE_COPY(ServiceTokenHttp)

public:
    explicit ServiceTokenHttp(QObject *parent = nullptr);

    void request();

signals:
    void sendServiceTokenResultSignal(QString result, ServiceReply reply);

protected:
    void handleReply(QNetworkReply *reply, QByteArray data, int statusCode) override;
};
