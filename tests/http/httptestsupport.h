#pragma once

#include <QCoreApplication>
#include <QNetworkAccessManager>

// Shared pieces of the request tests: a stand-in service on an ephemeral
// port, a fresh session record pointing at it, fixture variants and a few
// wire helpers.

#include "app/basevalues.h"
#include "devservice/devservice.h"
#include "http/servicereply.h"

#include <httplib.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>

#include <functional>
#include <memory>
#include <string>

namespace httptest {

inline QString qs(const std::string &text)
{
    return QString::fromStdString(text);
}

// A session record as start-up leaves it, with the three base URLs on base
// ("http://127.0.0.1:PORT", no trailing slash).
inline void freshBaseValues(const QString &base)
{
    delete baseValues;
    baseValues = new BaseValues;
    baseValues->appName = QStringLiteral("Vesk云会议");
    baseValues->versionNo = QStringLiteral("1.0.0");
    baseValues->clientId = QStringLiteral("3b9e07c4d2a15f68");
    baseValues->clientSecret = QStringLiteral("a81d5e2f3b9e07c4d2a15f6870c4b1e9");
    baseValues->serviceUrl = base + QStringLiteral("/service/");
    baseValues->cloudUrl = base + QStringLiteral("/cloud/");
    baseValues->idmUrl = base + QStringLiteral("/idm/");
    baseValues->serialNo = QStringLiteral("SN-TEST-0001");
}

// A loopback port nobody listens on.
inline int closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const int port = probe.serverPort();
    probe.close();
    return port;
}

// The committed fixtures, changed by edit, written into dir; returns the path.
inline std::string fixtureVariant(const QTemporaryDir &dir, const std::function<void(QJsonObject &)> &edit)
{
    QFile in(QStringLiteral(DEVSERVICE_FIXTURE));
    if (!in.open(QIODevice::ReadOnly))
        return std::string();
    QJsonObject root = QJsonDocument::fromJson(in.readAll()).object();
    edit(root);
    const QString path = dir.filePath(QStringLiteral("fixtures.json"));
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return std::string();
    out.write(QJsonDocument(root).toJson());
    return path.toStdString();
}

// Edits the fixture entry of list (e.g. "accounts") whose key equals value.
inline void editEntry(QJsonObject &root, const QString &list, const QString &key, const QString &value,
                      const std::function<void(QJsonObject &)> &edit)
{
    QJsonArray entries = root.value(list).toArray();
    for (int i = 0; i < entries.size(); ++i) {
        QJsonObject entry = entries.at(i).toObject();
        if (entry.value(key).toString() == value) {
            edit(entry);
            entries.replace(i, entry);
        }
    }
    root.insert(list, entries);
}

inline QString header(const devservice::LoggedRequest &request, const char *name)
{
    const auto it = request.headers.find(name);
    return it == request.headers.end() ? QString() : qs(it->second);
}

inline bool hasHeaderIgnoringCase(const devservice::LoggedRequest &request, const QString &name)
{
    for (const auto &h : request.headers) {
        if (qs(h.first).compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// The one value of key in an encoded query or form text, decoded.
inline QString formValue(const std::string &encoded, const QString &key)
{
    QString text = qs(encoded);
    text.replace(QLatin1Char('+'), QLatin1Char(' '));
    return QUrlQuery(text).queryItemValue(key, QUrl::FullyDecoded);
}

// Waits for the index-th emission of spy and returns its text argument;
// a failed wait gives "<no result>".
inline QString resultAt(QSignalSpy &spy, int index = 0, int timeoutMs = 8000)
{
    QElapsedTimer clock;
    clock.start();
    while (spy.count() <= index && clock.elapsed() < timeoutMs)
        spy.wait(qMax(1, int(timeoutMs - clock.elapsed())));
    if (spy.count() <= index)
        return QStringLiteral("<no result>");
    return spy.at(index).at(0).toString();
}

// What the request handed on beside its result text (after resultAt()).
inline ServiceReply replyAt(const QSignalSpy &spy, int index = 0)
{
    return spy.count() > index ? spy.at(index).at(1).value<ServiceReply>() : ServiceReply();
}

// A stand-in service started in-process, plus the session record set for it.
class Service
{
public:
    explicit Service(const std::string &fixture = std::string())
        : m_server(std::make_unique<devservice::Server>(fixture))
    {
    }
    ~Service()
    {
        // The client keeps its connections for reuse; the stand-in would wait
        // out their keep-alive before it stops.
        for (auto *manager : QCoreApplication::instance()->findChildren<QNetworkAccessManager *>(
                 QString(), Qt::FindDirectChildrenOnly))
            manager->clearConnectionCache();
    }
    Service(const Service &) = delete;
    Service &operator=(const Service &) = delete;

    bool start(bool https = false, const std::string &cert = std::string(),
               const std::string &key = std::string())
    {
        const int port = m_server->start(0, https, cert, key);
        if (port <= 0)
            return false;
        // A server stopped before its accept loop runs never stops; wait
        // until it answers once.
        bool answered = false;
        for (int i = 0; i < 100 && !answered; ++i) {
            if (https) {
                httplib::SSLClient client("127.0.0.1", port);
                client.enable_server_certificate_verification(false);
                answered = bool(client.Get("/_dev/requests"));
            } else {
                httplib::Client client("127.0.0.1", port);
                answered = bool(client.Get("/_dev/requests"));
            }
        }
        if (!answered)
            return false;
        freshBaseValues(qs(m_server->baseUrl()));
        return true;
    }

    devservice::Server &server() { return *m_server; }
    std::vector<devservice::LoggedRequest> requests() const { return m_server->requests(); }
    devservice::LoggedRequest last() const
    {
        const auto all = m_server->requests();
        return all.empty() ? devservice::LoggedRequest() : all.back();
    }

private:
    std::unique_ptr<devservice::Server> m_server;
};

} // namespace httptest

#include <thread>

namespace httptest {

// Answers every request with one fixed answer, for answer shapes the
// stand-in service does not produce (a bare OAuth token answer).
class CannedServer
{
public:
    CannedServer(int status, const std::string &body)
    {
        auto answer = [status, body](const httplib::Request &, httplib::Response &res) {
            res.status = status;
            res.set_content(body, "application/json;charset=UTF-8");
        };
        m_server.Get(".*", answer);
        m_server.Post(".*", answer);
        // Each answer closes its connection: stop() would otherwise wait out
        // the keep-alive of the last one (five seconds).
        m_server.set_keep_alive_max_count(1);
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        // stop() before the accept loop runs would never end it
        while (!m_server.is_running())
            std::this_thread::yield();
    }
    ~CannedServer()
    {
        m_server.stop();
        m_thread.join();
    }
    CannedServer(const CannedServer &) = delete;
    CannedServer &operator=(const CannedServer &) = delete;

    QString baseUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }

private:
    httplib::Server m_server;
    int m_port = -1;
    std::thread m_thread;
};

} // namespace httptest
