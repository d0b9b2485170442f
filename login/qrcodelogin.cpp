#include "login/qrcodelogin.h"
#include "login/logcategory.h"
#include "ui_qrcodelogin.h"

#include "app/basevalues.h"
#include "app/uitexts.h"
#include "app/userstore.h"
#include "app/waits.h"
#include "http/loginhttp.h"
#include "http/loginwxbindinghttp.h"
#include "http/loginwxurlhttp.h"
#include "http/usermessage.h"
#include "sdk/signinchain.h"
#include "session/navigator.h"
#include "widgets/loginshared.h"
#include "widgets/messages.h"
#include "widgets/progressindicator.h"
#include "widgets/qrcode.h"
#include "widgets/waitingspinnerwidget.h"

#include <QDebug>
#include <QGraphicsDropShadowEffect>
#include <QIcon>
#include <QTimer>
#include <QTimerEvent>

QRCodeLogin::QRCodeLogin(QString returnTo, QWidget *parent)
    : BorderDialog(parent), ui(new Ui::QRCodeLogin), m_returnTo(returnTo)
{
    ui->setupUi(this);
    setUpWindow(baseValues->appName, windowFlags() | Qt::FramelessWindowHint);
    setClosesOnEscape(false);
    loadLoginInfo();

    setUpTitleButtons(ui->pBtnMin, ui->pBtnClose, ui->pBtnReturn);
    ui->pBtnPCLogin->setIcon(QIcon(QStringLiteral(":/image/images/halfPc.png")));
    ui->pBtnPCLogin->setToolTip(m_returnTo == QLatin1String("PhoneLogin") ? QStringLiteral("手机登录")
                                                                          : QStringLiteral("账号登录"));
    auto *shadow = new QGraphicsDropShadowEffect(ui->frmScanComplete);
    shadow->setOffset(0, 0);
    shadow->setColor(Qt::black);
    shadow->setBlurRadius(8);
    ui->frmScanComplete->setGraphicsEffect(shadow);
    ui->chkBoxAutoLogin->setChecked(false);
    ui->chkBoxAutoLogin->hide();
    ui->frmScanComplete->hide();
    ui->lblCompleteIcon->hide();
    ui->lblScanComplete->hide();
    hideInvalid();

    // Style object names; the form names above are the designer's.
    ui->backgroundWidget->setObjectName(QStringLiteral("backgroundWidget"));
    ui->pBtnPCLogin->setObjectName(QStringLiteral("iconPushButton"));
    ui->lblTitle->setObjectName(QStringLiteral("titleQLabel"));
    ui->lblQRCodeFrame->setObjectName(QStringLiteral("borderQLabel"));
    ui->frmInvalidQRCode->setObjectName(QStringLiteral("blackMaskQFrame"));
    ui->lblInvalidQRCode->setObjectName(QStringLiteral("whiteMaskQLabel"));
    ui->pBtnRefreshQRCode->setObjectName(QStringLiteral("maskPushButton"));
    ui->frmScanComplete->setObjectName(QStringLiteral("whiteMaskQFrame"));
    ui->lblCompleteIcon->setObjectName(QStringLiteral("completeIconQLabel"));
    ui->lblScanComplete->setObjectName(QStringLiteral("blackMaskQLabel"));
    ui->lblLoginTip->setObjectName(QStringLiteral("normalQLabel"));
    ui->lblTip->setObjectName(QStringLiteral("tipQLabel"));
    ui->lblRight->setObjectName(QStringLiteral("tipQLabel"));

    m_progress = new ProgressIndicator(ui->backgroundWidget);
    m_progress->resize(30, 30);
    m_progress->setColor(Qt::gray);
    m_progress->move(ui->lblQRCode->geometry().center() - QPoint(15, 15));
    m_wxUrlHttp = new LoginWxUrlHttp(this);
    m_loginHttp = new LoginHttp(this);
    m_chain = new SignInChain(this);
    m_spinner = new WaitingSpinnerWidget(this, true, true);
    m_expiryTimer = new QTimer(this);
    m_expiryTimer->setSingleShot(true);
    connect(m_expiryTimer, &QTimer::timeout, this, &QRCodeLogin::qrCodeInvalidSlot);

    // Title bar
    connect(ui->pBtnMin, &QPushButton::clicked, this, &QRCodeLogin::onMinBtnClicked);
    connect(ui->pBtnClose, &QPushButton::clicked, this, &QRCodeLogin::onCloseBtnClicked);
    connect(ui->pBtnReturn, &QPushButton::clicked, this, &QRCodeLogin::onReturnBtnClicked);
    connect(ui->pBtnPCLogin, &QPushButton::clicked, this, &QRCodeLogin::onPCLoginBtnClicked);

    // Code panel
    connect(ui->pBtnRefreshQRCode, &QPushButton::clicked, this, &QRCodeLogin::onRefreshQRCodeBtnClicked);
    connect(ui->lblRight, &QLabel::linkActivated, this, &QRCodeLogin::openUrl);

    // The sign-in chain
    connect(m_wxUrlHttp, &LoginWxUrlHttp::sendLoginWxUrlResultSignal, this,
            &QRCodeLogin::LoginWxUrlResultSlot);
    connect(m_loginHttp, &LoginHttp::sendLoginResultSignal, this, &QRCodeLogin::loginResultSlot);
    connect(m_chain, &SignInChain::tokenAnswered, this, &QRCodeLogin::tmTokenResultSlot);
    connect(m_chain, &SignInChain::meetingSdkFinished, this, &QRCodeLogin::wmLoginCompleteSlot);
    connect(this, &QRCodeLogin::ui_loaded, this, &QRCodeLogin::loadQRCode, Qt::QueuedConnection);

    emit ui_loaded();
}

