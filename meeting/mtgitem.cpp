#include "meeting/mtgitem.h"
#include "ui_mtgitem.h"

#include "app/basevalues.h"
#include "meeting/invitationtext.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QPixmap>

// Fonts other than the designed one may need a few more pixels for the
// clock texts; grow towards the subject column rather than clip.
static void fitWidth(QLabel *label, int maxWidth)
{
    label->ensurePolished();
    const int needed = label->fontMetrics().horizontalAdvance(label->text()) + 2;
    if (needed > label->width())
        label->resize(qMin(needed, maxWidth), label->height());
}

mtgItem::mtgItem(QWidget *parent) : QWidget(parent), ui(new Ui::mtgItem)
{
    ui->setupUi(this);
    ui->background->setObjectName(QStringLiteral("backgroundWidget"));
    ui->lblStartTime->setObjectName(QStringLiteral("size16QLabel"));
    ui->line->setObjectName(QStringLiteral("dashedLine"));
    // The shared rule draws a horizontal dash; this one stands upright.
    ui->line->setStyleSheet(
        QStringLiteral("QFrame#dashedLine{border: none; border-left: 1px dashed #CACACA;}"));
    ui->lblEndTime->setObjectName(QStringLiteral("normalQLabel"));
    ui->lblMtgName->setObjectName(QStringLiteral("messageQLabel"));
    ui->lblMtgCode->setObjectName(QStringLiteral("normalQLabel"));
    ui->btnMtgJoin->setObjectName(QStringLiteral("defaultSmallQPushButton"));
    ui->btnMtgSet->setObjectName(QStringLiteral("noBorderSmallQPushButton"));

    connect(ui->btnMtgJoin, &QPushButton::clicked, this, &mtgItem::onMtgJoinBtnClicked);
}

mtgItem::~mtgItem()
{
    delete m_menu;
    delete ui;
}

void mtgItem::setUp(const QString &startTime, const QString &endTime, const QString &meetingCode,
                    const QString &subject, const QString &meetingId, const QString &hostUserId,
                    const QString &isActivity)
{
    ui->lblStartTime->setText(startTime);
    ui->lblEndTime->setText(endTime);
    fitWidth(ui->lblStartTime, 52);
    fitWidth(ui->lblEndTime, 52);
    // Long subjects end in "…" and show whole in the tool tip.
    const bool activityRow = isActivity == QLatin1String("true");
    const int room = qMin(ui->lblMtgName->maximumWidth(), ui->horizontalLayoutWidget->width() -
                                                              (activityRow ? ui->lblActTip->width() + 2 : 0));
    ui->lblMtgName->ensurePolished();
    const QFontMetrics metrics = ui->lblMtgName->fontMetrics();
    ui->lblMtgName->setText(metrics.elidedText(subject, Qt::ElideRight, room));
    ui->lblMtgName->setToolTip(subject);
    m_meetingCode = meetingCode;
    m_meetingId = meetingId;
    m_isActivity = isActivity;

    ui->lblMtgCode->setText(QStringLiteral("会议ID：%1").arg(InvitationText::groupMeetingCode(meetingCode)));

    // A meeting without host data is nobody's, even when our own id is unknown.
    const bool isHost =
        !hostUserId.isEmpty() && hostUserId.compare(baseValues->userId, Qt::CaseInsensitive) == 0;
    const bool activity = activityRow;

    delete m_menu;
    m_menu = new QMenu;
    m_menu->setObjectName(QStringLiteral("noBorderQPushButtonQMenu"));
    m_menu->setWindowFlags(m_menu->windowFlags() | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    m_menu->setCursor(Qt::PointingHandCursor);
    m_menu->installEventFilter(this);
    if (activity) {
        if (isHost)
            m_menu->addAction(QStringLiteral("修改会议"), this, &mtgItem::onMtgActChange);
        m_menu->addAction(QStringLiteral("邀请信息"), this, &mtgItem::onMtgInvite);
    } else {
        if (isHost)
            m_menu->addAction(QStringLiteral("修改会议"), this, &mtgItem::onMtgChange);
        m_menu->addAction(QStringLiteral("邀请信息"), this, &mtgItem::onMtgInvite);
        if (isHost)
            m_menu->addAction(QStringLiteral("关闭会议"), this, &mtgItem::onMtgClose);
    }
    ui->btnMtgSet->setMenu(m_menu);

    if (activity) {
        ui->lblActTip->setPixmap(QPixmap(QStringLiteral(":/image/images/mtgActTip.png")));
        ui->lblActTip->setToolTip(QStringLiteral("活动系统创建"));
        ui->lblActTip->setCursor(Qt::PointingHandCursor);
    } else {
        ui->lblActTip->clear();
        ui->lblActTip->setToolTip(QString());
        ui->lblActTip->unsetCursor();
    }
}

void mtgItem::onMtgJoinBtnClicked()
{
    emit joinMeetingSignal(m_meetingCode);
}

void mtgItem::onMtgChange()
{
    emit mtgChangeSignal(m_meetingCode);
}

void mtgItem::onMtgInvite()
{
    emit mtgInviteSignal(m_meetingCode);
}

void mtgItem::onMtgClose()
{
    emit mtgCloseSignal(m_meetingId);
}

void mtgItem::onMtgActChange()
{
    emit mtgActChangeSignal(m_meetingId);
}

// The menu opens right-aligned with the "• • •" button, a little lower.
bool mtgItem::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_menu && event->type() == QEvent::Show) {
        const QPoint pos = m_menu->pos();
        m_menu->move(pos.x() + (ui->btnMtgSet->width() - m_menu->width()), pos.y() + 13);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
