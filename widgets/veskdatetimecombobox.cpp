#include "widgets/veskdatetimecombobox.h"

#include "ui_veskdatetimecombobox.h"
#include "widgets/focuswheel.h"

#include <QEvent>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidgetItem>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>
#include <QWheelEvent>

namespace {
constexpr int openHeight = 190;
constexpr int listHeight = 155;
constexpr int listGap = 5;
constexpr int rowHeight = 30;
// Meetings start and end on the hour or the half hour.
constexpr qint64 stepSecs = 1800;

QDateTime floorToStep(const QDateTime &dateTime)
{
    const QTime time = dateTime.time();
    const int secs = time.hour() * 3600 + time.minute() * 60 + time.second();
    return QDateTime(dateTime.date(), QTime(0, 0).addSecs(int(secs - secs % stepSecs)), dateTime.timeSpec());
}
} // namespace

VeskDateTimeComboBox::VeskDateTimeComboBox(QWidget *parent)
    : QWidget(parent), ui(new Ui::VeskDateTimeComboBox)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("VeskDateTimeComboBox"));

    // A time-only format pins the edit to one day; the pickers carry whole
    // date-times (an end can fall on the next day), so lift that limit.
    ui->tEditTime->clearMinimumDate();
    ui->tEditTime->clearMaximumDate();

    QListWidget *list = ui->timeList;
    list->setObjectName(QStringLiteral("timeQListWidget"));
    // The scroll area has already polished its bar while laying it out, so
    // the new name needs a fresh polish to pick up its style-sheet rule.
    QScrollBar *bar = list->verticalScrollBar();
    bar->setObjectName(QStringLiteral("phoneAreaCodeQScrollBar"));
    bar->style()->unpolish(bar);
    bar->style()->polish(bar);
    auto *shadow = new QGraphicsDropShadowEffect(list);
    shadow->setOffset(2, -2);
    shadow->setColor(Qt::gray);
    shadow->setBlurRadius(2);
    list->setGraphicsEffect(shadow);
    list->hide();

    connect(ui->tEditTime, &QDateTimeEdit::dateTimeChanged, this, &VeskDateTimeComboBox::dateTimeChanged);
    connect(ui->pBtnShowList, &QPushButton::clicked, this, &VeskDateTimeComboBox::onShowListBtnClicked);
    connect(list, &QListWidget::itemClicked, this, &VeskDateTimeComboBox::setTimeBySelect);
    connect(list, &QListWidget::itemActivated, this, &VeskDateTimeComboBox::setTimeBySelect);

    // Typed minutes off the half hour fall back to it once the typing is done.
    connect(ui->tEditTime, &QDateTimeEdit::editingFinished, this, [this] {
        const QDateTime snapped = floorToStep(ui->tEditTime->dateTime());
        if (snapped != ui->tEditTime->dateTime())
            ui->tEditTime->setDateTime(snapped);
    });

    ui->wtBackground->installEventFilter(this);
    ui->tEditTime->installEventFilter(this);
    FocusWheel::install(ui->tEditTime);
    list->installEventFilter(this);
}

void VeskDateTimeComboBox::stepTime(int steps)
{
    const QDateTime current = ui->tEditTime->dateTime();
    QDateTime next = floorToStep(current);
    // Down from a time off the half hour lands on the half hour below it.
    if (steps > 0 || next == current)
        next = next.addSecs(steps * stepSecs);
    else
        next = next.addSecs((steps + 1) * stepSecs);
    ui->tEditTime->setDateTime(next);
}

VeskDateTimeComboBox::~VeskDateTimeComboBox()
{
    delete ui;
}

void VeskDateTimeComboBox::setDateTimeList(QList<QDateTime> list)
{
    m_dateTimes = list;
}

QList<QDateTime> VeskDateTimeComboBox::dateTimeList() const
{
    return m_dateTimes;
}

void VeskDateTimeComboBox::setShowDuration(bool show)
{
    m_showDuration = show;
}

bool VeskDateTimeComboBox::showDuration() const
{
    return m_showDuration;
}

void VeskDateTimeComboBox::setDateTime(QDateTime dateTime)
{
    ui->tEditTime->setDateTime(dateTime);
}

QDateTime VeskDateTimeComboBox::dateTime() const
{
    return ui->tEditTime->dateTime();
}

QString VeskDateTimeComboBox::durationText(int index)
{
    if (index <= 0)
        return QStringLiteral("(30分钟)");
    return QStringLiteral("(%1小时)").arg(QString::number((index + 1) * 0.5));
}

