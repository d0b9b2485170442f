#include "meeting/homescreen.h"
#include "session/navigator.h"
#include "ui_homescreen.h"

#include "app/basevalues.h"
#include "app/launchparameter.h"
#include "app/uitexts.h"
#include "app/userstore.h"
#include "app/waits.h"
#include "http/actmtgdetailhttp.h"
#include "http/sessionwatch.h"
#include "http/tmmtgcreatehttp.h"
#include "http/tmmtgdeletehttp.h"
#include "http/tmmtginvitehttp.h"
#include "http/tmmtgqueryhttp.h"
#include "http/usermessage.h"
#include "meeting/activityapprove.h"
#include "meeting/calendarexport.h"
#include "meeting/dateitem.h"
#include "meeting/invitationtext.h"
#include "meeting/joinmeeting.h"
#include "meeting/meetinglist.h"
#include "meeting/mtgitem.h"
#include "meeting/sharemeeting.h"
#include "meeting/userpop.h"
#include "sdk/wemeetmanager.h"
#include "widgets/messages.h"
#include "widgets/snackbar.h"
#include "widgets/waitingspinnerwidget.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QDebug>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QLocale>
#include <QMouseEvent>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>

HomeScreen::HomeScreen(QWidget *parent) : BorderDialog(parent), ui(new Ui::HomeScreen)
{
    ui->setupUi(this);

    ui->lblLogo->setObjectName(QStringLiteral("smallLogoQLabel"));
    ui->lblLogo->clear();
    ui->lblTitle->setObjectName(QStringLiteral("messageQLabel"));
    ui->lblTitle->setText(QStringLiteral("Vesk云会议"));
    // Never clip the title, whatever font the system substitutes.
    ui->lblTitle->ensurePolished();
    ui->lblTitle->resize(
        qMax(ui->lblTitle->width(), ui->lblTitle->fontMetrics().horizontalAdvance(ui->lblTitle->text()) + 4),
        ui->lblTitle->height());
    ui->pBtnMin->setObjectName(QStringLiteral("titlePushButton"));
    ui->pBtnClose->setObjectName(QStringLiteral("titlePushButton"));
    ui->pBtnSet->setObjectName(QStringLiteral("iconPushButton"));
    ui->pBtnJoin->setObjectName(QStringLiteral("btnMtgJoin"));
    ui->pBtnQuick->setObjectName(QStringLiteral("btnMtgQuick"));
    ui->pBtnCreate->setObjectName(QStringLiteral("btnMtgCreate"));
    ui->pBtnCast->setObjectName(QStringLiteral("btnMtgCast"));
    for (QLabel *label : {ui->lblJoin, ui->lblQuick, ui->lblCreate, ui->lblCast})
        label->setObjectName(QStringLiteral("messageQLabel"));
    ui->lblempty->setObjectName(QStringLiteral("tipQLabel"));
    // Room for the rich text of a failed load, which a 16-pixel label cuts off.
    ui->lblempty->setGeometry(0, 141, ui->lblempty->width(), 22);
    ui->emptyWidget->resize(ui->emptyWidget->width(), 163);

    auto *bar = new QScrollBar(Qt::Vertical, ui->scMtgList);
    bar->setObjectName(QStringLiteral("shareInfoQScrollBar"));
    ui->scMtgList->setVerticalScrollBar(bar);
    ui->scMtgList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui->scMtgList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui->scMtgList->hide();
    ui->emptyWidget->hide();
    setFocus();

    setUpWindow(baseValues->appName);

    m_spinner = new WaitingSpinnerWidget(this, true, true);

    m_queryRequest = new TmMtgQueryHttp(this);
    m_joinChain = new JoinChain(this);
    m_actDetailRequest = new ActMtgDetailHttp(this);
    connect(m_queryRequest, &TmMtgQueryHttp::sendTmMtgQueryResultSignal, this,
            &HomeScreen::tmMtgQueryResultSlot);
    connect(m_joinChain, &JoinChain::joining, this, &HomeScreen::joinRequested);
    connect(m_joinChain, &JoinChain::finished, this, &HomeScreen::joinFinished);
    connect(m_actDetailRequest, &ActMtgDetailHttp::sendActMtgDetailResultSignal, this,
            &HomeScreen::actMtgDetailResultSlot);

    connect(ui->pBtnMin, &QPushButton::clicked, this, &HomeScreen::onMinBtnClicked);
    connect(ui->pBtnClose, &QPushButton::clicked, this, &HomeScreen::onCloseBtnClicked);
    connect(ui->pBtnSet, &QPushButton::clicked, this, &HomeScreen::onSetBtnClicked);
    connect(ui->pBtnJoin, &QPushButton::clicked, this, &HomeScreen::onJoinBtnClicked);
    connect(ui->pBtnQuick, &QPushButton::clicked, this, &HomeScreen::onQuickBtnClicked);
    connect(ui->pBtnCreate, &QPushButton::clicked, this, &HomeScreen::onCreateBtnClicked);
    connect(ui->pBtnCast, &QPushButton::clicked, this, &HomeScreen::onCastBtnClicked);

    WeMeetManager *manager = WeMeetManager::instance();
    connect(manager, &WeMeetManager::OnForcedLogoutFinishSignal, this,
            &HomeScreen::wmForcedLogoutCompleteSlot);
    connect(manager, &WeMeetManager::linkJoinMeetingSignal, this, &HomeScreen::linkJoinMeetingSlot);
    // What failed with the lost session may have been the list.
    connect(SessionWatch::instance(), &SessionWatch::renewed, this, &HomeScreen::loadMeetingList);

    ui->scMtgList->installEventFilter(this);
    m_meetingList = new MeetingList(ui->scMtgList, this);
    connect(m_meetingList, &MeetingList::rowCreated, this, &HomeScreen::connectRow);
    // A failed load reloads on a click anywhere on its empty state.
    for (QWidget *w :
         {ui->emptyWidget, static_cast<QWidget *>(ui->bgempty), static_cast<QWidget *>(ui->lblempty)})
        w->installEventFilter(this);

    // The first load starts once the constructor is back in the event loop.
    connect(this, &HomeScreen::uiLoadedFinishSignal, this, &HomeScreen::uiLoadedFinishSlot,
            Qt::QueuedConnection);
    emit uiLoadedFinishSignal();
}

