#pragma once

#include "http/httphelper.h"

// Creates (or edits) a meeting from the JSON the scheduling screens compose.
class TmMtgCreateHttp final : public HttpHelper
{
    Q_OBJECT
    Q_DISABLE_COPY(TmMtgCreateHttp)

public:
    explicit TmMtgCreateHttp(QObject *parent = nullptr);

    void request(const QString &tenantInfo, const QString &meetingJson);

signals:
    void sendTmMtgCreateResultSignal(QString result, ServiceReply reply);

protected:
    void handleReply(QNetworkReply *reply, QByteArray data, int statusCode) override;
};
