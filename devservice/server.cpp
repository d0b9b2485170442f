#include "devservice/devservice.h"

#include "devservice/backend.h"

#include <httplib.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

namespace devservice {

struct Server::Impl
{
    explicit Impl(const std::string &fixturePath)
        : backend(QString::fromStdString(fixturePath.empty() ? std::string(DEVSERVICE_FIXTURE) : fixturePath))
    {
        QString error;
        if (!backend.reset(&error))
            fprintf(stderr, "devservice: %s\n", qPrintable(error));
        // called with the mutex held: queue, and deliver after unlocking
        backend.onEvent = [this](const std::string &line) { pendingEvents.push_back(line); };
    }

    void handle(const httplib::Request &req, httplib::Response &res);
    void handleControl(const httplib::Request &req, httplib::Response &res);
    bool applyFault(const std::string &path, httplib::Response &res, bool *wrongResult);

    mutable std::mutex mutex; // guards everything below
    Backend backend;
    std::vector<LoggedRequest> log;
    std::set<int> clientPorts; // one per client connection that carried a logged request
    std::map<std::string, Fault> faults;
    std::function<void(const std::string &)> eventHandler;
    std::vector<std::string> pendingEvents;

    void deliverEvents()
    {
        std::vector<std::string> lines;
        std::function<void(const std::string &)> handler;
        {
            std::lock_guard<std::mutex> lock(mutex);
            lines.swap(pendingEvents);
            handler = eventHandler;
        }
        if (handler)
            for (const std::string &line : lines)
                handler(line);
    }

    std::condition_variable stopping; // wakes delayed answers when the server stops
    bool stopped = false;

    std::unique_ptr<httplib::Server> http;
    std::thread thread;
    int port = -1;
    bool https = false;
};

namespace {

std::string rawQuery(const httplib::Request &req)
{
    // The query as it came on the wire; form fields of a POST body are not part of it.
    const auto q = req.target.find('?');
    return q == std::string::npos ? std::string() : req.target.substr(q + 1);
}

std::string lower(std::string s)
{
    for (char &c : s)
        c = char(tolower(static_cast<unsigned char>(c)));
    return s;
}

void setJson(httplib::Response &res, int status, const QJsonValue &value)
{
    res.status = status;
    const QByteArray body = value.isArray() ? QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact)
                                            : QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
    res.set_content(body.toStdString(), "application/json;charset=UTF-8");
}

// httplib adds these to the headers; the client never sent them
bool isConnectionInfo(const std::string &name)
{
    return name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" || name == "LOCAL_PORT";
}

QJsonValue wrongTypeOf(const QJsonValue &v)
{
    if (v.isString())
        return QJsonArray{1, 2};
    return QStringLiteral("unexpected");
}

} // namespace

// Returns true when the fault answered; a fault that only delays lets the normal answer through.
bool Server::Impl::applyFault(const std::string &path, httplib::Response &res, bool *wrongResult)
{
    Fault f;
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto it = faults.find(path);
        if (it == faults.end())
            return false;
        f = it->second;
        if (it->second.times > 0 && --it->second.times == 0)
            faults.erase(it);
    }
    if (f.delayMs > 0) {
        std::unique_lock<std::mutex> lock(mutex);
        stopping.wait_for(lock, std::chrono::milliseconds(f.delayMs), [this] { return stopped; });
    }
    const QString msg = QString::fromStdString(f.errorMsg);
    if (f.httpStatus != 0) {
        if (f.httpStatus == 204 || f.httpStatus == 304) {
            res.status = f.httpStatus; // these carry no body
            return true;
        }
        setJson(
            res, f.httpStatus,
            QJsonObject{{"success", false}, {"errorCode", QString::number(f.httpStatus)}, {"errorMsg", msg}});
        if (f.httpStatus >= 300 && f.httpStatus < 400)
            res.set_header("Location", path + "/moved");
        return true;
    }
    if (!f.body.empty()) {
        res.status = 200;
        res.set_content(f.body, "application/json");
        return true;
    }
    if (f.errorMsgBytes > 0) {
        res.status = 200;
        res.set_content("{\"success\":false,\"errorCode\":\"500\",\"errorMsg\":\"" +
                            std::string(f.errorMsgBytes, 'x') + "\"}",
                        "application/json");
        return true;
    }
    if (f.nonJson) {
        res.status = 200;
        res.set_content("<html><body><h1>502 Bad Gateway</h1></body></html>", "text/html");
        return true;
    }
    if (f.successFalse) {
        QJsonObject o{{"success", false}, {"errorCode", "500"}, {"result", QJsonValue()}};
        if (f.withErrorMsg)
            o.insert("errorMsg", msg);
        setJson(res, 200, o);
        return true;
    }
    *wrongResult = f.wrongResultType;
    return false;
}