HomeScreen::~HomeScreen()
{
    delete ui;
}

// --- title bar and actions -----------------------------------------------------

void HomeScreen::onMinBtnClicked()
{
    showMinimized();
}

void HomeScreen::onCloseBtnClicked()
{
    m_handedOver = true;
    WeMeetManager::instance()->logout();
    close();
}

void HomeScreen::onJoinBtnClicked()
{
    JoinMeeting *dialog = Navigator::instance()->openJoinMeeting(this, QString(), QString());
    dialog->offerClipboardNumber();
    QPointer<JoinMeeting> guard(dialog);
    connect(dialog, &JoinMeeting::joinMeetingFinishSignal, this, [this, guard] {
        if (!guard)
            return;
        // The dialog also finishes on a failed join: the home screen stays then.
        if (guard->outcome() == JoinMeeting::Outcome::Joined) {
            m_currentMeetingCode = baseValues->currentMeetingCode;
            closeDialogSlot();
        } else if (guard->outcome() == JoinMeeting::Outcome::Failed && !guard->joinResult().isEmpty()) {
            Messages::notice(this, guard->joinResult());
        }
    });
}

void HomeScreen::onCreateBtnClicked()
{
    // Its saves come back through tmMtgUpdatedSlot().
    Navigator::instance()->openScheduleMeeting(this, QString());
}

void HomeScreen::onQuickBtnClicked()
{
    m_unattended = false;
    QMetaObject::invokeMethod(this, "quickMeetingSlot", Qt::QueuedConnection);
}

void HomeScreen::onCastBtnClicked()
{
    WeMeetManager::instance()->showScreenCastView();
}

