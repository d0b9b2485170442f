#pragma once

#include "http/httphelper.h"

// Asks whether a phone number is admitted to the activity behind a meeting.
class ActivityApproveHttp final : public HttpHelper
{
    Q_OBJECT
    Q_DISABLE_COPY(ActivityApproveHttp)

public:
    explicit ActivityApproveHttp(QObject *parent = nullptr);

    void request(const QString &meetingId, const QString &telephone, const QString &mobileCountryCode);

signals:
    void sendCheckActivityApproveResultSignal(QString result, ServiceReply reply);

protected:
    void handleReply(QNetworkReply *reply, QByteArray data, int statusCode) override;
};