void Server::Impl::handle(const httplib::Request &req, httplib::Response &res)
{
    LoggedRequest entry;
    entry.method = req.method;
    entry.path = req.path;
    entry.query = rawQuery(req);
    for (const auto &h : req.headers)
        if (!isConnectionInfo(h.first))
            entry.headers.emplace(h.first, h.second);
    entry.body = req.body;
    {
        std::lock_guard<std::mutex> lock(mutex);
        log.push_back(entry);
        clientPorts.insert(req.remote_port);
    }

    bool wrongResult = false;
    if (applyFault(req.path, res, &wrongResult))
        return;

    Call call;
    call.method = QString::fromStdString(req.method);
    call.path = QString::fromStdString(req.path);
    call.query = Backend::parseForm(QByteArray::fromStdString(entry.query));
    call.body = QByteArray::fromStdString(req.body);
    for (const auto &h : req.headers)
        if (!isConnectionInfo(h.first))
            call.headers.insert(QString::fromStdString(lower(h.first)), QString::fromStdString(h.second));
    if (lower(req.get_header_value("Content-Type")).find("application/x-www-form-urlencoded") == 0)
        call.form = Backend::parseForm(call.body);

    Reply reply;
    {
        std::lock_guard<std::mutex> lock(mutex);
        reply = backend.handle(call);
    }
    if (wrongResult) {
        QJsonObject o = QJsonDocument::fromJson(reply.body).object();
        o.insert("success", true);
        o.insert("result", wrongTypeOf(o.value("result")));
        reply.status = 200;
        reply.body = QJsonDocument(o).toJson(QJsonDocument::Compact);
    }
    res.status = reply.status;
    res.set_content(reply.body.toStdString(), reply.contentType.c_str());
}

