#include "widgets/startupsplash.h"

#include "app/basevalues.h"
#include "app/waits.h"
#include "widgets/progressindicator.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {
QPointer<StartupSplash> splash;
// Runs from begin() to end(); the splash itself is made only when the wait
// outlasts it, so a quick start never builds a window it does not show.
QPointer<QTimer> delay;

// Any other window (the update dialog, the start screen) takes over.
class OtherWindowWatch final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto *widget = static_cast<QWidget *>(watched);
            if (widget->isWindow() && !(splash && (widget == splash || splash->isAncestorOf(widget))))
                StartupSplash::end();
        }
        return QObject::eventFilter(watched, event);
    }
};
QPointer<OtherWindowWatch> watch;
} // namespace

StartupSplash::StartupSplash() : BorderDialog(nullptr)
{
    setObjectName(QStringLiteral("StartupSplash"));
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(baseValues && !baseValues->appName.isEmpty() ? baseValues->appName
                                                                : QStringLiteral("Vesk云会议"));
    setFixedSize(300, 200);

    auto *background = new QWidget(this);
    background->setObjectName(QStringLiteral("backgroundWidget"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(shadowWidth, shadowWidth, shadowWidth, shadowWidth);
    outer->addWidget(background);

    auto *logo = new QLabel(background);
    logo->setObjectName(QStringLiteral("largeLogoQLabel"));
    logo->setFixedSize(120, 72);

    auto *busy = new ProgressIndicator(background);
    busy->setObjectName(QStringLiteral("splashBusyIndicator"));
    busy->setColor(QColor(0x00, 0x6F, 0xFF));
    busy->setFixedSize(18, 18);
    busy->startAnimation();
    auto *text = new QLabel(QStringLiteral("正在连接服务…"), background);
    text->setObjectName(QStringLiteral("normalQLabel"));

    auto *status = new QHBoxLayout;
    status->setSpacing(8);
    status->addStretch();
    status->addWidget(busy);
    status->addWidget(text);
    status->addStretch();

    auto *column = new QVBoxLayout(background);
    column->setContentsMargins(20, 28, 20, 28);
    column->addWidget(logo, 0, Qt::AlignHCenter);
    column->addStretch();
    column->addLayout(status);
}

void StartupSplash::begin()
{
    if (delay)
        return;
    watch = new OtherWindowWatch(qApp);
    qApp->installEventFilter(watch);
    delay = new QTimer(qApp);
    delay->setSingleShot(true);
    QObject::connect(delay, &QTimer::timeout, delay, [] {
        splash = new StartupSplash;
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            splash->move(screen->geometry().center() - splash->rect().center());
        splash->show();
    });
    delay->start(Waits::splashDelayMs);
}

void StartupSplash::end()
{
    // Later: end() may come from the watch's own filter.
    if (watch) {
        qApp->removeEventFilter(watch);
        watch->deleteLater();
        watch = nullptr;
    }
    if (delay) {
        delay->stop();
        delay->deleteLater();
        delay = nullptr;
    }
    if (!splash)
        return;
    StartupSplash *ending = splash;
    splash = nullptr;
    ending->hide();
    ending->deleteLater();
}
