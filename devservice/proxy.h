#pragma once

#include <map>
#include <memory>
#include <string>

namespace devservice {

// A small HTTP proxy on loopback, as an office's: plain requests in absolute
// form are forwarded (with "Via: 1.1 vesk-devproxy"), CONNECT opens a tunnel.
// With credentials set, a request without the right Basic
// Proxy-Authorization is answered 407.
class Proxy
{
public:
    Proxy();
    ~Proxy();
    Proxy(const Proxy &) = delete;
    Proxy &operator=(const Proxy &) = delete;

    void requireCredentials(const std::string &user, const std::string &password);
    // Requests for host go to address instead (a name only this proxy knows).
    void mapHost(const std::string &host, const std::string &address);

    // Listens on 127.0.0.1:port (0 picks a free one); returns the port or -1.
    int start(int port = 0);
    void stop();
    int port() const;
    // "http://127.0.0.1:PORT"
    std::string url() const;
    // 407 answers given so far.
    int challenges() const;
    // Requests passed on to a server (each CONNECT counts once).
    int forwarded() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace devservice
