// The join dialog's meeting-number field: the input filter, the history
// drop-down and the clipboard suggestion.
#include "meeting/joinmeeting.h"
#include "ui_joinmeeting.h"

#include "app/basevalues.h"
#include "app/meetingcode.h"
#include "app/meetinghistory.h"
#include "app/uitexts.h"
#include "app/userstore.h"
#include "meeting/invitationtext.h"
#include "sdk/joinchain.h"
#include "widgets/messages.h"
#include "widgets/plaintext.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QJsonArray>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QStyledItemDelegate>

namespace {

const QChar fullWidthColon(0xFF1A);
constexpr int historyNameWidth = 250;
const QString clearHistoryLink = QStringLiteral("clearMeetingHis");

// One value for every join dialog of the run, as the number a user typed
// last is what a letter falls back to.
QString &lastAcceptedMeetingNo()
{
    static QString accepted;
    return accepted;
}

// History rows are drawn by their row widgets; the item's own text (what a
// choice puts into the field) stays invisible beneath them.
class HistoryRowDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem opt(option);
        initStyleOption(&opt, index);
        opt.text.clear();
        const QWidget *widget = opt.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    }
};

} // namespace

void JoinMeeting::offerClipboardNumber()
{
    ui->pBtnClipboardNo->hide();
    const QClipboard *clipboard = QGuiApplication::clipboard();
    const QMimeData *mime = clipboard ? clipboard->mimeData(QClipboard::Clipboard) : nullptr;
    if (!mime || !mime->hasText() || m_chain->isRunning())
        return;
    const QString number = MeetingHistory::numberFromClipboard(mime->text());
    if (number.isEmpty() || number == meetingNo())
        return;
    ui->pBtnClipboardNo->setProperty("meetingNo", number);
    ui->pBtnClipboardNo->setText(
        QStringLiteral("检测到会议号 %1")
            .arg(displayMeetingNo(number).replace(QStringLiteral("  "), QStringLiteral(" "))));
    ui->pBtnClipboardNo->show();
}

QString JoinMeeting::displayMeetingNo(const QString &digits)
{
    return InvitationText::groupMeetingCode(digits);
}

void JoinMeeting::fillHistory()
{
    m_history = MeetingHistory::shown(baseValues->meetingHistory);

    auto *view = new QListView(ui->cboBoxMeetingNo);
    view->setItemDelegate(new HistoryRowDelegate(view));
    auto *model = new QStandardItemModel(ui->cboBoxMeetingNo);
    ui->cboBoxMeetingNo->setModel(model);
    ui->cboBoxMeetingNo->setView(view);
    // After the combo box's own filters, so these keys reach this one first.
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
    // Numbers are measured in their labels' own font.
    QLabel probe;
    probe.setObjectName(QStringLiteral("leftSpaceQLabel"));
    probe.ensurePolished();
    const QFontMetrics codeMetrics(probe.font());
    // The drop-down stays as wide as the field: names give way to numbers.
    int widestCode = 0;
    for (const QJsonObject &entry : m_history)
        widestCode = qMax(widestCode, codeMetrics.horizontalAdvance(
                                          displayMeetingNo(entry.value(QStringLiteral("code")).toString())));
    const int removeWidth = 24;
    // The code label's padding and the "×" with its margin come off the name.
    const int nameWidth =
        qMin(historyNameWidth, ui->cboBoxMeetingNo->width() - widestCode - 24 - removeWidth - 36);
    for (const QJsonObject &entry : m_history) {
        const QString code = entry.value(QStringLiteral("code")).toString();
        // Kept from the service's answer: shown as it is, on one line.
        const QString name = entry.value(QStringLiteral("name")).toString();
        // The row's own text is what a choice puts into the field; the row
        // widget above it shows name and number.
        auto *item = new QStandardItem(displayMeetingNo(code));
        item->setData(QColor(Qt::transparent), Qt::ForegroundRole);
        item->setToolTip(PlainText::toolTip(name));
        model->appendRow(item);

        auto *row = new QWidget;
        auto *layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        auto *nameLabel = new QLabel(row);
        nameLabel->setObjectName(QStringLiteral("leftSpaceQLabel"));
        nameLabel->setFixedWidth(nameWidth);
        nameLabel->setToolTip(PlainText::toolTip(name));
        nameLabel->setTextFormat(Qt::PlainText);
        nameLabel->setText(codeMetrics.elidedText(PlainText::oneLine(name), Qt::ElideRight, nameWidth - 20));
        auto *codeLabel = new QLabel(displayMeetingNo(code), row);
        codeLabel->setObjectName(QStringLiteral("leftSpaceQLabel"));
        // The number is never cut; the name gave way for it.
        codeLabel->setMinimumWidth(codeMetrics.horizontalAdvance(codeLabel->text()) + 20);
        auto *remove = new QPushButton(QStringLiteral("×"), row);
        remove->setObjectName(QStringLiteral("removeHistoryQPushButton"));
        remove->setFixedSize(removeWidth, removeWidth);
        remove->setCursor(Qt::PointingHandCursor);
        remove->setToolTip(QStringLiteral("删除此记录"));
        remove->setFocusPolicy(Qt::NoFocus);
        const QString time = entry.value(QStringLiteral("time")).toString();
        // Queued: the row and its button go with the rebuilt list.
        connect(remove, &QPushButton::clicked, this, [this, code, time] {
            QMetaObject::invokeMethod(
                this, [this, code, time] { removeHistoryEntry(code, time); }, Qt::QueuedConnection);
        });
        layout->addWidget(nameLabel);
        layout->addWidget(codeLabel);
        layout->addStretch();
        layout->addWidget(remove);
        layout->addSpacing(6);
        for (QLabel *label : {nameLabel, codeLabel})
            label->setAttribute(Qt::WA_TransparentForMouseEvents);
        view->setIndexWidget(model->index(model->rowCount() - 1, 0), row);
    }

    // Nothing to drop down without a history.
    if (m_history.isEmpty()) {
        ui->cboBoxMeetingNo->setCurrentIndex(-1);
        return;
    }
    auto *clearItem = new QStandardItem(QString());
    // Reached with the arrow keys; Enter on it asks (the view's filter), a
    // click beside its link does nothing.
    clearItem->setFlags(Qt::ItemIsEnabled);
    model->appendRow(clearItem);
    auto *clearLabel = new QLabel(
        QStringLiteral("<style> a {text-decoration: none} </style> <a style = 'color: #006FFF' href = "
                       "'clearMeetingHis'>清空记录</a>"));
    clearLabel->setObjectName(QStringLiteral("leftSpaceBlueQLabel"));
    clearLabel->setTextFormat(Qt::RichText);
    clearLabel->setCursor(Qt::PointingHandCursor);
    connect(clearLabel, &QLabel::linkActivated, this, &JoinMeeting::clearMeetingHistory);
    view->setIndexWidget(model->index(model->rowCount() - 1, 0), clearLabel);

    ui->cboBoxMeetingNo->setCurrentIndex(-1);
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    if (!m_history.isEmpty() && m_history.first().value(QStringLiteral("time")).toString().startsWith(today))
        ui->cboBoxMeetingNo->setCurrentIndex(0);
}

