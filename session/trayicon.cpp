#include "session/trayicon.h"

#include "app/basevalues.h"
#include "app/userstore.h"
#include "meeting/homescreen.h"
#include "widgets/pngimage.h"

#include <QAction>
#include <QDebug>
#include <QMenu>
#include <QSystemTrayIcon>

TrayIcon::TrayIcon(QObject *parent) : QObject(parent)
{
    m_menu = new QMenu();
    m_menu->setObjectName(QStringLiteral("trayQMenu"));
    m_open = m_menu->addAction(QStringLiteral("打开主面板"));
    m_join = m_menu->addAction(QStringLiteral("加入会议"));
    m_schedule = m_menu->addAction(QStringLiteral("预定会议"));
    m_menu->addSeparator();
    m_quit = m_menu->addAction(QStringLiteral("退出"));

    m_icon = new QSystemTrayIcon(PngImage::windowIcon(), this);
    m_icon->setToolTip(baseValues ? baseValues->appName : QString());
    m_icon->setContextMenu(m_menu);

    connect(m_menu, &QMenu::aboutToShow, this, &TrayIcon::updateActions);
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            showHomeScreen();
    });
    connect(m_open, &QAction::triggered, this, &TrayIcon::showHomeScreen);
    connect(m_join, &QAction::triggered, this, [this] {
        showHomeScreen();
        if (m_home)
            m_home->onJoinBtnClicked();
    });
    connect(m_schedule, &QAction::triggered, this, [this] {
        showHomeScreen();
        if (m_home)
            m_home->onCreateBtnClicked();
    });
    connect(m_quit, &QAction::triggered, this, [this] {
        m_quitting = true;
        emit quitRequested();
    });
}

TrayIcon::~TrayIcon()
{
    delete m_menu;
}

bool TrayIcon::supported()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

HomeScreen *TrayIcon::homeScreen() const
{
    return m_home;
}

void TrayIcon::setHomeScreen(HomeScreen *home)
{
    m_home = home;
    m_quitting = false;
}

void TrayIcon::show()
{
    m_icon->show();
}

void TrayIcon::hide()
{
    m_icon->hide();
}

bool TrayIcon::isShown() const
{
    return m_icon->isVisible();
}

bool TrayIcon::keepsOnClose() const
{
    return !m_quitting && isShown() && baseValues && baseValues->signedIn && loadCloseToTray();
}

bool TrayIcon::holdsHomeScreen() const
{
    return m_home && !m_home->isVisible() && isShown() && !m_quitting;
}

void TrayIcon::showHomeScreen()
{
    if (!m_home)
        return;
    // A minimised or hidden window comes back at the place it had.
    m_home->showNormal();
    m_home->raise();
    m_home->activateWindow();
}

void TrayIcon::updateActions()
{
    // In a meeting there is no home screen to go to.
    for (QAction *action : {m_open, m_join, m_schedule, m_quit})
        action->setEnabled(m_home != nullptr);
}
