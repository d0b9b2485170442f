#include "session/mainwindow.h"
#include "session/logcategory.h"

#include "app/basevalues.h"
#include "app/launchparameter.h"
#include "app/platform.h"
#include "app/uitexts.h"
#include "app/userstore.h"
#include "app/waits.h"
#include "calendar/calendarexport.h"
#include "http/jsonread.h"
#include "http/servicetokenhttp.h"
#include "meeting/invitationtext.h"
#include "meeting/meetingoutcomes.h"
#include "meeting/sharemeeting.h"
#include "meetings/meetingactions.h"
#include "meetings/meetingstore.h"
#include "reminders/meetingreminders.h"
#include "reminders/remindercenter.h"
#include "sdk/joinchain.h"
#include "sdk/wemeetmanager.h"
#include "session/navigator.h"
#include "session/sessionrecovery.h"
#include "session/splashselect.h"
#include "widgets/messages.h"
#include "widgets/snackbar.h"
#include "widgets/twobtndlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <limits>

namespace {
// Renew this long before the token runs out.
constexpr qint64 refreshMarginSecs = 300;
// Never renew more often than this, however short the lifetime.
constexpr qint64 minRefreshSecs = 30;

void centreOnPrimaryScreen(QWidget *dialog)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    dialog->move((area.width() - dialog->width()) / 2, (area.height() - dialog->height()) / 2);
}
} // namespace

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    setWindowFlags(Qt::SubWindow);
    setAttribute(Qt::WA_TranslucentBackground);
    resize(1, 1);
    // Qt does not count a sub-window as a window that keeps the program
    // running: without this the run would end as soon as a screen closes
    // while only the Meeting SDK's windows are up (in a meeting). The run
    // ends when this window closes instead.
    QApplication::setQuitOnLastWindowClosed(false);
    Navigator::instance()->setCoordinator(this);

    const int interval = refreshIntervalMs(baseValues->serviceTokenExpiresIn);
    if (interval > 0) {
        m_refreshTimer = new QTimer();
        connect(m_refreshTimer, &QTimer::timeout, this, &MainWindow::refreshServiceTokenSlot);
        m_refreshTimer->start(interval);
    }
    loadLoginInfo();
    m_meetingStore = new MeetingStore(this);
    m_meetingActions = new MeetingActions(m_meetingStore, this);
    connect(m_meetingActions, &MeetingActions::joinFinished, this, &MainWindow::joinFinishedUnseen);
    m_reminders = new ReminderCenter(m_meetingStore, this);
    new SessionRecovery(this);
    connect(m_reminders, &ReminderCenter::joinRequested, Navigator::instance(), &Navigator::joinFromReminder);
    Navigator::instance()->showStartScreen(nullptr);
}

MainWindow *MainWindow::createConnected(QObject *instanceServer)
{
    auto *mainWindow = new MainWindow;
    WeMeetManager *manager = WeMeetManager::instance();
    if (instanceServer) {
        QObject::connect(instanceServer, SIGNAL(sendAppParamterSignal(QString)), mainWindow,
                         SLOT(receiveAppParameterSlot(QString)));
    }
    QObject::connect(manager, SIGNAL(OnLeaveMeetingFinishSignal(QString)), mainWindow,
                     SLOT(wmLeaveMeetingCompleteSlot(QString)));
    QObject::connect(manager, SIGNAL(OnLeaveWaitingRoomFinishSignal(QString)), mainWindow,
                     SLOT(wmLeaveWaitingRoomCompleteSlot(QString)));
    QObject::connect(manager, SIGNAL(OnLogoutFinishSignal()), mainWindow, SLOT(wmLogoutCompleteSlot()));
    QObject::connect(manager, SIGNAL(OnLogoutFailedSignal(QString)), mainWindow,
                     SLOT(wmLogoutFailedSlot(QString)));
    QObject::connect(manager, SIGNAL(OnForcedLogoutFinishSignal()), mainWindow,
                     SLOT(wmForcedLogoutCompleteSlot()));
    QObject::connect(manager, SIGNAL(OnShareToMeetingFinishSignal(QString)), mainWindow,
                     SLOT(wmShareToMeetingCompleteSlot(QString)));
    return mainWindow;
}

MainWindow::~MainWindow()
{
    delete m_refreshTimer;
}

int MainWindow::refreshIntervalMs(int expiresInSeconds)
{
    if (expiresInSeconds <= 0)
        return 0;
    qint64 secs = qint64(expiresInSeconds) - refreshMarginSecs;
    // A lifetime of five minutes or less: renew at half of it instead of a
    // zero or negative interval.
    if (secs <= 0)
        secs = qint64(expiresInSeconds) / 2;
    // Just over five minutes would otherwise renew every few seconds.
    secs = qMax(minRefreshSecs, secs);
    return int(qMin<qint64>(secs * 1000, std::numeric_limits<int>::max()));
}