void HomeScreen::onSetBtnClicked()
{
    const QPoint p = mapToGlobal(ui->pBtnSet->pos());
    auto *pop = new userPop(nullptr);
    connect(pop, &userPop::appLogoutSignal, this, &HomeScreen::appLogoutSlot);
    connect(pop, &userPop::reminderSwitchedSignal, this, &HomeScreen::reminderSwitchedSignal);
    // Placed by its form; the shadow ring lies around it.
    const int ring = BorderDialog::shadowWidth;
    const QSize form = pop->size() - QSize(2 * ring, 2 * ring);
    QRect geometry(p.x() - form.width() + 175 + ui->pBtnSet->width(), p.y() + 15 + ui->pBtnSet->height(),
                   form.width(), form.height());
    // Hanging out of the window it would lie over whatever is beside it;
    // its ring stays on the window too.
    const QRect inside = frameGeometry().adjusted(2 * ring, 2 * ring, -2 * ring, -2 * ring);
    geometry.moveRight(qMin(geometry.right(), inside.right()));
    geometry.moveBottom(qMin(geometry.bottom(), inside.bottom()));
    // Beside a window near the screen's edge the pop-up would be cut off.
    if (QScreen *screen = QGuiApplication::screenAt(p)) {
        const QRect area = screen->availableGeometry().adjusted(ring, ring, -ring, -ring);
        geometry.moveRight(qMin(geometry.right(), area.right()));
        geometry.moveBottom(qMin(geometry.bottom(), area.bottom()));
    }
    pop->setGeometry(geometry.adjusted(-ring, -ring, ring, ring));
    pop->setBackdropWindow(this);
    pop->show();
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
    m_listLoadFailed = false;
    ui->scMtgList->hide();
    ui->emptyWidget->hide();
    m_spinner->setText(QStringLiteral("正在加载会议列表..."));
    m_spinner->start();
    m_queryRequest->request(baseValues->tenantInfo);
}

void HomeScreen::tmMtgQueryResultSlot(QString result, ServiceReply reply)
{
    Q_UNUSED(result)
    m_spinner->stop();
    if (!reply.succeeded()) {
        Messages::notice(this, userMessage(reply));
        // A list already shown stays; a blank area would leave nothing to do
        // but sign out.
        if (ui->scMtgList->isHidden() && ui->emptyWidget->isHidden())
            showEmptyState(true);
        return;
    }
    // A late answer (after a time-out, or of an earlier load) replaces what is shown.
    ui->scMtgList->hide();
    ui->emptyWidget->hide();
    const QJsonArray meetings = reply.value.toArray();
    m_meetings = meetings;
    emit meetingListLoaded(meetings);
    if (meetings.isEmpty()) {
        showEmptyState(false);
        return;
    }
    buildMeetingList(meetings);
    ui->scMtgList->show();
}

