#include "widgets/borderdialog.h"

#include <QAbstractButton>
#include <QColor>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <utility>

BorderDialog::BorderDialog(QWidget *parent) : QDialog(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

void BorderDialog::setUpWindow(const QString &title, Qt::WindowFlags flags)
{
    setDraggable(true);
    setAttribute(Qt::WA_DeleteOnClose);
    // Over an application-modal screen only another modal window takes input.
    setWindowModality(Qt::ApplicationModal);
    setWindowFlags(flags);
    setWindowTitle(title);
}

void BorderDialog::setUpTitleButtons(QAbstractButton *min, QAbstractButton *close, QAbstractButton *back)
{
    const std::pair<QAbstractButton *, const char *> buttons[] = {
        {min, ":/image/images/minimize.png"},
        {close, ":/image/images/close.png"},
        {back, ":/image/images/return.png"},
    };
    for (const auto &[button, icon] : buttons) {
        if (!button)
            continue;
        button->setIcon(QIcon(QLatin1String(icon)));
        button->setObjectName(QStringLiteral("titlePushButton"));
    }
}

// The frame depends only on the size; paints (hover, typing, spinners) reuse it.
void BorderDialog::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    // Drawn at the target's own scale (a high-DPI screen, or a grab at another scale) so the rings stay
    // sharp.
    const qreal ratio = qMax(devicePixelRatioF(), qAbs(painter.deviceTransform().m11()));
    if (m_frame.isNull() || m_frameSize != size() || !qFuzzyCompare(m_frame.devicePixelRatio(), ratio)) {
        m_frameSize = size();
        m_frame = frameImage(m_frameSize, ratio);
    }
    painter.drawImage(0, 0, m_frame);
}

QImage BorderDialog::frameImage(const QSize &size, qreal ratio)
{
    const int w = size.width();
    const int h = size.height();
    QImage image(QSize(qCeil(w * ratio), qCeil(h * ratio)), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);

    QPainterPath content;
    content.setFillRule(Qt::WindingFill);
    content.addRect(QRectF(shadowWidth, shadowWidth, w - 2 * shadowWidth, h - 2 * shadowWidth));

    QPainter painter(&image);
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
    return image;
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

void BorderDialog::keyPressEvent(QKeyEvent *event)
{
    if (!m_closesOnEscape && event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
