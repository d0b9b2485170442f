#include "login/accountlogin.h"
#include "login/logcategory.h"
#include "ui_accountlogin.h"

#include "app/basevalues.h"
#include "app/uitexts.h"
#include "app/userstore.h"
#include "http/logincomverifyhttp.h"
#include "http/loginhttp.h"
#include "login/signinprogress.h"
#include "login/versionchoice.h"
#include "sdk/signinchain.h"
#include "session/navigator.h"
#include "widgets/loginshared.h"

#include <QButtonGroup>
#include <QDebug>
#include <QIcon>

AccountLogin::AccountLogin(QString type, QWidget *parent)
    : BorderDialog(parent), ui(new Ui::AccountLogin), m_type(type)
{
    ui->setupUi(this);
    setUpWindow(baseValues->appName, windowFlags() | Qt::FramelessWindowHint);
    setClosesOnEscape(false);
    setUpTitleButtons(ui->pBtnMin, ui->pBtnClose, ui->pBtnReturn);
    ui->pBtnPhoneLogin->setIcon(QIcon(QStringLiteral(":/image/images/phone.png")));

    // Style object names; the form names above are the designer's.
    VersionChoice::setUpSharedLooks(ui);
    ui->lEditPassword->setObjectName(QStringLiteral("normalQLineEdit"));
    ui->pBtnAccountLogin->setObjectName(QStringLiteral("defaultQPushButton"));
    ui->pBtnPhoneLogin->setObjectName(QStringLiteral("iconPushButton"));

    m_loginHttp = new LoginHttp(this);
    m_comVerifyHttp = new LoginComVerifyHttp(this);
    m_chain = new SignInChain(this);
    m_progress = new SignInProgress(this);
    m_progress->setField(SignInProgress::Step::CompanyCheck, ui->lEditCompanyCode);
    m_progress->setField(SignInProgress::Step::SignIn, ui->lEditPassword);

    // Title bar
    connect(ui->pBtnMin, &QPushButton::clicked, this, &AccountLogin::onMinBtnClicked);
    connect(ui->pBtnClose, &QPushButton::clicked, this, &AccountLogin::onCloseBtnClicked);
    connect(ui->pBtnReturn, &QPushButton::clicked, this, &AccountLogin::onReturnBtnClicked);
    connect(ui->pBtnQRCode, &QPushButton::clicked, this, &AccountLogin::onQRCodeBtnClicked);

    // Version, fields and choices
    connect(ui->lEditCompanyCode, &QLineEdit::textChanged, this, &AccountLogin::comfirmBtnEnabledStatusSlot);
    connect(ui->lEditAccount, &QLineEdit::textChanged, this, &AccountLogin::comfirmBtnEnabledStatusSlot);
    connect(ui->lEditPassword, &QLineEdit::textChanged, this, &AccountLogin::comfirmBtnEnabledStatusSlot);
    connect(ui->chkBoxAutoLogin, &QCheckBox::stateChanged, this,
            &AccountLogin::onAutoLoginChkBoxStateChanged);
    connect(ui->chkBoxRemberPwd, &QCheckBox::stateChanged, this,
            &AccountLogin::onRemberPwdChkBoxStateChanged);

    // Actions
    connect(ui->pBtnAccountLogin, &QPushButton::clicked, this, &AccountLogin::onAccountLoginBtnClicked);
    connect(ui->pBtnPhoneLogin, &QPushButton::clicked, this, &AccountLogin::onPhoneLoginBtnClicked);
    connect(ui->lblRight, &QLabel::linkActivated, this, &AccountLogin::onLinkActivated);

    // The sign-in chain
    connect(m_comVerifyHttp, &LoginComVerifyHttp::sendComVerifyResultSignal, this,
            &AccountLogin::loginComVerifyResultSlot);
    connect(m_loginHttp, &LoginHttp::sendLoginResultSignal, this, &AccountLogin::loginResultSlot);
    connect(m_chain, &SignInChain::tokenAnswered, this, &AccountLogin::tmTokenResultSlot);
    connect(m_chain, &SignInChain::meetingSdkFinished, this, &AccountLogin::wmLoginCompleteSlot);
    connect(this, &AccountLogin::uiLoadedFinishSignal, this, &AccountLogin::uiLoadedFinishSlot,
            Qt::QueuedConnection);

    // Preselect the version and fill what is remembered for it.
    VersionChoice::setUp(ui->btnGroupType, ui->rdoBtnEnterprise, ui->rdoBtnRegulatory, ui->rdoBtnFinancial,
                         type);
    loadLoginInfo();
    const int preselected = type.toInt();
    if (preselected == baseValues->accountType) {
        fillRemembered(preselected);
    } else {
        ui->lEditCompanyCode->clear();
        ui->lEditAccount->clear();
        ui->lEditPassword->clear();
        ui->chkBoxAutoLogin->setChecked(false);
        ui->chkBoxRemberPwd->setChecked(false);
    }
    if (ui->rdoBtnRegulatory->isChecked())
        ui->lEditCompanyCode->setPlaceholderText(VersionChoice::companyCodePlaceholder(2));
    comfirmBtnEnabledStatusSlot();

    // Only now: "金融版" preselected must not hand over from inside the constructor.
    // Reached with Tab; a click picks the version without leaving a focus frame behind.
    for (QRadioButton *version : {ui->rdoBtnEnterprise, ui->rdoBtnRegulatory, ui->rdoBtnFinancial})
        version->setFocusPolicy(Qt::TabFocus);
    connect(ui->rdoBtnEnterprise, &QRadioButton::toggled, this, &AccountLogin::onEnterpriseRdoBtnToggled);
    connect(ui->rdoBtnRegulatory, &QRadioButton::toggled, this, &AccountLogin::onRegulatoryRdoBtnToggled);
    connect(ui->rdoBtnFinancial, &QRadioButton::toggled, this, &AccountLogin::onFinancialRdoBtnToggled);

    emit uiLoadedFinishSignal();
}

