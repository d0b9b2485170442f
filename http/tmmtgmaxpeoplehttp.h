#pragma once

#include "http/httphelper.h"

// Asks for the participant limit of the user's meetings.
class TmMtgMaxPeopleHttp final : public HttpHelper
{
    Q_OBJECT
    Q_DISABLE_COPY(TmMtgMaxPeopleHttp)

public:
    explicit TmMtgMaxPeopleHttp(QObject *parent = nullptr);

    void request(const QString &tenantInfo);

signals:
    void sendTmMtgMaxPeopleResultSignal(QString result, ServiceReply reply);

protected:
    void handleReply(QNetworkReply *reply, QByteArray data, int statusCode) override;
};