void MainWindow::refreshServiceTokenSlot()
{
    // The previous renewal had its chance; its time-out result came long ago.
    delete m_refreshRequest;
    m_refreshRequest = new ServiceTokenHttp(this);
    m_refreshRequest->request();
}

void MainWindow::closeSelfSlot()
{
    close();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    qCDebug(lcSession) << "closeEvent";
    QMainWindow::closeEvent(event);
    // Only the program's own event loop is ended; before it runs there is
    // none, and a nested loop (a test's wait) is not the program's.
    if (event->isAccepted() && m_endsEventLoop)
        QCoreApplication::quit();
}

void MainWindow::wmLogoutCompleteSlot()
{
    m_reminders->stop();
    m_meetingStore->stop();
    Navigator *navigator = Navigator::instance();
    if (!baseValues->signedIn) {
        navigator->showStartScreen(nullptr);
        emit autoLoginSignal();
    } else if (baseValues->signOutRequested) {
        baseValues->signedIn = false;
        baseValues->signOutRequested = false;
        // The remembered choice is gone from User.dat; without this the
        // start screen would sign straight back in.
        baseValues->autoLogin.clear();
        forgetPhone();
        navigator->showStartScreen(nullptr, Navigator::StartReason::Returned);
        emit autoLoginSignal();
    } else {
        // The signed-in client was closed: the run is over. The SDK is
        // uninitialised by the normal shutdown once the event loop ends.
        baseValues->signedIn = false;
        navigator->endRun();
    }
}

// The next person at the machine must not be offered the last user's phone
// (a guest's phone check starts from it otherwise).
void MainWindow::forgetPhone()
{
    baseValues->telephone.clear();
    baseValues->mobileCountryCode.clear();
}

void MainWindow::wmLogoutFailedSlot(QString result)
{
    qCDebug(lcSession).noquote() << "Meeting SDK sign-out failed or did not answer:" << result;
    wmLogoutCompleteSlot();
}

void MainWindow::wmForcedLogoutCompleteSlot()
{
    // Called from within the Meeting SDK's callback, which must not be held
    // up by anything the user has to answer.
    QMetaObject::invokeMethod(this, &MainWindow::showForcedLogout, Qt::QueuedConnection);
}

void MainWindow::showForcedLogout()
{
    // The session is over on this device.
    m_reminders->stop();
    m_meetingStore->stop();
    baseValues->signedIn = false;
    baseValues->signOutRequested = false;
    baseValues->autoLoginBlocked = true;
    forgetPhone();
    // Questions of this window are about a session that no longer exists.
    const QList<TwoBtnDlg *> questions = findChildren<TwoBtnDlg *>(QString(), Qt::FindDirectChildrenOnly);
    for (TwoBtnDlg *question : questions)
        question->close();
    SplashSelect *splash =
        Navigator::instance()->showStartScreen(nullptr, Navigator::StartReason::ForcedLogout);
    connect(this, &MainWindow::forcedLogoutSignal, splash, &SplashSelect::forcedLogoutSlot);
    emit forcedLogoutSignal();
    disconnect(this, &MainWindow::forcedLogoutSignal, splash, &SplashSelect::forcedLogoutSlot);
}

void MainWindow::wmLeaveMeetingCompleteSlot(QString result)
{
    if (!result.isEmpty()) {
        showNotice(result);
        return;
    }
    if (baseValues->signedIn)
        Navigator::instance()->showHomeScreen(nullptr);
    else
        WeMeetManager::instance()->logout();
}

void MainWindow::wmLeaveWaitingRoomCompleteSlot(QString result)
{
    if (!result.isEmpty()) {
        showNotice(result);
        return;
    }
    if (!baseValues->signedIn)
        WeMeetManager::instance()->logout();
}

void MainWindow::wmShareToMeetingCompleteSlot(QString jsonInfo)
{
    emit closeShareMeetingSignal();
    const QJsonObject info = InvitationText::readSdkInfo(jsonInfo);
    ShareMeeting *share = Navigator::instance()->openInvitation(InvitationText::fromSdkInfo(info));
    // The SDK names no meeting id, and its subject and times are the running
    // meeting's: a meeting of the list is exported as the list has it, so
    // both roads give the one event.
    const QString code = JsonRead::text(info.value(QStringLiteral("meeting_code")));
    const std::optional<MeetingRecord> listed = m_meetingStore->byCode(code);
    const CalendarEvent fromSdk = CalendarExport::fromSdkInfo(info, QString());
    CalendarEvent event = listed ? CalendarExport::fromRecord(*listed) : fromSdk;
    event.url = fromSdk.url;
    share->setCalendarEvent(event);
    connect(this, &MainWindow::closeShareMeetingSignal, share, &ShareMeeting::onCloseBtnClicked);
}

