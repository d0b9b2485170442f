// Built into the program rather than vesk_app: these steps reach the screens,
// the service requests and the Meeting SDK, i.e. every library.
#include "app/startup.h"

#include <QApplication>

int runStartupStepSingleInstance(const QStringList &arguments)
{
    // Single-instance channel not in yet: every start is the first instance.
    Q_UNUSED(arguments)
    return 0;
}

void runStartupStepInstanceServer()
{
    // Waits for the single-instance channel.
}

void runStartupStepServiceToken()
{
    // Waits for the start-up requests (service token, TLS library lines).
}

void runStartupStepVersionCheck()
{
    // Waits for the version request and the update dialog.
}

void runStartupStepMeetingSdk()
{
    // Waits for the Meeting SDK manager.
}

int runStartupStepMainWindow()
{
    // Until the session coordinator is in, the loop runs without a window and
    // ends on QCoreApplication::quit() (a termination request on POSIX).
    return QApplication::exec();
}

void runShutdownStepMeetingSdk()
{
    // Waits for the Meeting SDK manager.
}
