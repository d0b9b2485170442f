#include "meeting/dateitem.h"
#include "ui_dateitem.h"

dateItem::dateItem(QWidget *parent) : QWidget(parent), ui(new Ui::dateItem)
{
    ui->setupUi(this);
    // A plain QWidget paints its style-sheet background only with this set.
    setAttribute(Qt::WA_StyledBackground);
    ui->lblIsToday->setObjectName(QStringLiteral("normalBlueQLabel"));
    ui->lblDot1->setObjectName(QStringLiteral("dotQLabel"));
    ui->lblDate->setObjectName(QStringLiteral("messageQLabel"));
    ui->lblDot2->setObjectName(QStringLiteral("dotQLabel"));
    ui->lblWeekDay->setObjectName(QStringLiteral("messageQLabel"));
}

dateItem::~dateItem()
{
    delete ui;
}

void dateItem::setUp(const QString &date, const QString &weekDay, const QString &today)
{
    ui->lblIsToday->setText(today);
    // An empty label still takes room in the row; other days start where "今天" does.
    ui->lblIsToday->setVisible(!today.isEmpty());
    if (!today.isEmpty()) {
        ui->lblDot1->setAlignment(Qt::AlignCenter);
        ui->lblDot1->show();
    } else {
        ui->lblDot1->clear();
        ui->lblDot1->hide();
    }
    ui->lblDate->setText(date);
    ui->lblDot2->setAlignment(Qt::AlignCenter);
    ui->lblWeekDay->setText(weekDay);
}
