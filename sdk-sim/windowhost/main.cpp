// The simulator's window process: shows the meeting, waiting-room and
// screen-cast windows for the simulator inside the client, as the real SDK
// shows its windows from processes of its own. It talks to the simulator over
// the local socket named on the command line and ends when that closes.

#include "sdk-sim/simwire.h"
#include "sdk-sim/windowhost/simwindows.h"

#include <QApplication>
#include <QHash>
#include <QJsonObject>
#include <QLabel>
#include <QLocalSocket>
#include <QPointer>
#include <QPushButton>
#include <QSet>

// A click through the window system, so it is subject to modality as a
// user's click is.
#define QTEST_QPA_MOUSE_HANDLING
#include <QTest>

#include <cstdio>
#include <utility>

using namespace WemeetSim;

namespace {

class WindowProcess final
{
public:
    explicit WindowProcess(QLocalSocket *socket) : m_socket(socket) {}
    ~WindowProcess()
    {
        const auto windows = std::exchange(m_windows, {});
        for (const QPointer<QWidget> &w : windows)
            delete w.data();
    }

    void handle(const QJsonObject &command)
    {
        const QString cmd = command.value(QLatin1String("cmd")).toString();
        const int id = command.value(QLatin1String("id")).toInt();
        if (cmd == QLatin1String("show"))
            show(id, command);
        else if (cmd == QLatin1String("set"))
            set(id, command);
        else if (cmd == QLatin1String("raise"))
            raise(id);
        else if (cmd == QLatin1String("close"))
            closeQuietly(id);
        else if (cmd == QLatin1String("userClose"))
            userClose(id);
        else if (cmd == QLatin1String("click"))
            click(id, command.value(QLatin1String("child")).toString());
    }

    void send(const QJsonObject &event)
    {
        m_socket->write(Wire::encode(event));
        m_socket->flush();
    }

private:
    void show(int id, const QJsonObject &c)
    {
        const QString kind = c.value(QLatin1String("kind")).toString();
        const QString title = c.value(QLatin1String("title")).toString();
        const QString code = c.value(QLatin1String("meetingCode")).toString();
        const QString nickname = c.value(QLatin1String("nickname")).toString();
        QWidget *window = nullptr;
        if (kind == QLatin1String(Wire::kindMeeting())) {
            auto *w =
                new SimMeetingWindow(title, code, nickname, c.value(QLatin1String("showInvite")).toBool());
            w->setMic(c.value(QLatin1String("mic")).toBool());
            w->setCamera(c.value(QLatin1String("camera")).toBool());
            w->onInvite = [this, id] { action(id, "invite"); };
            w->onLeave = [this, id] { action(id, "leave"); };
            w->onMic = [this, id](bool on) { action(id, "mic", on); };
            w->onCamera = [this, id](bool on) { action(id, "camera", on); };
            window = w;
        } else if (kind == QLatin1String(Wire::kindWaitingRoom())) {
            auto *w = new SimWaitingRoomWindow(title, code, nickname);
            w->onAdmit = [this, id] { action(id, "admit"); };
            w->onLeave = [this, id] { action(id, "leave"); };
            window = w;
        } else if (kind == QLatin1String(Wire::kindScreenCast())) {
            window = new SimScreenCastWindow(title);
        } else {
            return;
        }
        m_windows.insert(id, window);
        QObject::connect(window, &QObject::destroyed, [this, id] {
            // Gone without the SDK asking: the user closed it.
            if (m_windows.remove(id))
                send(QJsonObject{{QStringLiteral("event"), QStringLiteral("closed")},
                                 {QStringLiteral("id"), id}});
        });
        window->show();
        window->raise();
        window->activateWindow();
        report(id);
    }

    void set(int id, const QJsonObject &c)
    {
        auto *w = dynamic_cast<SimMeetingWindow *>(m_windows.value(id).data());
        if (!w)
            return;
        if (c.contains(QLatin1String("mic")))
            w->setMic(c.value(QLatin1String("mic")).toBool());
        if (c.contains(QLatin1String("camera")))
            w->setCamera(c.value(QLatin1String("camera")).toBool());
        report(id);
    }

