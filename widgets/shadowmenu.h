#pragma once

#include "widgets/popupbackdrop.h"

#include <QMenu>
#include <QPointer>

// A drop-down menu with the shadow ring of the other windows that stays
// inside the window of the button it belongs to: it opens above the button
// where there is no room below, and to the left where there is none right.
class ShadowMenu final : public QMenu
{
    Q_OBJECT
    Q_DISABLE_COPY(ShadowMenu)

public:
    explicit ShadowMenu(QWidget *parent = nullptr);

    // The button the menu drops from; its window bounds the menu.
    void setAnchor(QWidget *anchor) { m_anchor = anchor; }

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QPointer<QWidget> m_anchor;
    PopupBackdrop m_backdrop;
};
