#include "meeting/joinmeeting.h"
#include "ui_joinmeeting.h"

#include "app/basevalues.h"
#include "app/meetinghistory.h"
#include "app/uitexts.h"
#include "app/userstore.h"
#include "app/waits.h"
#include "http/activityapprovehttp.h"
#include "http/tmmtgsummaryhttp.h"
#include "http/tmtokenhttp.h"
#include "http/usermessage.h"
#include "meeting/activityapprove.h"
#include "meeting/admissionanswer.h"
#include "meeting/invitationtext.h"
#include "meeting/phonenumberverify.h"
#include "sdk/wemeetmanager.h"
#include "session/navigator.h"
#include "widgets/messages.h"
#include "widgets/waitingspinnerwidget.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QColor>
#include <QDateTime>
#include <QDebug>
#include <QHBoxLayout>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QStyledItemDelegate>
#include <QTimer>

#include <algorithm>

namespace {

const QChar fullWidthColon(0xFF1A);
constexpr int maxMeetingNoDigits = 12;
constexpr int historyNameWidth = 250;
const QString clearHistoryLink = QStringLiteral("clearMeetingHis");
const QString historyTimeFormat = QStringLiteral("yyyyMMddhhmmsszzz");

// One value for every join dialog of the run, as the number a user typed
// last is what a letter falls back to.
QString &lastAcceptedMeetingNo()
{
    static QString accepted;
    return accepted;
}

// History rows are drawn by their row widgets; the item's own text (what a
// choice puts into the field) stays invisible beneath them.
class HistoryRowDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem opt(option);
        initStyleOption(&opt, index);
        opt.text.clear();
        const QWidget *widget = opt.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    }
};

bool isTrue(const QString &value)
{
    return value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

} // namespace

