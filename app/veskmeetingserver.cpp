#include "app/veskmeetingserver.h"
#include "app/logcategory.h"

#include "app/instancemarker.h"
#include "app/waits.h"

#include <QDebug>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMetaMethod>
#include <QTextStream>

VeskMeetingServer::VeskMeetingServer() : m_server(new QLocalServer)
{
    // Links join meetings and open dialogs: only this user may send them.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, SIGNAL(newConnection()), this, SLOT(serverNewConnectionSlot()));
}

VeskMeetingServer::~VeskMeetingServer()
{
    m_server->close();
    delete m_server;
}

QString VeskMeetingServer::serverName()
{
    return instanceChannelName(QStringLiteral("VeskMeeting"));
}

void VeskMeetingServer::runServer()
{
    qCDebug(lcApp) << "Run Server ok";
    const QString name = serverName();
    // Listening replaces whatever socket file is there, so first ask whether
    // it still belongs to a running instance; two starts can race past the
    // instance marker.
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(Waits::instanceChannelMs)) {
        qCWarning(lcApp).noquote() << "another instance answers on" << name << "- not listening";
        return;
    }
    QLocalServer::removeServer(name);
    if (!m_server->listen(name))
        qCWarning(lcApp).noquote() << "listen failed:" << m_server->errorString();
}

bool VeskMeetingServer::isListening() const
{
    return m_server->isListening();
}

void VeskMeetingServer::serverNewConnectionSlot()
{
    qCDebug(lcApp) << "New Connection";
    qCDebug(lcApp).noquote() << QStringLiteral("listen: ") + m_server->serverName();
    QLocalSocket *socket = m_server->nextPendingConnection();
    if (!socket)
        return;
    connect(socket, SIGNAL(readyRead()), this, SLOT(socketReadyReadSlot()));
    connect(socket, SIGNAL(disconnected()), socket, SLOT(deleteLater()));
}

void VeskMeetingServer::socketReadyReadSlot()
{
    auto *socket = qobject_cast<QLocalSocket *>(sender());
    if (!socket)
        return;
    QTextStream stream(socket);
    const QString text = stream.readAll();
    qCDebug(lcApp).noquote() << "Read Data From Client:" << text;
    handOn(text);
    socket->write(QStringLiteral("Hello Client").toUtf8());
    socket->flush();
}

void VeskMeetingServer::connectNotify(const QMetaMethod &signal)
{
    // Deliver after the connecting code has finished setting up its side.
    if (signal == QMetaMethod::fromSignal(&VeskMeetingServer::sendAppParamterSignal) && !m_held.isEmpty())
        QMetaObject::invokeMethod(this, &VeskMeetingServer::deliverHeld, Qt::QueuedConnection);
}

bool VeskMeetingServer::hasReceiver() const
{
    return isSignalConnected(QMetaMethod::fromSignal(&VeskMeetingServer::sendAppParamterSignal));
}

void VeskMeetingServer::handOn(const QString &appParameter)
{
    // Behind held ones, so the order stays the order of arrival.
    if (!m_held.isEmpty() || !hasReceiver()) {
        qCDebug(lcApp) << "launch parameter kept until the session is ready";
        m_held.append(appParameter);
        return;
    }
    emit sendAppParamterSignal(appParameter);
}

void VeskMeetingServer::deliverHeld()
{
    while (!m_held.isEmpty() && hasReceiver())
        emit sendAppParamterSignal(m_held.takeFirst());
}
