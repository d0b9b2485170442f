#include "login/phonenumberpatch.h"
#include "ui_phonenumberpatch.h"

#include "app/areacode.h"
#include "app/basevalues.h"
#include "app/uitexts.h"
#include "app/userstore.h"
#include "http/tmphoneverifyhttp.h"
#include "http/usermessage.h"
#include "sdk/signinchain.h"
#include "session/navigator.h"
#include "widgets/messages.h"
#include "widgets/verifycodecountdown.h"
#include "widgets/waitingspinnerwidget.h"

#include <QDebug>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>

PhoneNumberPatch::PhoneNumberPatch(int origin, QWidget *parent)
    : BorderDialog(parent), ui(new Ui::PhoneNumberPatch), m_origin(origin)
{
    ui->setupUi(this);
    setDraggable(true);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setWindowTitle(baseValues->appName);

    ui->pBtnMin->setIcon(QIcon(QStringLiteral(":/image/images/minimize.png")));
    ui->pBtnClose->setIcon(QIcon(QStringLiteral(":/image/images/close.png")));
    ui->pBtnReturn->setIcon(QIcon(QStringLiteral(":/image/images/return.png")));
    ui->lblName->setText(baseValues->personName);
    ui->wtPhoneNumEdit->setAreaCodeList(readAreaCodes());

    // Style object names; the form names above are the designer's.
    ui->backgroundWidget->setObjectName(QStringLiteral("backgroundWidget"));
    ui->pBtnMin->setObjectName(QStringLiteral("titlePushButton"));
    ui->pBtnClose->setObjectName(QStringLiteral("titlePushButton"));
    ui->pBtnReturn->setObjectName(QStringLiteral("titlePushButton"));
    ui->lblTitle->setObjectName(QStringLiteral("titleQLabel"));
    ui->lblHint->setObjectName(QStringLiteral("hintQLabel"));
    ui->lblName->setObjectName(QStringLiteral("nameQLabel"));
    ui->lblPhoneNumber->setObjectName(QStringLiteral("normalQLabel"));
    ui->lblVerifyCode->setObjectName(QStringLiteral("normalQLabel"));
    ui->lEditInputVerifyCode->setObjectName(QStringLiteral("underlineQLineEdit"));
    ui->pBtnVerifyCode->setObjectName(QStringLiteral("normalQPushButton"));
    ui->pBtnComfirm->setObjectName(QStringLiteral("defaultQPushButton"));

    m_phoneVerifyHttp = new TmPhoneVerifyHttp(this);
    m_chain = new SignInChain(this);
    m_spinner = new WaitingSpinnerWidget(this, true, true);
    m_countdown = new VerifyCodeCountdown(ui->pBtnVerifyCode, this);

    // Title bar
    connect(ui->pBtnMin, &QPushButton::clicked, this, &PhoneNumberPatch::onMinBtnClicked);
    connect(ui->pBtnClose, &QPushButton::clicked, this, &PhoneNumberPatch::onCloseBtnClicked);
    connect(ui->pBtnReturn, &QPushButton::clicked, this, &PhoneNumberPatch::onReturnBtnClicked);

    // Fields
    for (const char *name : {"noBorderQLineEdit", "underlinePaddingQLineEdit"}) {
        if (auto *edit = ui->wtPhoneNumEdit->findChild<QLineEdit *>(QLatin1String(name)))
            connect(edit, &QLineEdit::textChanged, this, &PhoneNumberPatch::comfirmBtnEnabledStatusSlot);
    }
    connect(ui->lEditInputVerifyCode, &QLineEdit::textChanged, this,
            &PhoneNumberPatch::comfirmBtnEnabledStatusSlot);

    // Actions
    connect(ui->pBtnVerifyCode, &QPushButton::clicked, this, &PhoneNumberPatch::onVerifyCodeBtnClicked);
    connect(ui->pBtnComfirm, &QPushButton::clicked, this, &PhoneNumberPatch::onComfirmBtnClicked);

    // The sign-in chain
    connect(m_phoneVerifyHttp, &TmPhoneVerifyHttp::sendTmPhoneVerifyResultSignal, this,
            &PhoneNumberPatch::tmPhoneVerifyResultSlot);
    connect(m_chain, &SignInChain::tokenAnswered, this, &PhoneNumberPatch::tmTokenResultSlot);
    connect(m_chain, &SignInChain::meetingSdkFinished, this, &PhoneNumberPatch::wmLoginCompleteSlot);

    comfirmBtnEnabledStatusSlot();
    ui->wtPhoneNumEdit->setPhoneNumberFocus();
}

