#include "sdk-sim/simwindowhost.h"

#include "sdk-sim/simwire.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QRandomGenerator>
#include <QtDebug>

#include <memory>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace WemeetSim {

namespace {

WindowHost *s_windowHost = nullptr;

const char *kindName(WindowHost::Kind kind)
{
    switch (kind) {
    case WindowHost::Meeting:
        return Wire::kindMeeting();
    case WindowHost::WaitingRoom:
        return Wire::kindWaitingRoom();
    case WindowHost::ScreenCast:
        break;
    }
    return Wire::kindScreenCast();
}

// The library's own file, whoever loaded it from wherever.
QString libraryFile()
{
#if defined(_WIN32)
    HMODULE module = nullptr;
    wchar_t path[MAX_PATH] = {};
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&libraryFile), &module) ||
        !GetModuleFileNameW(module, path, MAX_PATH))
        return QString();
    return QString::fromWCharArray(path);
#else
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void *>(&libraryFile), &info) || !info.dli_fname)
        return QString();
    return QFile::decodeName(info.dli_fname);
#endif
}

} // namespace

void SimWindow::click(const QString &button)
{
    if (m_host && m_id)
        m_host->send(QJsonObject{{QStringLiteral("cmd"), QStringLiteral("click")},
                                 {QStringLiteral("id"), m_id},
                                 {QStringLiteral("child"), button}});
}

void SimWindow::close()
{
    if (m_host && m_id)
        m_host->send(
            QJsonObject{{QStringLiteral("cmd"), QStringLiteral("userClose")}, {QStringLiteral("id"), m_id}});
}

WindowHost::WindowHost(QObject *parent) : QObject(parent)
{
    for (SimWindow &w : m_windows)
        w.m_host = this;
    // Only this user may connect; the nonce tells our own child from others.
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, [this] { accept(); });
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart || error == QProcess::Crashed)
            processGone();
    });
    connect(&m_process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            [this] { processGone(); });
}

WindowHost::~WindowHost()
{
    stopProcess();
    if (s_windowHost == this)
        s_windowHost = nullptr;
}

WindowHost *WindowHost::instance()
{
    if (!s_windowHost && QCoreApplication::instance())
        s_windowHost = new WindowHost(QCoreApplication::instance());
    return s_windowHost;
}

void WindowHost::shutdown()
{
    if (s_windowHost)
        s_windowHost->stopProcess();
}

QString WindowHost::programPath()
{
    const QString library = libraryFile();
    if (library.isEmpty())
        return QString();
#if defined(_WIN32)
    const QString name = QStringLiteral("wemeetsdk-windows.exe");
#else
    const QString name = QStringLiteral("wemeetsdk-windows");
#endif
    return QFileInfo(library).absoluteDir().filePath(name);
}

qint64 WindowHost::processId() const
{
    return m_process.state() == QProcess::NotRunning ? 0 : m_process.processId();
}

bool WindowHost::startProcess()
{
    if (m_process.state() != QProcess::NotRunning)
        return true;
    if (m_failed)
        return false;
    const QString program = programPath();
    if (program.isEmpty() || !QFileInfo(program).isExecutable()) {
        qWarning().noquote() << "wemeetsdk: window program not found, running without windows:" << program;
        m_failed = true;
        return false;
    }
    if (!m_server.isListening()) {
        const QString name = QStringLiteral("wemeetsdk-sim-%1-%2")
                                 .arg(QCoreApplication::applicationPid())
                                 .arg(QRandomGenerator::global()->generate64(), 0, 16);
        if (!m_server.listen(name)) {
            qWarning().noquote() << "wemeetsdk: no local socket for the windows:" << m_server.errorString();
            m_failed = true;
            return false;
        }
    }
    m_nonce = QByteArray::number(QRandomGenerator::global()->generate64(), 16);
    m_process.start(program, {m_server.fullServerName(), QString::fromLatin1(m_nonce)});
    return true;
}

void WindowHost::stopProcess()
{
    m_queue.clear();
    for (SimWindow &w : m_windows)
        w.m_id = 0;
    // The window process ends when its socket closes, also one that has
    // connected but not yet said hello.
    m_socket.clear();
    m_server.close();
    const auto sockets = m_server.findChildren<QLocalSocket *>();
    for (QLocalSocket *socket : sockets) {
        socket->abort();
        socket->deleteLater();
    }
    if (m_process.state() != QProcess::NotRunning) {
        m_stopping = true;
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(1000);
        }
        m_stopping = false;
    }
}

