#include "widgets/phonenumedit.h"

#include "ui_phonenumedit.h"

#include <QApplication>
#include <QEvent>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidgetItem>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QStyle>

namespace {
const QString defaultAreaCode = QStringLiteral("86");
constexpr int rowHeight = 30;
constexpr int visibleRows = 5;
} // namespace

PhoneNumEdit::PhoneNumEdit(QWidget *parent) : QWidget(parent), ui(new Ui::PhoneNumEdit)
{
    ui->setupUi(this);

    ui->lblPlus->setObjectName(QStringLiteral("normalBlueQLabel"));
    ui->lEditAreaCode->setObjectName(QStringLiteral("noBorderQLineEdit"));
    ui->lEditAreaCode->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]+$")), this));
    ui->splitLine->setObjectName(QStringLiteral("hSplitLine"));
    ui->lEditPhoneNum->setObjectName(QStringLiteral("underlinePaddingQLineEdit"));
    ui->lEditPhoneNum->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]+$")), this));

    QListWidget *list = ui->areaList;
    list->setObjectName(QStringLiteral("phoneAreaCodeQListWidget"));
    // The scroll area has already polished its bar while laying it out, so
    // the new name needs a fresh polish to pick up its style-sheet rule.
    QScrollBar *bar = list->verticalScrollBar();
    bar->setObjectName(QStringLiteral("phoneAreaCodeQScrollBar"));
    bar->style()->unpolish(bar);
    bar->style()->polish(bar);
    // The item text only orders the rows; the row widget shows the entry.
    QPalette pal = list->palette();
    pal.setBrush(QPalette::Text, Qt::transparent);
    pal.setBrush(QPalette::HighlightedText, Qt::transparent);
    list->setPalette(pal);
    auto *shadow = new QGraphicsDropShadowEffect(list);
    shadow->setOffset(2, -2);
    shadow->setColor(Qt::gray);
    shadow->setBlurRadius(2);
    list->setGraphicsEffect(shadow);
    list->hide();

    setFocusProxy(ui->lEditPhoneNum);
    ui->lEditPhoneNum->setFocus();

    connect(list, &QListWidget::itemClicked, this, &PhoneNumEdit::setAreaCodeBySelect);
    connect(list, &QListWidget::itemActivated, this, &PhoneNumEdit::setAreaCodeBySelect);
    connect(ui->lEditAreaCode, &CustomLineEdit::clicked, this,
            static_cast<void (PhoneNumEdit::*)()>(&PhoneNumEdit::showAreaList));
    // Only typing filters the list; a code set by the program must not pop it up.
    connect(ui->lEditAreaCode, &QLineEdit::textEdited, this,
            static_cast<void (PhoneNumEdit::*)(QString)>(&PhoneNumEdit::showAreaList));

    ui->lEditAreaCode->installEventFilter(this);
    ui->lEditPhoneNum->installEventFilter(this);
    list->installEventFilter(this);
}

PhoneNumEdit::~PhoneNumEdit()
{
    delete ui;
}

QString PhoneNumEdit::areaCode() const
{
    return ui->lEditAreaCode->text();
}

QString PhoneNumEdit::phoneNumber() const
{
    return ui->lEditPhoneNum->text();
}

void PhoneNumEdit::setAreaCode(QString code)
{
    ui->lEditAreaCode->setText(code.isEmpty() ? defaultAreaCode : code);
}

void PhoneNumEdit::setPhoneNumber(QString number)
{
    ui->lEditPhoneNum->setText(number);
}

void PhoneNumEdit::setAreaCodeEnabled(bool enabled)
{
    ui->lEditAreaCode->setEnabled(enabled);
    if (!enabled)
        collapse();
}

void PhoneNumEdit::setAreaCodeList(QList<AreaCode> list)
{
    m_areaCodes = list;
}

void PhoneNumEdit::setPhoneNumberFocus()
{
    ui->lEditPhoneNum->setFocus(Qt::OtherFocusReason);
}

void PhoneNumEdit::showAreaList()
{
    showAreaList(ui->lEditAreaCode->text());
}

