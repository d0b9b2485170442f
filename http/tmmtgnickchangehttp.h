#pragma once

#include "http/httphelper.h"

// Renames the user on the meeting platform.
class TmMtgNickChangeHttp final : public HttpHelper
{
    Q_OBJECT
    Q_DISABLE_COPY(TmMtgNickChangeHttp)

public:
    explicit TmMtgNickChangeHttp(QObject *parent = nullptr);

    void request(const QString &tenantInfo, const QString &userName);

signals:
    void sendTmMtgNickChangeResultSignal(QString result, ServiceReply reply);

protected:
    void handleReply(QNetworkReply *reply, QByteArray data, int statusCode) override;
};
