#include "session/navigator.h"
#include "session/logcategory.h"

#include "app/basevalues.h"
#include "app/userstore.h"
#include "app/waits.h"
#include "http/sessionwatch.h"
#include "login/accountlogin.h"
#include "login/phonelogin.h"
#include "login/phonenumberpatch.h"
#include "login/qrcodelogin.h"
#include "meeting/activityapprove.h"
#include "meeting/homescreen.h"
#include "meeting/joinmeeting.h"
#include "meeting/phonenumberverify.h"
#include "meeting/schedulemeeting.h"
#include "meeting/sharemeeting.h"
#include "meetings/meetingactions.h"
#include "meetings/meetingstore.h"
#include "reminders/remindercenter.h"
#include "sdk/wemeetmanager.h"
#include "session/mainwindow.h"
#include "session/splashselect.h"
#include "session/trayicon.h"
#include "widgets/messages.h"

#include <QCoreApplication>
#include <QDebug>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace {

// Marks the windows whose place the next screen takes over.
const char placedProperty[] = "veskPlaced";

// Hides and closes of tracked windows re-check the end of the run; moves of
// placed ones (also by the window manager) are remembered for the next one.
class WindowWatch final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *window = static_cast<QWidget *>(watched);
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Show:
            if (window->isVisible() && window->property(placedProperty).toBool())
                Navigator::instance()->rememberPlace(window->pos());
            break;
        case QEvent::Hide:
        case QEvent::Close:
            if (qobject_cast<HomeScreen *>(window) && window->screen())
                saveHomePlace(window->pos(), window->screen()->name());
            Navigator::instance()->checkEndOfRun();
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }
};

// A dialog of its owner's size that the user dragged away takes its owner
// along when it goes: the owner appears where the user last looked.
class OwnerFollows final : public QObject
{
public:
    OwnerFollows(QWidget *dialog, QWidget *owner) : QObject(dialog), m_owner(owner)
    {
        dialog->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *dialog = static_cast<QWidget *>(watched);
        if (event->type() == QEvent::Hide && m_owner && m_owner->isVisible() &&
            dialog->pos() != m_owner->pos())
            m_owner->move(dialog->pos());
        return QObject::eventFilter(watched, event);
    }

private:
    QPointer<QWidget> m_owner;
};

// Where a window of size goes that was last at topLeft on the screen named
// screenName: there, kept inside that screen's free area; on the primary
// screen when that screen is gone.
QPoint insideScreen(QPoint topLeft, const QString &screenName, const QSize &size)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    for (QScreen *candidate : QGuiApplication::screens()) {
        if (candidate->name() == screenName)
            screen = candidate;
    }
    if (!screen)
        return topLeft;
    const QRect area = screen->availableGeometry();
    topLeft.setX(qMax(area.left(), qMin(topLeft.x(), area.right() + 1 - size.width())));
    topLeft.setY(qMax(area.top(), qMin(topLeft.y(), area.bottom() + 1 - size.height())));
    return topLeft;
}

} // namespace

Navigator *Navigator::instance()
{
    static Navigator *navigator = [] {
        auto *created = new Navigator();
        WeMeetManager *manager = WeMeetManager::instance();
        for (auto signal :
             {&WeMeetManager::OnJoinMeetingFinishSignal, &WeMeetManager::OnLeaveMeetingFinishSignal,
              &WeMeetManager::OnLeaveWaitingRoomFinishSignal, &WeMeetManager::OnLogoutFailedSignal})
            connect(manager, signal, created, [created] { created->checkEndOfRun(); });
        connect(manager, &WeMeetManager::OnLogoutFinishSignal, created,
                [created] { created->checkEndOfRun(); });
        connect(manager, &WeMeetManager::linkJoinMeetingSignal, created, &Messages::dismissQuestions);
        connect(manager, &WeMeetManager::OnLeaveMeetingFinishSignal, created, &Messages::dismissQuestions);
        // Another part of the client is about to show a message of this kind.
        connect(manager, &WeMeetManager::avoidShowSameDialogSignal, created, &Messages::dismissMessages);
        // The home screen reloads by itself; a form's action is the user's to repeat.
        connect(SessionWatch::instance(), &SessionWatch::renewed, created, [created] {
            const QList<QWidget *> open = created->openWindows();
            if (!open.isEmpty() && !qobject_cast<HomeScreen *>(open.last()))
                Messages::notice(open.last(), QStringLiteral("已重新登录，请再试一次"));
        });
        return created;
    }();
    return navigator;
}

void Navigator::setCoordinator(MainWindow *coordinator)
{
    // A new coordinator starts a new run.
    m_ending = false;
    m_coordinator = coordinator;
}

