#pragma once

#include <QString>

// A notification of the desktop beside the client's own window: the
// freedesktop notification service over D-Bus, the tray balloon on Windows.
// Never waits for the desktop; where there is none, nothing is shown.
namespace DesktopNotice {

void show(const QString &title, const QString &text);

} // namespace DesktopNotice
