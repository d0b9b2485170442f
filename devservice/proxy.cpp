#include "devservice/proxy.h"

#include <QByteArray>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace devservice {

namespace {

bool proxySendAll(int fd, const std::string &data)
{
    size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += size_t(n);
    }
    return true;
}

std::string proxyLower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

int proxyConnectTo(const std::string &host, const std::string &port)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0)
        return -1;
    int fd = -1;
    for (addrinfo *a = found; a && fd < 0; a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (fd >= 0 && ::connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(found);
    return fd;
}

// Copies both ways until either side closes.
void proxyRelay(int a, int b)
{
    char buffer[16384];
    pollfd fds[2] = {{a, POLLIN, 0}, {b, POLLIN, 0}};
    for (;;) {
        if (::poll(fds, 2, -1) <= 0)
            return;
        for (int i = 0; i < 2; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t n = ::recv(fds[i].fd, buffer, sizeof buffer, 0);
            if (n <= 0 || !proxySendAll(fds[1 - i].fd, std::string(buffer, size_t(n))))
                return;
        }
    }
}

struct Head
{
    std::string method, target, version;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string header(const std::string &name) const
    {
        for (const auto &h : headers)
            if (proxyLower(h.first) == name)
                return h.second;
        return std::string();
    }
};

bool parseProxyHead(const std::string &text, Head &head)
{
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line))
        return false;
    std::istringstream first(line);
    first >> head.method >> head.target >> head.version;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        size_t start = colon + 1;
        while (start < line.size() && line[start] == ' ')
            ++start;
        head.headers.emplace_back(line.substr(0, colon), line.substr(start));
    }
    return !head.method.empty() && !head.target.empty();
}

} // namespace

struct Proxy::Impl
{
    std::string user, password;
    std::map<std::string, std::string> hosts;
    int listenFd = -1;
    int port = -1;
    std::thread acceptor;
    std::mutex mutex;
    std::vector<std::thread> connections;
    std::set<int> openFds;
    std::atomic<int> challenges{0};
    std::atomic<int> forwarded{0};
    std::atomic<bool> stopping{false};

