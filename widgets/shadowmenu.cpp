#include "widgets/shadowmenu.h"

#include "widgets/borderdialog.h"

#include <QPainter>

ShadowMenu::ShadowMenu(QWidget *parent) : QMenu(parent)
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    // The style sheet's margin leaves the room for the ring.
}

void ShadowMenu::showEvent(QShowEvent *event)
{
    QMenu::showEvent(event);
    const int ring = BorderDialog::shadowWidth;
    // The menu's corner was put where the panel goes; the ring goes around it.
    QRect panel(pos(), size() - QSize(2 * ring, 2 * ring));
    if (m_anchor) {
        const QWidget *window = m_anchor->window();
        // The ring too lies on the window, inside its own ring.
        const QRect inside = window->frameGeometry().adjusted(2 * ring, 2 * ring, -2 * ring, -2 * ring);
        const QRect button(m_anchor->mapToGlobal(QPoint(0, 0)), m_anchor->size());
        if (panel.bottom() > inside.bottom() && button.top() - panel.height() >= inside.top())
            panel.moveBottom(button.top() - 1);
        if (panel.right() > inside.right())
            panel.moveRight(qMax(inside.right(), panel.width() + inside.left() - 1));
    }
    move(panel.topLeft() - QPoint(ring, ring));
    m_backdrop.setWindow(m_anchor ? m_anchor->window() : nullptr);
    m_backdrop.take(this);
}

void ShadowMenu::paintEvent(QPaintEvent *event)
{
    {
        QPainter painter(this);
        m_backdrop.paint(painter, this);
    }
    QMenu::paintEvent(event);
}
