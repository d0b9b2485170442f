#include "meeting/desktopnotice.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDebug>
#include <QVariantMap>

namespace {
// A service that hangs must not keep the call open for long; the call never
// blocks in any case.
constexpr int callTimeoutMs = 3000;
} // namespace

namespace DesktopNotice {

void show(const QString &title, const QString &text)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    call << QStringLiteral("Vesk云会议") << uint(0) << QStringLiteral("appointment-soon") << title << text
         << QStringList() << QVariantMap{{QStringLiteral("urgency"), QVariant::fromValue(uchar(1))}}
         << int(-1);
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, callTimeoutMs));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [](QDBusPendingCallWatcher *w) {
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isError())
            qDebug().noquote() << "desktop notification not shown:" << reply.error().message();
        w->deleteLater();
    });
}

} // namespace DesktopNotice
