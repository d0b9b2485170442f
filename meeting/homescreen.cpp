#include "meeting/homescreen.h"
#include "session/navigator.h"
#include "ui_homescreen.h"

#include "app/basevalues.h"
#include "app/uitexts.h"
#include "app/userstore.h"
#include "app/waits.h"
#include "calendar/calendarexport.h"
#include "http/usermessage.h"
#include "meeting/joinmeeting.h"
#include "meeting/meetinglistarea.h"
#include "meeting/meetingoutcomes.h"
#include "meeting/mtgitem.h"
#include "meeting/userpop.h"
#include "meetings/meetingactions.h"
#include "meetings/meetingstore.h"
#include "sdk/wemeetmanager.h"
#include "widgets/messages.h"
#include "widgets/snackbar.h"
#include "widgets/waitingspinnerwidget.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QTimer>

HomeScreen::HomeScreen(QWidget *parent) : BorderDialog(parent), ui(std::make_unique<Ui::HomeScreen>())
{
    ui->setupUi(this);

    const std::pair<QWidget *, const char *> styles[] = {
        {ui->lblLogo, "smallLogoQLabel"}, {ui->lblTitle, "messageQLabel"},
        {ui->pBtnMin, "titlePushButton"}, {ui->pBtnClose, "titlePushButton"},
        {ui->pBtnSet, "iconPushButton"},  {ui->pBtnJoin, "btnMtgJoin"},
        {ui->pBtnQuick, "btnMtgQuick"},   {ui->pBtnCreate, "btnMtgCreate"},
        {ui->pBtnCast, "btnMtgCast"},     {ui->lblJoin, "messageQLabel"},
        {ui->lblQuick, "messageQLabel"},  {ui->lblCreate, "messageQLabel"},
        {ui->lblCast, "messageQLabel"}};
    for (const auto &[widget, name] : styles)
        widget->setObjectName(QLatin1String(name));
    ui->lblLogo->clear();
    ui->lblTitle->setText(QStringLiteral("Vesk云会议"));
    // Never clip the title, whatever font the system substitutes.
    ui->lblTitle->ensurePolished();
    ui->lblTitle->resize(
        qMax(ui->lblTitle->width(), ui->lblTitle->fontMetrics().horizontalAdvance(ui->lblTitle->text()) + 4),
        ui->lblTitle->height());
    setFocus();
    setUpWindow(baseValues->appName);
    m_spinner = new WaitingSpinnerWidget(this, true, true);

    Navigator *navigator = Navigator::instance();
    m_store = navigator->meetingStore();
    m_actions = navigator->meetingActions();
    connect(m_store, &MeetingStore::meetingsChanged, this, &HomeScreen::showMeetings);
    connect(m_store, &MeetingStore::refreshFinished, this, &HomeScreen::listRefreshed);
    connect(m_actions, &MeetingActions::joinStarted, this, [this] { showBusy(UiText::joiningMeeting); });
    connect(m_actions, &MeetingActions::joining, this, &HomeScreen::joinRequested);
    connect(m_actions, &MeetingActions::joinFinished, this, &HomeScreen::joinFinished);
    connect(m_actions, &MeetingActions::finished, this, &HomeScreen::actionFinished);

    connect(ui->pBtnMin, &QPushButton::clicked, this, &QWidget::showMinimized);
    connect(ui->pBtnClose, &QPushButton::clicked, this, &HomeScreen::onCloseBtnClicked);
    connect(ui->pBtnSet, &QPushButton::clicked, this, &HomeScreen::onSetBtnClicked);
    connect(ui->pBtnJoin, &QPushButton::clicked, this, &HomeScreen::onJoinBtnClicked);
    connect(ui->pBtnQuick, &QPushButton::clicked, this, &HomeScreen::onQuickBtnClicked);
    connect(ui->pBtnCreate, &QPushButton::clicked, this, &HomeScreen::onCreateBtnClicked);
    connect(ui->pBtnCast, &QPushButton::clicked, WeMeetManager::instance(),
            &WeMeetManager::showScreenCastView);

    WeMeetManager *manager = WeMeetManager::instance();
    connect(manager, &WeMeetManager::OnForcedLogoutFinishSignal, this,
            &HomeScreen::wmForcedLogoutCompleteSlot);
    connect(manager, &WeMeetManager::linkJoinMeetingSignal, this, &HomeScreen::linkJoinMeetingSlot);

    m_listArea = new MeetingListArea(ui->scMtgList, ui->emptyWidget, ui->lblempty, this);
    connect(m_listArea, &MeetingListArea::rowCreated, this, &HomeScreen::connectRow);
    connect(m_listArea, &MeetingListArea::retryClicked, this, &HomeScreen::loadMeetingList);

    // The first load starts once the constructor is back in the event loop.
    connect(this, &HomeScreen::uiLoadedFinishSignal, this, &HomeScreen::uiLoadedFinishSlot,
            Qt::QueuedConnection);
    emit uiLoadedFinishSignal();
}

