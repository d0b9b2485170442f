#pragma once

#include "app/waits.h"

#include <QDialog>
#include <QString>

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
    static void showMessage(QString text, QWidget *parent, int durationMs = Waits::noticeMs);

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    explicit Snackbar(QWidget *parent);

    Ui::Snackbar *ui = nullptr;
    int m_timerId = -1;
};