JoinMeeting::JoinMeeting(QString meetingNo, QString nickname, QWidget *parent)
    : BorderDialog(parent), ui(new Ui::JoinMeeting), m_manager(WeMeetManager::instance())
{
    ui->setupUi(this);
    setUpWindow(QStringLiteral("加入会议"));

    loadUserInfo();
    loadMeetingInfo();

    setUpTitleButtons(nullptr, ui->pBtnClose);
    ui->pBtnClose->setIconSize(QSize(12, 12));
    QLineEdit *numberEdit = ui->cboBoxMeetingNo->lineEdit();
    numberEdit->setPlaceholderText(QStringLiteral("请输入会议号"));
    numberEdit->setClearButtonEnabled(true);
    ui->cboBoxMeetingNo->setCompleter(nullptr);
    ui->cboBoxMeetingNo->setFocus();
    ui->lEditNickname->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("^[A-Za-z0-9_\\x{4e00}-\\x{9fa5}]+$")), ui->lEditNickname));

    // Style object names; the form names above are the designer's.
    ui->backgroundWidget->setObjectName(QStringLiteral("backgroundWidget"));
    ui->lblTitle->setObjectName(QStringLiteral("messageQLabel"));
    ui->splitLine->setObjectName(QStringLiteral("titleSplitLine"));
    ui->lblMeetingNo->setObjectName(QStringLiteral("normalQLabel"));
    ui->cboBoxMeetingNo->setObjectName(QStringLiteral("meetingNoQComboBox"));
    ui->lblNickname->setObjectName(QStringLiteral("normalQLabel"));
    ui->lEditNickname->setObjectName(QStringLiteral("normalQLineEdit"));
    ui->lblMeetingSetting->setObjectName(QStringLiteral("normalQLabel"));
    ui->pBtnJoinMeeting->setObjectName(QStringLiteral("defaultQPushButton"));

    m_tokenHttp = new TmTokenHttp(this);
    m_summaryHttp = new TmMtgSummaryHttp(this);
    m_approveHttp = new ActivityApproveHttp(this);
    m_spinner = new WaitingSpinnerWidget(this, true, true);

    fillHistory();

    m_nickname = baseValues->signedIn ? baseValues->meetingPersonName : baseValues->wmNickname;
    if (!nickname.isEmpty())
        m_nickname = nickname;
    ui->lEditNickname->setText(m_nickname);
    ui->chkBoxOpenMic->setChecked(isTrue(baseValues->micOn));
    ui->chkBoxOpenCamera->setChecked(isTrue(baseValues->cameraOn));

    connect(ui->pBtnClose, &QPushButton::clicked, this, &JoinMeeting::onCloseBtnClicked);
    connect(ui->pBtnJoinMeeting, &QPushButton::clicked, this, &JoinMeeting::onJoinMeetingBtnClicked);
    connect(ui->cboBoxMeetingNo, &QComboBox::editTextChanged, this,
            &JoinMeeting::onMeetingNoCboBoxEditTextChanged);
    // Enter in either field reaches the join button as the form's default
    // button; a returnPressed connection besides would join twice.

    connect(m_summaryHttp, &TmMtgSummaryHttp::sendTmMtgSummaryResultSignal, this,
            &JoinMeeting::meetingSummaryResultSlot);
    connect(m_approveHttp, &ActivityApproveHttp::sendCheckActivityApproveResultSignal, this,
            &JoinMeeting::checkActivityApproveResultSlot);

    connect(m_manager, &WeMeetManager::OnLoginFinishSignal, this, &JoinMeeting::wmLoginCompleteSlot);
    connect(m_manager, &WeMeetManager::OnJoinMeetingFinishSignal, this,
            &JoinMeeting::wmJoinMeetingCompleteSlot);
    connect(m_manager, &WeMeetManager::OnLeaveWaitingRoomFinishSignal, this,
            &JoinMeeting::wmLeaveWaitingRoomCompleteSlot);
    connect(m_manager, &WeMeetManager::OnForcedLogoutFinishSignal, this,
            &JoinMeeting::wmForcedLogoutCompleteSlot);
    connect(m_manager, &WeMeetManager::OnSDKErrorSignal, this, &JoinMeeting::wmSDKErrorSlot);

    // Runs the input filter, so a given number shows formatted; an empty one
    // leaves the field empty even with a history row current.
    ui->cboBoxMeetingNo->setEditText(meetingNo);
    if (meetingNo.isEmpty()) {
        onMeetingNoCboBoxEditTextChanged(QString());
        offerClipboardNumber();
    }
}

void JoinMeeting::offerClipboardNumber()
{
    const QClipboard *clipboard = QGuiApplication::clipboard();
    const QMimeData *data = clipboard ? clipboard->mimeData(QClipboard::Clipboard) : nullptr;
    if (!data || !data->hasText())
        return;
    const QString number = MeetingHistory::numberFromClipboard(data->text());
    if (number.isEmpty())
        return;
    ui->cboBoxMeetingNo->setEditText(number);
    // Typing replaces it; Enter joins it.
    ui->cboBoxMeetingNo->lineEdit()->selectAll();
}

JoinMeeting::~JoinMeeting()
{
    disconnect(m_manager, nullptr, this, nullptr);
    delete ui;
}

QString JoinMeeting::displayMeetingNo(const QString &digits)
{
    return InvitationText::groupMeetingCode(digits);
}

