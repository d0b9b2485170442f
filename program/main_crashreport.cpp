// Built into the program rather than vesk_app: the box needs Qt Widgets.
#include "app/crashreport.h"
#include "program/logcategory.h"

#include "app/logging.h"
#include "app/platform.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QMessageBox>
#include <QTimer>

void showCrashMessage()
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("错误报告"),
                    QStringLiteral("<div> %1</div>")
                        .arg(QStringLiteral("Vesk云会议遇到错误，给您带来不便，我们表示诚挚的歉意！<br/>"
                                            "请重新启动程序，通过在线客服联系我们解决相关问题。<br/>")),
                    QMessageBox::Ok);
    bool ok = false;
    const int closeMs = qEnvironmentVariableIntValue(crashReporterCloseEnvVar, &ok);
    if (ok && closeMs >= 0)
        QTimer::singleShot(closeMs, &box, &QMessageBox::accept);
    // Support reads in the log whether the user was told.
    QTimer::singleShot(0, &box, [&box] {
        qCDebug(lcProgram).noquote() << QStringLiteral("crash report shown: ") + box.windowTitle();
    });
    box.exec();
}

void installCrashReporting()
{
    setPlatformLogger([](const char *line) { qCDebug(lcProgram).noquote() << QString::fromUtf8(line); });
    installCrashHandler(QDir::toNativeSeparators(dataFolder()).toUtf8().toStdString(), &showCrashMessage);
}

bool isCrashReporter()
{
    return qEnvironmentVariableIsSet(crashReporterEnvVar);
}

int runCrashReporter()
{
    showCrashMessage();
    return 0;
}