PhoneNumberPatch::~PhoneNumberPatch()
{
    delete ui;
}

void PhoneNumberPatch::onMinBtnClicked()
{
    showMinimized();
}

void PhoneNumberPatch::onCloseBtnClicked()
{
    Navigator::instance()->showAccountLogin(this, QStringLiteral("1"));
}

void PhoneNumberPatch::onReturnBtnClicked()
{
    Navigator::instance()->showAccountLogin(this, QStringLiteral("1"));
}

void PhoneNumberPatch::onComfirmBtnClicked()
{
    m_spinner->setText(UiText::signingInMeeting);
    m_spinner->start();
    m_chain->requestMemberToken(baseValues->tenantInfo, ui->wtPhoneNumEdit->phoneNumber(),
                                QStringLiteral("+") + ui->wtPhoneNumEdit->areaCode(),
                                ui->lEditInputVerifyCode->text());
}

void PhoneNumberPatch::onVerifyCodeBtnClicked()
{
    if (ui->wtPhoneNumEdit->areaCode().isEmpty()) {
        Messages::notice(this, QStringLiteral("区号不能为空"));
        return;
    }
    if (ui->wtPhoneNumEdit->phoneNumber().isEmpty()) {
        Messages::notice(this, QStringLiteral("手机号不能为空"));
        return;
    }
    m_phoneVerifyHttp->request(ui->wtPhoneNumEdit->phoneNumber(),
                               QStringLiteral("+") + ui->wtPhoneNumEdit->areaCode());
    m_countdown->start();
}

void PhoneNumberPatch::comfirmBtnEnabledStatusSlot()
{
    ui->pBtnComfirm->setEnabled(!ui->wtPhoneNumEdit->areaCode().isEmpty() &&
                                !ui->wtPhoneNumEdit->phoneNumber().isEmpty() &&
                                !ui->lEditInputVerifyCode->text().isEmpty());
}

void PhoneNumberPatch::tmPhoneVerifyResultSlot(QString result)
{
    if (result.isEmpty()) {
        Messages::notice(this, QStringLiteral("手机验证码已发送"));
        ui->lEditInputVerifyCode->setFocus(Qt::OtherFocusReason);
    } else {
        m_countdown->endAtNextTick();
        Messages::notice(this, userMessage(result));
    }
}

void PhoneNumberPatch::tmTokenResultSlot(QString result)
{
    if (!result.isEmpty()) {
        saveAccountLogin(false);
        fail(result);
        return;
    }
    if (baseValues->loginStatus == QLatin1String("1")) {
        saveForOrigin();
        m_spinner->setText(UiText::signingInMeeting);
        // Also when the SDK still needs its initialisation: the chain signs
        // in once that completes.
        m_chain->signInToMeetingSdk();
    } else if (baseValues->loginStatus == QLatin1String("2")) {
        fail(QStringLiteral("需手机号验证"));
    } else {
        // Nothing would ever stop the busy indicator.
        qDebug().noquote() << "phone completion: unhandled loginStatus" << baseValues->loginStatus;
        fail(UiText::loginFailed);
    }
}

void PhoneNumberPatch::wmLoginCompleteSlot(QString result)
{
    m_spinner->stop();
    if (result.isEmpty())
        QMetaObject::invokeMethod(this, "showHomeViewSlot", Qt::QueuedConnection);
    else
        Messages::notice(this, UiText::loginFailed);
}

void PhoneNumberPatch::showHomeViewSlot()
{
    Navigator::instance()->showHomeScreen(this);
}

void PhoneNumberPatch::keyPressEvent(QKeyEvent *event)
{
    // Escape would close the screen; it never ends the run.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    BorderDialog::keyPressEvent(event);
}

void PhoneNumberPatch::saveForOrigin()
{
    switch (m_origin) {
    case 1:
        saveAccountLogin(true);
        break;
    case 2:
        savePhoneLogin(true);
        break;
    case 3:
        saveWxLogin(true);
        break;
    default:
        saveAccountLogin(false);
        break;
    }
}

void PhoneNumberPatch::fail(const QString &notice)
{
    m_spinner->stop();
    // Also carries request results, which the user reads in words.
    Messages::notice(this, userMessage(notice));
}