void JoinMeeting::fillHistory()
{
    m_history = MeetingHistory::parse(baseValues->meetingHistory);
    std::stable_sort(m_history.begin(), m_history.end(), [](const QJsonObject &a, const QJsonObject &b) {
        return a.value(QStringLiteral("time")).toString() > b.value(QStringLiteral("time")).toString();
    });

    auto *view = new QListView(ui->cboBoxMeetingNo);
    view->setItemDelegate(new HistoryRowDelegate(view));
    auto *model = new QStandardItemModel(ui->cboBoxMeetingNo);
    ui->cboBoxMeetingNo->setModel(model);
    ui->cboBoxMeetingNo->setView(view);
    // Numbers are measured in their labels' own font.
    QLabel probe;
    probe.setObjectName(QStringLiteral("leftSpaceQLabel"));
    probe.ensurePolished();
    const QFontMetrics codeMetrics(probe.font());
    // The drop-down stays as wide as the field: names give way to numbers.
    int widestCode = 0;
    for (const QJsonObject &entry : m_history)
        widestCode = qMax(widestCode, codeMetrics.horizontalAdvance(
                                          displayMeetingNo(entry.value(QStringLiteral("code")).toString())));
    const int removeWidth = 24;
    // The code label's padding and the "×" with its margin come off the name.
    const int nameWidth =
        qMin(historyNameWidth, ui->cboBoxMeetingNo->width() - widestCode - 24 - removeWidth - 36);
    for (const QJsonObject &entry : m_history) {
        const QString code = entry.value(QStringLiteral("code")).toString();
        const QString name = entry.value(QStringLiteral("name")).toString();
        // The row's own text is what a choice puts into the field; the row
        // widget above it shows name and number.
        auto *item = new QStandardItem(displayMeetingNo(code));
        item->setData(QColor(Qt::transparent), Qt::ForegroundRole);
        item->setToolTip(name);
        model->appendRow(item);

        auto *row = new QWidget;
        auto *layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        auto *nameLabel = new QLabel(row);
        nameLabel->setObjectName(QStringLiteral("leftSpaceQLabel"));
        nameLabel->setFixedWidth(nameWidth);
        nameLabel->setToolTip(name);
        nameLabel->setText(codeMetrics.elidedText(name, Qt::ElideRight, nameWidth - 20));
        auto *codeLabel = new QLabel(displayMeetingNo(code), row);
        codeLabel->setObjectName(QStringLiteral("leftSpaceQLabel"));
        // The number is never cut; the name gave way for it.
        codeLabel->setMinimumWidth(codeMetrics.horizontalAdvance(codeLabel->text()) + 20);
        auto *remove = new QPushButton(QStringLiteral("×"), row);
        remove->setObjectName(QStringLiteral("removeHistoryQPushButton"));
        remove->setFixedSize(removeWidth, removeWidth);
        remove->setCursor(Qt::PointingHandCursor);
        remove->setToolTip(QStringLiteral("删除此记录"));
        remove->setFocusPolicy(Qt::NoFocus);
        const QString time = entry.value(QStringLiteral("time")).toString();
        // Queued: the row and its button go with the rebuilt list.
        connect(remove, &QPushButton::clicked, this, [this, code, time] {
            QMetaObject::invokeMethod(
                this, [this, code, time] { removeHistoryEntry(code, time); }, Qt::QueuedConnection);
        });
        layout->addWidget(nameLabel);
        layout->addWidget(codeLabel);
        layout->addStretch();
        layout->addWidget(remove);
        layout->addSpacing(6);
        for (QLabel *label : {nameLabel, codeLabel})
            label->setAttribute(Qt::WA_TransparentForMouseEvents);
        view->setIndexWidget(model->index(model->rowCount() - 1, 0), row);
    }

    auto *clearItem = new QStandardItem(QString());
    // Only its link acts; a click beside it must not empty the field.
    clearItem->setFlags(Qt::NoItemFlags);
    model->appendRow(clearItem);
    auto *clearLabel = new QLabel(
        QStringLiteral("<style> a {text-decoration: none} </style> <a style = 'color: #006FFF' href = "
                       "'clearMeetingHis'>清空记录</a>"));
    clearLabel->setObjectName(QStringLiteral("leftSpaceBlueQLabel"));
    clearLabel->setTextFormat(Qt::RichText);
    clearLabel->setCursor(Qt::PointingHandCursor);
    connect(clearLabel, &QLabel::linkActivated, this, &JoinMeeting::clearMeetingHistory);
    view->setIndexWidget(model->index(model->rowCount() - 1, 0), clearLabel);

    ui->cboBoxMeetingNo->setCurrentIndex(-1);
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    if (!m_history.isEmpty() && m_history.first().value(QStringLiteral("time")).toString().startsWith(today))
        ui->cboBoxMeetingNo->setCurrentIndex(0);
}