void WindowHost::accept()
{
    while (QLocalSocket *socket = m_server.nextPendingConnection()) {
        if (m_socket) {
            socket->deleteLater();
            continue;
        }
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, buffer] {
            *buffer += socket->readAll();
            Wire::takeLines(*buffer, [&](const QJsonObject &event) { received(socket, event); });
        });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void WindowHost::received(QLocalSocket *socket, const QJsonObject &event)
{
    const QString name = event.value(QLatin1String("event")).toString();
    if (socket != m_socket) {
        if (name == QLatin1String("hello") && !m_socket &&
            event.value(QLatin1String("nonce")).toString().toLatin1() == m_nonce) {
            m_socket = socket;
            for (const QByteArray &line : qAsConst(m_queue))
                socket->write(line);
            m_queue.clear();
            socket->flush();
        } else {
            socket->disconnectFromServer();
        }
        return;
    }
    Kind kind = Meeting;
    SimWindow *w = byId(event.value(QLatin1String("id")).toInt(), &kind);
    if (!w)
        return; // about a window closed meanwhile
    if (name == QLatin1String("state")) {
        w->m_visible = event.value(QLatin1String("visible")).toBool();
        w->m_objectName = event.value(QLatin1String("objectName")).toString();
        w->m_title = event.value(QLatin1String("title")).toString();
        w->m_children.clear();
        const QJsonObject children = event.value(QLatin1String("children")).toObject();
        for (auto it = children.begin(); it != children.end(); ++it) {
            const QJsonObject child = it.value().toObject();
            w->m_children.insert(it.key(), qMakePair(child.value(QLatin1String("text")).toString(),
                                                     child.value(QLatin1String("visible")).toBool()));
        }
    } else if (name == QLatin1String("closed")) {
        w->m_id = 0;
    } else if (name == QLatin1String("action") && onAction) {
        onAction(kind, event.value(QLatin1String("action")).toString(),
                 event.value(QLatin1String("on")).toBool());
    }
}

void WindowHost::processGone()
{
    if (m_process.state() != QProcess::NotRunning)
        return;
    if (!m_stopping && (m_process.exitStatus() == QProcess::CrashExit || m_process.exitCode() != 0))
        qWarning().noquote() << "wemeetsdk: the window process ended:" << m_process.errorString();
    for (SimWindow &w : m_windows)
        w.m_id = 0;
    m_queue.clear();
    if (QLocalSocket *socket = m_socket.data()) {
        m_socket.clear();
        socket->abort();
        socket->deleteLater();
    }
}

void WindowHost::send(const QJsonObject &command)
{
    const QByteArray line = Wire::encode(command);
    if (m_socket) {
        m_socket->write(line);
        m_socket->flush();
    } else if (m_process.state() != QProcess::NotRunning) {
        m_queue << line;
    }
}

SimWindow *WindowHost::byId(int id, Kind *kind)
{
    for (int k = 0; k < 3; ++k) {
        if (id != 0 && m_windows[k].m_id == id) {
            if (kind)
                *kind = Kind(k);
            return &m_windows[k];
        }
    }
    return nullptr;
}

SimWindow *WindowHost::show(Kind kind, const QString &title, const QJsonObject &content)
{
    closeQuietly(kind);
    if (!startProcess())
        return nullptr;
    SimWindow &w = m_windows[kind];
    w.m_id = m_nextId++;
    w.m_visible = false;
    w.m_objectName.clear();
    w.m_title = title;
    w.m_children.clear();
    QJsonObject command = content;
    command.insert(QStringLiteral("cmd"), QStringLiteral("show"));
    command.insert(QStringLiteral("id"), w.m_id);
    command.insert(QStringLiteral("kind"), QLatin1String(kindName(kind)));
    command.insert(QStringLiteral("title"), title);
    send(command);
    return &w;
}

SimWindow *WindowHost::window(Kind kind)
{
    return m_windows[kind].m_id ? &m_windows[kind] : nullptr;
}

void WindowHost::set(Kind kind, const QJsonObject &values)
{
    if (!m_windows[kind].m_id)
        return;
    QJsonObject command = values;
    command.insert(QStringLiteral("cmd"), QStringLiteral("set"));
    command.insert(QStringLiteral("id"), m_windows[kind].m_id);
    send(command);
}

void WindowHost::raise(Kind kind)
{
    if (m_windows[kind].m_id)
        send(QJsonObject{{QStringLiteral("cmd"), QStringLiteral("raise")},
                         {QStringLiteral("id"), m_windows[kind].m_id}});
}

void WindowHost::closeQuietly(Kind kind)
{
    SimWindow &w = m_windows[kind];
    if (!w.m_id)
        return;
    send(QJsonObject{{QStringLiteral("cmd"), QStringLiteral("close")}, {QStringLiteral("id"), w.m_id}});
    w.m_id = 0;
    w.m_visible = false;
}

void WindowHost::closeAll()
{
    for (int k = 0; k < 3; ++k)
        closeQuietly(Kind(k));
}

} // namespace WemeetSim
