#include "app/areacode.h"
#include "app/basevalues.h"
#include "app/crashreport.h"
#include "app/launchparameter.h"
#include "app/logging.h"
#include "app/platform.h"
#include "app/startup.h"
#include "app/waits.h"
#include "program/logcategory.h"
#include "widgets/accessiblenames.h"
#include "widgets/placeholdercolor.h"
#include "widgets/pngimage.h"
#include "widgets/startupsplash.h"

#include <QApplication>
#include <QDebug>
#include <QEvent>
#include <QFile>
#include <QFont>
#include <QFontInfo>
#include <QSocketNotifier>
#include <QStringList>
#include <QTextCodec>
#include <QTimer>
#include <QTranslator>
#include <QWidget>

#include <string>
#include <vector>

namespace {

void loadStyleSheet(QApplication &app)
{
    QString styleSheet;
    QFile file(QStringLiteral(":/qss/style/style.qss"));
    if (file.open(QIODevice::ReadOnly))
        styleSheet = QString::fromUtf8(file.readAll());
    else
        qCDebug(lcProgram) << "style sheet missing, native look";
    app.setStyleSheet(styleSheet);
}

void loadTranslations(QApplication &app)
{
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
    const QString locale = QStringLiteral("zh_CN");
    for (const QString &prefix : {QStringLiteral("qt_"), QStringLiteral("qtwidget_partial_")}) {
        auto *translator = new QTranslator(&app);
        if (translator->load(prefix + locale, folder))
            app.installTranslator(translator);
    }
}

// The task bar's icon comes once the first screen has been painted. Set before,
// its sizes up to 256 pixels are read and handed to each window made until
// then (the coordinator, the start screen, its busy indicator) ahead of the
// first frame; set after, every open window takes it over at once. They are
// read as PNG from the resources rather than from the icon file beside the
// program, whose large size is a PNG Qt would read by asking every image
// plugin.
class WindowIconAfterFirstPaint final : public QObject
{
public:
    static void install(QApplication &app) { app.installEventFilter(new WindowIconAfterFirstPaint(&app)); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Screens and dialogs are the windows the user sees; the coordinator is not one.
        if (event->type() == QEvent::Paint && !m_done && watched->inherits("QDialog")) {
            m_done = true;
            QTimer::singleShot(0, this, [this] {
                QApplication::setWindowIcon(PngImage::windowIcon());
                qApp->removeEventFilter(this);
                deleteLater();
            });
        }
        return false;
    }

private:
    using QObject::QObject;
    bool m_done = false;
};

void setUpLooks(QApplication &app)
{
    loadStyleSheet(app);
    PlaceholderColor::install(&app);
    AccessibleNames::install(&app);
    loadTranslations(app);
    app.setFont(QFont(QStringLiteral("Microsoft YaHei")));
    WindowIconAfterFirstPaint::install(app);
}

// A request from the system to end (SIGTERM on a session logout) quits the
// event loop, so the Meeting SDK is still shut down. One that comes during
// start-up ends the program at once: nothing needs shutting down yet, and the
// service waits ahead could hold the end up for a minute.
bool mainLoopRunning = false;

void watchTerminationRequests(QApplication &app)
{
    const int fd = terminationRequestDescriptor();
    if (fd < 0)
        return;
    auto *notifier = new QSocketNotifier(fd, QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [notifier] {
        // One request is enough; the descriptor stays readable.
        notifier->setEnabled(false);
        qCDebug(lcProgram) << "termination requested";
        if (mainLoopRunning)
            QCoreApplication::quit();
        else
            killProcessTree();
    });
}

} // namespace

void installBenchQuit(); // main_bench.cpp
void benchMilestone(const char *name);

int main(int argc, char **argv)
{
    benchMilestone("main");
    std::vector<std::string> systemArguments = programArguments(argc, argv);
    std::vector<char *> appArgv;
    for (std::string &argument : systemArguments)
        appArgv.push_back(&argument[0]);
    appArgv.push_back(nullptr);
    int appArgc = int(systemArguments.size());

    // The windows keep their designed sizes in logical pixels and grow with
    // the screen's scale; images come in @2x so they stay sharp.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QApplication app(appArgc, appArgv.data());
    benchMilestone("application");
    // The data folder is named after the application: fixed, so a start
    // through a launcher link with another name finds the same User.dat.
    QCoreApplication::setApplicationName(QStringLiteral("VeskMeeting"));
    // Ties the windows to the installed desktop entry (task bar icon, launch feedback).
    QGuiApplication::setDesktopFileName(QStringLiteral("veskmeeting"));
    // The resources sit in a static library: pull them in by name.
    Q_INIT_RESOURCE(resources);
    if (isCrashReporter()) {
        QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
        qInstallMessageHandler(logMessageHandler);
        qCDebug(lcProgram) << "crash reporter started";
        loadTranslations(app);
        return runCrashReporter();
    }
    // The arguments are in the system code page: decode them before the
    // locale codec becomes UTF-8.
    QStringList arguments;
    for (int i = 0; i < appArgc; ++i)
        arguments.append(QString::fromLocal8Bit(appArgv[size_t(i)]));

    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    Waits::applyEnvironment();

    // The data folder must exist before the first line is logged.
    ensureDataFolder();
    installCrashReporting();
    qInstallMessageHandler(logMessageHandler);
    watchTerminationRequests(app);

    if (!deleteOldLogs())
        qCDebug(lcProgram) << "日志文件删除失败！";
    if (!deleteOldDumps())
        qCDebug(lcProgram) << "DUMP文件删除失败！";

    baseValues = new BaseValues;
    baseValues->initBaseValues();

    benchMilestone("settings");
    setUpLooks(app);
    installBenchQuit();
    benchMilestone("looks");
    qCDebug(lcProgram).noquote() << QStringLiteral("Vesk云会议v%1").arg(baseValues->versionNo);

    const int secondInstanceExit = runStartupStepSingleInstance(arguments);
    if (secondInstanceExit != 0)
        return secondInstanceExit;
    runStartupStepInstanceServer();
    // The face the system gave for the product font: a serif fallback shows here first.
    qCDebug(lcProgram).noquote() << QStringLiteral("font:") << QFontInfo(app.font()).family();
    // Closes by itself when the update dialog or the first screen shows.
    StartupSplash::begin();
    runStartupStepServiceToken();
    benchMilestone("token");
    runStartupStepVersionCheck();
    benchMilestone("version");
    StartupSplash::end();
    runStartupStepMeetingSdk();
    benchMilestone("sdk");

    baseValues->linkInfo = linkInfoFromArguments(arguments);

    mainLoopRunning = true;
    const int result = runStartupStepMainWindow();
    benchMilestone("loop-over");
    runShutdownStepMeetingSdk();
    benchMilestone("sdk-down");
    qCDebug(lcProgram) << "exit" << result;
    return result;
}
