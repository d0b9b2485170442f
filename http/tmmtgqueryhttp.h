#pragma once

#include "http/httphelper.h"

// Lists the signed-in user's meetings.
class TmMtgQueryHttp final : public HttpHelper
{
    Q_OBJECT
    Q_DISABLE_COPY(TmMtgQueryHttp)

public:
    explicit TmMtgQueryHttp(QObject *parent = nullptr);

    void request(const QString &tenantInfo);

signals:
    void sendTmMtgQueryResultSignal(QString result, ServiceReply reply);

protected:
    void handleReply(QNetworkReply *reply, QByteArray data, int statusCode) override;
};