MainWindow *Navigator::coordinator() const
{
    return m_coordinator;
}

MeetingStore *Navigator::meetingStore()
{
    if (m_coordinator)
        return m_coordinator->meetingStore();
    if (!m_ownStore)
        m_ownStore = new MeetingStore(this);
    return m_ownStore;
}

MeetingActions *Navigator::meetingActions()
{
    if (m_coordinator)
        return m_coordinator->meetingActions();
    if (!m_ownActions)
        m_ownActions = new MeetingActions(meetingStore(), this);
    return m_ownActions;
}

QList<QWidget *> Navigator::openWindows() const
{
    QList<QWidget *> open;
    for (const QPointer<QWidget> &window : m_windows) {
        if (window && window->isVisible())
            open.append(window);
    }
    return open;
}

void Navigator::track(QWidget *window)
{
    if (!window)
        return;
    // A window shown after the end was decided means the run goes on.
    m_ending = false;
    static auto *watch = new WindowWatch(this);
    window->installEventFilter(watch);
    connect(window, &QObject::destroyed, this, [this] { checkEndOfRun(); });
    m_windows.append(window);
}

void Navigator::rememberPlace(const QPoint &place)
{
    m_lastPlace = place;
    m_hasLastPlace = true;
}

void Navigator::place(QWidget *window, QWidget *from)
{
    window->setProperty(placedProperty, true);
    // A visible window is where it is now; a closed or hidden one (and none
    // at all: after a meeting or a sign-out) where the last screen was.
    if (from && from->isVisible())
        window->move(from->pos());
    else if (m_hasLastPlace)
        window->move(m_lastPlace);
    else if (from)
        window->move(from->pos());
}

void Navigator::centreOver(QWidget *window, const QWidget *over)
{
    if (!window || !over)
        return;
    const QRect area = over->frameGeometry();
    window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
}

void Navigator::rememberCentreOf(const QWidget *window, const QSize &nextSize)
{
    if (window)
        rememberPlace(window->frameGeometry().center() - QPoint(nextSize.width() / 2, nextSize.height() / 2));
}

void Navigator::handOver(QWidget *from, QWidget *next)
{
    track(next);
    place(next, from);
    next->show();
    if (from)
        from->close();
}

