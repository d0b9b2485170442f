#include "http/sessionwatch.h"

#include <QMetaObject>

SessionWatch *SessionWatch::instance()
{
    static SessionWatch *watch = new SessionWatch;
    return watch;
}

void SessionWatch::reportLost()
{
    // Several requests of one screen fail together: one report for them all.
    if (m_queued)
        return;
    m_queued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_queued = false;
            emit lost();
        },
        Qt::QueuedConnection);
}
