#include "login/phonelogin.h"
#include "login/logcategory.h"
#include "ui_phonelogin.h"

#include "app/basevalues.h"
#include "app/uitexts.h"
#include "app/userstore.h"
#include "http/logincomverifyhttp.h"
#include "http/loginhttp.h"
#include "http/loginverifyhttp.h"
#include "login/signinprogress.h"
#include "login/verifycodecountdown.h"
#include "login/versionchoice.h"
#include "sdk/signinchain.h"
#include "session/navigator.h"
#include "widgets/loginshared.h"

#include <QButtonGroup>
#include <QDebug>
#include <QIcon>
#include <QRegularExpressionValidator>

PhoneLogin::PhoneLogin(QString type, QWidget *parent) : BorderDialog(parent), ui(new Ui::PhoneLogin)
{
    ui->setupUi(this);
    setUpWindow(baseValues->appName, windowFlags() | Qt::FramelessWindowHint);
    setClosesOnEscape(false);
    setUpTitleButtons(ui->pBtnMin, ui->pBtnClose, ui->pBtnReturn);
    ui->pBtnAccountLogin->setIcon(QIcon(QStringLiteral(":/image/images/account.png")));
    ui->lEditAccount->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]+$")), ui->lEditAccount));
    // The phone sign-in never offers automatic sign-in.
    ui->chkBoxAutoLogin->setChecked(false);
    ui->chkBoxAutoLogin->hide();

    // Style object names; the form names above are the designer's.
    VersionChoice::setUpSharedLooks(ui);
    ui->lEditVerifyCode->setObjectName(QStringLiteral("normalQLineEdit"));
    ui->pBtnVerifyCode->setObjectName(QStringLiteral("normalQPushButton"));
    ui->pBtnPhoneLogin->setObjectName(QStringLiteral("defaultQPushButton"));
    ui->pBtnAccountLogin->setObjectName(QStringLiteral("iconPushButton"));

    m_loginHttp = new LoginHttp(this);
    m_verifyHttp = new LoginVerifyHttp(this);
    m_comVerifyHttp = new LoginComVerifyHttp(this);
    m_chain = new SignInChain(this);
    m_progress = new SignInProgress(this);
    m_progress->setField(SignInProgress::Step::CompanyCheck, ui->lEditCompanyCode);
    m_progress->setField(SignInProgress::Step::SignIn, ui->lEditVerifyCode);
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
    // Enter in the phone number asks for the code the user needs next.
    connect(ui->lEditAccount, &QLineEdit::returnPressed, this, [this] {
        if (!ui->lEditVerifyCode->text().isEmpty() || !ui->pBtnVerifyCode->isEnabled())
            return;
        onVerifyCodeBtnClicked();
        ui->lEditVerifyCode->setFocus(Qt::TabFocusReason);
    });

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

    VersionChoice::setUp(ui->btnGroupType, ui->rdoBtnEnterprise, ui->rdoBtnRegulatory, ui->rdoBtnFinancial,
                         type);
    loadLoginInfo();
    if (QAbstractButton *button = ui->btnGroupType->button(type.toInt());
        button && type.toInt() == baseValues->accountType)
        button->setChecked(true);
    ui->lEditCompanyCode->setText(baseValues->phoneCompanyCode);
    ui->lEditAccount->setText(baseValues->phoneTelephone);
    if (ui->rdoBtnRegulatory->isChecked())
        onRegulatoryRdoBtnToggled(true);
    comfirmBtnEnabledStatusSlot();

    // Reached with Tab; a click picks the version without leaving a focus frame behind.
    for (QRadioButton *version : {ui->rdoBtnEnterprise, ui->rdoBtnRegulatory, ui->rdoBtnFinancial})
        version->setFocusPolicy(Qt::TabFocus);
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
    baseValues->accountType = VersionChoice::checked(ui->btnGroupType);
    m_progress->start(SignInProgress::Step::CompanyCheck, QStringLiteral("公司代码校验..."));
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
    const QString companyCode = ui->lEditCompanyCode->text();
    const QString phone = ui->lEditAccount->text();
    // Each field's own prompt says what is missing.
    m_countdown->request({{companyCode, ui->lEditCompanyCode->placeholderText()},
                          {phone, ui->lEditAccount->placeholderText()}},
                         [&] { m_verifyHttp->request(companyCode, phone); });
}

