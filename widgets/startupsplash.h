#pragma once

#include "widgets/borderdialog.h"

// A small window with the product logo and "正在连接服务…" while start-up
// waits for the service, so a slow or missing service does not look like a
// client that never started. It appears only when a wait lasts longer than
// Waits::splashDelayMs and goes away before any other window shows.
class StartupSplash final : public BorderDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(StartupSplash)

public:
    // Start-up calls these around its waits; end() may come more than once.
    static void begin();
    static void end();

private:
    StartupSplash();
};
