#pragma once

#include "http/httphelper.h"

// Cancels meetings.
class TmMtgDeleteHttp final : public HttpHelper
{
    Q_OBJECT
    Q_DISABLE_COPY(TmMtgDeleteHttp)

public:
    explicit TmMtgDeleteHttp(QObject *parent = nullptr);

    void request(const QString &tenantInfo, const QString &meetingCodes);

signals:
    void sendTmMtgDeleteResultSignal(QString result, ServiceReply reply);

protected:
    void handleReply(QNetworkReply *reply, QByteArray data, int statusCode) override;
};