void Server::Impl::handleControl(const httplib::Request &req, httplib::Response &res)
{
    const std::string what = req.path.substr(6); // after "/_dev/"
    const QJsonObject body = QJsonDocument::fromJson(QByteArray::fromStdString(req.body)).object();
    std::lock_guard<std::mutex> lock(mutex);
    if (what == "requests" && req.method == "GET") {
        QJsonArray list;
        for (const LoggedRequest &r : log) {
            QJsonObject headers;
            for (const auto &h : r.headers)
                headers.insert(QString::fromStdString(h.first), QString::fromStdString(h.second));
            list.append(QJsonObject{{"method", QString::fromStdString(r.method)},
                                    {"path", QString::fromStdString(r.path)},
                                    {"query", QString::fromStdString(r.query)},
                                    {"headers", headers},
                                    {"body", QString::fromUtf8(r.body.data(), int(r.body.size()))}});
        }
        setJson(res, 200, list);
    } else if (what == "clear" && req.method == "POST") {
        log.clear();
        clientPorts.clear();
        setJson(res, 200, QJsonObject{{"ok", true}});
    } else if (what == "fault" && req.method == "POST") {
        const std::string path = body.value("path").toString().toStdString();
        if (path.empty()) {
            setJson(res, 400, QJsonObject{{"error", "path missing"}});
            return;
        }
        Fault f;
        f.delayMs = body.value("delayMs").toInt(0);
        f.httpStatus = body.value("httpStatus").toInt(0);
        f.nonJson = body.value("nonJson").toBool(false);
        f.successFalse = body.value("successFalse").toBool(false);
        f.withErrorMsg = body.value("withErrorMsg").toBool(true);
        if (body.contains("errorMsg"))
            f.errorMsg = body.value("errorMsg").toString().toStdString();
        f.wrongResultType = body.value("wrongResultType").toBool(false);
        f.body = body.value("body").toString().toStdString();
        f.errorMsgBytes = size_t(qMax(0.0, body.value("errorMsgBytes").toDouble()));
        f.times = body.value("times").toInt(-1);
        if (body.value("clear").toBool() || f.times == 0)
            faults.erase(path);
        else
            faults[path] = f;
        setJson(res, 200, QJsonObject{{"ok", true}});
    } else if (what == "faults/clear" && req.method == "POST") {
        faults.clear();
        setJson(res, 200, QJsonObject{{"ok", true}});
    } else if (what == "sms" && req.method == "GET") {
        const QString phone = QString::fromStdString(req.get_param_value("phone"));
        setJson(res, 200, QJsonObject{{"phone", phone}, {"code", backend.lastSmsCode(phone)}});
    } else if (what == "tokens/reset" && req.method == "POST") {
        backend.forgetTokens();
        setJson(res, 200, QJsonObject{{"ok", true}});
    } else if (what == "reset" && req.method == "POST") {
        backend.reset();
        setJson(res, 200, QJsonObject{{"ok", true}});
    } else if (what == "version" && req.method == "POST") {
        backend.addVersion(body.value("version").toString(), body.value("updateContent").toString());
        setJson(res, 200, QJsonObject{{"ok", true}});
    } else if (what == "wx/scan" && req.method == "POST") {
        const bool ok = backend.scanWxUuid(body.value("uuid").toString());
        setJson(res, ok ? 200 : 404, QJsonObject{{"ok", ok}});
    } else {
        res.status = what.empty() ? 200 : 404;
        res.set_content("GET  /_dev/requests        the request log\n"
                        "POST /_dev/clear           empty the log\n"
                        "POST /_dev/fault           {\"path\", \"delayMs\", \"httpStatus\", \"nonJson\", "
                        "\"successFalse\",\n"
                        "                            \"withErrorMsg\", \"errorMsg\", \"wrongResultType\", "
                        "\"times\", \"clear\", \"body\", \"errorMsgBytes\"}\n"
                        "POST /_dev/faults/clear    remove every fault\n"
                        "GET  /_dev/sms?phone=N     the last SMS code sent to N\n"
                        "POST /_dev/reset           back to the fixture data\n"
                        "POST /_dev/tokens/reset    forget every token and session, as a restart does\n"
                        "POST /_dev/version         {\"version\", \"updateContent\"}: offer a newer release\n"
                        "POST /_dev/wx/scan         {\"uuid\"}: scan a WeChat sign-in code\n",
                        "text/plain;charset=UTF-8");
    }
}

Server::Server(const std::string &fixturePath) : d(new Impl(fixturePath)) {}

Server::~Server()
{
    stop();
}