QString JoinMeeting::meetingNo() const
{
    return ui->cboBoxMeetingNo->currentText().remove(QLatin1Char(' '));
}

QString JoinMeeting::nickname() const
{
    return ui->lEditNickname->text();
}

void JoinMeeting::setMeetingNo(QString meetingNo)
{
    ui->cboBoxMeetingNo->setEditText(meetingNo);
}

void JoinMeeting::setNickname(QString nickname)
{
    m_nickname = nickname;
    ui->lEditNickname->setText(nickname);
}

// --- closing ----------------------------------------------------------------------

void JoinMeeting::onCloseBtnClicked()
{
    if (m_closing)
        return;
    m_closing = true;
    if (m_outcome == Outcome::Open)
        m_outcome = Outcome::Closed;
    stopJoinWait();
    m_spinner->stop();
    if (m_manager->state() == 3 && m_joinPending) {
        // The join is given up: the SDK's late answer must not find a waiting screen.
        baseValues->pendingMeetingCode.clear();
        m_manager->setState(2);
        if (!baseValues->signedIn) {
            emit joinMeetingFinishSignal();
            // Undone quietly: the start screen beneath stays the guest's screen.
            m_manager->logoutQuietly();
        }
    }
    m_joinPending = false;
    emit accepted();
    close();
}

// Escape and the window manager's close go the way of the close button.
void JoinMeeting::reject()
{
    if (!m_closing) {
        onCloseBtnClicked();
        return;
    }
    BorderDialog::reject();
}

void JoinMeeting::finish(Outcome outcome)
{
    m_outcome = outcome;
    m_closing = true;
    m_joinPending = false;
    m_loginPending = false;
    disconnect(m_manager, nullptr, this, nullptr);
    stopJoinWait();
    m_spinner->stop();
    close();
}

void JoinMeeting::stopJoinWait()
{
    if (m_joinWaitTimer) {
        m_joinWaitTimer->stop();
        m_joinWaitTimer->disconnect();
        m_joinWaitTimer->deleteLater();
        m_joinWaitTimer = nullptr;
    }
}

// --- meeting number and history ---------------------------------------------------

void JoinMeeting::onMeetingNoCboBoxEditTextChanged(QString arg1)
{
    if (m_filtering)
        return;
    QString text = arg1;
    const int colon = text.indexOf(fullWidthColon);
    if (colon >= 0)
        text = text.mid(colon + 1);
    text.remove(QLatin1Char('-'));
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    static const QRegularExpression digitsOnly(QStringLiteral("^[0-9]*$"));
    if (digitsOnly.match(text).hasMatch() && text.size() <= maxMeetingNoDigits)
        lastAcceptedMeetingNo() = text;

    // Keep the cursor behind the same digit it followed while typing.
    QLineEdit *edit = ui->cboBoxMeetingNo->lineEdit();
    const int digitsBeforeCursor =
        edit->text().left(edit->cursorPosition()).remove(QRegularExpression(QStringLiteral("[^0-9]"))).size();
    const QString shown = displayMeetingNo(lastAcceptedMeetingNo());
    if (edit->text() == shown)
        return;
    m_filtering = true;
    ui->cboBoxMeetingNo->setEditText(shown);
    int position = 0;
    for (int seen = 0; position < shown.size() && seen < digitsBeforeCursor; ++position) {
        if (shown.at(position).isDigit())
            ++seen;
    }
    edit->setCursorPosition(colon >= 0 ? shown.size() : position);
    m_filtering = false;
}

