#include "widgets/borderdialog.h"

#include "widgets/pngimage.h"

#include <QAbstractButton>
#include <QColor>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
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
        button->setIcon(PngImage::icon(QLatin1String(icon)));
        button->setObjectName(QStringLiteral("titlePushButton"));
    }
}

// The frame is drawn from a small copy of itself: corners as they are, the
// one-pixel middle of each band stretched along its edge, the content filled
// white. A full-size copy would hold a second window's worth of pixels.
void BorderDialog::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    // Drawn at the target's own scale (a high-DPI screen, or a grab at another scale) so the rings stay
    // sharp.
    const qreal ratio = qMax(devicePixelRatioF(), qAbs(painter.deviceTransform().m11()));
    // Corners of the band plus one pixel either way, and one uniform middle pixel.
    constexpr int corner = shadowWidth + 2;
    constexpr int side = 2 * corner + 1;
    if (m_frame.isNull() || !qFuzzyCompare(m_frame.devicePixelRatio(), ratio))
        m_frame = frameImage(QSize(side, side), ratio);
    const int w = width();
    const int h = height();
    if (w < side || h < side) {
        painter.drawImage(0, 0, frameImage(size(), ratio));
        return;
    }
    const auto source = [ratio](qreal x, qreal y, qreal sw, qreal sh) {
        return QRectF(x * ratio, y * ratio, sw * ratio, sh * ratio);
    };
    const qreal midW = w - 2 * corner;
    const qreal midH = h - 2 * corner;
    // Corners.
    painter.drawImage(QRectF(0, 0, corner, corner), m_frame, source(0, 0, corner, corner));
    painter.drawImage(QRectF(w - corner, 0, corner, corner), m_frame, source(corner + 1, 0, corner, corner));
    painter.drawImage(QRectF(0, h - corner, corner, corner), m_frame, source(0, corner + 1, corner, corner));
    painter.drawImage(QRectF(w - corner, h - corner, corner, corner), m_frame,
                      source(corner + 1, corner + 1, corner, corner));
    // Bands.
    painter.drawImage(QRectF(corner, 0, midW, corner), m_frame, source(corner, 0, 1, corner));
    painter.drawImage(QRectF(corner, h - corner, midW, corner), m_frame,
                      source(corner, corner + 1, 1, corner));
    painter.drawImage(QRectF(0, corner, corner, midH), m_frame, source(0, corner, corner, 1));
    painter.drawImage(QRectF(w - corner, corner, corner, midH), m_frame,
                      source(corner + 1, corner, corner, 1));
    painter.fillRect(QRectF(corner, corner, midW, midH), Qt::white);
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
        // Where the title bar has a way back, Escape takes it.
        for (QAbstractButton *button : findChildren<QAbstractButton *>(QStringLiteral("titlePushButton"))) {
            if (button->toolTip() == QLatin1String("返回") && button->isVisible() && button->isEnabled()) {
                button->click();
                break;
            }
        }
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void BorderDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        openToKeyboard(this);
    }
}

void BorderDialog::openToKeyboard(QWidget *window)
{
    for (QWidget *w : window->findChildren<QWidget *>()) {
        // Pop-ups of the window (a combo box's list) keep their own keys.
        if (w->window() != window)
            continue;
        if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            if (button->focusPolicy() == Qt::NoFocus)
                button->setFocusPolicy(Qt::TabFocus);
        } else if (auto *label = qobject_cast<QLabel *>(w)) {
            if (label->text().contains(QLatin1String("href")) &&
                !(label->textInteractionFlags() & Qt::LinksAccessibleByKeyboard))
                label->setTextInteractionFlags(label->textInteractionFlags() | Qt::LinksAccessibleByMouse |
                                               Qt::LinksAccessibleByKeyboard);
        }
    }
    // A field that already has the keyboard keeps it; a version choice or a
    // check box would swallow what the user types at once.
    QWidget *focus = window->focusWidget();
    const bool usable = focus && focus->isVisibleTo(window) && focus->isEnabled();
    if (usable && (qobject_cast<QLineEdit *>(focus) || qobject_cast<QComboBox *>(focus)))
        return;
    // Typing right away goes where the user would click first.
    QWidget *first = nullptr;
    QWidget *mainButton = nullptr;
    for (QWidget *w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain()) {
        if (w->window() != window || !w->isVisibleTo(window) || !w->isEnabled() ||
            !(w->focusPolicy() & Qt::TabFocus))
            continue;
        auto *edit = qobject_cast<QLineEdit *>(w);
        if (edit && edit->text().isEmpty() && !edit->isReadOnly()) {
            first = edit;
            break;
        }
        auto *button = qobject_cast<QPushButton *>(w);
        if (!mainButton && button &&
            (button->isDefault() || button->objectName() == QLatin1String("defaultQPushButton")))
            mainButton = button;
    }
    if (!first && usable)
        return;
    if (!first)
        first = mainButton;
    if (first)
        first->setFocus(Qt::TabFocusReason);
}
