#pragma once

#include "http/httphelper.h"

// Sends an SMS code to a phone for a guest's phone verification.
class TmPhoneVerifyHttp final : public HttpHelper
{
    Q_OBJECT
    Q_DISABLE_COPY(TmPhoneVerifyHttp)

public:
    explicit TmPhoneVerifyHttp(QObject *parent = nullptr);

    void request(const QString &telephone, const QString &mobileCountryCode);

signals:
    void sendTmPhoneVerifyResultSignal(QString result, ServiceReply reply);

protected:
    void handleReply(QNetworkReply *reply, QByteArray data, int statusCode) override;
};
