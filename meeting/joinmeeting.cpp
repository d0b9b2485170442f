#include "meeting/joinmeeting.h"
#include "ui_joinmeeting.h"

#include "app/basevalues.h"
#include "app/meetinghistory.h"
#include "app/uitexts.h"
#include "app/userstore.h"
#include "app/waits.h"
#include "meeting/activityapprove.h"
#include "meeting/invitationtext.h"
#include "meeting/phonenumberverify.h"
#include "sdk/joinchain.h"
#include "sdk/wemeetmanager.h"
#include "session/navigator.h"
#include "widgets/messages.h"
#include "widgets/plaintext.h"
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
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace {

const QString historyTimeFormat = QStringLiteral("yyyyMMddhhmmsszzz");

} // namespace

JoinMeeting::JoinMeeting(QString meetingNo, QString nickname, QWidget *parent)
    : BorderDialog(parent), ui(new Ui::JoinMeeting), m_manager(WeMeetManager::instance())
{
    ui->setupUi(this);
    setUpWindow(QStringLiteral("加入会议"));

    // Nickname, history and the join switches, as the file holds them.
    loadUserInfo();

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
    // Centred over the window like the other dialogs' titles; the close
    // button stays on top of it.
    ui->lblTitle->setGeometry(0, ui->lblTitle->y(), ui->lblTitle->parentWidget()->width(),
                              ui->lblTitle->height());
    ui->lblTitle->setAlignment(Qt::AlignCenter);
    ui->pBtnClose->raise();
    ui->splitLine->setObjectName(QStringLiteral("titleSplitLine"));
    ui->lblMeetingNo->setObjectName(QStringLiteral("normalQLabel"));
    ui->cboBoxMeetingNo->setObjectName(QStringLiteral("meetingNoQComboBox"));
    ui->lblNickname->setObjectName(QStringLiteral("normalQLabel"));
    ui->lEditNickname->setObjectName(QStringLiteral("normalQLineEdit"));
    ui->lblMeetingSetting->setObjectName(QStringLiteral("normalQLabel"));
    ui->pBtnJoinMeeting->setObjectName(QStringLiteral("defaultQPushButton"));
    ui->pBtnClipboardNo->setObjectName(QStringLiteral("clipboardNoQPushButton"));

    m_chain = new JoinChain(this);
    m_spinner = new WaitingSpinnerWidget(this, true, true);

    fillHistory();

    m_nickname = baseValues->signedIn ? baseValues->meetingPersonName : baseValues->wmNickname;
    if (!nickname.isEmpty())
        m_nickname = nickname;
    ui->lEditNickname->setText(m_nickname);
    ui->chkBoxOpenMic->setChecked(baseValues->micOn);
    ui->chkBoxOpenCamera->setChecked(baseValues->cameraOn);

    connect(ui->pBtnClose, &QPushButton::clicked, this, &JoinMeeting::onCloseBtnClicked);
    connect(ui->pBtnJoinMeeting, &QPushButton::clicked, this, &JoinMeeting::onJoinMeetingBtnClicked);
    connect(ui->cboBoxMeetingNo, &QComboBox::editTextChanged, this,
            &JoinMeeting::onMeetingNoCboBoxEditTextChanged);
    connect(ui->pBtnClipboardNo, &QPushButton::clicked, this, [this] {
        ui->pBtnClipboardNo->hide();
        ui->cboBoxMeetingNo->setEditText(ui->pBtnClipboardNo->property("meetingNo").toString());
        ui->cboBoxMeetingNo->setFocus();
        ui->cboBoxMeetingNo->lineEdit()->end(false);
    });
    // Enter in either field reaches the join button as the form's default
    // button; a returnPressed connection besides would join twice.

    connect(m_chain, &JoinChain::joining, this, &JoinMeeting::joinRequested);
    connect(m_chain, &JoinChain::finished, this, &JoinMeeting::joinFinished);
    connect(m_manager, &WeMeetManager::OnForcedLogoutFinishSignal, this,
            &JoinMeeting::wmForcedLogoutCompleteSlot);

    // Runs the input filter, so a given number shows formatted; an empty one
    // leaves the field empty even with a history row current.
    ui->cboBoxMeetingNo->setEditText(meetingNo);
    if (meetingNo.isEmpty())
        onMeetingNoCboBoxEditTextChanged(QString());
}

