#include "login/phonelogin.h"
#include "ui_phonelogin.h"

#include "app/basevalues.h"
#include "app/uitexts.h"
#include "app/userstore.h"
#include "http/logincomverifyhttp.h"
#include "http/loginhttp.h"
#include "http/loginverifyhttp.h"
#include "http/usermessage.h"
#include "sdk/signinchain.h"
#include "session/navigator.h"
#include "widgets/loginshared.h"
#include "widgets/messages.h"
#include "widgets/verifycodecountdown.h"
#include "widgets/waitingspinnerwidget.h"

#include <QButtonGroup>
#include <QDebug>
#include <QIcon>
#include <QKeyEvent>
#include <QRegularExpressionValidator>

PhoneLogin::PhoneLogin(QString type, QWidget *parent) : BorderDialog(parent), ui(new Ui::PhoneLogin)
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
    ui->pBtnQRCode->setIcon(QIcon(QStringLiteral(":/image/images/halfQrcode.png")));
    ui->pBtnAccountLogin->setIcon(QIcon(QStringLiteral(":/image/images/account.png")));
    ui->lEditAccount->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]+$")), ui->lEditAccount));
    // The phone sign-in never offers automatic sign-in.
    ui->chkBoxAutoLogin->setChecked(false);
    ui->chkBoxAutoLogin->hide();

    // Style object names; the form names above are the designer's.
    ui->backgroundWidget->setObjectName(QStringLiteral("backgroundWidget"));
    ui->pBtnMin->setObjectName(QStringLiteral("titlePushButton"));
    ui->pBtnClose->setObjectName(QStringLiteral("titlePushButton"));
    ui->pBtnReturn->setObjectName(QStringLiteral("titlePushButton"));
    ui->lblLogo->setObjectName(QStringLiteral("logoQLabel"));
    ui->pBtnQRCode->setObjectName(QStringLiteral("iconPushButton"));
    ui->lblType->setObjectName(QStringLiteral("normalQLabel"));
    ui->lEditCompanyCode->setObjectName(QStringLiteral("normalQLineEdit"));
    ui->lEditAccount->setObjectName(QStringLiteral("normalQLineEdit"));
    ui->lEditVerifyCode->setObjectName(QStringLiteral("normalQLineEdit"));
    ui->pBtnVerifyCode->setObjectName(QStringLiteral("normalQPushButton"));
    ui->pBtnPhoneLogin->setObjectName(QStringLiteral("defaultQPushButton"));
    ui->pBtnAccountLogin->setObjectName(QStringLiteral("iconPushButton"));
    ui->lblTip->setObjectName(QStringLiteral("tipQLabel"));
    ui->lblRight->setObjectName(QStringLiteral("tipQLabel"));

    ui->btnGroupType->setId(ui->rdoBtnEnterprise, 1);
    ui->btnGroupType->setId(ui->rdoBtnRegulatory, 2);
    ui->btnGroupType->setId(ui->rdoBtnFinancial, 3);

    m_loginHttp = new LoginHttp(this);
    m_verifyHttp = new LoginVerifyHttp(this);
    m_comVerifyHttp = new LoginComVerifyHttp(this);
    m_chain = new SignInChain(this);
    m_spinner = new WaitingSpinnerWidget(this, true, true);
    m_countdown = new VerifyCodeCountdown(ui->pBtnVerifyCode, this);

    // Title bar
    connect(ui->pBtnMin, &QPushButton::clicked, this, &PhoneLogin::onMinBtnClicked);
    connect(ui->pBtnClose, &QPushButton::clicked, this, &PhoneLogin::onCloseBtnClicked);
    connect(ui->pBtnReturn, &QPushButton::clicked, this, &PhoneLogin::onReturnBtnClicked);
    connect(ui->pBtnQRCode, &QPushButton::clicked, this, &PhoneLogin::onQRCodeBtnClicked);

    // Fields
    connect(ui->lEditCompanyCode, &QLineEdit::textChanged, this, &PhoneLogin::comfirmBtnEnabledStatusSlot);
    connect(ui->lEditAccount, &QLineEdit::textChanged, this, &PhoneLogin::comfirmBtnEnabledStatusSlot);
    connect(ui->lEditVerifyCode, &QLineEdit::textChanged, this, &PhoneLogin::comfirmBtnEnabledStatusSlot);

    // Actions
    connect(ui->pBtnVerifyCode, &QPushButton::clicked, this, &PhoneLogin::onVerifyCodeBtnClicked);
    connect(ui->pBtnPhoneLogin, &QPushButton::clicked, this, &PhoneLogin::onPhoneLoginBtnClicked);
    connect(ui->pBtnAccountLogin, &QPushButton::clicked, this, &PhoneLogin::onAccountLoginBtnClicked);
    connect(ui->lblRight, &QLabel::linkActivated, this, &PhoneLogin::openUrl);

    // The sign-in chain
    connect(m_comVerifyHttp, &LoginComVerifyHttp::sendComVerifyResultSignal, this,
            &PhoneLogin::loginComVerifyResultSlot);
    connect(m_loginHttp, &LoginHttp::sendLoginResultSignal, this, &PhoneLogin::loginResultSlot);
    connect(m_verifyHttp, &LoginVerifyHttp::sendLoginVerifyResultSignal, this,
            &PhoneLogin::loginVerifyResultSlot);
    connect(m_chain, &SignInChain::tokenAnswered, this, &PhoneLogin::tmTokenResultSlot);
    connect(m_chain, &SignInChain::meetingSdkFinished, this, &PhoneLogin::wmLoginCompleteSlot);
    connect(this, &PhoneLogin::uiLoadedFinishSignal, this, &PhoneLogin::uiLoadedFinishSlot,
            Qt::QueuedConnection);

    if (type == QLatin1String("1") || type == QLatin1String("2") || type == QLatin1String("3")) {
        QAbstractButton *button = ui->btnGroupType->button(type.toInt());
        button->setChecked(true);
        button->setFocus();
    }
    loadLoginInfo();
    if (QAbstractButton *button = ui->btnGroupType->button(type.toInt());
        button && type.toInt() == baseValues->accountType)
        button->setChecked(true);
    ui->lEditCompanyCode->setText(baseValues->phoneCompanyCode);
    ui->lEditAccount->setText(baseValues->phoneTelephone);
    if (ui->rdoBtnRegulatory->isChecked())
        onRegulatoryRdoBtnToggled(true);
    comfirmBtnEnabledStatusSlot();

    connect(ui->rdoBtnEnterprise, &QRadioButton::toggled, this, &PhoneLogin::onEnterpriseRdoBtnToggled);
    connect(ui->rdoBtnRegulatory, &QRadioButton::toggled, this, &PhoneLogin::onRegulatoryRdoBtnToggled);
    connect(ui->rdoBtnFinancial, &QRadioButton::toggled, this, &PhoneLogin::onFinancialRdoBtnToggled);

    emit uiLoadedFinishSignal();
}