void PhoneNumEdit::showAreaList(QString text)
{
    QListWidget *list = ui->areaList;
    list->clear();
    for (const AreaCode &entry : qAsConst(m_areaCodes)) {
        if (entry.code.contains(text))
            addAreaRow(entry);
    }
    list->sortItems(Qt::AscendingOrder);
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->text() == text) {
            list->setCurrentItem(list->item(i));
            list->scrollToItem(list->item(i));
            break;
        }
    }

    const int n = list->count();
    if (n == 0) {
        collapse();
        return;
    }
    if (m_collapsedHeight < 0)
        m_collapsedHeight = height();
    const int rows = qMin(n, visibleRows);
    const int viewportHeight = rowHeight * rows;
    // 5 pixels of gap above the list and its 3 pixels of frame.
    resize(width(), ui->lEditPhoneNum->height() + viewportHeight + 8);
    list->viewport()->setFixedHeight(viewportHeight);
    list->resize(list->width(), viewportHeight + 3);
    list->show();
    // Open over whatever lies below the input.
    raise();
}

void PhoneNumEdit::closeAreaList()
{
    collapse();
}

void PhoneNumEdit::setAreaCodeBySelect(QListWidgetItem *item)
{
    if (!item)
        return;
    const QString code = item->data(Qt::WhatsThisRole).toString();
    if (code != ui->lEditAreaCode->text())
        ui->lEditAreaCode->setText(code);
    // Focus first, so the hidden list does not hand it to another screen widget.
    ui->lEditPhoneNum->setFocus(Qt::OtherFocusReason);
    collapse();
}

void PhoneNumEdit::addAreaRow(const AreaCode &entry)
{
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *codeLabel = new QLabel(QStringLiteral(" +") + entry.code, row);
    codeLabel->setObjectName(QStringLiteral("normalBlueQLabel"));
    codeLabel->setFixedWidth(55);
    auto *nameLabel = new QLabel(entry.name, row);
    nameLabel->setObjectName(QStringLiteral("leftSpaceQLabel"));
    layout->addWidget(codeLabel);
    layout->addWidget(nameLabel);
    layout->addStretch();

    auto *item = new QListWidgetItem(entry.code);
    item->setData(Qt::WhatsThisRole, entry.code);
    item->setSizeHint(QSize(20, rowHeight));
    ui->areaList->addItem(item);
    ui->areaList->setItemWidget(item, row);
}

void PhoneNumEdit::collapse()
{
    const int collapsedHeight = m_collapsedHeight;
    m_collapsedHeight = -1;
    ui->areaList->hide();
    // The hidden list must not leave an empty area that swallows clicks
    // meant for the widgets below.
    if (collapsedHeight >= 0)
        resize(width(), collapsedHeight);
}

bool PhoneNumEdit::eventFilter(QObject *watched, QEvent *event)
{
    QListWidget *list = ui->areaList;
    if (watched == ui->lEditAreaCode) {
        if (event->type() == QEvent::FocusIn) {
            if (!m_returningFocus)
                showAreaList(ui->lEditAreaCode->text());
        } else if (event->type() == QEvent::FocusOut) {
            if (!list->hasFocus() && list->isVisible())
                collapse();
        } else if (event->type() == QEvent::KeyPress && list->isVisible()) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Down) {
                if (!list->currentItem())
                    list->setCurrentRow(0);
                list->setFocus(Qt::TabFocusReason);
                return true;
            }
            if (key == Qt::Key_Escape) {
                collapse();
                return true;
            }
            // Enter keeps the typed code and closes the list; it must not
            // reach the form's default button as well.
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                collapse();
                return true;
            }
        }
    } else if (watched == ui->lEditPhoneNum) {
        if (event->type() == QEvent::FocusIn && list->isVisible())
            collapse();
    } else if (watched == list) {
        if (event->type() == QEvent::FocusOut) {
            QWidget *next = QApplication::focusWidget();
            if (list->isVisible() && next != ui->lEditAreaCode)
                collapse();
        } else if (event->type() == QEvent::KeyPress &&
                   (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Return ||
                    static_cast<QKeyEvent *>(event)->key() == Qt::Key_Enter)) {
            // Enter picks the row, and only that: the form's default button
            // would otherwise be pressed too.
            setAreaCodeBySelect(list->currentItem());
            return true;
        } else if (event->type() == QEvent::KeyPress &&
                   static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            // Back to the code edit without opening the list again.
            m_returningFocus = true;
            ui->lEditAreaCode->setFocus(Qt::OtherFocusReason);
            m_returningFocus = false;
            collapse();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