bool JoinMeeting::isJoining() const
{
    return m_chain->isRunning() || m_stepWindow;
}

JoinMeeting::~JoinMeeting()
{
    disconnect(m_manager, nullptr, this, nullptr);
    delete ui;
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
    // A join given up is undone by the chain; the start screen beneath a
    // guest learns that the dialog is done.
    if (m_chain->abandon() && !baseValues->signedIn)
        emit joinMeetingFinishSignal();
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
    m_chain->abandon();
    disconnect(m_chain, nullptr, this, nullptr);
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

// --- the join chain ------------------------------------------------------------------

JoinChain::Meeting JoinMeeting::meeting() const
{
    return {meetingNo(), m_nickname, ui->chkBoxOpenMic->isChecked(), ui->chkBoxOpenCamera->isChecked()};
}

void JoinMeeting::onJoinMeetingBtnClicked()
{
    if (m_closing || m_chain->isRunning() || !isEnabled())
        return;
    baseValues->linkInfo.clear();
    m_unattended = false;
    // A join typed by hand carries no phone of an earlier link.
    m_telephone.clear();
    m_mobileCountryCode.clear();
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
        m_spinner->setText(UiText::joiningMeeting);
        m_chain->joinAsMember(meeting());
        m_spinner->start();
        return;
    }
    m_spinner->setText(UiText::signingInMeeting);
    joinAsGuest();
    m_spinner->start();
}

void JoinMeeting::linkJoinMeetingSlot()
{
    // Taken whatever comes of it: a link left behind would join by itself
    // once the user is back.
    const QMap<QString, QString> link = baseValues->linkInfo;
    baseValues->linkInfo.clear();
    if (m_closing)
        return;
    const QString code = link.value(QStringLiteral("meetingCode"));
    if (isJoining()) {
        // The join under way stays the one joined and remembered.
        if (code != m_chain->meeting().code)
            Messages::tell(this, UiText::joiningOtherMeeting, UiText::gotIt);
        return;
    }
    ui->pBtnClipboardNo->hide();
    // A link joins only the number it carries; without one the user completes the dialog.
    if (code.isEmpty())
        return;
    setMeetingNo(code);
    const QString name = QUrl::fromPercentEncoding(link.value(QStringLiteral("name")).toUtf8());
    if (!name.isEmpty())
        setNickname(name);
    if (meetingNo() != code || code.size() != 9) {
        Messages::notice(this, QStringLiteral("当前会议号无效"));
        return;
    }
    m_nickname = nickname();
    if (m_nickname.isEmpty())
        return;
    m_telephone = link.value(QStringLiteral("phone"));
    m_mobileCountryCode = link.value(QStringLiteral("mobileCountryCode"));
    // Nobody clicked join: the switches show what the link may turn on.
    m_unattended = true;
    const JoinChain::Meeting switches = JoinChain::unattended(code, m_nickname);
    ui->chkBoxOpenMic->setChecked(switches.micOn);
    ui->chkBoxOpenCamera->setChecked(switches.cameraOn);
    m_spinner->setText(UiText::signingInMeeting);
    joinAsGuest();
    m_spinner->start();
}

void JoinMeeting::joinAsGuest()
{
    // However late the answer, the wait ends by itself.
    armJoinWait();
    m_chain->joinAsGuest(meeting(), m_telephone, m_mobileCountryCode);
}

