#include "meeting/sharemeeting.h"
#include "ui_sharemeeting.h"

#include "app/waits.h"
#include "meeting/invitationtext.h"
#include "sdk/wemeetmanager.h"
#include "widgets/snackbar.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QDebug>
#include <QEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QtMath>

ShareMeeting::ShareMeeting(QString text, QWidget *parent) : BorderDialog(parent), ui(new Ui::ShareMeeting)
{
    ui->setupUi(this);
    setDraggable(true);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint);
    setWindowTitle(QStringLiteral("会议邀请信息"));

    ui->pBtnClose->setObjectName(QStringLiteral("titlePushButton"));
    ui->lblTitle->setObjectName(QStringLiteral("messageQLabel"));
    // The title spans the window and lies over the close button's lower half.
    ui->pBtnClose->raise();
    ui->txtEditShareInfo->setObjectName(QStringLiteral("shareInfoQTextEdit"));
    auto *bar = new QScrollBar(Qt::Vertical, ui->txtEditShareInfo);
    bar->setObjectName(QStringLiteral("shareInfoQScrollBar"));
    ui->txtEditShareInfo->setVerticalScrollBar(bar);
    ui->pBtnCopyShareInfo->setObjectName(QStringLiteral("defaultQPushButton"));

    ui->txtEditShareInfo->setPlainText(text);
    ui->txtEditShareInfo->installEventFilter(this);
    ui->pBtnCopyShareInfo->setFocus();

    connect(ui->pBtnClose, &QPushButton::clicked, this, &ShareMeeting::onCloseBtnClicked);
    connect(ui->pBtnCopyShareInfo, &QPushButton::clicked, this, &ShareMeeting::onCopyShareInfoBtnClicked);

    WeMeetManager *manager = WeMeetManager::instance();
    connect(manager, &WeMeetManager::OnLeaveMeetingFinishSignal, this,
            &ShareMeeting::wmLeaveMeetingCompleteSlot);
    connect(manager, &WeMeetManager::OnForcedLogoutFinishSignal, this,
            &ShareMeeting::wmForcedLogoutCompleteSlot);
    connect(manager, &WeMeetManager::linkJoinMeetingSignal, this, &ShareMeeting::onCloseBtnClicked);
}

ShareMeeting::~ShareMeeting()
{
    delete ui;
}

QString ShareMeeting::text() const
{
    return ui->txtEditShareInfo->toPlainText();
}

QString ShareMeeting::sdkInvitationText(const QString &inviteInfo)
{
    return InvitationText::fromSdkInfo(inviteInfo);
}

void ShareMeeting::showEvent(QShowEvent *event)
{
    BorderDialog::showEvent(event);
    if (!m_linesFitted) {
        m_linesFitted = true;
        fitWholeLines();
    }
}

// The box's height is no multiple of a line: grow its bottom padding by the
// rest, so the last visible line is never cut in half at the edge.
void ShareMeeting::fitWholeLines()
{
    QTextEdit *edit = ui->txtEditShareInfo;
    QTextDocument *doc = edit->document();
    const QTextBlock first = doc->begin();
    doc->documentLayout()->blockBoundingRect(first);
    if (!first.layout() || first.layout()->lineCount() == 0)
        return;
    const int line = qCeil(first.layout()->lineAt(0).height());
    const int room = edit->viewport()->height() - qCeil(doc->documentMargin());
    const int rest = line > 0 ? room % line : 0;
    if (rest <= 0)
        return;
    const int bottom = edit->height() - edit->viewport()->geometry().bottom() - 1;
    edit->setStyleSheet(
        QStringLiteral("QTextEdit#shareInfoQTextEdit{padding-bottom: %1px;}").arg(bottom + rest));
    // Wheel and arrow steps of whole lines keep it so while scrolling.
    edit->verticalScrollBar()->setSingleStep(line);
}

void ShareMeeting::onCloseBtnClicked()
{
    close();
}

void ShareMeeting::onCopyShareInfoBtnClicked()
{
    QApplication::clipboard()->setText(ui->txtEditShareInfo->toPlainText(), QClipboard::Clipboard);
    Snackbar::showMessage(QStringLiteral("会议邀请已复制到剪贴板"), this, Waits::noticeMs);
}

void ShareMeeting::wmLeaveMeetingCompleteSlot(QString result)
{
    if (result.isEmpty())
        close();
    else
        qDebug().noquote() << result;
}

void ShareMeeting::wmForcedLogoutCompleteSlot()
{
    close();
}

bool ShareMeeting::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->txtEditShareInfo) {
        if (event->type() == QEvent::Enter) {
            ui->txtEditShareInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            return true;
        }
        if (event->type() == QEvent::Leave) {
            ui->txtEditShareInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            return true;
        }
    }
    return BorderDialog::eventFilter(watched, event);
}
