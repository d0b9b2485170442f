#include "widgets/borderdialog.h"

#include <QColor>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

BorderDialog::BorderDialog(QWidget *parent) : QDialog(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

void BorderDialog::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    const int w = width();
    const int h = height();

    QPainterPath content;
    content.setFillRule(Qt::WindingFill);
    content.addRect(QRectF(shadowWidth, shadowWidth, w - 2 * shadowWidth, h - 2 * shadowWidth));

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillPath(content, QBrush(Qt::white));

    // Rings fade outward from the content edge: 150, 100, 79, ... 8, 0.
    QColor color(150, 150, 150, 50);
    for (int i = 0; i < shadowWidth; ++i) {
        QPainterPath ring;
        ring.setFillRule(Qt::WindingFill);
        ring.addRect(QRectF(shadowWidth - i, shadowWidth - i, w - 2 * shadowWidth + 2 * i,
                            h - 2 * shadowWidth + 2 * i));
        color.setAlpha(int(150 - qSqrt(i) * 50));
        painter.setPen(color);
        painter.drawPath(ring);
    }
}

void BorderDialog::mousePressEvent(QMouseEvent *event)
{
    if (m_draggable && event->button() == Qt::LeftButton) {
        m_dragging = true;
        m_pressPos = event->pos();
    }
    QDialog::mousePressEvent(event);
}

void BorderDialog::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging)
        move(event->globalPos() - m_pressPos);
    QDialog::mouseMoveEvent(event);
}

void BorderDialog::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
    QDialog::mouseReleaseEvent(event);
}