    void raise(int id)
    {
        if (QWidget *w = m_windows.value(id)) {
            w->show();
            w->raise();
            w->activateWindow();
            report(id);
        }
    }

    void closeQuietly(int id)
    {
        QPointer<QWidget> w = m_windows.take(id);
        if (auto *meeting = dynamic_cast<SimMeetingWindow *>(w.data()))
            meeting->closeQuietly();
        else if (auto *waiting = dynamic_cast<SimWaitingRoomWindow *>(w.data()))
            waiting->closeQuietly();
        else if (w)
            w->close();
    }

    void userClose(int id)
    {
        if (QWidget *w = m_windows.value(id))
            w->close();
    }

    void click(int id, const QString &child)
    {
        QWidget *w = m_windows.value(id);
        auto *button = w ? w->findChild<QPushButton *>(child) : nullptr;
        if (!button || !button->isVisible() || !button->isEnabled())
            return;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    void action(int id, const char *name, bool on = false)
    {
        send(QJsonObject{{QStringLiteral("event"), QStringLiteral("action")},
                         {QStringLiteral("id"), id},
                         {QStringLiteral("action"), QLatin1String(name)},
                         {QStringLiteral("on"), on}});
    }

    void report(int id)
    {
        QWidget *w = m_windows.value(id);
        if (!w)
            return;
        QJsonObject children;
        const auto labels = w->findChildren<QLabel *>();
        for (QLabel *label : labels)
            if (!label->objectName().isEmpty())
                children.insert(label->objectName(),
                                QJsonObject{{QStringLiteral("text"), label->text()},
                                            {QStringLiteral("visible"), label->isVisible()}});
        const auto buttons = w->findChildren<QPushButton *>();
        for (QPushButton *button : buttons)
            if (!button->objectName().isEmpty())
                children.insert(button->objectName(),
                                QJsonObject{{QStringLiteral("text"), button->text()},
                                            {QStringLiteral("visible"), button->isVisible()}});
        send(QJsonObject{{QStringLiteral("event"), QStringLiteral("state")},
                         {QStringLiteral("id"), id},
                         {QStringLiteral("objectName"), w->objectName()},
                         {QStringLiteral("title"), w->windowTitle()},
                         {QStringLiteral("visible"), w->isVisible()},
                         {QStringLiteral("children"), children}});
    }

    QLocalSocket *m_socket;
    QHash<int, QPointer<QWidget>> m_windows;
};

} // namespace

// Without a window system (tests) the platform warns about every raise.
void quietOffscreen(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        qInstallMessageHandler(quietOffscreen);
    // Windows come and go; only the simulator ends this process.
    app.setQuitOnLastWindowClosed(false);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: %s SERVER NONCE\n", qPrintable(args.value(0)));
        return 2;
    }

    QLocalSocket socket;
    WindowProcess windows(&socket);
    QByteArray buffer;
    QObject::connect(&socket, &QLocalSocket::readyRead, [&] {
        buffer += socket.readAll();
        Wire::takeLines(buffer, [&](const QJsonObject &command) { windows.handle(command); });
    });
    QObject::connect(&socket, &QLocalSocket::disconnected, &app, &QCoreApplication::quit);
    QObject::connect(&socket, &QLocalSocket::errorOccurred, &app, &QCoreApplication::quit);
    socket.connectToServer(args.at(1));
    if (!socket.waitForConnected(10000)) {
        // A server gone already means the SDK was released meanwhile.
        if (socket.error() != QLocalSocket::ServerNotFoundError)
            std::fprintf(stderr, "wemeetsdk-windows: %s\n", qPrintable(socket.errorString()));
        return 1;
    }
    windows.send(QJsonObject{{QStringLiteral("event"), QStringLiteral("hello")},
                             {QStringLiteral("nonce"), args.at(2)}});
    return app.exec();
}
