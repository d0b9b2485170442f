#pragma once

#include <QObject>

// Where a request reports that the service no longer knows the signed-in
// session (a restart or deploy of the service, an expired token). Whoever
// keeps the session listens; the screen that asked still gets its answer
// first, since lost() comes through the event queue.
class SessionWatch final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(SessionWatch)

public:
    static SessionWatch *instance();

    // Called for every answer that says the session is gone.
    void reportLost();

signals:
    void lost();
    // The session was renewed without the user: what failed may be tried again.
    void renewed();

private:
    SessionWatch() = default;
    bool m_queued = false;
};
