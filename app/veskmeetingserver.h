#pragma once

#include <QObject>
#include <QStringList>

class QLocalServer;
class QMetaMethod;

// The first instance's end of the single-instance channel: a later start
// connects, sends its launch parameter and gets "Hello Client" back.
// Parameters that arrive while nothing is connected to
// sendAppParamterSignal (the start-up waits come before the session
// coordinator) are kept and delivered in order once a receiver connects.
class VeskMeetingServer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(VeskMeetingServer)

public:
    VeskMeetingServer();
    ~VeskMeetingServer() override;

    // The local socket both ends use: "VeskMeeting", with the user's suffix
    // where users share the folder it lives in.
    static QString serverName();

    // Listens for the same user only. A socket left by an instance that
    // ended without closing it is removed, but never one that still answers.
    void runServer();
    bool isListening() const;

signals:
    void sendAppParamterSignal(QString appParameter);

public slots:
    void serverNewConnectionSlot();
    void socketReadyReadSlot();

protected:
    void connectNotify(const QMetaMethod &signal) override;

private:
    bool hasReceiver() const;
    void handOn(const QString &appParameter);
    void deliverHeld();

    QLocalServer *m_server = nullptr;
    QStringList m_held;
};
