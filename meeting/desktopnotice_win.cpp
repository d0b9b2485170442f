#include "meeting/desktopnotice.h"

#include <QApplication>
#include <QIcon>
#include <QSystemTrayIcon>

namespace DesktopNotice {

void show(const QString &title, const QString &text)
{
    if (!QSystemTrayIcon::isSystemTrayAvailable() || !QSystemTrayIcon::supportsMessages())
        return;
    // One icon for the run, shown only for the balloons.
    static QSystemTrayIcon *tray = [] {
        auto *icon = new QSystemTrayIcon(QApplication::windowIcon(), qApp);
        icon->setToolTip(QStringLiteral("Vesk云会议"));
        return icon;
    }();
    tray->show();
    tray->showMessage(title, text, QSystemTrayIcon::Information);
}

} // namespace DesktopNotice