PhoneLogin::~PhoneLogin()
{
    delete ui;
}

void PhoneLogin::onMinBtnClicked()
{
    showMinimized();
}

void PhoneLogin::onCloseBtnClicked()
{
    // The navigator ends the run once no window is left.
    close();
}

void PhoneLogin::onReturnBtnClicked()
{
    Navigator::instance()->showStartScreen(this, Navigator::StartReason::Returned);
}

void PhoneLogin::onPhoneLoginBtnClicked()
{
    m_step = Step::CompanyCheck;
    baseValues->accountType = checkedAccountType();
    startBusy(QStringLiteral("公司代码校验..."));
    m_comVerifyHttp->request(ui->lEditCompanyCode->text());
}

void PhoneLogin::onAccountLoginBtnClicked()
{
    Navigator::instance()->showAccountLogin(this, QString::number(ui->btnGroupType->checkedId()));
}

void PhoneLogin::onQRCodeBtnClicked()
{
    Navigator::instance()->showQRCodeLogin(this, QStringLiteral("PhoneLogin"));
}

void PhoneLogin::onVerifyCodeBtnClicked()
{
    if (ui->lEditCompanyCode->text().isEmpty()) {
        Messages::notice(this, ui->lEditCompanyCode->placeholderText());
        return;
    }
    if (ui->lEditAccount->text().isEmpty()) {
        Messages::notice(this, ui->lEditAccount->placeholderText());
        return;
    }
    m_verifyHttp->request(ui->lEditCompanyCode->text(), ui->lEditAccount->text());
    m_countdown->start();
}

void PhoneLogin::onEnterpriseRdoBtnToggled(bool checked)
{
    if (checked)
        ui->lEditCompanyCode->setPlaceholderText(QStringLiteral("请输入公司代码"));
}

void PhoneLogin::onRegulatoryRdoBtnToggled(bool checked)
{
    if (checked)
        ui->lEditCompanyCode->setPlaceholderText(QStringLiteral("请输入部署的证监局代码"));
}

void PhoneLogin::onFinancialRdoBtnToggled(bool checked)
{
    // Financial accounts sign in here; the window stays.
    if (checked)
        ui->lEditCompanyCode->setPlaceholderText(QStringLiteral("请输入公司代码"));
}

void PhoneLogin::openUrl(QString link)
{
    LoginShared::openAgreementDocument(link);
}

void PhoneLogin::comfirmBtnEnabledStatusSlot()
{
    ui->pBtnPhoneLogin->setEnabled(!ui->lEditCompanyCode->text().isEmpty() &&
                                   !ui->lEditAccount->text().isEmpty() &&
                                   !ui->lEditVerifyCode->text().isEmpty());
}

