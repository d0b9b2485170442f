#include "meeting/activityapprove.h"
#include "meeting/logcategory.h"
#include "ui_activityapprove.h"

#include "sdk/joinchain.h"
#include "sdk/wemeetmanager.h"
#include "widgets/messages.h"
#include "widgets/qrcode.h"
#include "widgets/waitingspinnerwidget.h"

#include <QDebug>
#include <QGraphicsDropShadowEffect>
#include <QPixmap>

ActivityApprove::ActivityApprove(QString url, QString meetingId, QString telephone, QString mobileCountryCode,
                                 QWidget *parent)
    : BorderDialog(parent), ui(new Ui::ActivityApprove), m_url(std::move(url)),
      m_meetingId(std::move(meetingId)), m_telephone(std::move(telephone)),
      m_mobileCountryCode(std::move(mobileCountryCode))
{
    ui->setupUi(this);
    setUpWindow(QStringLiteral("实名认证"));

    setUpTitleButtons(ui->pBtnMin, ui->pBtnClose, ui->pBtnReturn);
    ui->lblCompleteIcon->setPixmap(QPixmap(QStringLiteral(":/image/images/signComplete.png")));
    auto *shadow = new QGraphicsDropShadowEffect(ui->frmSignComplete);
    shadow->setOffset(0, 0);
    shadow->setColor(Qt::black);
    shadow->setBlurRadius(8);
    ui->frmSignComplete->setGraphicsEffect(shadow);
    ui->frmSignComplete->hide();

    // Style object names; the form names above are the designer's.
    ui->backgroundWidget->setObjectName(QStringLiteral("backgroundWidget"));
    ui->lblTitle->setObjectName(QStringLiteral("titleQLabel"));
    ui->lblHint->setObjectName(QStringLiteral("hintQLabel"));
    ui->lblQRCodeFrame->setObjectName(QStringLiteral("borderQLabel"));
    ui->frmSignComplete->setObjectName(QStringLiteral("whiteMaskQFrame"));
    ui->lblSignComplete->setObjectName(QStringLiteral("blackMaskQLabel"));
    ui->lblScanTip->setObjectName(QStringLiteral("normalQLabel"));
    ui->lblScanHint->setObjectName(QStringLiteral("redQLabel"));
    ui->pBtnJoinMeeting->setObjectName(QStringLiteral("defaultQPushButton"));

    if (!drawQRCode(ui->lblQRCode, m_url))
        qCDebug(lcMeeting) << "admission address does not fit a QR code:" << m_url;

    m_chain = new JoinChain(this);
    m_spinner = new WaitingSpinnerWidget(this, true, true);

    connect(ui->pBtnMin, &QPushButton::clicked, this, &ActivityApprove::onMinBtnClicked);
    connect(ui->pBtnClose, &QPushButton::clicked, this, &ActivityApprove::onCloseBtnClicked);
    connect(ui->pBtnReturn, &QPushButton::clicked, this, &ActivityApprove::onReturnBtnClicked);
    connect(ui->pBtnJoinMeeting, &QPushButton::clicked, this, &ActivityApprove::onJoinMeetingBtnClicked);
    connect(m_chain, &JoinChain::finished, this, &ActivityApprove::checked);
    connect(WeMeetManager::instance(), &WeMeetManager::linkJoinMeetingSignal, this,
            &ActivityApprove::onCloseBtnClicked);
}

ActivityApprove::~ActivityApprove()
{
    delete ui;
}

void ActivityApprove::onMinBtnClicked()
{
    showMinimized();
}

void ActivityApprove::onCloseBtnClicked()
{
    close();
}

void ActivityApprove::onReturnBtnClicked()
{
    close();
}

void ActivityApprove::onJoinMeetingBtnClicked()
{
    if (m_chain->isRunning())
        return;
    m_spinner->start();
    m_chain->checkAdmission(m_meetingId, m_telephone, m_mobileCountryCode);
}

void ActivityApprove::checked(const JoinOutcome &outcome)
{
    m_spinner->stop();
    if (outcome.kind == JoinOutcome::Kind::Admitted) {
        emit sendWmSdkInitSignal();
        close();
        return;
    }
    Messages::notice(this, outcome.text);
}
