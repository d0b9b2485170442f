#pragma once

#include "http/httphelper.h"

// Fetches the meeting-service token and Meeting SDK credentials, for a
// signed-in member or for a guest.
class TmTokenHttp final : public HttpHelper
{
    Q_OBJECT
    Q_DISABLE_COPY(TmTokenHttp)

public:
    explicit TmTokenHttp(QObject *parent = nullptr);

    void requestForMember(const QString &tenantInfo, const QString &telephone,
                          const QString &mobileCountryCode, const QString &verifyCode);
    void requestForGuest(const QString &serialNo, const QString &meetingCode, const QString &nickName,
                         const QString &telephone, const QString &mobileCountryCode,
                         const QString &verifyCode);

signals:
    void sendTmTokenResultSignal(QString result, ServiceReply reply);

protected:
    void handleReply(QNetworkReply *reply, QByteArray data, int statusCode) override;
};