// --- meeting number and history ---------------------------------------------------

void JoinMeeting::onMeetingNoCboBoxEditTextChanged(QString arg1)
{
    if (m_filtering)
        return;
    const int colon = arg1.indexOf(fullWidthColon);
    lastAcceptedMeetingNo() = MeetingCode::typed(arg1, lastAcceptedMeetingNo());

    // Keep the cursor behind the same digit it followed while typing.
    QLineEdit *edit = ui->cboBoxMeetingNo->lineEdit();
    static const QRegularExpression nonDigit(QStringLiteral("[^0-9]"));
    const int digitsBeforeCursor = edit->text().left(edit->cursorPosition()).remove(nonDigit).size();
    const QString shown = displayMeetingNo(lastAcceptedMeetingNo());
    if (edit->text() == shown)
        return;
    m_filtering = true;
    ui->cboBoxMeetingNo->setEditText(shown);
    int position = 0;
    for (int seen = 0; position < shown.size() && seen < digitsBeforeCursor; ++position) {
        if (shown.at(position).isDigit())
            ++seen;
    }
    edit->setCursorPosition(colon >= 0 ? shown.size() : position);
    m_filtering = false;
}

void JoinMeeting::removeHistoryEntry(const QString &code, const QString &time)
{
    const QString typed = ui->cboBoxMeetingNo->currentText();
    const bool wasOpen = ui->cboBoxMeetingNo->view()->isVisible();
    ui->cboBoxMeetingNo->hidePopup();
    baseValues->meetingHistory = MeetingHistory::withoutEntry(baseValues->meetingHistory, code, time);
    saveMeetingHistory();
    refillHistoryKeeping(typed);
    if (wasOpen && !m_history.isEmpty())
        ui->cboBoxMeetingNo->showPopup();
}

// The drop-down rebuilt from the history; the number typed is the user's,
// not the history's, and stays.
void JoinMeeting::refillHistoryKeeping(const QString &typed)
{
    m_filtering = true;
    ui->cboBoxMeetingNo->clear();
    fillHistory();
    ui->cboBoxMeetingNo->setEditText(typed);
    m_filtering = false;
}

void JoinMeeting::clearMeetingHistory(QString link)
{
    if (link != clearHistoryLink)
        return;
    ui->cboBoxMeetingNo->hidePopup();
    Messages::ask(this, QStringLiteral("确定清空全部入会记录吗？"), UiText::cancel, QStringLiteral("清空"),
                  [this](bool confirmed) {
                      if (!confirmed)
                          return;
                      const QString typed = ui->cboBoxMeetingNo->currentText();
                      m_history.clear();
                      baseValues->meetingHistory.clear();
                      saveMeetingHistory();
                      refillHistoryKeeping(typed);
                      ui->cboBoxMeetingNo->setFocus(Qt::OtherFocusReason);
                  });
}

// The drop-down by keyboard: Delete removes the history row under the
// cursor (as its "×" does), Enter on the last row asks to clear them all.
bool JoinMeeting::eventFilter(QObject *watched, QEvent *event)
{
    // Only keys and clicks matter; other events (a view being torn down among
    // them) must not reach into the view.
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease)
        return BorderDialog::eventFilter(watched, event);
    QAbstractItemView *view = ui->cboBoxMeetingNo->view();
    const int clearRow = m_history.size();
    if (view && watched == view && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        const int row = view->currentIndex().row();
        if (key == Qt::Key_Delete && row >= 0 && row < m_history.size()) {
            const QString code = m_history.at(row).value(QStringLiteral("code")).toString();
            const QString time = m_history.at(row).value(QStringLiteral("time")).toString();
            QMetaObject::invokeMethod(
                this, [this, code, time] { removeHistoryEntry(code, time); }, Qt::QueuedConnection);
            return true;
        }
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && row == clearRow) {
            clearMeetingHistory(clearHistoryLink);
            return true;
        }
    } else if ((event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::MouseButtonPress) &&
               view && watched == view->viewport()) {
        // Beside the link the last row is no choice: the field would empty.
        if (view->indexAt(static_cast<QMouseEvent *>(event)->pos()).row() == clearRow)
            return true;
    }
    return BorderDialog::eventFilter(watched, event);
}
