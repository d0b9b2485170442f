#pragma once

#include "widgets/borderdialog.h"

#include <QDialog>
#include <QPoint>
#include <QPointer>

namespace Ui {
class SplashSelect;
}
class JoinMeeting;
class QTimer;
class TmSDKInfoHttp;
class WaitingSpinnerWidget;

// The start screen: join a meeting or sign in. Before the user chooses it
// prepares the Meeting SDK for a guest join, takes over a single-sign-on
// hand-off file and signs in automatically with the remembered method.
class SplashSelect final : public BorderDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(SplashSelect)

public:
    explicit SplashSelect(QWidget *parent = nullptr);
    ~SplashSelect() override;

    // Path of the single-sign-on hand-off file.
    static QString ssoHandOffFilePath();
    // Reads and deletes the hand-off file; on a fresh, well-formed hand-off
    // fills ssoCompanyCode and ssoUserName and returns true.
    static bool takeSsoHandOff();
    // The user came back here on purpose: no automatic sign-in from this screen.
    void suppressAutoLogin() { m_autoLoginSuppressed = true; }

signals:
    void closeSelfSignal();
    void uiLoadedFinishSignal();
    void linkJoinMeetingSignal();

public slots:
    void onMinBtnClicked();
    void onCloseBtnClicked();
    void onJoinMeetingBtnClicked();
    void onLoginBtnClicked();
    void forcedLogoutSlot();
    void autoLoginSlot();
    void autoLogin();
    void ssoLoginSlot();
    void uiLoadedFinishSlot();
    void linkJoinMeetingSlot();
    void showDifferentAccountLoginMsgSlot();
    void joinMeetingClosedSlot();

private:
    // Opens the join dialog over this screen and wires its end.
    JoinMeeting *openJoinDialog(const QString &meetingNo, const QString &nickname);
    void sdkInfoWaitOver();
    void continueStartUp();

    Ui::SplashSelect *ui = nullptr;
    // The join dialog this screen opened (a JoinMeeting), null when none.
    QPointer<QDialog> m_joinMeeting;
    WaitingSpinnerWidget *m_spinner = nullptr;
    TmSDKInfoHttp *m_sdkInfoHttp = nullptr;
    QTimer *m_sdkInfoTimer = nullptr;
    bool m_sdkInfoPending = false;
    bool m_autoLoginSuppressed = false;
    // Closed or another screen took over: queued start-up steps must not act.
    bool m_handedOver = false;
};