void PhoneLogin::onEnterpriseRdoBtnToggled(bool checked)
{
    if (checked)
        ui->lEditCompanyCode->setPlaceholderText(VersionChoice::companyCodePlaceholder(1));
}

void PhoneLogin::onRegulatoryRdoBtnToggled(bool checked)
{
    if (checked)
        ui->lEditCompanyCode->setPlaceholderText(VersionChoice::companyCodePlaceholder(2));
}

void PhoneLogin::onFinancialRdoBtnToggled(bool checked)
{
    // Financial accounts sign in here; the window stays.
    if (checked)
        ui->lEditCompanyCode->setPlaceholderText(VersionChoice::companyCodePlaceholder(3));
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

void PhoneLogin::loginComVerifyResultSlot(QString result, ServiceReply reply)
{
    // Worded with "代码", unlike the password sign-in's notice.
    if (!m_progress->companyMatches(result, reply, baseValues->accountType,
                                    QStringLiteral("该公司代码为上市公司代码，请选择企业版登录")))
        return;
    m_loginHttp->loginByMobile(ui->lEditCompanyCode->text(), ui->lEditAccount->text(),
                               ui->lEditVerifyCode->text(), baseValues->accountType);
}

void PhoneLogin::loginResultSlot(QString result, ServiceReply reply)
{
    if (!m_progress->signedInAtService(result, reply))
        return;
    baseValues->autoLogin = ui->chkBoxAutoLogin->isChecked() ? QStringLiteral("2") : QString();
    // An automatic sign-in has no typed fields; keep what it signed in with.
    if (!ui->lEditCompanyCode->text().isEmpty())
        baseValues->phoneCompanyCode = ui->lEditCompanyCode->text();
    baseValues->phoneAccountType = VersionChoice::checked(ui->btnGroupType);
    if (!ui->lEditAccount->text().isEmpty())
        baseValues->phoneTelephone = ui->lEditAccount->text();
    m_progress->next(SignInProgress::Step::Chain, UiText::signingInMeeting);
    m_chain->requestMemberToken(baseValues->tenantInfo, baseValues->telephone, baseValues->mobileCountryCode,
                                QString());
}

void PhoneLogin::loginVerifyResultSlot(QString result, ServiceReply reply)
{
    Q_UNUSED(result)
    m_countdown->answered(reply, ui->lEditVerifyCode);
}

void PhoneLogin::tmTokenResultSlot(QString result, ServiceReply reply)
{
    Q_UNUSED(result)
    if (!m_progress->tokenReceived(reply))
        return;
    baseValues->phoneUserName = baseValues->userName;
    if (baseValues->loginStatus == QLatin1String("1")) {
        savePhoneLogin(ui->chkBoxAutoLogin->isChecked());
        m_chain->signInToMeetingSdk();
    } else {
        // Nothing would ever stop the busy indicator.
        qCDebug(lcLogin).noquote() << "sign-in: unhandled loginStatus" << baseValues->loginStatus;
        m_progress->fail(UiText::loginFailed);
    }
}

void PhoneLogin::wmLoginCompleteSlot(QString result)
{
    if (m_progress->expecting(SignInProgress::Step::Chain, "Meeting SDK sign-in"))
        m_progress->finishMeetingSdkSignIn(result);
}

void PhoneLogin::showHomeViewSlot()
{
    Navigator::instance()->showHomeScreen(this);
}

void PhoneLogin::resumeSession(const QString &companyCode, const QString &account, const QString &why)
{
    // Not the remembered automatic sign-in: it is what just failed.
    m_resumed = true;
    ui->lEditCompanyCode->setText(companyCode);
    ui->lEditAccount->setText(account);
    LoginShared::showReason(this, why);
    // A new SMS code is what the user needs next.
    ui->pBtnVerifyCode->setFocus(Qt::OtherFocusReason);
}

void PhoneLogin::uiLoadedFinishSlot()
{
    if (m_resumed || !m_progress->isIdle() || baseValues->autoLogin != QLatin1String("2") ||
        baseValues->autoLoginBlocked)
        return;
    m_progress->start(SignInProgress::Step::SignIn, UiText::signingInAccount);
    m_loginHttp->simulateLogin(baseValues->phoneCompanyCode, baseValues->phoneUserName);
}