HomeScreen::~HomeScreen() = default;

// Closing signs out of the Meeting SDK (closeEvent), which ends the run.
void HomeScreen::onCloseBtnClicked()
{
    close();
}

void HomeScreen::onJoinBtnClicked()
{
    JoinMeeting *dialog = Navigator::instance()->openJoinMeeting(this, QString(), QString());
    dialog->offerClipboardNumber();
    // The dialog also finishes on a failed join: the home screen stays then.
    connect(dialog, &JoinMeeting::joinMeetingFinishSignal, this, [this, dialog] {
        if (dialog->outcome() == JoinMeeting::Outcome::Joined)
            closeHandedOver();
        else if (dialog->outcome() == JoinMeeting::Outcome::Failed && !dialog->joinResult().isEmpty())
            Messages::notice(this, dialog->joinResult());
    });
}

void HomeScreen::onCreateBtnClicked()
{
    Navigator::instance()->openScheduleMeeting(this, QString());
}

void HomeScreen::onQuickBtnClicked()
{
    QMetaObject::invokeMethod(this, "quickMeetingSlot", Qt::QueuedConnection);
}

void HomeScreen::onSetBtnClicked()
{
    auto *pop = new userPop(nullptr);
    connect(pop, &userPop::appLogoutSignal, this, &HomeScreen::appLogoutSlot);
    connect(pop, &userPop::reminderSwitchedSignal, this, &HomeScreen::reminderSwitchedSignal);
    pop->openBeside(this, ui->pBtnSet);
}

// --- the meeting list ------------------------------------------------------------

void HomeScreen::uiLoadedFinishSlot()
{
    loadMeetingList();
    linkJoinMeetingSlot();
}

void HomeScreen::tmMtgUpdatedSlot()
{
    loadMeetingList();
}

void HomeScreen::loadMeetingList()
{
    m_loadAsked = true;
    if (!m_store->hasList() || m_listArea->showsLoadFailed()) {
        m_listArea->showNothing();
        showBusy(QStringLiteral("正在加载会议列表..."));
        m_listBusy = true;
    }
    if (m_store->isRunning())
        m_store->refresh();
    else
        m_store->start();
}

// Every answer of the store, whether this screen asked or its timer did.
void HomeScreen::listRefreshed(const ServiceReply &reply)
{
    const bool asked = std::exchange(m_loadAsked, false);
    // Only the spinner of this screen's own load: a close or join may be under way.
    if (std::exchange(m_listBusy, false))
        m_spinner->stop();
    if (!reply.succeeded() && asked)
        Messages::notice(this, userMessage(reply));
    // The last good list stays after a failure, saying how old it is.
    m_listArea->setListAge(reply.succeeded() ? QDateTime() : m_store->updatedAt());
    // A screen that hid its list to load shows what there is now.
    if (m_listArea->showsNothing())
        showMeetings();
}

void HomeScreen::showMeetings()
{
    // Nothing to show: a blank area would leave nothing to do but sign out.
    if (m_store->hasList())
        m_listArea->showMeetings(m_store->meetings());
    else
        m_listArea->showLoadFailed();
}

// Row widgets are made as they scroll into view and then reused; each is wired once.
void HomeScreen::connectRow(mtgItem *row)
{
    connect(row, &mtgItem::joinMeetingSignal, this, &HomeScreen::joinMeetingSlot);
    connect(row, &mtgItem::mtgInviteSignal, this, &HomeScreen::mtgInviteSlot);
    connect(row, &mtgItem::mtgChangeSignal, this, &HomeScreen::mtgChangeSlot);
    connect(row, &mtgItem::mtgCloseSignal, this, &HomeScreen::mtgCloseSlot);
    connect(row, &mtgItem::mtgActChangeSignal, this, &HomeScreen::mtgActChangeSlot);
}

// --- row menu ----------------------------------------------------------------------

void HomeScreen::mtgInviteSlot(QString meetingNo)
{
    m_actions->invite(meetingNo);
    showBusy(QStringLiteral("获取邀请信息..."));
    QTimer::singleShot(Waits::spinnerFallbackMs, this, &HomeScreen::stopWaitingSlot);
}

