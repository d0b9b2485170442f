#pragma once

#include "app/basevalues.h"
#include "sdk-sim/simcontrol.h"
#include "sdk/wemeetmanager.h"

#include <QMutex>
#include <QMutexLocker>
#include <QStringList>
#include <QtGlobal>

// Collects the debug lines the code under test writes, and still prints them.
class LogCapture final
{
public:
    LogCapture() { s_self = this; s_previous = qInstallMessageHandler(&LogCapture::handler); }
    ~LogCapture() { qInstallMessageHandler(s_previous); s_self = nullptr; }

    QStringList lines() const
    {
        QMutexLocker locker(&m_mutex);
        return m_lines;
    }
    void clear()
    {
        QMutexLocker locker(&m_mutex);
        m_lines.clear();
    }

private:
    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &msg)
    {
        if (s_self) {
            QMutexLocker locker(&s_self->m_mutex);
            s_self->m_lines << msg;
        }
        if (s_previous)
            s_previous(type, context, msg);
    }

    mutable QMutex m_mutex;
    QStringList m_lines;
    static inline LogCapture *s_self = nullptr;
    static inline QtMessageHandler s_previous = nullptr;
};

// Every test function starts from a fresh simulator, a manager in state 0
// and an empty session record.
inline void resetSdkWorld()
{
    WemeetSim::reset();
    WemeetSim::setHeadless(false);
    WeMeetManager::instance()->setState(0);
    if (!baseValues)
        baseValues = new BaseValues;
    *baseValues = BaseValues();
}