void JoinMeeting::removeHistoryEntry(const QString &code, const QString &time)
{
    const QString typed = ui->cboBoxMeetingNo->currentText();
    const bool wasOpen = ui->cboBoxMeetingNo->view()->isVisible();
    ui->cboBoxMeetingNo->hidePopup();
    baseValues->meetingHistory = MeetingHistory::withoutEntry(baseValues->meetingHistory, code, time);
    saveMeetingHistory();
    // Rebuilt without touching what the field holds.
    m_filtering = true;
    ui->cboBoxMeetingNo->clear();
    fillHistory();
    ui->cboBoxMeetingNo->setEditText(typed);
    m_filtering = false;
    if (wasOpen && !m_history.isEmpty())
        ui->cboBoxMeetingNo->showPopup();
}

void JoinMeeting::clearMeetingHistory(QString link)
{
    if (link != clearHistoryLink)
        return;
    ui->cboBoxMeetingNo->hidePopup();
    m_history.clear();
    baseValues->meetingHistory.clear();
    saveMeetingHistory();
    m_filtering = true;
    ui->cboBoxMeetingNo->clear();
    m_filtering = false;
    fillHistory();
    onMeetingNoCboBoxEditTextChanged(QString());
}

// --- the join chain ------------------------------------------------------------------

void JoinMeeting::onJoinMeetingBtnClicked()
{
    if (m_closing || m_joinPending || !isEnabled())
        return;
    baseValues->linkInfo.clear();
    const QString number = meetingNo();
    if (number.isEmpty()) {
        Messages::notice(this, QStringLiteral("请输入会议号"));
        return;
    }
    if (number.size() != 9) {
        Messages::notice(this, QStringLiteral("当前会议号无效"));
        return;
    }
    if (nickname().isEmpty()) {
        Messages::notice(this, QStringLiteral("请输入您的昵称"));
        return;
    }
    m_nickname = nickname();
    if (baseValues->signedIn) {
        m_loginPending = true;
        m_spinner->setText(UiText::joiningMeeting);
        wmLoginCompleteSlot(QString());
        m_spinner->start();
        return;
    }
    m_spinner->setText(UiText::signingInMeeting);
    requestGuestToken(QString(), QString());
    m_spinner->start();
}

void JoinMeeting::linkJoinMeetingSlot()
{
    if (m_closing || m_joinPending)
        return;
    m_spinner->start();
    const QMap<QString, QString> &link = baseValues->linkInfo;
    if (!link.isEmpty()) {
        m_telephone = link.value(QStringLiteral("phone"));
        m_mobileCountryCode = link.value(QStringLiteral("mobileCountryCode"));
    }
    m_nickname = nickname();
    m_spinner->setText(UiText::signingInMeeting);
    requestGuestToken(m_telephone, m_mobileCountryCode);
    baseValues->linkInfo.clear();
}

void JoinMeeting::requestGuestToken(const QString &telephone, const QString &mobileCountryCode)
{
    // However late the answer, the wait ends by itself.
    armJoinWait();
    disconnect(m_tokenConnection);
    m_tokenConnection =
        connect(m_tokenHttp, &TmTokenHttp::sendTmTokenResultSignal, this, &JoinMeeting::wmTokenResultSlot);
    m_tokenHttp->requestForGuest(baseValues->serialNo, meetingNo(), m_nickname, telephone, mobileCountryCode,
                                 QString());
}

void JoinMeeting::wmTokenResultSlot(QString result)
{
    disconnect(m_tokenConnection);
    m_tokenConnection = {};
    if (!result.isEmpty()) {
        m_spinner->stop();
        Messages::notice(this, userMessage(result));
        return;
    }
    const QString status = baseValues->loginStatus;
    if (status == QLatin1String("2")) {
        m_spinner->stop();
        openPhoneNumberVerify();
    } else if (status == QLatin1String("1")) {
        signInToSdk();
    } else {
        // Neither ready nor verifiable: nothing would ever stop the wait.
        qDebug().noquote() << QStringLiteral("guest token loginStatus %1: join not possible").arg(status);
        m_spinner->stop();
        Messages::notice(this, QStringLiteral("加入会议失败，请重试！"));
    }
}

void JoinMeeting::signInToSdk()
{
    if (m_manager->isInitialized()) {
        m_loginPending = true;
        m_manager->login();
    } else {
        initializeSdk();
    }
}

