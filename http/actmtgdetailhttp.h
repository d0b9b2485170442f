#pragma once

#include "http/httphelper.h"

// Reads the activity attached to meetings.
class ActMtgDetailHttp final : public HttpHelper
{
    Q_OBJECT
    Q_DISABLE_COPY(ActMtgDetailHttp)

public:
    explicit ActMtgDetailHttp(QObject *parent = nullptr);

    void request(const QString &meetingIds);

signals:
    void sendActMtgDetailResultSignal(QString result, ServiceReply reply);

protected:
    void handleReply(QNetworkReply *reply, QByteArray data, int statusCode) override;
};
