#include "session/splashselect.h"
#include "session/logcategory.h"
#include "ui_splashselect.h"

#include "app/basevalues.h"
#include "app/launchparameter.h"
#include "app/ssohandoff.h"
#include "app/uitexts.h"
#include "app/userstore.h"
#include "app/waits.h"
#include "http/tmsdkinfohttp.h"
#include "meeting/joinmeeting.h"
#include "sdk/wemeetmanager.h"
#include "session/navigator.h"
#include "widgets/messages.h"
#include "widgets/pngimage.h"
#include "widgets/snackbar.h"
#include "widgets/waitingspinnerwidget.h"

#include <QApplication>
#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QStandardPaths>
#include <QTextStream>
#include <QTimer>
#include <QUrl>

namespace {
constexpr int ssoHandOffLifetimeSecs = 600;

QString appDataDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}
} // namespace

SplashSelect::SplashSelect(QWidget *parent) : BorderDialog(parent), ui(new Ui::SplashSelect)
{
    ui->setupUi(this);
    setUpWindow(QStringLiteral("Vesk云会议"));
    setClosesOnEscape(false);

    setUpTitleButtons(ui->pBtnMin, ui->pBtnClose);
    ui->lblAppName->setText(baseValues->appName);
    QFont nameFont(QStringLiteral("Microsoft YaHei"));
    nameFont.setPixelSize(26);
    ui->lblAppName->setFont(nameFont);
    ui->lblAppName->setAlignment(Qt::AlignCenter);
    ui->lblVersion->setText(QStringLiteral("V%1").arg(baseValues->versionNo));
    ui->lblLogo->setPixmap(
        PngImage::pixmap(QStringLiteral(":/image/images/largeLogo.png"), qApp->devicePixelRatio()));

    // Style object names; the form names above are the designer's.
    ui->backgroundWidget->setObjectName(QStringLiteral("backgroundWidget"));
    ui->lblAppName->setObjectName(QStringLiteral("hugeQLabel"));
    ui->lblVersion->setObjectName(QStringLiteral("tipQLabel"));
    ui->lblSlogan->setObjectName(QStringLiteral("normalQLabel"));
    ui->pBtnJoinMeeting->setObjectName(QStringLiteral("defaultQPushButton"));
    ui->pBtnLogin->setObjectName(QStringLiteral("normalQPushButton"));

    connect(ui->pBtnMin, &QPushButton::clicked, this, &SplashSelect::onMinBtnClicked);
    connect(ui->pBtnClose, &QPushButton::clicked, this, &SplashSelect::onCloseBtnClicked);
    connect(ui->pBtnJoinMeeting, &QPushButton::clicked, this, &SplashSelect::onJoinMeetingBtnClicked);
    connect(ui->pBtnLogin, &QPushButton::clicked, this, &SplashSelect::onLoginBtnClicked);

    connect(this, &SplashSelect::uiLoadedFinishSignal, this, &SplashSelect::uiLoadedFinishSlot,
            Qt::QueuedConnection);
    connect(WeMeetManager::instance(), &WeMeetManager::linkJoinMeetingSignal, this,
            &SplashSelect::linkJoinMeetingSlot);

    m_spinner = new WaitingSpinnerWidget(this, true, true);
    m_sdkInfoHttp = new TmSDKInfoHttp();
    connect(m_sdkInfoHttp, &TmSDKInfoHttp::sendTmSdkInfoResultSignal, this,
            [this](const QString &) { sdkInfoWaitOver(); });
    m_sdkInfoTimer = new QTimer(this);
    m_sdkInfoTimer->setSingleShot(true);
    connect(m_sdkInfoTimer, &QTimer::timeout, this, &SplashSelect::sdkInfoWaitOver);

    emit uiLoadedFinishSignal();
}

SplashSelect::~SplashSelect()
{
    delete m_sdkInfoHttp;
    delete ui;
}

QString SplashSelect::ssoHandOffFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/VeskDesk/VeskLiveMeeting.txt");
}

bool SplashSelect::takeSsoHandOff()
{
    QFile file(ssoHandOffFilePath());
    QString line;
    if (file.exists() && file.size() > 0 && file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream stream(&file);
        stream.setCodec("UTF-8");
        line = stream.readLine();
    }
    file.close();
    // Used at most once, whatever it held: one that cannot be deleted would
    // sign in again at every start, so it is not used at all.
    if (file.exists() && !file.remove()) {
        qCDebug(lcSession) << "single-sign-on hand-off file could not be deleted, not used:"
                           << file.fileName() << file.errorString();
        return false;
    }

    SsoHandOff handOff;
    if (!parseSsoHandOffLine(line, QDateTime::currentDateTime(), ssoHandOffLifetimeSecs, &handOff))
        return false;
    baseValues->ssoCompanyCode = handOff.companyCode;
    baseValues->ssoUserName = handOff.userName;
    return true;
}

