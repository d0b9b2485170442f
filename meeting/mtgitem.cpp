#include "meeting/mtgitem.h"
#include "ui_mtgitem.h"

#include "app/basevalues.h"
#include "meeting/invitationtext.h"
#include "widgets/borderdialog.h"
#include "widgets/plaintext.h"
#include "widgets/shadowmenu.h"

#include <QCursor>
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

    // A row is made before it is put into its window, so the buttons would
    // not know they stand in a dialog: Enter presses them as Space does.
    ui->btnMtgJoin->setAutoDefault(true);
    ui->btnMtgSet->setAutoDefault(true);

    connect(ui->btnMtgJoin, &QPushButton::clicked, this, &mtgItem::onMtgJoinBtnClicked);
    // Most rows never open their menu; it is made on the first press.
    connect(ui->btnMtgSet, &QPushButton::pressed, this, &mtgItem::onMenuButtonPressed);
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
    PlainText::setOneLine(ui->lblMtgName, subject, room);
    ui->lblMtgName->setToolTip(PlainText::toolTip(subject));
    m_meetingCode = meetingCode;
    m_meetingId = meetingId;
    m_isActivity = isActivity;

    ui->lblMtgCode->setText(QStringLiteral("会议ID：%1").arg(InvitationText::groupMeetingCode(meetingCode)));

    // A meeting without host data is nobody's, even when our own id is unknown.
    m_isHost = !hostUserId.isEmpty() && hostUserId.compare(baseValues->userId, Qt::CaseInsensitive) == 0;
    const bool activity = activityRow;
    m_menuStale = true;
    // A recycled row may still carry the hover of the meeting it showed before.
    for (QPushButton *button : {ui->btnMtgJoin, ui->btnMtgSet}) {
        if (button->testAttribute(Qt::WA_UnderMouse) &&
            !button->rect().contains(button->mapFromGlobal(QCursor::pos()))) {
            button->setAttribute(Qt::WA_UnderMouse, false);
            button->update();
        }
    }

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

QMenu *mtgItem::menu()
{
    if (!m_menu) {
        auto *menu = new ShadowMenu;
        menu->setAnchor(ui->btnMtgSet);
        m_menu = menu;
        m_menu->setObjectName(QStringLiteral("noBorderQPushButtonQMenu"));
        m_menu->setCursor(Qt::PointingHandCursor);
        m_menu->installEventFilter(this);
        connect(m_menu, &QMenu::aboutToShow, this, &mtgItem::fillMenu);
        connect(m_menu, &QMenu::aboutToHide, this, &mtgItem::onMenuHidden, Qt::QueuedConnection);
    }
    fillMenu();
    return m_menu;
}

void mtgItem::fillMenu()
{
    if (!m_menuStale)
        return;
    m_menuStale = false;
    m_menu->clear();
    if (m_isActivity == QLatin1String("true")) {
        if (m_isHost)
            m_menu->addAction(QStringLiteral("修改会议"), this, &mtgItem::onMtgActChange);
        m_menu->addAction(QStringLiteral("邀请信息"), this, &mtgItem::onMtgInvite);
    } else {
        if (m_isHost)
            m_menu->addAction(QStringLiteral("修改会议"), this, &mtgItem::onMtgChange);
        m_menu->addAction(QStringLiteral("邀请信息"), this, &mtgItem::onMtgInvite);
        if (m_isHost)
            m_menu->addAction(QStringLiteral("关闭会议"), this, &mtgItem::onMtgClose);
    }
}

// From the second press on, the button opens the attached menu itself.
void mtgItem::onMenuButtonPressed()
{
    if (ui->btnMtgSet->menu())
        return;
    ui->btnMtgSet->setMenu(menu());
    ui->btnMtgSet->showMenu();
}

// The open menu holds the mouse, so the button never hears that the pointer
// left it and would keep its hover border.
void mtgItem::onMenuHidden()
{
    QPushButton *button = ui->btnMtgSet;
    if (!button->rect().contains(button->mapFromGlobal(QCursor::pos()))) {
        button->setAttribute(Qt::WA_UnderMouse, false);
        button->update();
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
        // The panel's corner; the menu itself puts its shadow ring around it
        // and keeps it inside the window.
        const QPoint pos = m_menu->pos();
        const int panelWidth = m_menu->width() - 2 * BorderDialog::shadowWidth;
        m_menu->move(pos.x() + (ui->btnMtgSet->width() - panelWidth), pos.y() + 13);
    }
    return QWidget::eventFilter(watched, event);
}
