#include "widgets/progressindicator.h"

#include <QPainter>
#include <QTimerEvent>

ProgressIndicator::ProgressIndicator(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::NoFocus);
}

bool ProgressIndicator::isAnimated() const
{
    return m_timerId != -1;
}

QSize ProgressIndicator::sizeHint() const
{
    return QSize(20, 20);
}

int ProgressIndicator::heightForWidth(int w) const
{
    return w;
}

void ProgressIndicator::startAnimation()
{
    m_angle = 0;
    if (m_timerId == -1)
        m_timerId = startTimer(m_delay, Qt::CoarseTimer);
}

void ProgressIndicator::stopAnimation()
{
    if (m_timerId != -1)
        killTimer(m_timerId);
    m_timerId = -1;
    update();
}

void ProgressIndicator::setAnimationDelay(int delay)
{
    const bool running = m_timerId != -1;
    if (running)
        killTimer(m_timerId);
    m_timerId = -1;
    m_delay = delay;
    if (running)
        m_timerId = startTimer(m_delay, Qt::CoarseTimer);
}

void ProgressIndicator::setDisplayedWhenStopped(bool state)
{
    m_displayedWhenStopped = state;
    update();
}

void ProgressIndicator::setColor(QColor color)
{
    m_color = color;
    update();
}

void ProgressIndicator::timerEvent(QTimerEvent *event)
{
    Q_UNUSED(event)
    m_angle = (m_angle + 30) % 360;
    update();
}

void ProgressIndicator::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    if (!m_displayedWhenStopped && !isAnimated())
        return;

    const int side = qMin(width(), height());
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);

    const double outer = (side - 1) * 0.5;
    const int outerRadius = int(outer);
    const int innerRadius = int(outer * 0.38);
    const int capsuleHeight = outerRadius - innerRadius;
    const int capsuleWidth = int(side < 33 ? capsuleHeight * 0.35 : capsuleHeight * 0.23);
    const int corner = capsuleWidth / 2;

    for (int i = 0; i < 12; ++i) {
        QColor c = m_color;
        c.setAlphaF(1.0 - i / 12.0);
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.save();
        p.translate(rect().center());
        p.rotate(m_angle - 30 * i);
        p.drawRoundedRect(int(-capsuleWidth * 0.5), -outerRadius, capsuleWidth, capsuleHeight, corner,
                          corner);
        p.restore();
    }
}
