// vesk-devservice: the stand-in service for the demo and for process-level tests.
#include "devservice/devservice.h"
#include "devservice/proxy.h"

#include <QCoreApplication>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

namespace {

volatile std::sig_atomic_t quitRequested = 0;

void onSignal(int)
{
    quitRequested = 1;
}

int usage(const char *program)
{
    std::fprintf(stderr,
                 "usage: %s [--port N] [--https --cert FILE --key FILE] [--fixtures FILE]\n"
                 "          [--proxy N [--proxy-user USER:PASSWORD]]\n"
                 "  --port N        listen on 127.0.0.1:N (default 18080, 0 picks a free port)\n"
                 "  --https         serve TLS with the given PEM certificate and key\n"
                 "                  (without --cert/--key a self-signed one is made beside the program)\n"
                 "  --fixtures FILE demo data instead of the built-in fixtures.json\n"
                 "  --proxy N       also an office proxy on 127.0.0.1:N that knows the service\n"
                 "                  as vesk-service.test (for http_proxy); --proxy-user makes it\n"
                 "                  ask for credentials\n",
                 program);
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv); // Qt's text codecs and JSON, no event loop
    const QStringList args = app.arguments();
    int port = 18080;
    bool https = false;
    std::string cert, key, fixtures, proxyPort, proxyUser;
    for (int i = 1; i < args.size(); ++i) {
        const QString a = args[i];
        auto next = [&](std::string *out) {
            if (i + 1 >= args.size())
                return false;
            *out = args[++i].toStdString();
            return true;
        };
        std::string value;
        if (a == "--port" && next(&value)) {
            char *end = nullptr;
            const long p = std::strtol(value.c_str(), &end, 10);
            if (*end || p < 0 || p > 65535)
                return usage(argv[0]);
            port = int(p);
        } else if (a == "--https") {
            https = true;
        } else if (a == "--cert" && next(&cert)) {
        } else if (a == "--key" && next(&key)) {
        } else if (a == "--fixtures" && next(&fixtures)) {
        } else if (a == "--proxy" && next(&proxyPort)) {
        } else if (a == "--proxy-user" && next(&proxyUser)) {
        } else {
            return usage(argv[0]);
        }
    }
    if (https && (cert.empty() != key.empty()))
        return usage(argv[0]);
    if (https && cert.empty()) {
        const std::string dir = QCoreApplication::applicationDirPath().toStdString();
        cert = dir + "/devservice-cert.pem";
        key = dir + "/devservice-key.pem";
        if (!devservice::makeTestCertificate(cert, key)) {
            std::fprintf(stderr, "vesk-devservice: cannot write %s\n", cert.c_str());
            return 1;
        }
        std::printf("certificate: %s\n", cert.c_str());
    }

    devservice::Server server(fixtures);
    std::mutex printing;
    server.setEventHandler([&printing](const std::string &line) {
        std::lock_guard<std::mutex> lock(printing);
        std::cout << line << std::endl;
    });
    const int bound = server.start(port, https, cert, key);
    if (bound < 0) {
        std::fprintf(stderr, "vesk-devservice: cannot listen on 127.0.0.1:%d\n", port);
        return 1;
    }
    {
        std::lock_guard<std::mutex> lock(printing);
        std::cout << "vesk-devservice listening on " << server.baseUrl() << "\n"
                  << "  SERVICE_URL=" << server.serviceUrl() << "\n"
                  << "  CLOUD_URL=" << server.cloudUrl() << "\n"
                  << "  IDM_URL=" << server.idmUrl() << "\n"
                  << "demo sign-in data:\n"
                  << server.demoInfo() << "\n"
                  << "SMS codes are printed here when they are sent." << std::endl;
    }

    devservice::Proxy proxy;
    if (!proxyPort.empty()) {
        proxy.mapHost("vesk-service.test", "127.0.0.1");
        const size_t colon = proxyUser.find(':');
        if (colon != std::string::npos)
            proxy.requireCredentials(proxyUser.substr(0, colon), proxyUser.substr(colon + 1));
        if (proxy.start(std::atoi(proxyPort.c_str())) < 0) {
            std::fprintf(stderr, "vesk-devservice: cannot listen on 127.0.0.1:%s\n", proxyPort.c_str());
            return 1;
        }
        std::cout << "office proxy: http_proxy=" << proxy.url()
                  << " reaches the service as http://vesk-service.test:" << bound << std::endl;
    }

    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    while (!quitRequested)
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    server.stop();
    return 0;
}