void HomeScreen::mtgChangeSlot(QString meetingNo)
{
    Navigator::instance()->openScheduleMeeting(this, meetingNo);
}

void HomeScreen::mtgActChangeSlot(QString meetingId)
{
    m_actions->openActivityPage(meetingId);
}

void HomeScreen::mtgCloseSlot(QString meetingId)
{
    Messages::ask(this, QStringLiteral("关闭会议后不可恢复，是否确定继续该操作？"), UiText::cancel,
                  UiText::ok, [this, meetingId](bool confirmed) {
                      if (!confirmed)
                          return;
                      showBusy(QStringLiteral("正在关闭会议..."));
                      m_actions->close(meetingId);
                  });
}

void HomeScreen::actionFinished(const MeetingOutcome &outcome)
{
    m_spinner->stop();
    const std::optional<MeetingRecord> listed = m_store->byCode(outcome.meeting);
    MeetingOutcomes::show(this, outcome, listed ? CalendarExport::fromRecord(*listed) : CalendarEvent());
}

void HomeScreen::meetingSavedSlot(CalendarEvent event, bool created)
{
    MeetingOutcomes::offerCalendar(this, m_actions, event,
                                   created ? QStringLiteral("预定成功") : QStringLiteral("修改成功"));
}

// --- joining ---------------------------------------------------------------------------

void HomeScreen::joinMeetingSlot(QString meetingNo)
{
    if (!m_actions->join(meetingNo))
        Messages::tell(this, UiText::joiningOtherMeeting, UiText::gotIt);
}

void HomeScreen::activityApproveOkSlot()
{
    QMetaObject::invokeMethod(this, "directJoinMeetingSlot", Qt::QueuedConnection);
}

void HomeScreen::directJoinMeetingSlot()
{
    m_actions->joinAdmitted();
}

void HomeScreen::joinRequested()
{
    showBusy(UiText::joiningMeeting);
    QTimer::singleShot(Waits::spinnerFallbackMs, this, [this] {
        // Still waiting for the Meeting SDK: say so instead of going quiet.
        if (m_spinner->isSpinning())
            Snackbar::showMessage(UiText::joinNoAnswer, this, Waits::noticeMs);
        stopWaitingSlot();
    });
}

// A failed join keeps the home screen: closing it would leave the user
// signed in with no window at all.
void HomeScreen::joinFinished(const JoinOutcome &outcome)
{
    m_spinner->stop();
    if (outcome.kind == JoinOutcome::Kind::Joined)
        closeDialogSlot();
    else
        MeetingOutcomes::showJoin(this, outcome, [this] { activityApproveOkSlot(); });
}

void HomeScreen::closeDialogSlot()
{
    m_spinner->stop();
    closeHandedOver();
}

void HomeScreen::stopWaitingSlot()
{
    m_spinner->stop();
}

void HomeScreen::showBusy(const QString &text)
{
    m_spinner->setText(text);
    m_spinner->start();
}

void HomeScreen::quickMeetingSlot()
{
    showBusy(UiText::joiningMeeting);
    m_actions->quickMeeting();
}

void HomeScreen::linkJoinMeetingSlot()
{
    const MeetingActions::LinkRequest request = m_actions->followLink();
    if (request == MeetingActions::LinkRequest::OtherAccount)
        QMetaObject::invokeMethod(this, "showDifferentAccountLoginMsgSlot", Qt::QueuedConnection);
    else if (request != MeetingActions::LinkRequest::None)
        showBusy(UiText::joiningMeeting);
}

void HomeScreen::showDifferentAccountLoginMsgSlot()
{
    baseValues->linkInfo.clear();
    Messages::tell(this, UiText::differentAccount, UiText::gotIt);
}

void HomeScreen::appLogoutSlot()
{
    baseValues->signOutRequested = true;
    forgetAutoLogin(baseValues->autoLogin);
    close();
}

void HomeScreen::wmForcedLogoutCompleteSlot()
{
    m_spinner->stop();
    closeHandedOver();
}

void HomeScreen::closeHandedOver()
{
    m_handedOver = true;
    close();
}

// Closing from outside (taskbar, window manager) means the same as the close
// button; without the SDK sign-out the client would keep running unseen.
void HomeScreen::closeEvent(QCloseEvent *event)
{
    if (!m_handedOver && Navigator::instance()->closeToTray(this)) {
        event->ignore();
        return;
    }
    if (!m_handedOver) {
        m_handedOver = true;
        m_actions->abandonJoin();
        WeMeetManager::instance()->logout();
    }
    m_spinner->stop();
    event->accept();
}

// Escape must not hide the one window the user works from.
void HomeScreen::reject() {}
