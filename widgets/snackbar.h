#pragma once

#include "app/waits.h"

#include <QDialog>
#include <QRect>
#include <QString>

#include <functional>

namespace Ui {
class Snackbar;
}

// A short-lived translucent notice that closes itself and is then deleted.
class Snackbar : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(Snackbar)

public:
    ~Snackbar() override;

    // Shows text over parent (which may be null) without blocking; the
    // notice closes after durationMs (Waits::noticeMs unless given).
    // Centred over parent's window, or over the primary screen without one.
    static void showMessage(QString text, QWidget *parent, int durationMs = Waits::noticeMs);
    // Centred in area (parent's coordinates), for a screen that must keep
    // part of itself in view.
    static void showMessageIn(QString text, QWidget *parent, const QRect &area,
                              int durationMs = Waits::noticeMs);

    // With no parent, centred over globalArea: for a window about to close.
    static void showMessageOver(QString text, const QRect &globalArea, int durationMs = Waits::noticeMs);
    // The same with a link after the text that runs action and closes the
    // notice; it stays longer, so there is time to reach it.
    static Snackbar *showMessageWithAction(const QString &text, const QString &actionText, QWidget *parent,
                                           std::function<void()> action,
                                           int durationMs = Waits::actionNoticeMs);

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    explicit Snackbar(QWidget *parent);
    // Plain text unless rich (the action notice's own link).
    static Snackbar *present(const QString &text, QWidget *parent, QRect globalArea, int durationMs,
                             bool rich = false);

    Ui::Snackbar *ui = nullptr;
    int m_timerId = -1;
};
