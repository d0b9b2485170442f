#include "widgets/startupsplash.h"

#include "app/basevalues.h"
#include "app/waits.h"
#include "widgets/progressindicator.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {
QPointer<StartupSplash> splash;
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

    m_delay = new QTimer(this);
    m_delay->setSingleShot(true);
    connect(m_delay, &QTimer::timeout, this, [this] {
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            move(screen->geometry().center() - rect().center());
        show();
    });
}

void StartupSplash::begin()
{
    if (splash)
        return;
    splash = new StartupSplash;
    // Any other window (the update dialog, the start screen) takes over.
    qApp->installEventFilter(splash);
    splash->m_delay->start(Waits::splashDelayMs);
}

void StartupSplash::end()
{
    if (!splash)
        return;
    StartupSplash *ending = splash;
    splash = nullptr;
    qApp->removeEventFilter(ending);
    ending->m_delay->stop();
    ending->hide();
    ending->deleteLater();
}

bool StartupSplash::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show && watched != this && watched->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(watched);
        if (widget->isWindow() && !isAncestorOf(widget))
            end();
    }
    return BorderDialog::eventFilter(watched, event);
}
