#include "bench/probe.h"

#include <QApplication>
#include <QEvent>
#include <QSet>
#include <QTimer>
#include <QWidget>

#include <cstdio>

void benchMilestone(const char *name);

namespace {

using benchprobe::epochMicroseconds;
using benchprobe::residentKiB;

bool benchRun()
{
    static const bool run = qEnvironmentVariableIsSet("VESK_BENCH_QUIT_AFTER");
    return run;
}

// Ends the run at the first idle after the named screen is painted, so start-up
// and memory can be measured from outside. "start": the start screen;
// "home": the home screen's meeting list (or its empty state). Until then it
// notes when each kind of window is first shown and how many widgets were
// polished, so the bench can tell where the start-up goes.
class QuitAfterPaint : public QObject
{
public:
    explicit QuitAfterPaint(const QByteArray &screen) : QObject(qApp), m_screen(screen) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (m_quitting || !watched->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        switch (event->type()) {
        case QEvent::Polish:
            ++m_polished;
            break;
        case QEvent::Show:
            if (widget->isWindow() && !m_shown.contains(widget->metaObject()->className())) {
                m_shown.insert(widget->metaObject()->className());
                std::fprintf(stderr, "milestone shown:%s %lld %ld\n", widget->metaObject()->className(),
                             epochMicroseconds(), residentKiB());
            }
            break;
        case QEvent::Paint:
            if (!isTheScreen(widget))
                break;
            m_quitting = true;
            // For the bench's clock: start-up ends here, not when the process is gone.
            std::fprintf(stderr, "painted %lld\n", epochMicroseconds());
            std::fprintf(stderr, "milestone painted %lld %ld\n", epochMicroseconds(), residentKiB());
            std::fprintf(stderr, "polished %d\n", m_polished);
            QTimer::singleShot(0, qApp, [] {
                benchMilestone("quit");
                benchprobe::printSettled();
                QCoreApplication::exit(0);
            });
            break;
        default:
            break;
        }
        return false;
    }

private:
    bool isTheScreen(QWidget *widget) const
    {
        if (m_screen == "start")
            return widget->window()->inherits("SplashSelect");
        if (m_screen == "home")
            return widget->window()->inherits("HomeScreen") &&
                   (widget->inherits("mtgItem") || widget->objectName() == QLatin1String("emptyWidget"));
        return false;
    }

    QByteArray m_screen;
    QSet<QByteArray> m_shown;
    int m_polished = 0;
    bool m_quitting = false;
};

} // namespace

void benchMilestone(const char *name)
{
    if (benchRun())
        std::fprintf(stderr, "milestone %s %lld %ld\n", name, epochMicroseconds(), residentKiB());
}

void installBenchQuit()
{
    const QByteArray screen = qgetenv("VESK_BENCH_QUIT_AFTER");
    if (!screen.isEmpty())
        qApp->installEventFilter(new QuitAfterPaint(screen));
}