AccountLogin::~AccountLogin()
{
    delete ui;
}

void AccountLogin::resumeSession(const QString &companyCode, const QString &account, const QString &why)
{
    // Not the remembered automatic sign-in: it is what just failed.
    m_signInRequested = true;
    if (!showsRemembered() || ui->lEditCompanyCode->text() != companyCode ||
        ui->lEditAccount->text() != account) {
        ui->lEditCompanyCode->setText(companyCode);
        ui->lEditAccount->setText(account);
        ui->lEditPassword->clear();
    }
    LoginShared::showReason(this, why);
    QLineEdit *next = ui->lEditCompanyCode->text().isEmpty() ? ui->lEditCompanyCode
                      : ui->lEditAccount->text().isEmpty()   ? ui->lEditAccount
                                                             : ui->lEditPassword;
    if (ui->pBtnAccountLogin->isEnabled())
        ui->pBtnAccountLogin->setFocus(Qt::OtherFocusReason);
    else
        next->setFocus(Qt::OtherFocusReason);
}

void AccountLogin::simulateLogin(const QString &companyCode, const QString &userName)
{
    m_signInRequested = true;
    m_progress->start(SignInProgress::Step::SignIn, UiText::signingInAccount);
    m_loginHttp->simulateLogin(companyCode, userName);
}

void AccountLogin::onMinBtnClicked()
{
    showMinimized();
}

void AccountLogin::onCloseBtnClicked()
{
    // With no other window left the navigator ends the run.
    close();
}

void AccountLogin::onReturnBtnClicked()
{
    // Returned on purpose: with automatic sign-in remembered the start
    // screen would otherwise bring the user straight back here.
    Navigator::instance()->showStartScreen(this, Navigator::StartReason::Returned);
}

void AccountLogin::onPhoneLoginBtnClicked()
{
    Navigator::instance()->showPhoneLogin(this, QString::number(ui->btnGroupType->checkedId()));
}

void AccountLogin::onQRCodeBtnClicked()
{
    Navigator::instance()->showQRCodeLogin(this, QStringLiteral("AccountLogin"));
}

void AccountLogin::onAccountLoginBtnClicked()
{
    m_signInRequested = true;
    baseValues->accountType = VersionChoice::checked(ui->btnGroupType);
    m_progress->start(SignInProgress::Step::CompanyCheck, QStringLiteral("公司代码校验..."));
    m_comVerifyHttp->request(ui->lEditCompanyCode->text());
}

void AccountLogin::onEnterpriseRdoBtnToggled(bool checked)
{
    if (!checked)
        return;
    ui->lEditCompanyCode->setPlaceholderText(VersionChoice::companyCodePlaceholder(1));
    fillRemembered(1);
}

void AccountLogin::onRegulatoryRdoBtnToggled(bool checked)
{
    if (!checked)
        return;
    ui->lEditCompanyCode->setPlaceholderText(VersionChoice::companyCodePlaceholder(2));
    fillRemembered(2);
}

void AccountLogin::onFinancialRdoBtnToggled(bool checked)
{
    // Financial accounts sign in by phone only.
    if (checked)
        Navigator::instance()->showPhoneLogin(this, QStringLiteral("3"));
}

void AccountLogin::onAutoLoginChkBoxStateChanged(int arg1)
{
    if (arg1 == Qt::Checked)
        ui->chkBoxRemberPwd->setChecked(true);
}

void AccountLogin::onRemberPwdChkBoxStateChanged(int arg1)
{
    if (arg1 == Qt::Unchecked)
        ui->chkBoxAutoLogin->setChecked(false);
}

void AccountLogin::onLinkActivated(QString link)
{
    LoginShared::openAgreementDocument(link);
}

void AccountLogin::comfirmBtnEnabledStatusSlot()
{
    ui->pBtnAccountLogin->setEnabled(!ui->lEditCompanyCode->text().isEmpty() &&
                                     !ui->lEditAccount->text().isEmpty() &&
                                     !ui->lEditPassword->text().isEmpty());
}

