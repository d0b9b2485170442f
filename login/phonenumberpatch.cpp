#include "login/phonenumberpatch.h"
#include "login/logcategory.h"
#include "ui_phonenumberpatch.h"

#include "app/areacode.h"
#include "app/basevalues.h"
#include "app/uitexts.h"
#include "app/userstore.h"
#include "http/tmphoneverifyhttp.h"
#include "http/usermessage.h"
#include "login/signinprogress.h"
#include "login/verifycodecountdown.h"
#include "sdk/signinchain.h"
#include "session/navigator.h"
#include "widgets/plaintext.h"

#include <QDebug>
#include <QLineEdit>

PhoneNumberPatch::PhoneNumberPatch(int origin, QWidget *parent)
    : BorderDialog(parent), ui(new Ui::PhoneNumberPatch), m_origin(origin)
{
    ui->setupUi(this);
    setUpWindow(baseValues->appName, windowFlags() | Qt::FramelessWindowHint);
    setClosesOnEscape(false);
    setUpTitleButtons(ui->pBtnMin, ui->pBtnClose, ui->pBtnReturn);
    ui->lblName->setTextFormat(Qt::PlainText);
    ui->lblName->setText(PlainText::oneLine(baseValues->personName));
    ui->wtPhoneNumEdit->setAreaCodeList(readAreaCodes());

    // Style object names; the form names above are the designer's.
    ui->backgroundWidget->setObjectName(QStringLiteral("backgroundWidget"));
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
    m_progress = new SignInProgress(this);
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
    m_progress->start(SignInProgress::Step::Chain, UiText::signingInMeeting);
    m_chain->requestMemberToken(baseValues->tenantInfo, ui->wtPhoneNumEdit->phoneNumber(),
                                QStringLiteral("+") + ui->wtPhoneNumEdit->areaCode(),
                                ui->lEditInputVerifyCode->text());
}

void PhoneNumberPatch::onVerifyCodeBtnClicked()
{
    m_countdown->requestForPhone(ui->wtPhoneNumEdit, m_phoneVerifyHttp);
}

void PhoneNumberPatch::comfirmBtnEnabledStatusSlot()
{
    ui->pBtnComfirm->setEnabled(!ui->wtPhoneNumEdit->areaCode().isEmpty() &&
                                !ui->wtPhoneNumEdit->phoneNumber().isEmpty() &&
                                !ui->lEditInputVerifyCode->text().isEmpty());
}

void PhoneNumberPatch::tmPhoneVerifyResultSlot(QString result, ServiceReply reply)
{
    Q_UNUSED(result)
    m_countdown->answered(reply, ui->lEditInputVerifyCode);
}

void PhoneNumberPatch::tmTokenResultSlot(QString result, ServiceReply reply)
{
    Q_UNUSED(result)
    if (!reply.succeeded()) {
        saveAccountLogin(false);
        m_progress->fail(userMessage(reply));
        return;
    }
    if (baseValues->loginStatus == QLatin1String("1")) {
        saveForOrigin();
        m_progress->next(SignInProgress::Step::Chain, UiText::signingInMeeting);
        // Also when the SDK still needs its initialisation: the chain signs
        // in once that completes.
        m_chain->signInToMeetingSdk();
    } else if (baseValues->loginStatus == QLatin1String("2")) {
        m_progress->fail(QStringLiteral("需手机号验证"));
    } else {
        // Nothing would ever stop the busy indicator.
        qCDebug(lcLogin).noquote() << "phone completion: unhandled loginStatus" << baseValues->loginStatus;
        m_progress->fail(UiText::loginFailed);
    }
}

void PhoneNumberPatch::wmLoginCompleteSlot(QString result)
{
    m_progress->finishMeetingSdkSignIn(result);
}

void PhoneNumberPatch::showHomeViewSlot()
{
    Navigator::instance()->showHomeScreen(this);
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
