#include "reminders/desktopnotice.h"

#include <QApplication>
#include <QIcon>
#include <QSystemTrayIcon>

namespace {
// One icon for the run, shown only while a balloon is.
QSystemTrayIcon *trayIcon()
{
    static QSystemTrayIcon *tray = [] {
        auto *icon = new QSystemTrayIcon(QApplication::windowIcon(), qApp);
        icon->setToolTip(QStringLiteral("Vesk云会议"));
        return icon;
    }();
    return tray;
}
} // namespace

DesktopNotices::DesktopNotices(QObject *parent) : QObject(parent)
{
    if (!QSystemTrayIcon::isSystemTrayAvailable() || !QSystemTrayIcon::supportsMessages())
        return;
    // A balloon's click stands for its "加入"; Windows shows one balloon at a time.
    m_actions = true;
    connect(trayIcon(), &QSystemTrayIcon::messageClicked, this, [this] { actionInvoked(1, QString()); });
}

DesktopNotices::~DesktopNotices() = default;

void DesktopNotices::show(const QString &key, const QString &title, const QString &text, bool offerJoin)
{
    if (!m_actions)
        return;
    // The one balloon is replaced, never stacked.
    m_ids.clear();
    m_ids.insert(key, offerJoin ? 1 : 2);
    trayIcon()->show();
    trayIcon()->showMessage(title, text, QApplication::windowIcon());
}

void DesktopNotices::close(const QString &key)
{
    if (!m_ids.remove(key))
        return;
    closeId(0);
}

void DesktopNotices::closeId(uint id)
{
    Q_UNUSED(id)
    // Hiding the icon takes its balloon with it.
    trayIcon()->hide();
}

void DesktopNotices::actionInvoked(uint id, const QString &action)
{
    Q_UNUSED(action)
    const QString key = m_ids.key(id);
    if (!key.isEmpty())
        emit joinClicked(key);
}

void DesktopNotices::notificationClosed(uint id, uint reason)
{
    Q_UNUSED(id)
    Q_UNUSED(reason)
}
