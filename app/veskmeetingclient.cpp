#include "app/veskmeetingclient.h"
#include "app/logcategory.h"

#include "app/waits.h"

#include <QDebug>
#include <QTextStream>

VeskMeetingClient::VeskMeetingClient() : m_socket(new QLocalSocket)
{
    connect(m_socket, SIGNAL(connected()), this, SLOT(socketConnectedSlot()));
    connect(m_socket, SIGNAL(disconnected()), this, SLOT(socketDisconnectedSlot()));
    connect(m_socket, SIGNAL(error(QLocalSocket::LocalSocketError)), this,
            SLOT(socketErrorSlot(QLocalSocket::LocalSocketError)));
}

VeskMeetingClient::~VeskMeetingClient()
{
    m_socket->disconnectFromServer();
    delete m_socket;
}

bool VeskMeetingClient::connectToServer(QString name)
{
    if (m_socket->state() != QLocalSocket::UnconnectedState)
        m_socket->abort();
    m_socket->connectToServer(name, QIODevice::ReadWrite);
    if (!m_socket->waitForConnected(Waits::instanceChannelMs))
        return false;
    qCDebug(lcApp) << "VeskMeeting Server Connected!";
    return true;
}

bool VeskMeetingClient::sendMessage(QString message)
{
    // Nothing written is never answered: do not wait for a reply to it.
    if (m_socket->state() != QLocalSocket::ConnectedState || message.isEmpty())
        return false;
    m_socket->write(message.toUtf8());
    m_socket->flush();
    // A long parameter may not fit the socket's buffer at once.
    while (m_socket->bytesToWrite() > 0 && m_socket->waitForBytesWritten(Waits::instanceChannelMs)) {
    }
    if (m_socket->bytesAvailable() <= 0)
        m_socket->waitForReadyRead(Waits::instanceChannelMs);
    QTextStream stream(m_socket);
    const QString reply = stream.readAll();
    qCDebug(lcApp).noquote() << "Read Data From Server:" << reply;
    return !reply.isEmpty();
}

void VeskMeetingClient::socketConnectedSlot()
{
    qCDebug(lcApp) << "connected.";
}

void VeskMeetingClient::socketDisconnectedSlot()
{
    qCDebug(lcApp) << "disconnected.";
}

void VeskMeetingClient::socketErrorSlot(QLocalSocket::LocalSocketError error)
{
    qCWarning(lcApp) << "local socket error" << error << m_socket->errorString();
}
