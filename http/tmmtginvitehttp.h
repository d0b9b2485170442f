#pragma once

#include "http/httphelper.h"

// Fetches the invitation data of a meeting.
class TmMtgInviteHttp final : public HttpHelper
{
    Q_OBJECT
    Q_DISABLE_COPY(TmMtgInviteHttp)

public:
    explicit TmMtgInviteHttp(QObject *parent = nullptr);

    void request(const QString &tenantInfo, const QString &meetingCode);

signals:
    void sendTmMtgInviteResultSignal(QString result, ServiceReply reply);

protected:
    void handleReply(QNetworkReply *reply, QByteArray data, int statusCode) override;
};
