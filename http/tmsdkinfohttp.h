#pragma once

#include "http/httphelper.h"

// Fetches the Meeting SDK credentials with the service token.
class TmSDKInfoHttp final : public HttpHelper
{
    Q_OBJECT
    Q_DISABLE_COPY(TmSDKInfoHttp)

public:
    explicit TmSDKInfoHttp(QObject *parent = nullptr);

    void request();

signals:
    void sendTmSdkInfoResultSignal(QString result, ServiceReply reply);

protected:
    void handleReply(QNetworkReply *reply, QByteArray data, int statusCode) override;
};
