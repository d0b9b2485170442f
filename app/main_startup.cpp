// Built into the program rather than vesk_app: these steps reach the screens,
// the service requests and the Meeting SDK, i.e. every library.
#include "app/startup.h"

#include "app/basevalues.h"
#include "http/startuprequests.h"
#include "sdk/wemeetmanager.h"
#include "session/mainwindow.h"

#include <QApplication>
#include <QDebug>

int runStartupStepSingleInstance(const QStringList &arguments)
{
    // The single-instance channel comes with the launch-link hand-over; until
    // then every start is the first instance.
    Q_UNUSED(arguments)
    return 0;
}

void runStartupStepInstanceServer()
{
    // Nothing listens for a second instance yet (see above).
}

void runStartupStepServiceToken()
{
    fetchServiceTokenAtStartup();
    logSslSupport();
}

void runStartupStepVersionCheck()
{
    checkLatestVersionAtStartup();
    // The update dialog comes with the software update; a newer version is
    // only logged until then.
    if (!baseValues->latestVersion.isEmpty())
        qDebug().noquote() << "latest version" << baseValues->latestVersion;
}

void runStartupStepMeetingSdk()
{
    WeMeetManager *manager = WeMeetManager::instance();
    Q_UNUSED(manager)
    qDebug().noquote() << "SDK Version ==" + WeMeetManager::sdkVersion();
}

int runStartupStepMainWindow()
{
    MainWindow *mainWindow = MainWindow::createConnected(nullptr);
    // Start-up is over: answers to its requests no longer matter.
    finishStartupRequests();
    mainWindow->setEndsEventLoop(true);
    mainWindow->move(-50, -50);
    mainWindow->show();
    return QApplication::exec();
}

void runShutdownStepMeetingSdk()
{
    WeMeetManager::instance()->uninitialize();
}
