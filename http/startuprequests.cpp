#include "http/startuprequests.h"
#include "http/logcategory.h"

#include "app/basevalues.h"
#include "app/waits.h"
#include "http/proxylogin.h"
#include "http/servicetokenhttp.h"
#include "http/veskversionhttp.h"

#include <QDebug>
#include <QEventLoop>
#include <QSslSocket>
#include <QTimer>

namespace {

// Runs a local event loop without user input until quitSignal of sender
// fires or ms pass.
template <typename Sender, typename Signal> void waitFor(Sender *sender, Signal quitSignal, int ms)
{
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    // The wait starts again while the user is asked for the proxy's credentials.
    QObject::connect(&timer, &QTimer::timeout, &loop, [&timer, &loop, ms] {
        if (ProxyLogin::asking())
            timer.start(ms);
        else
            loop.quit();
    });
    if (sender)
        QObject::connect(sender, quitSignal, &loop, &QEventLoop::quit);
    timer.start(ms);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

// Parent of the start-up requests until start-up is over.
QObject *startupRequests()
{
    static QObject *holder = new QObject;
    return holder;
}

void pause(int ms)
{
    waitFor<QObject>(nullptr, &QObject::destroyed, ms);
}

} // namespace

void fetchServiceTokenAtStartup()
{
    constexpr int attempts = 4;
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        // A fresh request each time; the earlier ones stay alive, so an
        // answer that comes late still sets the token.
        auto *http = new ServiceTokenHttp(startupRequests());
        http->request();
        waitFor(http, &ServiceTokenHttp::sendServiceTokenResultSignal, Waits::startupWaitMs);
        if (!baseValues->s_accessToken.isEmpty())
            return;
        qCDebug(lcHttp).noquote() << QStringLiteral("获取服务令牌失败（第%1次）").arg(attempt);
        pause(Waits::tokenRetryPauseMs);
        // A late answer may have come during the pause.
        if (!baseValues->s_accessToken.isEmpty())
            return;
    }
}

void logSslSupport()
{
    qCDebug(lcHttp).noquote() << QStringLiteral("QSslSocket=") + QSslSocket::sslLibraryBuildVersionString();
    qCDebug(lcHttp).noquote().nospace() << QStringLiteral("OpenSSL支持情况:") << QSslSocket::supportsSsl();
}

void checkLatestVersionAtStartup()
{
    auto *http = new VeskVersionHttp(startupRequests());
    http->request();
    waitFor(http, &VeskVersionHttp::sendVersionResultSignal, Waits::startupWaitMs);
    if (!baseValues->latestVersion.isEmpty())
        qCDebug(lcHttp).noquote() << QStringLiteral("发现新版本:") + baseValues->latestVersion;
}

void finishStartupRequests()
{
    qDeleteAll(startupRequests()->children());
}
