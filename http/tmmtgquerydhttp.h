#pragma once

#include "http/httphelper.h"

// Reads the details of one meeting.
class TmMtgQueryDHttp final : public HttpHelper
{
    Q_OBJECT
    Q_DISABLE_COPY(TmMtgQueryDHttp)

public:
    explicit TmMtgQueryDHttp(QObject *parent = nullptr);

    void request(const QString &tenantInfo, const QString &meetingCode);

signals:
    void sendTmMtgQueryDResultSignal(QString result, ServiceReply reply);

protected:
    void handleReply(QNetworkReply *reply, QByteArray data, int statusCode) override;
};