void VeskDateTimeComboBox::showTimeList()
{
    QListWidget *list = ui->timeList;
    list->hide();
    list->clear();
    const QDateTime current = ui->tEditTime->dateTime();

    QListWidgetItem *currentItem = nullptr;
    QListWidgetItem *sameTimeItem = nullptr;
    for (int i = 0; i < m_dateTimes.size(); ++i) {
        const QDateTime &entry = m_dateTimes.at(i);
        auto *row = new QWidget;
        auto *layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        QString text = entry.toString(QStringLiteral("hh:mm"));
        if (m_showDuration) {
            // An end past midnight is on the day after the start.
            if (entry.date() > m_dateTimes.first().addSecs(-1800).date())
                text = QStringLiteral("次日 ") + text;
            text += durationText(i);
        }
        auto *label = new QLabel(text, row);
        label->setObjectName(QStringLiteral("leftSpaceSmallQLabel"));
        layout->addWidget(label);
        layout->addStretch();

        auto *item = new QListWidgetItem;
        item->setData(Qt::WhatsThisRole, entry);
        item->setSizeHint(QSize(20, rowHeight));
        list->addItem(item);
        list->setItemWidget(item, row);
        if (!currentItem && entry == current)
            currentItem = item;
        if (!sameTimeItem && entry.time() == current.time())
            sameTimeItem = item;
    }
    // The start picker's list holds the times of the day it was built for,
    // so a matching time marks the entry when the dates differ.
    if (!currentItem)
        currentItem = sameTimeItem;
    if (currentItem) {
        list->setCurrentItem(currentItem);
        list->scrollToItem(currentItem, QAbstractItemView::PositionAtCenter);
    }

    if (m_collapsedHeight < 0)
        m_collapsedHeight = height();
    resize(width(), openHeight);
    list->viewport()->setFixedHeight(listHeight);
    list->resize(list->width(), listHeight);
    list->show();
    raise();
    list->setFocus(Qt::OtherFocusReason);
}

void VeskDateTimeComboBox::setTimeBySelect(QListWidgetItem *item)
{
    if (!item)
        return;
    const QDateTime chosen = item->data(Qt::WhatsThisRole).toDateTime();
    if (ui->timeList->isVisible()) {
        // Hand the focus back before the list hides, so it stays in the picker.
        ui->tEditTime->setFocus(Qt::OtherFocusReason);
        closeTimeList();
    }
    if (chosen != ui->tEditTime->dateTime())
        ui->tEditTime->setDateTime(chosen);
}

void VeskDateTimeComboBox::onShowListBtnClicked()
{
    showTimeList();
}

void VeskDateTimeComboBox::closeTimeList()
{
    if (m_collapsedHeight < 0)
        return;
    const int collapsedHeight = m_collapsedHeight;
    m_collapsedHeight = -1;
    ui->timeList->hide();
    resize(width(), collapsedHeight);
}

bool VeskDateTimeComboBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->wtBackground) {
        if (event->type() == QEvent::MouseButtonPress)
            showTimeList();
    } else if (watched == ui->tEditTime) {
        if (event->type() == QEvent::FocusIn) {
            closeTimeList();
        } else if (event->type() == QEvent::KeyPress) {
            // The edit's own steps are a minute or an hour on its sections.
            switch (static_cast<QKeyEvent *>(event)->key()) {
            case Qt::Key_Up:
            case Qt::Key_PageUp:
                stepTime(1);
                return true;
            case Qt::Key_Down:
            case Qt::Key_PageDown:
                stepTime(-1);
                return true;
            default:
                break;
            }
        } else if (event->type() == QEvent::Wheel) {
            const int delta = static_cast<QWheelEvent *>(event)->angleDelta().y();
            if (delta != 0)
                stepTime(delta > 0 ? 1 : -1);
            event->accept();
            return true;
        }
    } else if (watched == ui->timeList) {
        if (event->type() == QEvent::FocusOut) {
            closeTimeList();
        } else if (event->type() == QEvent::KeyPress &&
                   static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            ui->tEditTime->setFocus(Qt::OtherFocusReason);
            closeTimeList();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void VeskDateTimeComboBox::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    // The style sheet's box belongs around the time field, not around the
    // open list below it.
    QStyleOption option;
    option.initFrom(this);
    option.rect = ui->wtBackground->geometry();
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
