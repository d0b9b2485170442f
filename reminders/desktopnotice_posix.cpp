#include "reminders/desktopnotice.h"
#include "reminders/logcategory.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QStandardPaths>
#include <QVariantMap>

namespace {
// A service that hangs must not keep the call open for long; the call never
// blocks in any case.
constexpr int callTimeoutMs = 3000;
const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString joinAction = QStringLiteral("join");

QDBusMessage call(const QString &method)
{
    return QDBusMessage::createMethodCall(service, path, service, method);
}

// The service takes an icon as a file: the product icon, written once.
QString writeIcon()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    const QString file = folder + QStringLiteral("/notification-icon.png");
    if (QFileInfo::exists(file))
        return file;
    const QIcon icon = QApplication::windowIcon();
    if (icon.isNull() || !QDir().mkpath(folder) || !icon.pixmap(48, 48).save(file, "PNG"))
        return QString();
    return file;
}
} // namespace

DesktopNotices::DesktopNotices(QObject *parent) : QObject(parent)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.connect(service, path, service, QStringLiteral("ActionInvoked"), this,
                SLOT(actionInvoked(uint, QString)));
    bus.connect(service, path, service, QStringLiteral("NotificationClosed"), this,
                SLOT(notificationClosed(uint, uint)));
    // Asked once ahead: actions are offered and markup escaped only as the desktop supports them.
    auto *watcher = new QDBusPendingCallWatcher(
        bus.asyncCall(call(QStringLiteral("GetCapabilities")), callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        const QDBusPendingReply<QStringList> reply = *w;
        if (!reply.isError()) {
            m_actions = reply.value().contains(QStringLiteral("actions"));
            m_markup = reply.value().contains(QStringLiteral("body-markup"));
        }
        w->deleteLater();
    });
}

DesktopNotices::~DesktopNotices()
{
    for (uint id : qAsConst(m_ids))
        closeId(id);
}

void DesktopNotices::show(const QString &key, const QString &title, const QString &text, bool offerJoin)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    if (m_iconPath.isEmpty())
        m_iconPath = writeIcon();
    QStringList actions;
    if (offerJoin && m_actions)
        actions << joinAction << QStringLiteral("加入");
    QVariantMap hints{{QStringLiteral("urgency"), QVariant::fromValue(uchar(1))},
                      {QStringLiteral("category"), QStringLiteral("im.received")}};
    if (!m_iconPath.isEmpty())
        hints.insert(QStringLiteral("image-path"), m_iconPath);
    QDBusMessage notify = call(QStringLiteral("Notify"));
    const uint replaces = m_ids.value(key);
    notify << QStringLiteral("Vesk云会议") << replaces << m_iconPath << title
           << (m_markup ? text.toHtmlEscaped() : text) << actions << hints << int(-1);
    m_ids.insert(key, replaces);
    m_closeOnReply.remove(key);
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(notify, callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, key](QDBusPendingCallWatcher *w) {
        const QDBusPendingReply<uint> reply = *w;
        w->deleteLater();
        if (reply.isError()) {
            qCDebug(lcReminders).noquote() << "desktop notification not shown:" << reply.error().message();
            m_ids.remove(key);
            return;
        }
        if (m_closeOnReply.remove(key)) {
            closeId(reply.value());
            return;
        }
        if (m_ids.contains(key))
            m_ids.insert(key, reply.value());
    });
}

void DesktopNotices::close(const QString &key)
{
    auto it = m_ids.find(key);
    if (it == m_ids.end())
        return;
    if (it.value() == 0)
        m_closeOnReply.insert(key);
    else
        closeId(it.value());
    m_ids.erase(it);
}

void DesktopNotices::closeId(uint id)
{
    QDBusMessage closing = call(QStringLiteral("CloseNotification"));
    closing << id;
    QDBusConnection::sessionBus().asyncCall(closing, callTimeoutMs);
}

void DesktopNotices::actionInvoked(uint id, const QString &action)
{
    const QString key = m_ids.key(id);
    if (id != 0 && !key.isEmpty() && action == joinAction)
        emit joinClicked(key);
}

void DesktopNotices::notificationClosed(uint id, uint reason)
{
    Q_UNUSED(reason)
    // Gone from the desktop: the next show of its key is a new one.
    const QString key = m_ids.key(id);
    if (id != 0 && !key.isEmpty())
        m_ids.remove(key);
}
