#include "widgets/popupbackdrop.h"

#include "widgets/borderdialog.h"

#include <QPainter>

void PopupBackdrop::take(const QWidget *popup)
{
    m_under = QPixmap();
    if (!m_window || !m_window->isVisible())
        return;
    const QRect area(m_window->mapFromGlobal(popup->pos()), popup->size());
    m_under = m_window->grab(area);
}

void PopupBackdrop::paint(QPainter &painter, const QWidget *popup) const
{
    if (!m_under.isNull())
        painter.drawPixmap(0, 0, m_under);
    painter.drawImage(0, 0, BorderDialog::frameImage(popup->size(), popup->devicePixelRatioF()));
}
