#pragma once

#include <QLocalSocket>
#include <QObject>

// A second start's end of the single-instance channel: connects to the
// first instance and hands over its launch parameter.
class VeskMeetingClient final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(VeskMeetingClient)

public:
    VeskMeetingClient();
    ~VeskMeetingClient() override;

    // Waits at most Waits::instanceChannelMs; true when connected.
    bool connectToServer(QString name);
    // One message per connection; waits for the reply like the connection.
    // True when the running instance answered, i.e. it has the message.
    bool sendMessage(QString message);

public slots:
    void socketConnectedSlot();
    void socketDisconnectedSlot();
    void socketErrorSlot(QLocalSocket::LocalSocketError error);

private:
    QLocalSocket *m_socket = nullptr;
};
