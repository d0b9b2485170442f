#include "calendar/calendarprogram.h"
#include "calendar/logcategory.h"

#include <QDebug>
#include <QPointer>
#include <QProcess>
#include <QProcessEnvironment>

namespace {

// gio asks the desktop's own association table (mimeapps.list and the
// installed applications), the same one the file managers use.
QProcess *gio(QObject *context, const QStringList &arguments)
{
    auto *process = new QProcess(context);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process->setProcessEnvironment(environment);
    process->setProgram(QStringLiteral("gio"));
    process->setArguments(arguments);
    return process;
}

// Runs it and hands on whether it ended well, with its output.
void run(QProcess *process, std::function<void(bool ok, const QString &output)> finished)
{
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, finished](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         process->deleteLater();
                         finished(false, QString());
                     });
    QObject::connect(process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), process,
                     [process, finished](int code, QProcess::ExitStatus status) {
                         process->deleteLater();
                         finished(status == QProcess::NormalExit && code == 0,
                                  QString::fromUtf8(process->readAllStandardOutput()));
                     });
    process->start();
}

} // namespace

namespace CalendarProgram {

void open(const QString &path, QObject *context, std::function<void(bool)> done)
{
    QPointer<QObject> guard(context);
    auto answer = [guard, done](bool took) {
        if (guard)
            done(took);
    };
    // "Default application for “text/calendar”: org.gnome.Evolution.desktop"
    run(gio(context, {QStringLiteral("mime"), QStringLiteral("text/calendar")}),
        [context, path, answer](bool ok, const QString &output) {
            if (!ok || !output.startsWith(QStringLiteral("Default application for"))) {
                qCDebug(lcCalendar).noquote() << "no calendar program registered for text/calendar";
                answer(false);
                return;
            }
            run(gio(context, {QStringLiteral("open"), path}),
                [answer](bool opened, const QString &) { answer(opened); });
        });
}

} // namespace CalendarProgram