void AccountLogin::loginComVerifyResultSlot(QString result, ServiceReply reply)
{
    if (!m_progress->companyMatches(result, reply, baseValues->accountType,
                                    QStringLiteral("该公司代码为上市公司，请选择企业版登录")))
        return;
    m_loginHttp->loginByAccount(ui->lEditCompanyCode->text(), ui->lEditAccount->text(),
                                ui->lEditPassword->text(), baseValues->accountType);
}

void AccountLogin::loginResultSlot(QString result, ServiceReply reply)
{
    if (!m_progress->signedInAtService(result, reply))
        return;
    baseValues->accountType = VersionChoice::checked(ui->btnGroupType);
    baseValues->autoLogin = ui->chkBoxAutoLogin->isChecked() ? QStringLiteral("1") : QString();
    baseValues->rememberPassword = ui->chkBoxRemberPwd->isChecked();
    baseValues->accountCompanyCode = ui->lEditCompanyCode->text();
    baseValues->accountUserName = ui->lEditAccount->text();
    baseValues->accountPassword = LoginShared::encodePassword(ui->lEditPassword->text());
    m_progress->next(SignInProgress::Step::Chain, UiText::signingInMeeting);
    m_chain->requestMemberToken(baseValues->tenantInfo, baseValues->telephone, baseValues->mobileCountryCode,
                                QString());
}

void AccountLogin::tmTokenResultSlot(QString result, ServiceReply reply)
{
    Q_UNUSED(result)
    if (!m_progress->tokenReceived(reply))
        return;
    const bool autoLoginChecked = ui->chkBoxAutoLogin->isChecked();
    if (baseValues->loginStatus == QLatin1String("1")) {
        saveAccountLogin(autoLoginChecked);
        m_chain->signInToMeetingSdk();
    } else if (baseValues->loginStatus == QLatin1String("3")) {
        m_progress->stop();
        Navigator::instance()->showPhoneNumberPatch(this, autoLoginChecked ? 1 : 0);
    } else {
        // Nothing would ever stop the busy indicator.
        qCDebug(lcLogin).noquote() << "sign-in: unhandled loginStatus" << baseValues->loginStatus;
        m_progress->fail(UiText::loginFailed);
    }
}

void AccountLogin::wmLoginCompleteSlot(QString result)
{
    if (m_progress->expecting(SignInProgress::Step::Chain, "Meeting SDK sign-in"))
        m_progress->finishMeetingSdkSignIn(result);
}

void AccountLogin::showHomeViewSlot()
{
    Navigator::instance()->showHomeScreen(this);
}

void AccountLogin::uiLoadedFinishSlot()
{
    if (m_signInRequested)
        return;
    if (!baseValues->ssoCompanyCode.isEmpty() && !baseValues->ssoUserName.isEmpty()) {
        // A hand-off is used once; keeping it would sign the user in again
        // after every sign-out.
        const QString companyCode = baseValues->ssoCompanyCode;
        const QString userName = baseValues->ssoUserName;
        baseValues->ssoCompanyCode.clear();
        baseValues->ssoUserName.clear();
        simulateLogin(companyCode, userName);
    } else if (baseValues->autoLogin == QLatin1String("1") && !baseValues->autoLoginBlocked) {
        // Remembered for another version than this window opened with: the
        // fields are empty, and a sign-in with them could only fail.
        if (ui->pBtnAccountLogin->isEnabled())
            onAccountLoginBtnClicked();
        else
            qCDebug(lcLogin) << "automatic sign-in skipped: nothing remembered for this version";
    }
}

void AccountLogin::fillRemembered(int type)
{
    if (type != baseValues->accountType || type == 0) {
        // Remembered values must not travel with another version.
        if (showsRemembered()) {
            ui->lEditCompanyCode->clear();
            ui->lEditAccount->clear();
            ui->lEditPassword->clear();
            ui->chkBoxAutoLogin->setChecked(false);
            ui->chkBoxRemberPwd->setChecked(false);
        }
        return;
    }
    if (QAbstractButton *button = ui->btnGroupType->button(type))
        button->setChecked(true);
    if (baseValues->rememberPassword) {
        ui->lEditCompanyCode->setText(baseValues->accountCompanyCode);
        ui->lEditAccount->setText(baseValues->accountUserName);
        ui->lEditPassword->setText(LoginShared::decodePassword(baseValues->accountPassword));
        ui->chkBoxRemberPwd->setChecked(true);
    } else {
        ui->chkBoxRemberPwd->setChecked(false);
    }
    ui->chkBoxAutoLogin->setChecked(baseValues->autoLogin == QLatin1String("1"));
}

bool AccountLogin::showsRemembered() const
{
    return !baseValues->accountCompanyCode.isEmpty() &&
           ui->lEditCompanyCode->text() == baseValues->accountCompanyCode &&
           ui->lEditAccount->text() == baseValues->accountUserName &&
           ui->lEditPassword->text() == LoginShared::decodePassword(baseValues->accountPassword);
}
