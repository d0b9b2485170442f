#pragma once

#include "widgets/borderdialog.h"

#include <QPoint>

namespace Ui {
class AccountLogin;
}
class LoginComVerifyHttp;
class LoginHttp;
class QTimer;
class TmTokenHttp;
class WaitingSpinnerWidget;
class WeMeetManager;

// Sign-in with account type, company code, account name and password. Runs
// the whole chain: company check, service sign-in, meeting-service token,
// Meeting SDK initialisation and sign-in, then the home screen.
class AccountLogin final : public BorderDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(AccountLogin)

public:
    explicit AccountLogin(QString type, QWidget *parent = nullptr);
    ~AccountLogin() override;

    // Signs in at once without a password (launch link or hand-off file):
    // the service's simulated sign-in with these values.
    void simulateLogin(const QString &companyCode, const QString &userName);

signals:
    void uiLoadedFinishSignal();

public slots:
    void onMinBtnClicked();
    void onCloseBtnClicked();
    void onReturnBtnClicked();
    void onPhoneLoginBtnClicked();
    void onQRCodeBtnClicked();
    void onAccountLoginBtnClicked();
    void onEnterpriseRdoBtnToggled(bool checked);
    void onRegulatoryRdoBtnToggled(bool checked);
    void onFinancialRdoBtnToggled(bool checked);
    void onAutoLoginChkBoxStateChanged(int arg1);
    void onRemberPwdChkBoxStateChanged(int arg1);
    void onLinkActivated(QString link);
    void comfirmBtnEnabledStatusSlot();
    void loginComVerifyResultSlot(QString result);
    void loginResultSlot(QString result);
    void tmTokenResultSlot(QString result);
    void wmSDKInitializeCompleteSlot();
    void wmLoginCompleteSlot(QString result);
    void showHomeViewSlot();
    void uiLoadedFinishSlot();
    void wmSDKErrorSlot(QString result);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    int checkedAccountType() const;
    void startBusy(const QString &text);
    void stopBusy();
    void fail(const QString &notice);
    void sdkAnswerTimedOut();
    void waitForSdkAnswer();

    Ui::AccountLogin *ui = nullptr;
    LoginHttp *m_loginHttp = nullptr;
    TmTokenHttp *m_tmTokenHttp = nullptr;
    LoginComVerifyHttp *m_comVerifyHttp = nullptr;
    WeMeetManager *m_manager = nullptr;
    WaitingSpinnerWidget *m_spinner = nullptr;
    QTimer *m_sdkInitTimer = nullptr;
    QString m_type;
    // The step of the chain whose answer is awaited. A request that timed out
    // may still answer later; such an answer must not carry the chain on.
    enum class Step
    {
        Idle,
        CompanyCheck,
        SignIn,
        Token,
        MeetingSdk
    };
    Step m_step = Step::Idle;
    bool expecting(Step step, const char *what);
    // A sign-in was started before the queued start-up checks ran (launch
    // link), so they must not start a second one.
    bool m_signInRequested = false;
};
