#pragma once

#include <QDateTime>
#include <QList>
#include <QWidget>

class QListWidgetItem;

namespace Ui {
class VeskDateTimeComboBox;
}

// Time picker: a time edit plus a drop-down of given date-times, optionally
// labelled with their duration from the first entry ("(30分钟)", "(1.5小时)").
// Keys, the wheel and typing keep the time on the hour or the half hour.
class VeskDateTimeComboBox : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(VeskDateTimeComboBox)

public:
    explicit VeskDateTimeComboBox(QWidget *parent = nullptr);
    ~VeskDateTimeComboBox() override;

    void setDateTimeList(QList<QDateTime> list);
    QList<QDateTime> dateTimeList() const;
    void setShowDuration(bool show);
    bool showDuration() const;
    // Emits dateTimeChanged only when the value changes.
    void setDateTime(QDateTime dateTime);
    QDateTime dateTime() const;

    // Label of entry index in a list with durations: "(30分钟)", "(%1小时)".
    static QString durationText(int index);

signals:
    void dateTimeChanged(QDateTime datetime);

public slots:
    void showTimeList();
    void setTimeBySelect(QListWidgetItem *item);
    void onShowListBtnClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void closeTimeList();
    // Moves the time by steps half hours, landing on the half hour.
    void stepTime(int steps);

    Ui::VeskDateTimeComboBox *ui = nullptr;
    QList<QDateTime> m_dateTimes;
    bool m_showDuration = false;
    int m_collapsedHeight = -1;
};