void HomeScreen::buildMeetingList(const QJsonArray &meetings)
{
    const QLocale chinese(QLocale::Chinese);
    const QDate today = QDate::currentDate();
    const QString startKey = QStringLiteral("startTime");
    const QString endKey = QStringLiteral("endTime");
    const QString hostsKey = QStringLiteral("currentHosts");
    const QString typeKey = QStringLiteral("meetingType");
    bool first = true;
    QDate previousDate;
    m_meetingList->clear();
    for (const QJsonValue &value : meetings) {
        const QJsonObject meeting = value.toObject();
        const QDateTime start =
            QDateTime::fromSecsSinceEpoch(InvitationText::jsonText(meeting.value(startKey)).toLongLong());
        const QDateTime end =
            QDateTime::fromSecsSinceEpoch(InvitationText::jsonText(meeting.value(endKey)).toLongLong());

        // Whole dates, so one day of two different years never shares a header.
        if (first || start.date() != previousDate) {
            previousDate = start.date();
            m_meetingList->addHeader(
                {QStringLiteral("%1月%2日").arg(start.date().month()).arg(start.date().day()),
                 chinese.toString(start, QStringLiteral("ddd")),
                 start.date() == today ? QStringLiteral("今天") : QString()});
        }
        first = false;

        const QString meetingType = InvitationText::jsonText(meeting.value(typeKey));
        const QJsonArray hosts = meeting.value(hostsKey).toArray();
        MeetingRowData row;
        row.startTime = start.toString(QStringLiteral("hh:mm"));
        row.endTime = end.toString(QStringLiteral("hh:mm"));
        row.meetingCode = InvitationText::jsonText(meeting.value(QStringLiteral("meetingCode")));
        row.subject = InvitationText::jsonText(meeting.value(QStringLiteral("subject")));
        row.meetingId = InvitationText::jsonText(meeting.value(QStringLiteral("meetingId")));
        row.hostUserId =
            hosts.isEmpty()
                ? QString()
                : InvitationText::jsonText(hosts.first().toObject().value(QStringLiteral("userId")));
        row.isActivity = (meetingType == QLatin1String("3") || meetingType == QLatin1String("4"))
                             ? QStringLiteral("true")
                             : QStringLiteral("false");
        m_meetingList->addRow(row);
    }
    m_meetingList->show();
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

void HomeScreen::showEmptyState(bool loadFailed)
{
    m_listLoadFailed = loadFailed;
    ui->lblempty->setText(loadFailed
                              ? QStringLiteral("加载失败，<span style=\"color:#006FFF;\">点击重试</span>")
                              : QStringLiteral("暂无会议记录 ~"));
    if (loadFailed)
        ui->emptyWidget->setCursor(Qt::PointingHandCursor);
    else
        ui->emptyWidget->unsetCursor();
    ui->emptyWidget->show();
}

// The list's scroll bar shows only while the mouse is over the list.
bool HomeScreen::eventFilter(QObject *watched, QEvent *event)
{
    const bool onEmptyState = watched == ui->emptyWidget || watched == ui->bgempty || watched == ui->lblempty;
    if (onEmptyState && m_listLoadFailed) {
        const bool press = event->type() == QEvent::MouseButtonPress;
        const bool release = event->type() == QEvent::MouseButtonRelease;
        auto *mouse = (press || release) ? static_cast<QMouseEvent *>(event) : nullptr;
        if (press && mouse->button() == Qt::LeftButton)
            return true;
        if (release && mouse->button() == Qt::LeftButton) {
            const QPoint at = static_cast<QWidget *>(watched)->mapTo(ui->emptyWidget, mouse->pos());
            if (ui->emptyWidget->rect().contains(at))
                loadMeetingList();
            return true;
        }
    }
    if (watched == ui->scMtgList) {
        if (event->type() == QEvent::Enter) {
            ui->scMtgList->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            return true;
        }
        if (event->type() == QEvent::Leave) {
            ui->scMtgList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            return true;
        }
    }
    return BorderDialog::eventFilter(watched, event);
}

// --- row menu ----------------------------------------------------------------------

void HomeScreen::mtgInviteSlot(QString meetingNo)
{
    auto *request = new TmMtgInviteHttp(this);
    connect(request, &TmMtgInviteHttp::sendTmMtgInviteResultSignal, this, &HomeScreen::showShareMeetingSlot);
    // One answer per request object; a late second answer after a time-out is dropped with it.
    connect(request, &TmMtgInviteHttp::sendTmMtgInviteResultSignal, request, &QObject::deleteLater);
    request->request(baseValues->tenantInfo, meetingNo);
    m_spinner->setText(QStringLiteral("获取邀请信息..."));
    QTimer::singleShot(Waits::spinnerFallbackMs, this, &HomeScreen::stopWaitingSlot);
    m_spinner->start();
}

void HomeScreen::showShareMeetingSlot(QString result, ServiceReply reply)
{
    Q_UNUSED(result)
    m_spinner->stop();
    QString meetingCode;
    const QString text = invitationFrom(reply, &meetingCode);
    if (text.isEmpty())
        return;
    ShareMeeting *share = Navigator::instance()->openInvitation(text, this);
    share->setCalendarEvent(calendarEventFor(meetingCode));
}

QString HomeScreen::invitationFrom(const ServiceReply &reply, QString *meetingCode)
{
    if (!reply.succeeded()) {
        qDebug().noquote() << QStringLiteral("会议邀请信息取得失败：%1").arg(reply.message);
        Snackbar::showMessage(QStringLiteral("会议邀请信息取得失败"), this, Waits::noticeMs);
        return QString();
    }
    const QJsonObject info = reply.value.toObject();
    if (meetingCode)
        *meetingCode = InvitationText::jsonText(info.value(QStringLiteral("rootNum")));
    return InvitationText::fromServiceData(info);
}

CalendarEvent HomeScreen::calendarEventFor(const QString &meetingCode) const
{
    for (const QJsonValue &value : m_meetings) {
        const QJsonObject meeting = value.toObject();
        if (!meetingCode.isEmpty() &&
            InvitationText::jsonText(meeting.value(QStringLiteral("meetingCode"))) == meetingCode)
            return CalendarExport::fromListMeeting(meeting);
    }
    return CalendarEvent();
}

void HomeScreen::meetingSavedSlot(CalendarEvent event, bool created)
{
    const QString text = created ? QStringLiteral("预定成功") : QStringLiteral("修改成功");
    if (!CalendarExport::isComplete(event)) {
        Messages::notice(this, text);
        return;
    }
    Messages::noticeWithAction(this, text, QStringLiteral("添加到日历"), [this, event] {
        // The description is the invitation exactly as "复制" gives it.
        auto *request = new TmMtgInviteHttp(this);
        connect(request, &TmMtgInviteHttp::sendTmMtgInviteResultSignal, request, &QObject::deleteLater);
        connect(request, &TmMtgInviteHttp::sendTmMtgInviteResultSignal, this,
                [this, event](QString, ServiceReply reply) {
                    CalendarEvent complete = event;
                    complete.description = invitationFrom(reply);
                    if (!complete.description.isEmpty())
                        CalendarExport::addToCalendar(this, complete);
                });
        request->request(baseValues->tenantInfo, event.meetingCode);
    });
}

void HomeScreen::mtgChangeSlot(QString meetingNo)
{
    Navigator::instance()->openScheduleMeeting(this, meetingNo);
}

void HomeScreen::mtgActChangeSlot(QString meetingId)
{
    m_actDetailRequest->request(meetingId);
}

void HomeScreen::actMtgDetailResultSlot(QString result, ServiceReply reply)
{
    Q_UNUSED(result)
    if (!reply.succeeded()) {
        m_spinner->stop();
        Messages::notice(this, userMessage(reply));
        return;
    }
    const QJsonObject activity = reply.value.toObject();
    if (activity.isEmpty())
        return;
    // Tokens and tenant data may hold "&", "=" or "+": encode them so the page gets them intact.
    auto enc = [](const QString &v) { return QString::fromLatin1(QUrl::toPercentEncoding(v)); };
    QString url = baseValues->serviceUrl;
    url += QStringLiteral("ui/interact/backHome/activityManagementDetail/activityBasicInfor?");
    url += QStringLiteral("activityId=%1")
               .arg(enc(InvitationText::jsonText(activity.value(QStringLiteral("id")))));
    url += QStringLiteral("&businessType=01");
    url += QStringLiteral("&fileViewPath=");
    url += QStringLiteral("&enterpriseAccessToken=%1").arg(enc(baseValues->accessToken));
    url += QStringLiteral("&enterpriseApiUrl=%1").arg(enc(baseValues->interfaceUrl));
    url += QStringLiteral("&access_token=%1").arg(enc(baseValues->gatewayAccessToken));
    url += QStringLiteral("&tenant_info=%1").arg(enc(baseValues->tenantInfo));
    url += QStringLiteral("&spm=%1").arg(QStringLiteral("00.01.0035.0001"));
    QDesktopServices::openUrl(QUrl(url));
}

void HomeScreen::mtgCloseSlot(QString meetingId)
{
    Messages::ask(this, QStringLiteral("关闭会议后不可恢复，是否确定继续该操作？"), UiText::cancel,
                  UiText::ok, [this, meetingId](bool confirmed) {
                      if (confirmed)
                          closeMeeting(meetingId);
                  });
}

void HomeScreen::closeMeeting(const QString &meetingId)
{
    auto *request = new TmMtgDeleteHttp(this);
    connect(request, &TmMtgDeleteHttp::sendTmMtgDeleteResultSignal, this, &HomeScreen::tmMtgDeleteResultSlot);
    connect(request, &TmMtgDeleteHttp::sendTmMtgDeleteResultSignal, request, &QObject::deleteLater);
    m_spinner->setText(QStringLiteral("正在关闭会议..."));
    m_spinner->start();
    request->request(baseValues->tenantInfo, meetingId);
}

void HomeScreen::tmMtgDeleteResultSlot(QString result, ServiceReply reply)
{
    Q_UNUSED(result)
    m_spinner->stop();
    if (!reply.succeeded())
        Snackbar::showMessage(userMessage(reply), nullptr, Waits::noticeMs);
    else
        Messages::notice(this, QStringLiteral("会议已关闭"));
    loadMeetingList();
}

// --- joining ---------------------------------------------------------------------------

JoinChain::Meeting HomeScreen::meetingToJoin() const
{
    if (m_unattended)
        return JoinChain::unattended(m_currentMeetingCode, baseValues->meetingPersonName);
    return {m_currentMeetingCode, baseValues->meetingPersonName, baseValues->micOn, baseValues->cameraOn};
}

void HomeScreen::joinMeetingSlot(QString meetingNo)
{
    startJoin(meetingNo, false);
}

void HomeScreen::joinUnattended(const QString &meetingNo)
{
    startJoin(meetingNo, true);
}

void HomeScreen::startJoin(const QString &meetingNo, bool unattended)
{
    if (m_joinChain->isRunning()) {
        // The join under way stays the one joined and remembered.
        if (meetingNo != m_joinChain->meeting().code)
            Messages::tell(this, UiText::joiningOtherMeeting, UiText::gotIt);
        return;
    }
    m_unattended = unattended;
    m_currentMeetingCode = meetingNo;
    m_spinner->setText(UiText::joiningMeeting);
    m_spinner->start();
    m_joinChain->joinAsMember(meetingToJoin());
}

void HomeScreen::openActivityApprove(const QString &url)
{
    ActivityApprove *approve = Navigator::instance()->openActivityApprove(
        this, url, baseValues->meetingId, baseValues->telephone, baseValues->mobileCountryCode);
    connect(approve, &ActivityApprove::sendWmSdkInitSignal, this, &HomeScreen::activityApproveOkSlot);
}

void HomeScreen::activityApproveOkSlot()
{
    QMetaObject::invokeMethod(this, "directJoinMeetingSlot", Qt::QueuedConnection);
}

void HomeScreen::directJoinMeetingSlot()
{
    m_joinChain->joinNow(meetingToJoin());
}

void HomeScreen::joinRequested()
{
    m_spinner->setText(UiText::joiningMeeting);
    m_spinner->start();
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
    if (outcome.kind == JoinOutcome::Kind::Joined) {
        closeDialogSlot();
        return;
    }
    m_spinner->stop();
    switch (outcome.kind) {
    case JoinOutcome::Kind::JoinFailed:
        Snackbar::showMessage(outcome.text, this, Waits::noticeMs);
        break;
    case JoinOutcome::Kind::Approve:
        openActivityApprove(outcome.text);
        break;
    case JoinOutcome::Kind::Refused:
        Messages::tell(this, outcome.text, UiText::ok);
        break;
    case JoinOutcome::Kind::Notice:
        Messages::notice(this, outcome.text);
        break;
    default:
        break;
    }
}

void HomeScreen::closeDialogSlot()
{
    baseValues->currentMeetingCode =
        m_joinChain->meeting().code.isEmpty() ? m_currentMeetingCode : m_joinChain->meeting().code;
    m_spinner->stop();
    closeHandedOver();
}

void HomeScreen::stopWaitingSlot()
{
    m_spinner->stop();
}

// --- quick meeting ---------------------------------------------------------------------

void HomeScreen::quickMeetingSlot()
{
    auto *request = new TmMtgCreateHttp(this);
    connect(request, &TmMtgCreateHttp::sendTmMtgCreateResultSignal, this, &HomeScreen::tmMtgCreateResultSlot);
    connect(request, &TmMtgCreateHttp::sendTmMtgCreateResultSignal, request, &QObject::deleteLater);
    QJsonObject body;
    body.insert(QStringLiteral("meetingType"), 1);
    m_spinner->setText(UiText::joiningMeeting);
    request->request(baseValues->tenantInfo,
                     QString::fromUtf8(QJsonDocument(body).toJson(QJsonDocument::Compact)));
    m_spinner->start();
}

void HomeScreen::tmMtgCreateResultSlot(QString result, ServiceReply reply)
{
    Q_UNUSED(result)
    if (!reply.succeeded()) {
        m_spinner->stop();
        Messages::notice(this, userMessage(reply));
        return;
    }
    QString meetingCode;
    QString joinUrl;
    if (reply.value.isObject()) {
        meetingCode = InvitationText::jsonText(reply.value.toObject().value(QStringLiteral("meetingCode")));
        joinUrl = InvitationText::jsonText(reply.value.toObject().value(QStringLiteral("joinUrl")));
    } else if (QRegularExpression(QStringLiteral("^\\d+$")).match(reply.value.toString()).hasMatch()) {
        // The service may answer with the bare meeting number.
        meetingCode = reply.value.toString();
    }
    if (meetingCode.isEmpty()) {
        // Joining an empty number can only fail; say so instead of trying.
        m_spinner->stop();
        Snackbar::showMessage(QStringLiteral("快速会议创建失败"), this, Waits::noticeMs);
        return;
    }
    m_currentMeetingCode = meetingCode;
    baseValues->joinUrl = joinUrl;
    directJoinMeetingSlot();
}

// --- launch links --------------------------------------------------------------------

void HomeScreen::linkJoinMeetingSlot()
{
    QMap<QString, QString> &link = baseValues->linkInfo;
    if (link.isEmpty())
        return;
    const QString meetingCode = link.value(QStringLiteral("meetingCode"));
    // The same account rule as for a link handed over while running.
    const bool otherAccount = linkNamesOtherAccount(link);
    link.clear();

    if (otherAccount) {
        qDebug().noquote() << UiText::differentAccount;
        QMetaObject::invokeMethod(this, "showDifferentAccountLoginMsgSlot", Qt::QueuedConnection);
        return;
    }
    if (!meetingCode.isEmpty()) {
        joinUnattended(meetingCode);
        return;
    }
    m_unattended = true;
    QMetaObject::invokeMethod(this, "quickMeetingSlot", Qt::QueuedConnection);
    m_spinner->setText(UiText::joiningMeeting);
    m_spinner->start();
}

void HomeScreen::showDifferentAccountLoginMsgSlot()
{
    baseValues->linkInfo.clear();
    showOneButtonMessage(UiText::differentAccount, UiText::gotIt);
}

void HomeScreen::showOneButtonMessage(const QString &message, const QString &buttonText)
{
    Messages::tell(this, message, buttonText);
}

// --- signing out -------------------------------------------------------------------

void HomeScreen::appLogoutSlot()
{
    baseValues->signOutRequested = true;
    const QString method = baseValues->autoLogin;
    if (method == QLatin1String("1"))
        saveAccountLogin(false);
    else if (method == QLatin1String("2"))
        savePhoneLogin(false);
    else if (method == QLatin1String("3"))
        saveWxLogin(false);
    m_handedOver = true;
    WeMeetManager::instance()->logout();
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
    if (!m_handedOver) {
        m_handedOver = true;
        WeMeetManager::instance()->logout();
    }
    m_spinner->stop();
    event->accept();
}

// Escape must not hide the one window the user works from.
void HomeScreen::reject() {}