void JoinMeeting::initializeSdk()
{
    disconnect(m_initConnection);
    disconnect(m_initFailedConnection);
    m_initConnection = connect(m_manager, &WeMeetManager::OnSDKInitializeFinishSignal, this,
                               &JoinMeeting::wmSDKInitializeCompleteSlot);
    m_initFailedConnection = connect(m_manager, &WeMeetManager::OnSDKInitializeFailedSignal, this,
                                     &JoinMeeting::wmSDKInitializeFailedSlot);
    WeMeetManager::initialize(baseValues->sdkId, baseValues->sdkToken,
                              QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                              baseValues->appName);
}

void JoinMeeting::wmSDKInitializeCompleteSlot()
{
    disconnect(m_initConnection);
    disconnect(m_initFailedConnection);
    m_loginPending = true;
    m_manager->login();
}

// A failed initialisation sends no finish signal; without this the
// indicator would spin on.
void JoinMeeting::wmSDKInitializeFailedSlot(QString result)
{
    disconnect(m_initConnection);
    disconnect(m_initFailedConnection);
    qDebug().noquote() << "join: Meeting SDK initialisation failed:" << result;
    m_spinner->stop();
    Messages::notice(this, QStringLiteral("加入会议失败，请重试！"));
}

void JoinMeeting::wmLoginCompleteSlot(QString result)
{
    if (!m_loginPending)
        return;
    m_loginPending = false;
    if (!result.isEmpty()) {
        m_spinner->stop();
        Messages::notice(this, QStringLiteral("加入会议失败，请重试！"));
        return;
    }
    if (!baseValues->signedIn) {
        QMetaObject::invokeMethod(this, "wmJoinMeetingSlot", Qt::QueuedConnection);
        return;
    }
    m_summaryPending = true;
    m_summaryHttp->request(meetingNo());
}

void JoinMeeting::meetingSummaryResultSlot(QString result)
{
    if (!m_summaryPending)
        return;
    m_summaryPending = false;
    if (result.startsWith(QLatin1String("error:"))) {
        // The join goes ahead without the summary.
        QMetaObject::invokeMethod(this, "wmJoinMeetingSlot", Qt::QueuedConnection);
        return;
    }
    if (!result.isEmpty()) {
        m_spinner->stop();
        Messages::notice(this, userMessage(result));
        return;
    }
    if (isActivityMeeting(baseValues->meetingType)) {
        m_approvePending = true;
        m_approveHttp->request(baseValues->meetingId, baseValues->telephone, baseValues->mobileCountryCode);
        return;
    }
    QMetaObject::invokeMethod(this, "wmJoinMeetingSlot", Qt::QueuedConnection);
}

void JoinMeeting::checkActivityApproveResultSlot(QString result)
{
    if (!m_approvePending)
        return;
    m_approvePending = false;
    const AdmissionAnswer answer = readAdmissionAnswer(result);
    if (answer.next == AdmissionAnswer::Next::Join) {
        wmJoinMeetingSlot();
        return;
    }
    m_spinner->stop();
    if (answer.next == AdmissionAnswer::Next::Approve)
        activityApproveSlot(answer.url, baseValues->telephone, baseValues->mobileCountryCode);
    else
        Messages::tell(this, answer.message, UiText::ok);
}

void JoinMeeting::activityApproveSlot(QString url, QString telephone, QString mobileCountryCode)
{
    ActivityApprove *approve = Navigator::instance()->openActivityApprove(this, url, baseValues->meetingId,
                                                                          telephone, mobileCountryCode);
    connect(approve, &ActivityApprove::sendWmSdkInitSignal, this, &JoinMeeting::wmSdkInitSlot);
}

void JoinMeeting::openPhoneNumberVerify()
{
    PhoneNumberVerify *verify = Navigator::instance()->openPhoneNumberVerify(
        this, meetingNo(), m_nickname, baseValues->telephone, baseValues->mobileCountryCode);
    connect(verify, &PhoneNumberVerify::sendWmSdkInitSignal, this, &JoinMeeting::wmSdkInitSlot);
    connect(verify, &PhoneNumberVerify::sendActivityApproveSignal, this, &JoinMeeting::activityApproveSlot);
}

