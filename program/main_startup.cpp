// Built into the program rather than vesk_app: these steps reach the screens,
// the service requests and the Meeting SDK, i.e. every library.
#include "app/startup.h"
#include "program/logcategory.h"

#include "app/basevalues.h"
#include "app/instancemarker.h"
#include "app/platform.h"
#include "app/veskmeetingclient.h"
#include "app/veskmeetingserver.h"
#include "app/waits.h"
#include "http/httphelper.h"
#include "http/startuprequests.h"
#include "sdk/wemeetmanager.h"
#include "session/mainwindow.h"
#include "session/navigator.h"
#include "update/checkupdate.h"
#include "widgets/messages.h"
#include "widgets/proxyauthdialog.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDebug>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <QUrl>

void benchMilestone(const char *name); // main_bench.cpp

namespace {

// The first instance's end of the channel; lives as long as the application.
VeskMeetingServer *instanceServer = nullptr;

// Waits without user input, like the other start-up waits.
void pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

// Connects to the first instance. When nobody answers, the marker may be
// left over from an instance that crashed or was killed: then this start
// takes it over and becomes the first instance (returns false with
// firstInstance set). A running instance that is not listening yet is
// still in its first moments; it is given the channel's wait.
bool connectToFirstInstance(VeskMeetingClient &client, bool &firstInstance)
{
    const QString name = VeskMeetingServer::serverName();
    if (client.connectToServer(name))
        return true;
    if (takeOverInstanceMarker()) {
        firstInstance = true;
        return false;
    }
    QDeadlineTimer deadline(Waits::instanceChannelMs);
    while (!deadline.hasExpired()) {
        pause(Waits::instanceRetryMs);
        if (client.connectToServer(name))
            return true;
    }
    qCWarning(lcProgram) << "no running instance answered";
    return false;
}

// Only a platform with native windows has a window of the first instance to
// find; offscreen and minimal have none.
bool hasWindowSystem()
{
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

} // namespace

int runStartupStepSingleInstance(const QStringList &arguments)
{
    if (createInstanceMarker())
        return 0;

    bool handedOver = false;
    {
        VeskMeetingClient client;
        bool firstInstance = false;
        const bool connected = connectToFirstInstance(client, firstInstance);
        if (firstInstance)
            return 0;
        if (connected && arguments.size() == 2)
            handedOver = client.sendMessage(arguments.at(1));
    }

    if (hasWindowSystem() && raiseWindowWithTitle(baseValues->appName.toStdWString())) {
        qCDebug(lcProgram) << "another instance is running: its window was brought to the front";
        return 1;
    }
    // The running client has the link and answers it itself (in a meeting
    // it asks there); a box of ours would stand beside its question.
    if (handedOver) {
        qCDebug(lcProgram) << "another instance is running: the link was handed over";
        return 1;
    }
    const QString message = QStringLiteral("Vesk云会议已经在运行！");
    qCDebug(lcProgram).noquote() << message;
    QEventLoop loop;
    Messages::tell(nullptr, message, QStringLiteral("确定"), [&loop] { loop.quit(); });
    loop.exec();
    return -1;
}

void runStartupStepInstanceServer()
{
    instanceServer = new VeskMeetingServer;
    // Deleted with the application, which closes the socket and removes its file.
    instanceServer->setParent(qApp);
    instanceServer->runServer();
}

void runStartupStepServiceToken()
{
    // The version check that follows goes to the cloud address: when that is
    // another host, its connection opens while the token is on its way.
    const QUrl service(baseValues->serviceUrl);
    const QUrl cloud(baseValues->cloudUrl);
    if (cloud.scheme() != service.scheme() || cloud.host() != service.host() ||
        cloud.port() != service.port())
        HttpHelper::openConnection(baseValues->cloudUrl);
    // From the first request on, a proxy that wants credentials asks for them.
    ProxyAuthDialog::install();
    fetchServiceTokenAtStartup();
    logSslSupport();
}

void runStartupStepVersionCheck()
{
    checkLatestVersionAtStartup();
    if (baseValues->latestVersion.isEmpty())
        return;
    // The update dialog is the only window yet: closing it must never end the
    // run before the main window exists.
    const bool quitOnLastWindowClosed = QApplication::quitOnLastWindowClosed();
    QApplication::setQuitOnLastWindowClosed(false);
    auto *dialog = new CheckUpdate(baseValues->latestVersion, baseValues->updateContent);
    // The start screen (of the sign-in screens' size) opens where the user
    // looked, not at the window system's default place.
    QObject::connect(dialog, &QDialog::finished,
                     [dialog] { Navigator::instance()->rememberCentreOf(dialog, QSize(395, 687)); });
    dialog->exec();
    QApplication::setQuitOnLastWindowClosed(quitOnLastWindowClosed);
}

void runStartupStepMeetingSdk()
{
    WeMeetManager *manager = WeMeetManager::instance();
    Q_UNUSED(manager)
    qCDebug(lcProgram).noquote() << QStringLiteral("SDK Version ==") + WeMeetManager::sdkVersion();
}

int runStartupStepMainWindow()
{
    MainWindow *mainWindow = MainWindow::createConnected(instanceServer);
    benchMilestone("mainwindow");
    // Start-up is over: answers to its requests no longer matter.
    finishStartupRequests();
    mainWindow->setEndsEventLoop(true);
    mainWindow->move(-50, -50);
    mainWindow->show();
    benchMilestone("loop");
    QTimer::singleShot(0, [] { benchMilestone("loop-running"); });
    return QApplication::exec();
}

void runShutdownStepMeetingSdk()
{
    WeMeetManager::instance()->uninitialize();
}
