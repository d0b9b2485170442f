#pragma once

#include "http/httphelper.h"

// Resolves a meeting number into the meeting in hand (id, type, join address).
class TmMtgSummaryHttp final : public HttpHelper
{
    Q_OBJECT
    Q_DISABLE_COPY(TmMtgSummaryHttp)

public:
    explicit TmMtgSummaryHttp(QObject *parent = nullptr);

    void request(const QString &meetingCode);

signals:
    void sendTmMtgSummaryResultSignal(QString result, ServiceReply reply);

protected:
    void handleReply(QNetworkReply *reply, QByteArray data, int statusCode) override;
};