void PhoneLogin::loginComVerifyResultSlot(QString result)
{
    if (!expecting(Step::CompanyCheck, "company check"))
        return;
    if (result == QLatin1String("0")) {
        fail(QStringLiteral("该公司未开通服务"));
    } else if (result == QString::number(baseValues->accountType)) {
        m_step = Step::SignIn;
        m_spinner->setText(UiText::signingInAccount);
        m_loginHttp->loginByMobile(ui->lEditCompanyCode->text(), ui->lEditAccount->text(),
                                   ui->lEditVerifyCode->text(), baseValues->accountType);
    } else if (result == QLatin1String("1")) {
        fail(QStringLiteral("该公司代码为上市公司代码，请选择企业版登录"));
    } else if (result == QLatin1String("2")) {
        fail(QStringLiteral("该公司代码为证监局代码，请选择监管版登录"));
    } else if (result == QLatin1String("3")) {
        fail(QStringLiteral("该公司代码为金融版代码，请选择金融版登录"));
    } else {
        fail(result);
    }
}

void PhoneLogin::loginResultSlot(QString result)
{
    if (!expecting(Step::SignIn, "service sign-in"))
        return;
    if (!result.isEmpty()) {
        qDebug().noquote() << "loginResult err: " + result;
        fail(result);
        return;
    }
    baseValues->autoLogin = ui->chkBoxAutoLogin->isChecked() ? QStringLiteral("2") : QString();
    // An automatic sign-in has no typed fields; keep what it signed in with.
    if (!ui->lEditCompanyCode->text().isEmpty())
        baseValues->phoneCompanyCode = ui->lEditCompanyCode->text();
    baseValues->phoneAccountType = checkedAccountType();
    if (!ui->lEditAccount->text().isEmpty())
        baseValues->phoneTelephone = ui->lEditAccount->text();
    m_step = Step::Chain;
    m_spinner->setText(UiText::signingInMeeting);
    m_chain->requestMemberToken(baseValues->tenantInfo, baseValues->telephone, baseValues->mobileCountryCode,
                                QString());
}

void PhoneLogin::loginVerifyResultSlot(QString result)
{
    if (result.isEmpty()) {
        Messages::notice(this, QStringLiteral("手机验证码已发送"));
        ui->lEditVerifyCode->setFocus(Qt::OtherFocusReason);
    } else {
        m_countdown->endAtNextTick();
        Messages::notice(this, userMessage(result));
    }
}

void PhoneLogin::tmTokenResultSlot(QString result)
{
    if (!expecting(Step::Chain, "meeting-service token"))
        return;
    if (!result.isEmpty()) {
        fail(result);
        return;
    }
    baseValues->phoneUserName = baseValues->userName;
    if (baseValues->loginStatus == QLatin1String("1")) {
        savePhoneLogin(ui->chkBoxAutoLogin->isChecked());
        m_chain->signInToMeetingSdk();
    } else {
        // Nothing would ever stop the busy indicator.
        qDebug().noquote() << "sign-in: unhandled loginStatus" << baseValues->loginStatus;
        fail(UiText::loginFailed);
    }
}

void PhoneLogin::wmLoginCompleteSlot(QString result)
{
    if (!expecting(Step::Chain, "Meeting SDK sign-in"))
        return;
    m_step = Step::Idle;
    m_spinner->stop();
    if (result.isEmpty())
        QMetaObject::invokeMethod(this, "showHomeViewSlot", Qt::QueuedConnection);
    else
        Messages::notice(this, UiText::loginFailed);
}

void PhoneLogin::showHomeViewSlot()
{
    Navigator::instance()->showHomeScreen(this);
}

void PhoneLogin::uiLoadedFinishSlot()
{
    if (m_step != Step::Idle || baseValues->autoLogin != QLatin1String("2") || baseValues->autoLoginBlocked)
        return;
    m_step = Step::SignIn;
    startBusy(UiText::signingInAccount);
    m_loginHttp->simulateLogin(baseValues->phoneCompanyCode, baseValues->phoneUserName);
}

void PhoneLogin::keyPressEvent(QKeyEvent *event)
{
    // Escape would close the screen; it never ends the run.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    BorderDialog::keyPressEvent(event);
}

int PhoneLogin::checkedAccountType() const
{
    if (ui->rdoBtnFinancial->isChecked())
        return 3;
    if (ui->rdoBtnRegulatory->isChecked())
        return 2;
    if (ui->rdoBtnEnterprise->isChecked())
        return 1;
    return 0;
}

void PhoneLogin::startBusy(const QString &text)
{
    m_spinner->setText(text);
    m_spinner->start();
}

void PhoneLogin::fail(const QString &notice)
{
    m_step = Step::Idle;
    m_spinner->stop();
    // Also carries request results, which the user reads in words.
    Messages::notice(this, userMessage(notice));
}

bool PhoneLogin::expecting(Step step, const char *what)
{
    if (m_step == step)
        return true;
    qDebug() << "PhoneLogin: late or unexpected answer ignored:" << what;
    return false;
}