void SplashSelect::onMinBtnClicked()
{
    showMinimized();
}

void SplashSelect::onCloseBtnClicked()
{
    m_handedOver = true;
    close();
    // Whether the run ends with this is the navigator's rule: a guest
    // meeting keeps the client, nothing else does.
    emit closeSelfSignal();
}

void SplashSelect::onJoinMeetingBtnClicked()
{
    if (!m_joinMeeting) {
        openJoinDialog(QString(), QString())->offerClipboardNumber();
        return;
    }
    Navigator::instance()->place(m_joinMeeting, this);
    m_joinMeeting->show();
    m_joinMeeting->raise();
    m_joinMeeting->activateWindow();
}

JoinMeeting *SplashSelect::openJoinDialog(const QString &meetingNo, const QString &nickname)
{
    JoinMeeting *dialog = Navigator::instance()->openJoinMeeting(this, meetingNo, nickname);
    m_joinMeeting = dialog;
    QPointer<JoinMeeting> guard(dialog);
    connect(dialog, &JoinMeeting::joinMeetingFinishSignal, this, [this, guard] {
        if (!guard)
            return;
        switch (guard->outcome()) {
        case JoinMeeting::Outcome::Failed:
            // A failed guest join keeps this screen, the one place to try again.
            if (!guard->joinResult().isEmpty())
                Messages::notice(this, guard->joinResult());
            return;
        case JoinMeeting::Outcome::Closed:
        case JoinMeeting::Outcome::Open:
            return;
        default:
            onCloseBtnClicked();
        }
    });
    connect(dialog, &QDialog::accepted, this, &SplashSelect::joinMeetingClosedSlot);
    return dialog;
}

void SplashSelect::onLoginBtnClicked()
{
    m_handedOver = true;
    Navigator::instance()->showAccountLogin(this, QStringLiteral("1"));
}

void SplashSelect::forcedLogoutSlot()
{
    // Signing in again by itself would sign the other device out in turn.
    m_autoLoginSuppressed = true;
    qCDebug(lcSession).noquote() << UiText::forcedLogout;
    Messages::tell(this, UiText::forcedLogout, UiText::ok);
}

void SplashSelect::autoLoginSlot()
{
    qCDebug(lcSession) << "autoLoginSlot()";
    QMetaObject::invokeMethod(this, "autoLogin", Qt::QueuedConnection);
}

void SplashSelect::autoLogin()
{
    if (m_handedOver)
        return;
    // The nickname is needed by a link join below.
    loadUserInfo();
    const bool linkNamesAccount = !baseValues->linkInfo.value(QStringLiteral("companycode")).isEmpty() &&
                                  !baseValues->linkInfo.value(QStringLiteral("username")).isEmpty();
    const bool signingIn = baseValues->autoLogin == QLatin1String("1") && !m_autoLoginSuppressed &&
                           !baseValues->autoLoginBlocked && !linkNamesAccount;
    if (signingIn) {
        // The link, if any, stays for the home screen to join after the sign-in.
        m_handedOver = true;
        Navigator::instance()->showAccountLogin(this, QStringLiteral("1"));
    }
    if (!baseValues->linkInfo.isEmpty()) {
        if (signingIn)
            return;
        linkJoinMeetingSlot();
    } else if (!WeMeetManager::instance()->isInitialized()) {
        // Guest initialisation, so that joining without an account is ready.
        WeMeetManager::initialize(baseValues->sdkId, baseValues->sdkToken, appDataDir(), baseValues->appName);
    }
}

void SplashSelect::ssoLoginSlot()
{
    m_handedOver = true;
    Navigator::instance()->showAccountLogin(this, QStringLiteral("1"));
}

void SplashSelect::uiLoadedFinishSlot()
{
    if (baseValues->s_accessToken.isEmpty()) {
        qCDebug(lcSession) << "service token missing: the start screen cannot reach the service";
        // Between the slogan and the buttons, clear of the product name.
        const int top = ui->lblSlogan->geometry().bottom() + 1;
        const int bottom = ui->pBtnJoinMeeting->geometry().top();
        const QRect gap(ui->backgroundWidget->mapTo(this, QPoint(0, top)),
                        QSize(ui->backgroundWidget->width(), bottom - top));
        Messages::noticeIn(this, UiText::initFailed, gap);
        m_spinner->stop();
        continueStartUp();
        return;
    }
    if (baseValues->sdkId.isEmpty()) {
        m_spinner->setText(QStringLiteral("正在初始化..."));
        // This runs as the screen opens: the screen is painted first.
        m_spinner->startAfterOwnerPainted();
        m_sdkInfoPending = true;
        m_sdkInfoTimer->start(Waits::sdkInfoWaitMs);
        m_sdkInfoHttp->request();
        return;
    }
    continueStartUp();
}

