#pragma once

#include <QObject>
#include <QPointer>

class HomeScreen;
class QAction;
class QMenu;
class QSystemTrayIcon;

// The notification-area icon while signed in: 打开主面板 / 加入会议 /
// 预定会议 / 退出, and a click brings the home screen back where it was.
// With the account's "关闭主面板时最小化到托盘" switch on, closing the home
// screen hides it here and the run goes on (reminders included).
class TrayIcon final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(TrayIcon)

public:
    explicit TrayIcon(QObject *parent = nullptr);
    ~TrayIcon() override;

    // Whether this desktop has a notification area at all.
    static bool supported();

    void setHomeScreen(HomeScreen *home);
    HomeScreen *homeScreen() const;
    void show();
    void hide();
    bool isShown() const;

    // Whether closing home hides it here instead (switch on, icon shown,
    // not quitting).
    bool keepsOnClose() const;
    // The home screen is hidden here: it keeps the run going.
    bool holdsHomeScreen() const;

    // Brings the home screen back where it was.
    void showHomeScreen();

signals:
    // "退出": the run is to end as if the switch were off.
    void quitRequested();

private:
    void updateActions();

    QSystemTrayIcon *m_icon = nullptr;
    QMenu *m_menu = nullptr;
    QAction *m_open = nullptr;
    QAction *m_join = nullptr;
    QAction *m_schedule = nullptr;
    QAction *m_quit = nullptr;
    QPointer<HomeScreen> m_home;
    bool m_quitting = false;
};
