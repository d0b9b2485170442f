#pragma once

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

class AccountLogin;
class ActivityApprove;
class HomeScreen;
class JoinMeeting;
class MainWindow;
class MeetingActions;
class MeetingStore;
class PhoneLogin;
class PhoneNumberPatch;
class PhoneNumberVerify;
class QRCodeLogin;
class QTimer;
class QWidget;
class ScheduleMeeting;
class ShareMeeting;
class SplashSelect;
class TrayIcon;

// Creates every screen, wires it once and performs the hand-over: the new
// window at the current one's top-left corner, shown, the current one closed.
// Screens ask it for the next screen instead of including one another.
//
// It also keeps the one rule for the end of the run: when no screen is open,
// no home screen waits in the tray, no join is pending and no meeting runs,
// the Meeting SDK is shut down and the program ends (after signing out of
// the SDK when signed in).
class Navigator final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(Navigator)

public:
    static Navigator *instance();

    // The coordinator whose signals the screens are wired to; set once at
    // start-up before the first screen.
    void setCoordinator(MainWindow *coordinator);
    MainWindow *coordinator() const;
    // The session's meeting list: the coordinator's; screens made without
    // one share one of the navigator's.
    MeetingStore *meetingStore();
    // The session's meeting actions, likewise.
    MeetingActions *meetingActions();

    // Screens. `from` is the screen handing over (closed afterwards); null
    // shows the new screen at its default position.
    enum class StartReason
    {
        Normal,
        Returned,
        ForcedLogout
    };
    SplashSelect *showStartScreen(QWidget *from, StartReason reason = StartReason::Normal);
    AccountLogin *showAccountLogin(QWidget *from, const QString &type);
    // The account sign-in, signing in at once with a link's account.
    AccountLogin *showAccountLoginFromLink(QWidget *from, const QString &companyCode,
                                           const QString &userName);
    PhoneLogin *showPhoneLogin(QWidget *from, const QString &type);
    QRCodeLogin *showQRCodeLogin(QWidget *from, const QString &returnTo);
    PhoneNumberPatch *showPhoneNumberPatch(QWidget *from, int origin);
    HomeScreen *showHomeScreen(QWidget *from);

    // Dialogs over a screen that stays open beneath them; each is placed at
    // its owner's top-left corner and closes when its owner goes.
    JoinMeeting *openJoinMeeting(QWidget *owner, const QString &meetingNo, const QString &nickname);
    ScheduleMeeting *openScheduleMeeting(QWidget *owner, const QString &meetingCode);
    ActivityApprove *openActivityApprove(QWidget *owner, const QString &url, const QString &meetingId,
                                         const QString &telephone, const QString &mobileCountryCode);
    PhoneNumberVerify *openPhoneNumberVerify(QWidget *owner, const QString &meetingNo,
                                             const QString &nickname, const QString &telephone,
                                             const QString &mobileCountryCode);

    // The invitation window with its text, centred over the window it came
    // from (none: the Meeting SDK's); it stands on its own and does not keep
    // the run going.
    ShareMeeting *openInvitation(const QString &text, QWidget *over = nullptr);

    // A window that is not a screen of its own size (a small dialog, the
    // update dialog) opens centred over the one it came from.
    static void centreOver(QWidget *window, const QWidget *over);
    // The next screen shown without a screen to hand over from (after the
    // update dialog) takes the place centred where window is now.
    void rememberCentreOf(const QWidget *window, const QSize &nextSize);

    // The service forgot the session and it could not be renewed silently:
    // the home screen gives way to the sign-in screen of the account, with
    // why in a line there. A booking form with input asks first.
    void signInAgain(const QString &why);

    // A reminder's "加入": the session joins the meeting as a list row would;
    // the home screen, when open, comes to the front to show it.
    void joinFromReminder(const QString &meetingCode);

    // Closing home hides it in the tray instead when the account's switch
    // says so; true when it was hidden.
    bool closeToTray(HomeScreen *home);
    // The notification-area icon while signed in; null where the desktop has none.
    TrayIcon *tray() const { return m_tray; }

    // Open screens and dialogs, oldest first.
    QList<QWidget *> openWindows() const;

    // A window that keeps the run going without being made here (the update
    // dialog, a message with no asker). Forgotten when it is destroyed.
    void track(QWidget *window);

    // Puts window where from is (or, when from is hidden, closed or null,
    // where the last screen was) and lets its own moves count from now on.
    void place(QWidget *window, QWidget *from);
    void rememberPlace(const QPoint &place);

    // Checks the end-of-run rule now (also done after every window closes
    // and every Meeting SDK answer that can end a meeting or a join).
    void checkEndOfRun();
    // Ends the run now: the event loop quits and start-up's shutdown
    // uninitialises the Meeting SDK.
    void endRun();

signals:
    // The run is over: the SDK has been shut down, the event loop quits.
    void runEnded();

private:
    Navigator() = default;

    // Places next at from's corner (when given), shows it, closes from.
    void handOver(QWidget *from, QWidget *next);
    void openOver(QWidget *owner, QWidget *dialog);
    void leaveForSignIn(HomeScreen *home, const QString &why);
    void evaluateEndOfRun();
    void logoutWaitOver();

    QPointer<MainWindow> m_coordinator;
    MeetingStore *m_ownStore = nullptr;
    MeetingActions *m_ownActions = nullptr;
    TrayIcon *m_tray = nullptr;
    QList<QPointer<QWidget>> m_windows;
    // Bounds the wait for a Meeting SDK sign-out once no window is left.
    QTimer *m_logoutWait = nullptr;
    QPoint m_lastPlace;
    bool m_hasLastPlace = false;
    bool m_homePlaced = false;
    bool m_checkQueued = false;
    bool m_ending = false;
};
