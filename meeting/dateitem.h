#pragma once

#include <QString>
#include <QWidget>

namespace Ui {
class dateItem;
}

// Day header of the meeting list: "今天 • 12月8日 • 周二".
class dateItem final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(dateItem)

public:
    explicit dateItem(QWidget *parent = nullptr);
    ~dateItem() override;

    void setUp(const QString &date, const QString &weekDay, const QString &today);

    // The form fixes the size; the list lays headers out without making them.
    static constexpr int fixedHeight = 30;

private:
    Ui::dateItem *ui = nullptr;
};
