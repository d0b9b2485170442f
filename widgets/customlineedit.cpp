#include "widgets/customlineedit.h"

#include <QMouseEvent>

CustomLineEdit::CustomLineEdit(QWidget *parent) : QLineEdit(parent) {}

void CustomLineEdit::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit clicked();
    QLineEdit::mousePressEvent(event);
}
