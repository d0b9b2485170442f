#pragma once

#include <QDialog>
#include <QImage>
#include <QPoint>

class QAbstractButton;

// Base of every top-level screen and dialog: a white content rectangle inset
// by 10 pixels with a soft 10-pixel shadow drawn around it. Subclasses make
// themselves frameless (setUpWindow, or flags of their own) and keep their
// content inside 10-pixel contents margins.
class BorderDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(BorderDialog)

public:
    explicit BorderDialog(QWidget *parent = nullptr);
    ~BorderDialog() override = default;

    // Width of the shadow ring around the content rectangle.
    static constexpr int shadowWidth = 10;

protected:
    // How the screens and dialogs open: draggable, application-modal and
    // deleted once closed, with these window flags and title. The default
    // flags keep the window system's menu and its minimise and maximise hints.
    void setUpWindow(const QString &title,
                     Qt::WindowFlags flags = Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                                             Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    // The title bar's minimise, close and return buttons: icons and style
    // name. A window without one of them passes null.
    static void setUpTitleButtons(QAbstractButton *min, QAbstractButton *close,
                                  QAbstractButton *back = nullptr);
    // Off for the screens that replace one another: QDialog closes on
    // Escape, and closing the last window ends the run.
    void setClosesOnEscape(bool closes) { m_closesOnEscape = closes; }

    // Frameless windows move when dragged with the left button anywhere a
    // child does not take the press; off until a subclass switches it on.
    void setDraggable(bool draggable) { m_draggable = draggable; }
    bool isDraggable() const { return m_draggable; }

    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

public:
    // Every button and link of window into the Tab chain (by Tab only, so a
    // click leaves no focus frame behind), and the keyboard to its first
    // empty field or else its main button. Done when a window first shows.
    static void openToKeyboard(QWidget *window);

    // The white content rectangle and its shadow at this size; pop-ups draw
    // the same ring under their content.
    static QImage frameImage(const QSize &size, qreal ratio);

private:
    QImage m_frame;
    bool m_draggable = false;
    bool m_dragging = false;
    bool m_closesOnEscape = true;
    bool m_shownOnce = false;
    QPoint m_pressPos;
};
