#include "meeting/sharemeeting.h"
#include "meeting/logcategory.h"
#include "ui_sharemeeting.h"

#include "app/waits.h"
#include "calendar/calendarexport.h"
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
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QtMath>

ShareMeeting::ShareMeeting(QString text, QWidget *parent) : BorderDialog(parent), ui(new Ui::ShareMeeting)
{
    ui->setupUi(this);
    setUpWindow(QStringLiteral("会议邀请信息"));

    ui->pBtnClose->setObjectName(QStringLiteral("titlePushButton"));
    ui->lblTitle->setObjectName(QStringLiteral("messageQLabel"));
    // The title spans the window and lies over the close button's lower half.
    ui->pBtnClose->raise();
    ui->txtEditShareInfo->setObjectName(QStringLiteral("shareInfoQTextEdit"));
    auto *bar = new QScrollBar(Qt::Vertical, ui->txtEditShareInfo);
    bar->setObjectName(QStringLiteral("shareInfoQScrollBar"));
    ui->txtEditShareInfo->setVerticalScrollBar(bar);
    ui->pBtnCopyShareInfo->setObjectName(QStringLiteral("defaultQPushButton"));
    m_calendarButton = new QPushButton(QStringLiteral("添加到日历"), ui->pBtnCopyShareInfo->parentWidget());
    m_calendarButton->setObjectName(QStringLiteral("normalQPushButton"));
    m_calendarButton->setCursor(Qt::PointingHandCursor);
    m_calendarButton->setAutoDefault(false);
    m_calendarButton->hide();

    ui->txtEditShareInfo->setPlainText(text);
    ui->txtEditShareInfo->installEventFilter(this);
    ui->pBtnCopyShareInfo->setFocus();

    connect(ui->pBtnClose, &QPushButton::clicked, this, &ShareMeeting::onCloseBtnClicked);
    connect(ui->pBtnCopyShareInfo, &QPushButton::clicked, this, &ShareMeeting::onCopyShareInfoBtnClicked);
    connect(m_calendarButton, &QPushButton::clicked, this, &ShareMeeting::onAddToCalendarBtnClicked);

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
    return InvitationText::fromSdkInfo(InvitationText::readSdkInfo(inviteInfo));
}

void ShareMeeting::setCalendarEvent(const CalendarEvent &event)
{
    if (!CalendarExport::isComplete(event))
        return;
    m_calendarEvent = event;
    // Side by side under the text, together as centred as the copy button alone.
    QPushButton *copy = ui->pBtnCopyShareInfo;
    const int gap = 16;
    const int left = copy->x() + copy->width() / 2 - copy->width() - gap / 2;
    copy->move(left, copy->y());
    m_calendarButton->setGeometry(left + copy->width() + gap, copy->y(), copy->width(), copy->height());
    m_calendarButton->show();
    setTabOrder(copy, m_calendarButton);
}

void ShareMeeting::onAddToCalendarBtnClicked()
{
    CalendarEvent event = m_calendarEvent;
    // Exactly what "复制" puts on the clipboard.
    event.description = ui->txtEditShareInfo->toPlainText();
    CalendarExport::addToCalendar(this, event);
}

void ShareMeeting::showEvent(QShowEvent *event)
{
    BorderDialog::showEvent(event);
    if (!m_linesFitted) {
        m_linesFitted = true;
        keepLastLinesCompany();
        fitWholeLines();
    }
}

// A paragraph whose last line would hold a character or two (the closing
// "议）" of the join hint) wraps a few characters earlier instead.
void ShareMeeting::keepLastLinesCompany()
{
    QTextEdit *edit = ui->txtEditShareInfo;
    const QFontMetrics metrics(edit->font());
    const int shortest = metrics.horizontalAdvance(QStringLiteral("会议号即"));
    for (QTextBlock block = edit->document()->begin(); block.isValid(); block = block.next()) {
        const QTextLayout *lines = block.layout();
        if (!lines || lines->lineCount() < 2)
            continue;
        const QTextLine last = lines->lineAt(lines->lineCount() - 1);
        if (last.naturalTextWidth() >= shortest)
            continue;
        QTextCursor cursor(block);
        QTextBlockFormat format = block.blockFormat();
        format.setRightMargin(shortest);
        cursor.setBlockFormat(format);
    }
}

// The box's height is no multiple of a line: grow its bottom padding so the
// line that would be cut at the edge starts below it instead.
void ShareMeeting::fitWholeLines()
{
    QTextEdit *edit = ui->txtEditShareInfo;
    QTextDocument *doc = edit->document();
    QAbstractTextDocumentLayout *layout = doc->documentLayout();
    const int edge = edit->viewport()->height();
    int rest = 0;
    int firstLine = 0;
    for (QTextBlock block = doc->begin(); block.isValid() && rest == 0; block = block.next()) {
        const QRectF area = layout->blockBoundingRect(block);
        const QTextLayout *lines = block.layout();
        for (int i = 0; lines && i < lines->lineCount(); ++i) {
            const QTextLine line = lines->lineAt(i);
            const qreal top = area.top() + line.y();
            if (firstLine == 0)
                firstLine = qCeil(line.height());
            if (top < edge && top + line.height() > edge) {
                rest = edge - qFloor(top);
                break;
            }
        }
    }
    if (rest <= 0)
        return;
    const int bottom = edit->height() - edit->viewport()->geometry().bottom() - 1;
    edit->setStyleSheet(
        QStringLiteral("QTextEdit#shareInfoQTextEdit{padding-bottom: %1px;}").arg(bottom + rest));
    // Steps of whole lines keep it so while scrolling.
    edit->verticalScrollBar()->setSingleStep(firstLine);
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
        qCDebug(lcMeeting).noquote() << result;
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