QRCodeLogin::~QRCodeLogin()
{
    delete ui;
}

void QRCodeLogin::onMinBtnClicked()
{
    showMinimized();
}

void QRCodeLogin::onCloseBtnClicked()
{
    stopPolling();
    // The navigator ends the run once no window is left.
    close();
}

void QRCodeLogin::onPCLoginBtnClicked()
{
    goBack();
}

void QRCodeLogin::onReturnBtnClicked()
{
    goBack();
}

void QRCodeLogin::goBack()
{
    stopPolling();
    if (m_returnTo == QLatin1String("PhoneLogin"))
        Navigator::instance()->showPhoneLogin(this, QStringLiteral("1"));
    else
        Navigator::instance()->showAccountLogin(this, QStringLiteral("1"));
}

void QRCodeLogin::onRefreshQRCodeBtnClicked()
{
    hideInvalid();
    loadQRCode();
}

void QRCodeLogin::openUrl(QString link)
{
    LoginShared::openAgreementDocument(link);
}

void QRCodeLogin::loadQRCode()
{
    ui->lblQRCode->clear();
    m_expiryTimer->stop();
    m_wxUrlHttp->request();
    m_progress->show();
    m_progress->raise();
    m_progress->startAnimation();
}

void QRCodeLogin::LoginWxUrlResultSlot(QString result)
{
    m_progress->stopAnimation();
    // Whatever was shown before is replaced by this answer.
    stopPolling();
    m_expiryTimer->stop();
    if (!result.isEmpty()) {
        qCDebug(lcLogin).noquote() << QStringLiteral("二维码获取失败：%1").arg(result);
        showInvalid(QStringLiteral("二维码获取失败"));
        return;
    }
    if (!drawQRCode(ui->lblQRCode, baseValues->wxLoginUrl)) {
        qCDebug(lcLogin).noquote() << QStringLiteral("二维码获取失败：%1")
                                          .arg(QStringLiteral("address too long for the code: ") +
                                               baseValues->wxLoginUrl);
        showInvalid(QStringLiteral("二维码获取失败"));
        return;
    }
    hideInvalid();
    delete m_bindingHttp;
    m_bindingHttp = new LoginWxBindingHttp(this);
    connect(m_bindingHttp, &LoginWxBindingHttp::sendLoginWxBindingResultSignal, this,
            &QRCodeLogin::LoginWxBindingResultSlot);
    m_pollTimerId = startTimer(Waits::qrPollMs, Qt::CoarseTimer);
    m_expiryTimer->start(Waits::qrExpiryMs);
}

void QRCodeLogin::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_pollTimerId && m_bindingHttp) {
        m_bindingHttp->request(baseValues->wxUuid);
        return;
    }
    BorderDialog::timerEvent(event);
}

