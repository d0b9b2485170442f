#pragma once

#include <QString>

#include <functional>

class QAuthenticator;
class QNetworkProxy;

// Credentials for a proxy that answers 407. The remembered ones go first,
// unseen; when there are none or the proxy refuses them, the user is asked
// once, and every request waiting on the same proxy takes that one answer.
class ProxyLogin final
{
public:
    struct Credentials
    {
        QString user;
        QString password;
        bool remember = false;
    };
    // Called once with the user's answer; given is false when declined.
    using Answer = std::function<void(bool given, const Credentials &credentials)>;
    // Opens the question for the proxy "host:port" without blocking and calls
    // answer when it closes. Set by the GUI; without it nobody is asked.
    using Asker = std::function<void(const QString &proxy, const Credentials &preset, Answer answer)>;
    static void setAsker(Asker asker);

    // True while the question is open: the waits for an answer do not run out
    // while the user types.
    static bool asking();

    // The handler of QNetworkAccessManager::proxyAuthenticationRequired.
    static void supply(const QNetworkProxy &proxy, QAuthenticator *authenticator);

    // Forgets what this run decided (tests start each case afresh).
    static void reset();
};