void MainWindow::receiveAppParameterSlot(QString appParameter)
{
    qCDebug(lcSession).noquote() << QStringLiteral("receiveAppParameter = %1").arg(appParameter);
    baseValues->linkInfo = parseLaunchParameter(appParameter);
    const QMap<QString, QString> &link = baseValues->linkInfo;
    const QString meetingCode = link.value(QStringLiteral("meetingCode"));
    qCDebug(lcSession).noquote() << QStringLiteral("baseValues.companyCode == ") + baseValues->companyCode;
    qCDebug(lcSession).noquote() << QStringLiteral("baseValues.userName == ") + baseValues->userName;

    if (baseValues->signedIn && linkNamesOtherAccount(link)) {
        qCDebug(lcSession).noquote() << UiText::differentAccount;
        dropJoinNewQuestion();
        QMetaObject::invokeMethod(this, "showDifferentAccountLoginMsgSlot", Qt::QueuedConnection);
        return;
    }

    WeMeetManager *manager = WeMeetManager::instance();
    // From the guest token on, not only once the Meeting SDK is asked: the
    // screens must not be handed a second meeting halfway through the first.
    QString underWay = JoinChain::meetingUnderWay();
    const bool joining = !underWay.isEmpty() || manager->state() == WeMeetManager::Joining;
    if (underWay.isEmpty())
        underWay = baseValues->pendingMeetingCode;
    if (joining) {
        // Already joining it, or refused: either way leaving must not join it later.
        baseValues->linkInfo.clear();
        if (meetingCode != underWay)
            QMetaObject::invokeMethod(this, "showJoiningMeetingMsgSlot", Qt::QueuedConnection);
        return;
    }
    switch (manager->state()) {
    case WeMeetManager::InMeeting:
        if (baseValues->currentMeetingCode.isEmpty() || baseValues->currentMeetingCode == meetingCode) {
            dropJoinNewQuestion();
            baseValues->linkInfo.clear();
        } else
            QMetaObject::invokeMethod(this, "showJoinNewMeetingMsgSlot", Qt::QueuedConnection);
        break;
    default:
        emit manager->linkJoinMeetingSignal();
        break;
    }
}

void MainWindow::showDifferentAccountLoginMsgSlot()
{
    baseValues->linkInfo.clear();
    emit WeMeetManager::instance()->avoidShowSameDialogSignal();
    centreOnPrimaryScreen(Messages::tell(this, UiText::differentAccount, UiText::gotIt));
}

void MainWindow::showJoiningMeetingMsgSlot()
{
    baseValues->linkInfo.clear();
    emit WeMeetManager::instance()->avoidShowSameDialogSignal();
    centreOnPrimaryScreen(Messages::tell(this, UiText::joiningOtherMeeting, UiText::gotIt));
}

void MainWindow::showJoinNewMeetingMsgSlot()
{
    if (m_joinNewQuestion) {
        // linkInfo already holds the newer link: the open question joins it.
        m_joinNewQuestion->raise();
        m_joinNewQuestion->activateWindow();
        return;
    }
    emit WeMeetManager::instance()->avoidShowSameDialogSignal();
    TwoBtnDlg *question =
        Messages::ask(this, UiText::leaveForNewMeeting, UiText::cancel, UiText::ok, [](bool confirmed) {
            if (confirmed) {
                // The link stays: the home screen that the leave brings joins from it.
                WeMeetManager::instance()->leaveMeeting();
            } else {
                baseValues->linkInfo.clear();
            }
        });
    m_joinNewQuestion = question;
    centreOnPrimaryScreen(question);
}

void MainWindow::dropJoinNewQuestion()
{
    // Its link was replaced by one that asks for something else.
    if (m_joinNewQuestion)
        m_joinNewQuestion->closeBtnDlgSlot();
}

// A join no home screen shows (a reminder's while none is open) still tells
// how it ended.
void MainWindow::joinFinishedUnseen(const JoinOutcome &outcome)
{
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window->inherits("HomeScreen") && window->isVisible())
            return;
    }
    if (outcome.kind == JoinOutcome::Kind::Notice || outcome.kind == JoinOutcome::Kind::JoinFailed)
        showNotice(outcome.text);
    else if (outcome.kind != JoinOutcome::Kind::Joined)
        MeetingOutcomes::showJoin(nullptr, outcome,
                                  [] { Navigator::instance()->meetingActions()->joinAdmitted(); });
}

void MainWindow::showNotice(const QString &text)
{
    Messages::notice(this, text);
    // Over this window the notice would sit off screen, like the window.
    const QList<Snackbar *> notices = findChildren<Snackbar *>(QString(), Qt::FindDirectChildrenOnly);
    if (!notices.isEmpty())
        centreOnPrimaryScreen(notices.last());
}
