#include "meeting/userpop.h"
#include "session/navigator.h"
#include "ui_userpop.h"

#include "app/basevalues.h"
#include "app/userstore.h"
#include "meeting/userrenamedlg.h"
#include "sdk/wemeetmanager.h"
#include "widgets/borderdialog.h"
#include "widgets/plaintext.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QSystemTrayIcon>

static bool isChineseCharacter(QChar c)
{
    return c.unicode() >= 0x4E00 && c.unicode() <= 0x9FA5;
}

userPop::userPop(QWidget *parent) : QWidget(parent), ui(new Ui::userPop)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    // Without a notification area there is nowhere to close to.
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        const int row = ui->btnLogOut->y() - ui->chkBoxTray->y();
        ui->chkBoxTray->hide();
        ui->btnLogOut->move(ui->btnLogOut->pos() - QPoint(0, row));
        ui->background->resize(ui->background->width(), ui->background->height() - row);
        setFixedSize(width(), height() - row);
    }
    // Created without parent for every opening; nothing else frees it.
    setAttribute(Qt::WA_DeleteOnClose);
    // The shadow ring of the other windows around the form.
    const int ring = BorderDialog::shadowWidth;
    for (QWidget *child : findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        child->move(child->pos() + QPoint(ring, ring));
    setFixedSize(width() + 2 * ring, height() + 2 * ring);

    ui->background->setObjectName(QStringLiteral("roundborderWidget"));
    ui->lblUserSet->setObjectName(QStringLiteral("messageQLabel"));
    ui->lblAvatarName->setObjectName(QStringLiteral("whiteQLabel"));
    ui->lblUserName->setObjectName(QStringLiteral("messageQLabel"));
    ui->btnModify->setObjectName(QStringLiteral("iconPushButton"));
    ui->lblUserPhone->setObjectName(QStringLiteral("messageQLabel"));
    ui->btnLogOut->setObjectName(QStringLiteral("redQPushButton"));

    ui->lblUserPhone->setTextFormat(Qt::PlainText);
    ui->lblUserPhone->setText(
        QStringLiteral("手机号：%1 %2").arg(baseValues->mobileCountryCode, baseValues->telephone));
    showName();
    ui->chkBoxReminder->setChecked(loadMeetingReminder());
    ui->chkBoxTray->setChecked(loadCloseToTray());

    connect(ui->chkBoxReminder, &QCheckBox::toggled, this, [this](bool enabled) {
        saveMeetingReminder(enabled);
        emit reminderSwitchedSignal(enabled);
    });
    connect(ui->chkBoxTray, &QCheckBox::toggled, this, [](bool enabled) { saveCloseToTray(enabled); });
    connect(ui->btnLogOut, &QPushButton::clicked, this, &userPop::onLogOutBtnClicked);
    connect(ui->btnModify, &QPushButton::clicked, this, &userPop::onModifyBtnClicked);
    connect(WeMeetManager::instance(), &WeMeetManager::OnForcedLogoutFinishSignal, this,
            &userPop::wmForcedLogoutCompleteSlot);
}

userPop::~userPop()
{
    delete ui;
}

QString userPop::avatarText(const QString &name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return QString();
    bool allDigits = true;
    bool allChinese = true;
    for (const QChar c : trimmed) {
        if (!c.isDigit() || c.unicode() > 0x7F)
            allDigits = false;
        if (!isChineseCharacter(c))
            allChinese = false;
    }
    if (allDigits)
        return trimmed.size() < 3 ? trimmed : trimmed.left(3);
    if (allChinese)
        return trimmed.size() < 3 ? trimmed : trimmed.right(2);
    // Keep a surrogate pair whole so the disc never shows half a character.
    if (trimmed.size() >= 2 && trimmed.at(0).isHighSurrogate() && trimmed.at(1).isLowSurrogate())
        return trimmed.left(2);
    return trimmed.left(1);
}

void userPop::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_backdrop.take(this);
}

void userPop::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    m_backdrop.paint(painter, this);
}

void userPop::showName()
{
    const QString name = PlainText::oneLine(baseValues->meetingPersonName);
    ui->lblAvatarName->setTextFormat(Qt::PlainText);
    ui->lblAvatarName->setText(avatarText(name));

    QLabel *label = ui->lblUserName;
    label->setTextFormat(Qt::PlainText);
    // The style sheet's font applies only once the label is polished.
    label->ensurePolished();
    const QFontMetrics metrics(label->font());
    if (metrics.horizontalAdvance(name) <= label->maximumWidth()) {
        label->setText(name);
        label->setToolTip(QString());
    } else {
        // Let the row give the label its width first, so the elision fits it.
        label->setText(name);
        ui->horizontalLayout->activate();
        const int width = qMin(label->width(), label->maximumWidth());
        label->setText(metrics.elidedText(name, Qt::ElideRight, width));
        label->setToolTip(PlainText::toolTip(name));
    }
}

void userPop::onLogOutBtnClicked()
{
    emit appLogoutSignal();
    close();
}

void userPop::onModifyBtnClicked()
{
    auto *dialog = new userRenameDlg(nullptr);
    connect(dialog, &userRenameDlg::nickChangedSignal, this, &userPop::nickChangedSlot);
    Navigator::centreOver(dialog, m_backdrop.window() ? m_backdrop.window() : window());
    dialog->show();
    dialog->activateWindow();
}

void userPop::wmForcedLogoutCompleteSlot()
{
    close();
}

void userPop::nickChangedSlot()
{
    showName();
}

void userPop::openBeside(QWidget *window, QWidget *button)
{
    const QPoint p = window->mapToGlobal(button->pos());
    // Placed by its form; the shadow ring lies around it.
    const int ring = BorderDialog::shadowWidth;
    const QSize form = size() - QSize(2 * ring, 2 * ring);
    QRect geometry(p.x() - form.width() + 175 + button->width(), p.y() + 15 + button->height(), form.width(),
                   form.height());
    // Hanging out of the window it would lie over whatever is beside it;
    // its ring stays on the window too.
    const QRect inside = window->frameGeometry().adjusted(2 * ring, 2 * ring, -2 * ring, -2 * ring);
    geometry.moveRight(qMin(geometry.right(), inside.right()));
    geometry.moveBottom(qMin(geometry.bottom(), inside.bottom()));
    // Beside a window near the screen's edge the pop-up would be cut off.
    if (QScreen *screen = QGuiApplication::screenAt(p)) {
        const QRect area = screen->availableGeometry().adjusted(ring, ring, -ring, -ring);
        geometry.moveRight(qMin(geometry.right(), area.right()));
        geometry.moveBottom(qMin(geometry.bottom(), area.bottom()));
    }
    setGeometry(geometry.adjusted(-ring, -ring, ring, ring));
    setBackdropWindow(window);
    show();
}