void QRCodeLogin::LoginWxBindingResultSlot(QString result, ServiceReply reply)
{
    // Polls already on their way when polling stopped change nothing.
    if (m_pollTimerId == -1)
        return;
    if (result.isEmpty() || result == QLatin1String("1") || result == QLatin1String("2") ||
        result == QLatin1String("4"))
        return;
    stopPolling();
    if (result == QLatin1String("3")) {
        // The code is used up; it cannot expire any more.
        m_expiryTimer->stop();
        ui->frmScanComplete->show();
        ui->lblCompleteIcon->show();
        ui->lblScanComplete->show();
        m_spinner->setText(UiText::signingInMeeting);
        m_spinner->start();
        m_signingIn = true;
        m_loginHttp->simulateLoginByUuid(baseValues->wxUuid);
        return;
    }
    // An unknown binding status is shown as the service gave it.
    Messages::notice(this, reply.succeeded() ? result : userMessage(reply));
    showInvalid(QStringLiteral("二维码失效"));
}

void QRCodeLogin::loginResultSlot(QString result)
{
    if (!m_signingIn) {
        qCDebug(lcLogin) << "QRCodeLogin: late sign-in answer ignored";
        return;
    }
    if (!result.isEmpty()) {
        qCDebug(lcLogin).noquote() << QStringLiteral("loginResult err: ") + result;
        failSignIn();
        return;
    }
    baseValues->autoLogin = ui->chkBoxAutoLogin->isChecked() ? QStringLiteral("3") : QString();
    m_chain->requestMemberToken(baseValues->tenantInfo, baseValues->telephone, QString(), QString());
}

void QRCodeLogin::tmTokenResultSlot(QString result)
{
    if (!result.isEmpty()) {
        qCDebug(lcLogin).noquote() << "tmTokenResultSlot error:" << result;
        failSignIn();
        return;
    }
    const bool autoLoginChecked = ui->chkBoxAutoLogin->isChecked();
    if (baseValues->loginStatus == QLatin1String("1")) {
        saveWxLogin(autoLoginChecked);
        m_chain->signInToMeetingSdk();
    } else if (baseValues->loginStatus == QLatin1String("3")) {
        m_spinner->stop();
        Navigator::instance()->showPhoneNumberPatch(this, autoLoginChecked ? 3 : 0);
    } else {
        // Nothing would ever stop the busy indicator.
        qCDebug(lcLogin).noquote() << "sign-in: unhandled loginStatus" << baseValues->loginStatus;
        Messages::notice(this, UiText::loginFailed);
        failSignIn();
    }
}

void QRCodeLogin::wmLoginCompleteSlot(QString result)
{
    m_spinner->stop();
    if (result.isEmpty()) {
        m_signingIn = false;
        QMetaObject::invokeMethod(this, "showHomeViewSlot", Qt::QueuedConnection);
        return;
    }
    Messages::notice(this, UiText::loginFailed);
    // The scanned code is used up; offer a new one.
    failSignIn();
}

void QRCodeLogin::showHomeViewSlot()
{
    Navigator::instance()->showHomeScreen(this);
}

void QRCodeLogin::qrCodeInvalidSlot()
{
    stopPolling();
    showInvalid(QStringLiteral("二维码失效"));
}

void QRCodeLogin::stopPolling()
{
    if (m_pollTimerId != -1) {
        killTimer(m_pollTimerId);
        m_pollTimerId = -1;
    }
}

void QRCodeLogin::showInvalid(const QString &text)
{
    ui->lblInvalidQRCode->setTextFormat(Qt::PlainText);
    ui->lblInvalidQRCode->setText(text);
    ui->frmInvalidQRCode->show();
    ui->lblInvalidQRCode->show();
    ui->pBtnRefreshQRCode->show();
    ui->frmInvalidQRCode->raise();
    ui->lblInvalidQRCode->raise();
    ui->pBtnRefreshQRCode->raise();
}

void QRCodeLogin::hideInvalid()
{
    ui->frmInvalidQRCode->hide();
    ui->lblInvalidQRCode->hide();
    ui->pBtnRefreshQRCode->hide();
}

void QRCodeLogin::failSignIn()
{
    m_signingIn = false;
    m_spinner->stop();
    ui->frmScanComplete->hide();
    ui->lblCompleteIcon->hide();
    ui->lblScanComplete->hide();
    showInvalid(QStringLiteral("登录失败"));
}
