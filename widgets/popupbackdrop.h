#pragma once

#include <QPixmap>
#include <QPointer>
#include <QWidget>

class QPainter;

// Behind a pop-up that lies over its window: the window's own pixels under
// the pop-up's edge and the shadow ring of the other windows over them.
// Drawn by the pop-up itself, so the ring needs no compositing window manager.
class PopupBackdrop final
{
public:
    // The window the pop-up lies over.
    void setWindow(QWidget *window) { m_window = window; }
    QWidget *window() const { return m_window; }
    // Takes the window's pixels under popup, as placed now.
    void take(const QWidget *popup);
    void paint(QPainter &painter, const QWidget *popup) const;

private:
    QPointer<QWidget> m_window;
    QPixmap m_under;
};