    void track(int fd, bool open)
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (open)
            openFds.insert(fd);
        else
            openFds.erase(fd);
    }

    bool authorised(const Head &head) const
    {
        if (user.empty())
            return true;
        const std::string expected =
            "basic " + QByteArray::fromStdString(user + ":" + password).toBase64().toStdString();
        return proxyLower(head.header("proxy-authorization")) == proxyLower(expected);
    }

    void serve(int client)
    {
        std::string buffer;
        char chunk[8192];
        for (;;) {
            size_t end;
            while ((end = buffer.find("\r\n\r\n")) == std::string::npos) {
                const ssize_t n = ::recv(client, chunk, sizeof chunk, 0);
                if (n <= 0)
                    return;
                buffer.append(chunk, size_t(n));
            }
            Head head;
            if (!parseProxyHead(buffer.substr(0, end + 2), head))
                return;
            buffer.erase(0, end + 4);
            const size_t bodyLength = size_t(std::atoll(head.header("content-length").c_str()));
            while (buffer.size() < bodyLength) {
                const ssize_t n = ::recv(client, chunk, sizeof chunk, 0);
                if (n <= 0)
                    return;
                buffer.append(chunk, size_t(n));
            }
            std::string body = buffer.substr(0, bodyLength);
            buffer.erase(0, bodyLength);
            if (!authorised(head)) {
                ++challenges;
                // The connection stays, as a real proxy's does: the client
                // asks again on it with credentials.
                if (!proxySendAll(client, "HTTP/1.1 407 Proxy Authentication Required\r\n"
                                          "Proxy-Authenticate: Basic realm=\"vesk-devproxy\"\r\n"
                                          "Content-Length: 0\r\n\r\n"))
                    return;
                continue;
            }
            forward(client, head, body + buffer);
            return;
        }
    }

    void forward(int client, const Head &head, const std::string &rest)
    {
        std::string hostPort = head.target;
        std::string path = "/";
        const bool tunnel = head.method == "CONNECT";
        if (!tunnel) {
            const size_t scheme = hostPort.find("://");
            if (scheme == std::string::npos)
                return;
            hostPort = hostPort.substr(scheme + 3);
            const size_t slash = hostPort.find('/');
            if (slash != std::string::npos) {
                path = hostPort.substr(slash);
                hostPort = hostPort.substr(0, slash);
            }
        }
        const size_t colon = hostPort.rfind(':');
        std::string host = hostPort.substr(0, colon);
        const std::string targetPort =
            colon == std::string::npos ? std::string("80") : hostPort.substr(colon + 1);
        const auto mapped = hosts.find(host);
        if (mapped != hosts.end())
            host = mapped->second;
        const int server = proxyConnectTo(host, targetPort);
        if (server < 0) {
            proxySendAll(client,
                         "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            return;
        }
        track(server, true);
        ++forwarded;
        bool ok;
        if (tunnel) {
            ok = proxySendAll(client, "HTTP/1.1 200 Connection established\r\n\r\n");
        } else {
            // One request per connection to the server, so answers never mix.
            std::string out = head.method + " " + path + " " + head.version + "\r\n";
            for (const auto &h : head.headers) {
                const std::string name = proxyLower(h.first);
                if (name != "proxy-authorization" && name != "proxy-connection" && name != "connection")
                    out += h.first + ": " + h.second + "\r\n";
            }
            out += "Via: 1.1 vesk-devproxy\r\nConnection: close\r\n\r\n";
            ok = proxySendAll(server, out);
        }
        if (ok && proxySendAll(server, rest))
            proxyRelay(client, server);
        track(server, false);
        ::close(server);
    }
};

Proxy::Proxy() : d(new Impl) {}

Proxy::~Proxy()
{
    stop();
}

void Proxy::requireCredentials(const std::string &user, const std::string &password)
{
    d->user = user;
    d->password = password;
}

void Proxy::mapHost(const std::string &host, const std::string &address)
{
    d->hosts[host] = address;
}

int Proxy::start(int port)
{
    d->listenFd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int reuse = 1;
    ::setsockopt(d->listenFd, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (d->listenFd < 0 || ::bind(d->listenFd, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
        ::listen(d->listenFd, 16) != 0 ||
        ::getsockname(d->listenFd, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return -1;
    d->port = ntohs(address.sin_port);
    d->stopping = false;
    d->acceptor = std::thread([impl = d.get()] {
        for (;;) {
            const int client = ::accept(impl->listenFd, nullptr, nullptr);
            if (client < 0 || impl->stopping) {
                if (client >= 0)
                    ::close(client);
                return;
            }
            impl->track(client, true);
            std::lock_guard<std::mutex> lock(impl->mutex);
            impl->connections.emplace_back([impl, client] {
                impl->serve(client);
                impl->track(client, false);
                ::close(client);
            });
        }
    });
    return d->port;
}

void Proxy::stop()
{
    if (d->listenFd < 0)
        return;
    d->stopping = true;
    ::shutdown(d->listenFd, SHUT_RDWR);
    d->acceptor.join();
    ::close(d->listenFd);
    d->listenFd = -1;
    std::vector<std::thread> connections;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        for (int fd : d->openFds)
            ::shutdown(fd, SHUT_RDWR);
        connections.swap(d->connections);
    }
    for (std::thread &t : connections)
        t.join();
}

int Proxy::port() const
{
    return d->port;
}

std::string Proxy::url() const
{
    return "http://127.0.0.1:" + std::to_string(d->port);
}

int Proxy::challenges() const
{
    return d->challenges;
}

int Proxy::forwarded() const
{
    return d->forwarded;
}

} // namespace devservice
