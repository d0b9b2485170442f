#pragma once

#include "widgets/borderdialog.h"

#include <QPoint>

namespace Ui {
class AccountLogin;
}
class LoginComVerifyHttp;
class LoginHttp;
class SignInChain;
class WaitingSpinnerWidget;

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
    void wmLoginCompleteSlot(QString result);
    void showHomeViewSlot();
    void uiLoadedFinishSlot();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    int checkedAccountType() const;
    void fillRemembered(int type);
    bool showsRemembered() const;
    void startBusy(const QString &text);
    void stopBusy();
    void fail(const QString &notice);

    Ui::AccountLogin *ui = nullptr;
    LoginHttp *m_loginHttp = nullptr;
    LoginComVerifyHttp *m_comVerifyHttp = nullptr;
    SignInChain *m_chain = nullptr;
    WaitingSpinnerWidget *m_spinner = nullptr;
    QString m_type;
    // The step of the first half whose answer is awaited. A request that timed
    // out may still answer later; such an answer must not carry the chain on.
    // The token and the Meeting SDK steps are the chain's.
    enum class Step
    {
        Idle,
        CompanyCheck,
        SignIn,
        Chain
    };
    Step m_step = Step::Idle;
    bool expecting(Step step, const char *what);
    // A sign-in was started before the queued start-up checks ran (launch
    // link), so they must not start a second one.
    bool m_signInRequested = false;
};
