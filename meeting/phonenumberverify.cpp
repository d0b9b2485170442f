#include "meeting/phonenumberverify.h"
#include "ui_phonenumberverify.h"

#include "app/areacode.h"
#include "app/basevalues.h"
#include "app/uitexts.h"
#include "app/waits.h"
#include "http/tmphoneverifyhttp.h"
#include "login/verifycodecountdown.h"
#include "sdk/joinchain.h"
#include "sdk/wemeetmanager.h"
#include "widgets/loginshared.h"
#include "widgets/messages.h"
#include "widgets/waitingspinnerwidget.h"

#include <QDebug>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

PhoneNumberVerify::PhoneNumberVerify(QString meetingNo, QString nickname, QString telephone,
                                     QString mobileCountryCode, QWidget *parent)
    : BorderDialog(parent), ui(new Ui::PhoneNumberVerify), m_meetingNo(std::move(meetingNo)),
      m_nickname(std::move(nickname))
{
    ui->setupUi(this);
    setUpWindow(QStringLiteral("手机号码验证"));

    setUpTitleButtons(ui->pBtnMin, ui->pBtnClose, ui->pBtnReturn);

    // Style object names; the form names above are the designer's.
    ui->backgroundWidget->setObjectName(QStringLiteral("backgroundWidget"));
    ui->lblTitle->setObjectName(QStringLiteral("titleQLabel"));
    ui->lblPhoneNumber->setObjectName(QStringLiteral("normalQLabel"));
    ui->wtPhoneNumEdit->setObjectName(QStringLiteral("PhoneNumEdit"));
    ui->lblVerifyCode->setObjectName(QStringLiteral("normalQLabel"));
    ui->lEditInputVerifyCode->setObjectName(QStringLiteral("underlineQLineEdit"));
    ui->pBtnVerifyCode->setObjectName(QStringLiteral("normalQPushButton"));
    ui->pBtnComfirm->setObjectName(QStringLiteral("defaultQPushButton"));
    ui->lblTip->setObjectName(QStringLiteral("tipQLabel"));
    ui->lblRight->setObjectName(QStringLiteral("tipQLabel"));

    ui->wtPhoneNumEdit->setAreaCodeList(readAreaCodes());
    if (!telephone.isEmpty())
        ui->wtPhoneNumEdit->setPhoneNumber(telephone);
    ui->wtPhoneNumEdit->setAreaCode(QString(mobileCountryCode).remove(QLatin1Char('+')));
    ui->wtPhoneNumEdit->raise();

    m_phoneVerifyHttp = new TmPhoneVerifyHttp(this);
    m_chain = new JoinChain(this);
    m_spinner = new WaitingSpinnerWidget(this, true, true);
    m_countdown = new VerifyCodeCountdown(ui->pBtnVerifyCode, this);
    m_busyTimer = new QTimer(this);
    m_busyTimer->setSingleShot(true);

    // Title bar
    connect(ui->pBtnMin, &QPushButton::clicked, this, &PhoneNumberVerify::onMinBtnClicked);
    connect(ui->pBtnClose, &QPushButton::clicked, this, &PhoneNumberVerify::onCloseBtnClicked);
    connect(ui->pBtnReturn, &QPushButton::clicked, this, &PhoneNumberVerify::onReturnBtnClicked);

    // Fields and actions
    connect(ui->lEditInputVerifyCode, &QLineEdit::textChanged, this,
            &PhoneNumberVerify::comfirmBtnEnabledStatusSlot);
    for (const char *name : {"noBorderQLineEdit", "underlinePaddingQLineEdit"}) {
        if (auto *edit = ui->wtPhoneNumEdit->findChild<QLineEdit *>(QLatin1String(name)))
            connect(edit, &QLineEdit::textChanged, this, &PhoneNumberVerify::comfirmBtnEnabledStatusSlot);
    }
    connect(ui->pBtnVerifyCode, &QPushButton::clicked, this, &PhoneNumberVerify::onVerifyCodeBtnClicked);
    connect(ui->pBtnComfirm, &QPushButton::clicked, this, &PhoneNumberVerify::onComfirmBtnClicked);
    connect(ui->lblRight, &QLabel::linkActivated, this, &PhoneNumberVerify::onLinkActivated);
    connect(m_busyTimer, &QTimer::timeout, this, &PhoneNumberVerify::stopWaitingSlot);

    // Requests
    connect(m_phoneVerifyHttp, &TmPhoneVerifyHttp::sendTmPhoneVerifyResultSignal, this,
            &PhoneNumberVerify::tmPhoneVerifyResultSlot);
    connect(m_chain, &JoinChain::finished, this, &PhoneNumberVerify::verified);
    connect(WeMeetManager::instance(), &WeMeetManager::linkJoinMeetingSignal, this,
            &PhoneNumberVerify::onCloseBtnClicked);

    comfirmBtnEnabledStatusSlot();
    ui->wtPhoneNumEdit->setPhoneNumberFocus();
}

