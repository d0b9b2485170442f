#pragma once

#include <QLineEdit>

// A line edit that reports a left click (the phone-number input opens its
// country-code list on it).
class CustomLineEdit : public QLineEdit
{
    Q_OBJECT
    Q_DISABLE_COPY(CustomLineEdit)

public:
    explicit CustomLineEdit(QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
};