int Server::start(int port, bool https, const std::string &certFile, const std::string &keyFile)
{
    stop();
    std::unique_ptr<httplib::Server> http;
    if (https) {
        auto ssl = std::make_unique<httplib::SSLServer>(certFile.c_str(), keyFile.c_str());
        if (!ssl->is_valid())
            return -1;
        http = std::move(ssl);
    } else {
        http = std::make_unique<httplib::Server>();
    }
    Impl *impl = d.get();
    // Every path goes through one handler; the body is read by then.
    const auto any = [impl](const httplib::Request &req, httplib::Response &res) {
        if (req.path.rfind("/_dev/", 0) == 0)
            impl->handleControl(req, res);
        else
            impl->handle(req, res);
        impl->deliverEvents();
    };
    const char *all = "/.*";
    http->Get(all, any);
    http->Post(all, any);
    http->Put(all, any);
    http->Patch(all, any);
    http->Delete(all, any);
    http->Options(all, any);
    http->set_exception_handler([](const httplib::Request &, httplib::Response &res, std::exception_ptr) {
        setJson(res, 500, QJsonObject{{"status", 500}, {"error", "Internal Server Error"}});
    });
    // stop() waits for idle keep-alive connections, so keep them short
    http->set_keep_alive_timeout(1);
    // every request object of the client has its own connections; idle ones hold a worker
    http->new_task_queue = [] { return new httplib::ThreadPool(32); };
    http->set_tcp_nodelay(true);
    // no SO_REUSEPORT: a second stand-in on a taken port must fail, not share it
    http->set_socket_options([](int sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char *>(&yes), sizeof yes);
    });
    http->set_payload_max_length(8 * 1024 * 1024);

    const int bound =
        port == 0 ? http->bind_to_any_port("127.0.0.1") : (http->bind_to_port("127.0.0.1", port) ? port : -1);
    if (bound <= 0)
        return -1;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        d->stopped = false;
        d->port = bound;
        d->https = https;
        d->backend.setBaseUrl(QString::fromStdString(baseUrl()));
    }
    d->http = std::move(http);
    httplib::Server *raw = d->http.get();
    d->thread = std::thread([raw] { raw->listen_after_bind(); });
    // answer at once: callers send their first request right after start()
    for (int i = 0; i < 400 && !raw->is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return bound;
}

void Server::stop()
{
    if (!d->http)
        return;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        d->stopped = true;
    }
    d->stopping.notify_all();
    d->http->stop();
    if (d->thread.joinable())
        d->thread.join();
    d->http.reset();
    d->port = -1;
}

int Server::port() const
{
    return d->port;
}

std::string Server::baseUrl() const
{
    return std::string(d->https ? "https" : "http") + "://127.0.0.1:" + std::to_string(d->port);
}

std::string Server::serviceUrl() const
{
    return baseUrl() + "/service/";
}
std::string Server::cloudUrl() const
{
    return baseUrl() + "/cloud/";
}
std::string Server::idmUrl() const
{
    return baseUrl() + "/idm/";
}

std::vector<LoggedRequest> Server::requests() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->log;
}

int Server::connectionCount() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return int(d->clientPorts.size());
}

void Server::clearRequests()
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->log.clear();
    d->clientPorts.clear();
}

void Server::setFault(const std::string &path, const Fault &fault)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    if (fault.times == 0)
        d->faults.erase(path);
    else
        d->faults[path] = fault;
}

void Server::clearFaults()
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->faults.clear();
}

std::string Server::lastSmsCode(const std::string &phone) const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->backend.lastSmsCode(QString::fromStdString(phone)).toStdString();
}

void Server::resetData()
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->backend.reset();
}

void Server::forgetTokens()
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->backend.forgetTokens();
}

void Server::setEventHandler(std::function<void(const std::string &)> handler)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->eventHandler = std::move(handler);
}

std::string Server::demoInfo() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->backend.demoInfo().toStdString();
}

void Server::addVersion(const std::string &version, const std::string &updateContent)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->backend.addVersion(QString::fromStdString(version), QString::fromStdString(updateContent));
}

bool Server::cancelMeeting(const std::string &meetingCode)
{
    bool ok = false;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        ok = d->backend.cancelMeeting(QString::fromStdString(meetingCode));
    }
    d->deliverEvents();
    return ok;
}

bool Server::scanWxUuid(const std::string &uuid)
{
    bool ok = false;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        ok = d->backend.scanWxUuid(QString::fromStdString(uuid));
    }
    d->deliverEvents();
    return ok;
}

} // namespace devservice
