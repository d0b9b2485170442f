#pragma once

#include "widgets/popupbackdrop.h"

#include <QString>
#include <QWidget>

namespace Ui {
class userPop;
}

// Account pop-up of the home screen: avatar initials, meeting name, phone,
// rename and sign-out. Deletes itself when it closes.
class userPop final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(userPop)

public:
    explicit userPop(QWidget *parent = nullptr);
    ~userPop() override;

    // The window it lies over, which shows through around its edge.
    void setBackdropWindow(QWidget *window) { m_backdrop.setWindow(window); }
    // Shows it below button of window (the home screen's settings button),
    // kept inside the window and the screen.
    void openBeside(QWidget *window, QWidget *button);

    // Text in the blue disc for a meeting name.
    static QString avatarText(const QString &name);

signals:
    void appLogoutSignal();
    // "会议开始前提醒" switched on or off.
    void reminderSwitchedSignal(bool enabled);

public slots:
    void onLogOutBtnClicked();
    void onModifyBtnClicked();
    void wmForcedLogoutCompleteSlot();
    void nickChangedSlot();

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void showName();

    Ui::userPop *ui = nullptr;
    PopupBackdrop m_backdrop;
};