void JoinMeeting::joinFinished(const JoinOutcome &outcome)
{
    m_spinner->stop();
    switch (outcome.kind) {
    case JoinOutcome::Kind::Joined:
        // The screen beneath reads how it ended when it hears of it.
        m_outcome = Outcome::Joined;
        m_joinResult.clear();
        rememberJoin();
        emit accepted();
        emit joinMeetingFinishSignal();
        finish(Outcome::Joined);
        break;
    case JoinOutcome::Kind::JoinFailed:
        m_outcome = Outcome::Failed;
        m_joinResult = outcome.text;
        emit accepted();
        emit joinMeetingFinishSignal();
        finish(Outcome::Failed);
        break;
    case JoinOutcome::Kind::LeftWaitingRoom:
        m_outcome = Outcome::LeftWaitingRoom;
        rememberJoin();
        if (!baseValues->signedIn)
            emit joinMeetingFinishSignal();
        finish(Outcome::LeftWaitingRoom);
        break;
    case JoinOutcome::Kind::VerifyPhone:
        openPhoneNumberVerify();
        break;
    case JoinOutcome::Kind::Approve:
        activityApproveSlot(outcome.text, baseValues->telephone, baseValues->mobileCountryCode);
        break;
    case JoinOutcome::Kind::Refused:
        Messages::tell(this, outcome.text, UiText::ok);
        break;
    case JoinOutcome::Kind::MembersOnly:
        // Trying again as a guest can never work.
        Messages::ask(this, outcome.text, UiText::cancel, QStringLiteral("登录后入会"),
                      [this](bool confirmed) {
                          if (confirmed)
                              emit signInRequested();
                      });
        break;
    case JoinOutcome::Kind::Notice:
    case JoinOutcome::Kind::Admitted:
        Messages::notice(this, outcome.text);
        break;
    }
}

void JoinMeeting::activityApproveSlot(QString url, QString telephone, QString mobileCountryCode)
{
    ActivityApprove *approve = Navigator::instance()->openActivityApprove(this, url, baseValues->meetingId,
                                                                          telephone, mobileCountryCode);
    m_stepWindow = approve;
    connect(approve, &ActivityApprove::sendWmSdkInitSignal, this, &JoinMeeting::wmSdkInitSlot);
}

void JoinMeeting::openPhoneNumberVerify()
{
    // The check starts from the link's phone, or none: the session's phone
    // belongs to whoever signed in last.
    PhoneNumberVerify *verify = Navigator::instance()->openPhoneNumberVerify(
        this, m_chain->meeting().code, m_chain->meeting().nickname, m_telephone, m_mobileCountryCode);
    m_stepWindow = verify;
    connect(verify, &PhoneNumberVerify::sendWmSdkInitSignal, this, &JoinMeeting::wmSdkInitSlot);
    connect(verify, &PhoneNumberVerify::sendActivityApproveSignal, this, &JoinMeeting::activityApproveSlot);
}

void JoinMeeting::wmSdkInitSlot()
{
    if (m_closing)
        return;
    m_spinner->setText(UiText::joiningMeeting);
    m_spinner->start();
    // The meeting the verification was for, whatever the fields show now.
    m_chain->signInAndJoin(m_chain->meeting());
}

void JoinMeeting::joinRequested()
{
    m_spinner->setText(UiText::joiningMeeting);
    m_spinner->start();
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

void JoinMeeting::rememberJoin()
{
    // What was joined, not what the fields show by now.
    const JoinChain::Meeting &joined = m_chain->meeting();
    baseValues->currentMeetingCode = joined.code;
    baseValues->wmNickname = joined.nickname;
    // A link's switches were not the user's choice.
    if (!m_unattended) {
        baseValues->micOn = joined.micOn;
        baseValues->cameraOn = joined.cameraOn;
        saveMeetingInfo();
    }
    if (!baseValues->meetingName.isEmpty()) {
        baseValues->meetingHistory = MeetingHistory::withEntry(
            baseValues->meetingHistory, baseValues->currentMeetingCode, baseValues->meetingName,
            QDateTime::currentDateTime().toString(historyTimeFormat));
    }
    saveUserInfo();
}