void JoinMeeting::wmSdkInitSlot()
{
    if (m_closing)
        return;
    m_spinner->setText(UiText::joiningMeeting);
    m_spinner->start();
    signInToSdk();
}

void JoinMeeting::wmJoinMeetingSlot()
{
    if (m_closing)
        return;
    m_spinner->setText(UiText::joiningMeeting);
    m_spinner->start();
    m_joinPending = true;
    m_manager->joinMeeting(meetingNo(), m_nickname, ui->chkBoxOpenMic->isChecked(),
                           ui->chkBoxOpenCamera->isChecked(), baseValues->joinUrl);
    armJoinWait();
}

void JoinMeeting::armJoinWait()
{
    if (!m_joinWaitTimer) {
        m_joinWaitTimer = new QTimer(this);
        m_joinWaitTimer->setSingleShot(true);
        connect(m_joinWaitTimer, &QTimer::timeout, this, &JoinMeeting::stopWaitingSlot);
    }
    m_joinWaitTimer->start(Waits::spinnerFallbackMs);
}

void JoinMeeting::wmJoinMeetingCompleteSlot(QString result)
{
    if (!m_joinPending)
        return;
    m_spinner->stop();
    m_joinResult = result;
    if (!result.isEmpty()) {
        qDebug().noquote() << "join failed:" << result;
        m_joinPending = false;
        m_outcome = Outcome::Failed;
        emit accepted();
        emit joinMeetingFinishSignal();
        // The guest's SDK session is undone quietly: the screen beneath stays.
        if (!baseValues->signedIn)
            m_manager->logoutQuietly();
        finish(Outcome::Failed);
        return;
    }
    rememberJoin();
    m_outcome = Outcome::Joined;
    m_joinPending = false;
    emit accepted();
    emit joinMeetingFinishSignal();
    finish(Outcome::Joined);
}

void JoinMeeting::wmLeaveWaitingRoomCompleteSlot(QString result)
{
    if (!m_joinPending)
        return;
    m_spinner->stop();
    if (!result.isEmpty()) {
        Messages::notice(this, userMessage(result));
        return;
    }
    rememberJoin();
    m_outcome = Outcome::LeftWaitingRoom;
    m_joinPending = false;
    if (!baseValues->signedIn)
        emit joinMeetingFinishSignal();
    finish(Outcome::LeftWaitingRoom);
}

void JoinMeeting::wmForcedLogoutCompleteSlot()
{
    m_spinner->stop();
    m_outcome = Outcome::ForcedOut;
    emit joinMeetingFinishSignal();
    finish(Outcome::ForcedOut);
}

void JoinMeeting::stopWaitingSlot()
{
    m_spinner->stop();
}

void JoinMeeting::wmSDKErrorSlot(QString result)
{
    qDebug().noquote() << "join: Meeting SDK error:" << result;
    m_spinner->stop();
    Messages::notice(this, QStringLiteral("入会失败，请重试！"));
}

void JoinMeeting::rememberJoin()
{
    baseValues->currentMeetingCode = meetingNo();
    baseValues->wmNickname = m_nickname;
    baseValues->micOn = ui->chkBoxOpenMic->isChecked() ? QStringLiteral("True") : QStringLiteral("False");
    baseValues->cameraOn =
        ui->chkBoxOpenCamera->isChecked() ? QStringLiteral("True") : QStringLiteral("False");
    saveMeetingInfo();
    if (!baseValues->meetingName.isEmpty()) {
        baseValues->meetingHistory = MeetingHistory::withEntry(
            baseValues->meetingHistory, baseValues->currentMeetingCode, baseValues->meetingName,
            QDateTime::currentDateTime().toString(historyTimeFormat));
    }
    saveUserInfo();
}