void Navigator::openOver(QWidget *owner, QWidget *dialog)
{
    track(dialog);
    place(dialog, owner);
    if (owner) {
        // The dialog goes with the screen that opened it. Its closing
        // signals must not reach the owner, which is half destroyed by then.
        connect(owner, &QObject::destroyed, dialog, [owner, dialog] {
            QObject::disconnect(dialog, nullptr, owner, nullptr);
            dialog->close();
        });
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

// --- Start screen -----------------------------------------------------------

SplashSelect *Navigator::showStartScreen(QWidget *from, StartReason reason)
{
    // Signed out: the tray icon goes with the account.
    if (m_tray) {
        m_tray->hide();
        m_tray->setHomeScreen(nullptr);
    }
    auto *splash = new SplashSelect();
    if (reason != StartReason::Normal)
        splash->suppressAutoLogin();
    connect(splash, &SplashSelect::closeSelfSignal, this, &Navigator::checkEndOfRun);
    handOver(from, splash);
    return splash;
}

// --- Account sign-in ----------------------------------------------------------

AccountLogin *Navigator::showAccountLogin(QWidget *from, const QString &type)
{
    auto *login = new AccountLogin(type);
    handOver(from, login);
    return login;
}

AccountLogin *Navigator::showAccountLoginFromLink(QWidget *from, const QString &companyCode,
                                                  const QString &userName)
{
    AccountLogin *login = showAccountLogin(from, QStringLiteral("1"));
    login->simulateLogin(companyCode, userName);
    return login;
}

// --- Phone sign-in ------------------------------------------------------------

PhoneLogin *Navigator::showPhoneLogin(QWidget *from, const QString &type)
{
    auto *login = new PhoneLogin(type);
    handOver(from, login);
    return login;
}

// --- QR-code sign-in ----------------------------------------------------------

QRCodeLogin *Navigator::showQRCodeLogin(QWidget *from, const QString &returnTo)
{
    auto *login = new QRCodeLogin(returnTo);
    handOver(from, login);
    return login;
}

// --- Phone-number completion --------------------------------------------------

PhoneNumberPatch *Navigator::showPhoneNumberPatch(QWidget *from, int origin)
{
    auto *patch = new PhoneNumberPatch(origin);
    handOver(from, patch);
    return patch;
}

// --- Home screen ----------------------------------------------------------------

HomeScreen *Navigator::showHomeScreen(QWidget *from)
{
    auto *home = new HomeScreen();
    if (m_coordinator) {
        ReminderCenter *reminders = m_coordinator->reminders();
        connect(home, &HomeScreen::reminderSwitchedSignal, reminders, &ReminderCenter::setEnabled);
    }
    // The first home screen of a run goes where the home screen was last.
    QPoint remembered;
    QString screenName;
    if (!m_homePlaced && loadHomePlace(&remembered, &screenName)) {
        track(home);
        home->setProperty(placedProperty, true);
        home->move(insideScreen(remembered, screenName, home->size()));
        home->show();
        if (from)
            from->close();
    } else {
        handOver(from, home);
    }
    m_homePlaced = true;
    if (TrayIcon::supported()) {
        if (!m_tray) {
            m_tray = new TrayIcon(this);
            connect(m_tray, &TrayIcon::quitRequested, this, [this] {
                if (HomeScreen *shown = m_tray->homeScreen())
                    shown->close();
            });
        }
        m_tray->setHomeScreen(home);
        m_tray->show();
    }
    return home;
}

void Navigator::signInAgain(const QString &why)
{
    HomeScreen *home = nullptr;
    ScheduleMeeting *form = nullptr;
    for (QWidget *window : openWindows()) {
        if (auto *h = qobject_cast<HomeScreen *>(window))
            home = h;
        else if (auto *f = qobject_cast<ScheduleMeeting *>(window))
            form = f;
    }
    // In a meeting or on the way to one there is no home screen; the next
    // one starts from a sign-in anyway.
    if (!home)
        return;
    if (!form) {
        leaveForSignIn(home, why);
        return;
    }
    QPointer<HomeScreen> guarded(home);
    Messages::ask(form, QStringLiteral("%1。\n正在填写的会议信息尚未保存，重新登录后需要重新填写。").arg(why),
                  QStringLiteral("留在此页"), QStringLiteral("重新登录"),
                  [this, guarded, why](bool confirmed) {
                      if (confirmed && guarded && baseValues->signedIn)
                          leaveForSignIn(guarded, why);
                  });
}

void Navigator::leaveForSignIn(HomeScreen *home, const QString &why)
{
    baseValues->signedIn = false;
    if (m_coordinator) {
        m_coordinator->reminders()->stop();
        m_coordinator->meetingStore()->stop();
    }
    if (m_tray)
        m_tray->hide();
    home->handOverWithoutSignOut();
    // The Meeting SDK still holds the old sign-in; the sign-in screen signs
    // in anew.
    WeMeetManager::instance()->logoutQuietly();
    // A copy: the sign-in screen reloads the remembered values as it opens.
    const BaseValues v = *baseValues;
    if (!v.phoneTelephone.isEmpty() && v.phoneUserName == v.userName) {
        showPhoneLogin(home, QString::number(v.phoneAccountType))
            ->resumeSession(v.phoneCompanyCode, v.phoneTelephone, why);
    } else if (v.autoLogin == QLatin1String("3")) {
        QRCodeLogin *login = showQRCodeLogin(home, QStringLiteral("AccountLogin"));
        Messages::notice(login, why);
    } else {
        const bool remembered = v.accountCompanyCode.compare(v.companyCode, Qt::CaseInsensitive) == 0;
        showAccountLogin(home, QString::number(qMax(1, v.accountType)))
            ->resumeSession(remembered ? v.accountCompanyCode : v.companyCode,
                            remembered ? v.accountUserName : QString(), why);
    }
}

bool Navigator::closeToTray(HomeScreen *home)
{
    if (!m_tray || m_tray->homeScreen() != home || !m_tray->keepsOnClose())
        return false;
    qCDebug(lcSession) << "home screen kept in the tray";
    home->hide();
    return true;
}

void Navigator::joinFromReminder(const QString &meetingCode)
{
    // The home screen may be waiting in the tray.
    for (const QPointer<QWidget> &window : m_windows) {
        if (auto *home = qobject_cast<HomeScreen *>(window.data())) {
            home->showNormal();
            home->raise();
            home->activateWindow();
            break;
        }
    }
    // A home screen shows the join as its own (it listens to the actions).
    if (!meetingActions()->join(meetingCode, true))
        qCDebug(lcSession).noquote() << "reminder join refused, another join is under way:" << meetingCode;
}

// --- Join dialog ----------------------------------------------------------------

JoinMeeting *Navigator::openJoinMeeting(QWidget *owner, const QString &meetingNo, const QString &nickname)
{
    auto *dialog = new JoinMeeting(meetingNo, nickname);
    if (owner)
        new OwnerFollows(dialog, owner);
    QPointer<QWidget> from(owner);
    connect(dialog, &JoinMeeting::signInRequested, this, [this, from] {
        if (from && !baseValues->signedIn)
            showAccountLogin(from, QStringLiteral("1"));
    });
    openOver(owner, dialog);
    return dialog;
}

// --- Activity admission and phone verification ------------------------------

ActivityApprove *Navigator::openActivityApprove(QWidget *owner, const QString &url, const QString &meetingId,
                                                const QString &telephone, const QString &mobileCountryCode)
{
    auto *dialog = new ActivityApprove(url, meetingId, telephone, mobileCountryCode);
    openOver(owner, dialog);
    return dialog;
}

PhoneNumberVerify *Navigator::openPhoneNumberVerify(QWidget *owner, const QString &meetingNo,
                                                    const QString &nickname, const QString &telephone,
                                                    const QString &mobileCountryCode)
{
    auto *dialog = new PhoneNumberVerify(meetingNo, nickname, telephone, mobileCountryCode);
    openOver(owner, dialog);
    return dialog;
}

// --- Scheduling -------------------------------------------------------------------

ScheduleMeeting *Navigator::openScheduleMeeting(QWidget *owner, const QString &meetingCode)
{
    // One scheduling dialog at a time: a second click raises the open one.
    static QPointer<ScheduleMeeting> open;
    if (open && open->isVisible()) {
        open->raise();
        open->activateWindow();
        return open;
    }
    auto *dialog = new ScheduleMeeting(meetingCode);
    if (auto *home = qobject_cast<HomeScreen *>(owner)) {
        connect(dialog, &ScheduleMeeting::sendTmMtgUpdatedSignal, home, &HomeScreen::tmMtgUpdatedSlot);
        connect(dialog, &ScheduleMeeting::meetingSavedSignal, home, &HomeScreen::meetingSavedSlot);
    }
    open = dialog;
    openOver(owner, dialog);
    return dialog;
}

// --- Invitation -------------------------------------------------------------------

ShareMeeting *Navigator::openInvitation(const QString &text, QWidget *over)
{
    auto *share = new ShareMeeting(text, nullptr);
    if (over && over->isVisible())
        centreOver(share, over);
    share->show();
    share->activateWindow();
    return share;
}

// --- End of the run -----------------------------------------------------------

void Navigator::checkEndOfRun()
{
    if (m_checkQueued || m_ending)
        return;
    m_checkQueued = true;
    // After the current event: a hand-over shows the next window before the
    // current one closes, and a closing window is still visible right now.
    QTimer::singleShot(0, this, [this] {
        m_checkQueued = false;
        evaluateEndOfRun();
    });
}

void Navigator::evaluateEndOfRun()
{
    if (m_ending || !openWindows().isEmpty())
        return;
    if (m_tray && m_tray->holdsHomeScreen())
        return; // closed to the tray: the run goes on until "退出"
    WeMeetManager *manager = WeMeetManager::instance();
    if (manager->state() >= WeMeetManager::Joining)
        return; // a join is pending or a meeting runs
    if (manager->isLogoutPending()) {
        // The sign-out's answer decides what comes next (the start screen
        // after "退出登录", the end after a close); do not wait for it for ever.
        if (!m_logoutWait) {
            m_logoutWait = new QTimer(this);
            m_logoutWait->setSingleShot(true);
            connect(m_logoutWait, &QTimer::timeout, this, &Navigator::logoutWaitOver);
        }
        if (!m_logoutWait->isActive())
            m_logoutWait->start(Waits::sdkResponseMs);
        return;
    }
    if (baseValues && baseValues->signedIn && manager->state() == WeMeetManager::SignedIn) {
        // Signed in with nothing on screen only between a hand-over's steps;
        // closing the home screen always asks for the sign-out above.
        qCDebug(lcSession) << "signed in without a window; waiting for the next screen";
        return;
    }
    endRun();
}

void Navigator::logoutWaitOver()
{
    if (m_ending || !openWindows().isEmpty() || !WeMeetManager::instance()->isLogoutPending())
        return;
    WeMeetManager::instance()->forgetPendingLogout();
    qCDebug(lcSession) << "Meeting SDK sign-out did not answer within" << Waits::sdkResponseMs << "ms";
    if (m_coordinator)
        m_coordinator->wmLogoutFailedSlot(QString());
    else
        endRun();
}

void Navigator::endRun()
{
    if (m_ending)
        return;
    m_ending = true;
    qCDebug(lcSession) << "no window open, no meeting: the run ends";
    if (m_tray)
        m_tray->hide();
    emit runEnded();
    // Closing the coordinator ends the event loop (and with it the run).
    if (m_coordinator)
        m_coordinator->closeSelfSlot();
}
