#pragma once

// The simulator's side of its window process: starts it beside the library,
// talks to it over a local socket only this user can reach, and keeps what
// it reports about each window. Lives on the GUI thread.

#include "sdk-sim/simcontrol.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QLocalServer>
#include <QObject>
#include <QPointer>
#include <QProcess>

#include <functional>

class QLocalSocket;

namespace WemeetSim {

class WindowHost final : public QObject
{
public:
    enum Kind
    {
        Meeting,
        WaitingRoom,
        ScreenCast
    };

    // Null without an application object.
    static WindowHost *instance();
    // Ends the window process, as releasing the SDK does.
    static void shutdown();
    // Path of the window program: beside the library that holds this code.
    static QString programPath();

    // Opens a window of that kind (closing one still open) and returns it.
    SimWindow *show(Kind kind, const QString &title, const QJsonObject &content = QJsonObject());
    SimWindow *window(Kind kind);
    void set(Kind kind, const QJsonObject &values);
    void raise(Kind kind);
    // Closed by the SDK itself: nothing comes back.
    void closeQuietly(Kind kind);
    void closeAll();
    qint64 processId() const;

    // What the user did in a window: "leave", "invite", "admit", "mic",
    // "camera" (with on).
    std::function<void(Kind kind, const QString &action, bool on)> onAction;

private:
    friend class WemeetSim::SimWindow;
    explicit WindowHost(QObject *parent);
    ~WindowHost() override;

    bool startProcess();
    void stopProcess();
    void send(const QJsonObject &command);
    void accept();
    void received(QLocalSocket *socket, const QJsonObject &event);
    void processGone();
    SimWindow *byId(int id, Kind *kind = nullptr);

    QLocalServer m_server;
    QProcess m_process;
    QPointer<QLocalSocket> m_socket; // the window process, once it said hello
    QByteArray m_nonce;
    QList<QByteArray> m_queue; // commands waiting for the hello
    bool m_failed = false;     // no window process: runs without windows
    bool m_stopping = false;
    int m_nextId = 1;
    SimWindow m_windows[3];
};

} // namespace WemeetSim
