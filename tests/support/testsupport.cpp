#include "support/testsupport.h"

namespace testsupport {

void pointBaseValuesAt(const devservice::Server &server)
{
    if (!baseValues)
        baseValues = new BaseValues;
    baseValues->appName = QStringLiteral("Vesk云会议");
    baseValues->versionNo = QStringLiteral("1.0.0");
    baseValues->clientId = QStringLiteral("3b9e07c4d2a15f68");
    baseValues->clientSecret = QStringLiteral("a81d5e2f3b9e07c4d2a15f6870c4b1e9");
    baseValues->serviceUrl = QString::fromStdString(server.serviceUrl());
    baseValues->serviceVmUrl = QStringLiteral("video-meeting/");
    baseValues->cloudUrl = QString::fromStdString(server.cloudUrl());
    baseValues->idmUrl = QString::fromStdString(server.idmUrl());
}

LogCapture *LogCapture::s_self = nullptr;
QtMessageHandler LogCapture::s_previous = nullptr;

LogCapture::LogCapture()
{
    s_self = this;
    s_previous = qInstallMessageHandler(&LogCapture::handler);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(s_previous);
    s_self = nullptr;
}

QStringList LogCapture::lines() const
{
    QMutexLocker locker(&m_mutex);
    return m_lines;
}

void LogCapture::clear()
{
    QMutexLocker locker(&m_mutex);
    m_lines.clear();
}

bool LogCapture::contains(const QString &text) const
{
    QMutexLocker locker(&m_mutex);
    for (const QString &line : m_lines) {
        if (line.contains(text))
            return true;
    }
    return false;
}

bool LogCapture::hasLine(const QString &line) const
{
    QMutexLocker locker(&m_mutex);
    return m_lines.contains(line);
}

void LogCapture::handler(QtMsgType type, const QMessageLogContext &context, const QString &msg)
{
    if (s_self) {
        QMutexLocker locker(&s_self->m_mutex);
        s_self->m_lines << msg;
    }
    if (s_previous)
        s_previous(type, context, msg);
}

} // namespace testsupport