void SplashSelect::sdkInfoWaitOver()
{
    if (!m_sdkInfoPending)
        return;
    m_sdkInfoPending = false;
    m_sdkInfoTimer->stop();
    m_spinner->stop();
    continueStartUp();
}

void SplashSelect::continueStartUp()
{
    // The user may have moved on while the credentials were on their way.
    if (m_handedOver)
        return;
    // Every road on from here joins with the remembered nickname and switches.
    loadUserInfo();
    if (takeSsoHandOff()) {
        m_handedOver = true;
        Navigator::instance()->showAccountLogin(this, QStringLiteral("1"));
        return;
    }
    autoLoginSlot();
}

void SplashSelect::linkJoinMeetingSlot()
{
    if (m_handedOver)
        return;
    m_spinner->stop();
    if (baseValues->s_accessToken.isEmpty()) {
        qCDebug(lcSession) << "程序初始化失败,未取得s_accessToken";
        return;
    }
    const QMap<QString, QString> &link = baseValues->linkInfo;
    const QString companyCode = link.value(QStringLiteral("companycode"));
    const QString userName = link.value(QStringLiteral("username"));
    const QString meetingCode = link.value(QStringLiteral("meetingCode"));
    const QString phone = link.value(QStringLiteral("phone"));
    const QString name = QUrl::fromPercentEncoding(link.value(QStringLiteral("name")).toUtf8());
    qCDebug(lcSession).noquote() << "linkInfo ==" << link;
    qCDebug(lcSession).noquote() << "companyCode ==" << companyCode;
    qCDebug(lcSession).noquote() << "userName ==" << userName;
    qCDebug(lcSession).noquote() << "meetingCode ==" << meetingCode;
    qCDebug(lcSession).noquote() << "phone ==" << phone;
    qCDebug(lcSession).noquote() << "name ==" << name;

    if (!baseValues->signedIn) {
        if (!companyCode.isEmpty() && !userName.isEmpty()) {
            if (m_joinMeeting) {
                m_joinMeeting->close();
                m_joinMeeting->deleteLater();
                m_joinMeeting = nullptr;
            }
            qCDebug(lcSession) << "linkJoinMeeting ssoLogin";
            m_handedOver = true;
            Navigator::instance()->showAccountLoginFromLink(this, companyCode, userName);
        } else {
            auto *dialog = qobject_cast<JoinMeeting *>(m_joinMeeting.data());
            if (dialog && dialog->isJoining()) {
                // The dialog refuses it and keeps what it is joining.
                dialog->linkJoinMeetingSlot();
                return;
            }
            if (!dialog) {
                dialog = openJoinDialog(meetingCode, name);
            } else {
                qCDebug(lcSession) << "JoinMeeting is not null";
                // A link without a number leaves what the user typed.
                if (!meetingCode.isEmpty())
                    dialog->setMeetingNo(meetingCode);
                if (!name.isEmpty())
                    dialog->setNickname(name);
            }
            connect(this, &SplashSelect::linkJoinMeetingSignal, dialog, &JoinMeeting::linkJoinMeetingSlot,
                    Qt::UniqueConnection);
            qCDebug(lcSession).noquote() << "baseValues.wmNickname ==" << baseValues->wmNickname;
            Navigator::instance()->place(dialog, this);
            dialog->show();
            dialog->raise();
            // With a number and a nickname the dialog joins at once; otherwise
            // it waits for the user, and the link is done with.
            if (!meetingCode.isEmpty() && (!baseValues->wmNickname.isEmpty() || !name.isEmpty()))
                emit linkJoinMeetingSignal();
            else
                baseValues->linkInfo.clear();
        }
        return;
    }
    if (linkNamesOtherAccount(link)) {
        qCDebug(lcSession).noquote() << UiText::differentAccount;
        QMetaObject::invokeMethod(this, "showDifferentAccountLoginMsgSlot", Qt::QueuedConnection);
    }
}

void SplashSelect::showDifferentAccountLoginMsgSlot()
{
    baseValues->linkInfo.clear();
    Messages::tell(this, UiText::differentAccount, UiText::gotIt);
}

void SplashSelect::joinMeetingClosedSlot()
{
    if (m_joinMeeting) {
        m_joinMeeting->deleteLater();
        m_joinMeeting = nullptr;
    }
}