PhoneNumberVerify::~PhoneNumberVerify()
{
    delete ui;
}

QString PhoneNumberVerify::plusCountryCode() const
{
    return QStringLiteral("+") + ui->wtPhoneNumEdit->areaCode();
}

void PhoneNumberVerify::onMinBtnClicked()
{
    showMinimized();
}

void PhoneNumberVerify::onCloseBtnClicked()
{
    close();
}

void PhoneNumberVerify::onReturnBtnClicked()
{
    close();
}

void PhoneNumberVerify::onVerifyCodeBtnClicked()
{
    m_countdown->requestForPhone(ui->wtPhoneNumEdit, m_phoneVerifyHttp);
}

void PhoneNumberVerify::verifyCodeTimeoutSlot()
{
    m_countdown->tick();
}

void PhoneNumberVerify::tmPhoneVerifyResultSlot(QString result, ServiceReply reply)
{
    Q_UNUSED(result)
    m_countdown->answered(reply, ui->lEditInputVerifyCode);
}

void PhoneNumberVerify::comfirmBtnEnabledStatusSlot()
{
    ui->pBtnComfirm->setEnabled(!ui->wtPhoneNumEdit->areaCode().isEmpty() &&
                                !ui->wtPhoneNumEdit->phoneNumber().isEmpty() &&
                                !ui->lEditInputVerifyCode->text().isEmpty());
}

void PhoneNumberVerify::onComfirmBtnClicked()
{
    if (m_chain->isRunning())
        return;
    m_chain->verifyGuest(m_meetingNo, m_nickname, ui->wtPhoneNumEdit->phoneNumber(), plusCountryCode(),
                         ui->lEditInputVerifyCode->text());
    m_spinner->start();
    // The same latest stop as the other screens' waits.
    m_busyTimer->start(Waits::spinnerFallbackMs);
}

void PhoneNumberVerify::verified(const JoinOutcome &outcome)
{
    stopBusy();
    switch (outcome.kind) {
    case JoinOutcome::Kind::Admitted:
        emit sendWmSdkInitSignal();
        close();
        break;
    case JoinOutcome::Kind::Approve:
        emit sendActivityApproveSignal(outcome.text, ui->wtPhoneNumEdit->phoneNumber(), plusCountryCode());
        close();
        break;
    case JoinOutcome::Kind::Refused:
        Messages::tell(this, outcome.text, UiText::ok);
        break;
    default:
        Messages::notice(this, outcome.text);
        break;
    }
}

void PhoneNumberVerify::onLinkActivated(QString link)
{
    LoginShared::openAgreementDocument(link);
}

void PhoneNumberVerify::stopWaitingSlot()
{
    m_spinner->stop();
}

void PhoneNumberVerify::stopBusy()
{
    m_busyTimer->stop();
    m_spinner->stop();
}
