#pragma once

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

private:
    void showName();

    Ui::userPop *ui = nullptr;
};
