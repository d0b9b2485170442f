#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// The stand-in for the company's service: a real HTTP(S) server on loopback
// serving every endpoint the client calls. Tests start it in-process on an
// ephemeral port; the vesk-devservice program runs it for the demo.
//
// The three base URLs of config.ini live under one port:
//   SERVICE_URL = <base>/service/   CLOUD_URL = <base>/cloud/   IDM_URL = <base>/idm/
namespace devservice {

struct LoggedRequest
{
    std::string method;                         // "GET", "POST"
    std::string path;                           // "/service/api/..." without the query
    std::string query;                          // raw query string as sent, without '?'
    std::map<std::string, std::string> headers; // names as sent
    std::string body;                           // raw body bytes
};

// What a path answers instead of its normal answer.
struct Fault
{
    int delayMs = 0;           // wait before answering (0: none)
    int httpStatus = 0;        // answer with this HTTP status (0: normal)
    bool nonJson = false;      // answer 200 with a body that is not JSON
    bool successFalse = false; // answer {"success": false, ...}
    bool withErrorMsg = true;  // with successFalse: include "errorMsg"
    std::string errorMsg = "模拟的服务错误";
    bool wrongResultType = false; // answer "success": true with "result" of the wrong type
    std::string body;             // answer 200 with exactly this JSON body (empty: none)
    size_t errorMsgBytes = 0;     // answer "success": false with an "errorMsg" this long
    int times = -1;               // how many answers it applies to (-1: until cleared)
};

class Server
{
public:
    // fixturePath empty: the fixtures.json committed beside the sources.
    explicit Server(const std::string &fixturePath = std::string());
    ~Server();
    Server(const Server &) = delete;
    Server &operator=(const Server &) = delete;

    // Starts listening on 127.0.0.1; port 0 picks a free one. Returns the port
    // or -1. With https, certFile/keyFile must name a PEM certificate and key.
    int start(int port = 0, bool https = false, const std::string &certFile = std::string(),
              const std::string &keyFile = std::string());
    void stop();
    int port() const;
    // "http://127.0.0.1:PORT" (or https), no trailing slash.
    std::string baseUrl() const;
    std::string serviceUrl() const; // baseUrl() + "/service/"
    std::string cloudUrl() const;   // baseUrl() + "/cloud/"
    std::string idmUrl() const;     // baseUrl() + "/idm/"

    // Request log, oldest first. The control paths under /_dev/ are not logged.
    std::vector<LoggedRequest> requests() const;
    void clearRequests();
    // Client connections that carried the logged requests (cleared with them).
    int connectionCount() const;

    // Fault injection per path (exact path without query, e.g. "/service/api/token").
    void setFault(const std::string &path, const Fault &fault);
    void clearFaults();

    // The SMS code last sent to a phone number (empty when none).
    std::string lastSmsCode(const std::string &phone) const;
    // Back to the fixture data (meetings created or cancelled are forgotten).
    void resetData();
    // Every token and session forgotten, as after a restart of the service.
    void forgetTokens();

    // Console lines about what a real service would send elsewhere (SMS codes,
    // WeChat scans). Called from the server's threads.
    void setEventHandler(std::function<void(const std::string &line)> handler);
    // The demo sign-in data of the fixtures as readable text, one line each.
    std::string demoInfo() const;
    // Offers a newer release through the version check (until resetData()).
    void addVersion(const std::string &version, const std::string &updateContent);
    // Cancels a meeting as its host would on the web; false when there is none.
    bool cancelMeeting(const std::string &meetingCode);
    // Marks a WeChat sign-in uuid as scanned and bound, as opening its page does.
    bool scanWxUuid(const std::string &uuid);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Writes a self-signed certificate for 127.0.0.1/localhost and its key as PEM.
bool makeTestCertificate(const std::string &certFile, const std::string &keyFile);

} // namespace devservice
