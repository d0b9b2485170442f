#pragma once

#include "widgets/borderdialog.h"

namespace Ui {
class PhoneLogin;
}
class LoginComVerifyHttp;
class LoginHttp;
class LoginVerifyHttp;
class SignInChain;
class VerifyCodeCountdown;
class WaitingSpinnerWidget;

// Sign-in with account type, company code, phone number and an SMS code:
// company check, phone sign-in at the service, then the shared second half
// (meeting-service token, Meeting SDK, home screen).
class PhoneLogin final : public BorderDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(PhoneLogin)

public:
    explicit PhoneLogin(QString type, QWidget *parent = nullptr);
    ~PhoneLogin() override;

signals:
    void uiLoadedFinishSignal();

public slots:
    void onMinBtnClicked();
    void onCloseBtnClicked();
    void onReturnBtnClicked();
    void onPhoneLoginBtnClicked();
    void onAccountLoginBtnClicked();
    void onQRCodeBtnClicked();
    void onVerifyCodeBtnClicked();
    void onEnterpriseRdoBtnToggled(bool checked);
    void onRegulatoryRdoBtnToggled(bool checked);
    void onFinancialRdoBtnToggled(bool checked);
    void openUrl(QString link);
    void comfirmBtnEnabledStatusSlot();
    void loginResultSlot(QString result);
    void loginVerifyResultSlot(QString result);
    void tmTokenResultSlot(QString result);
    void loginComVerifyResultSlot(QString result);
    void wmLoginCompleteSlot(QString result);
    void showHomeViewSlot();
    void uiLoadedFinishSlot();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    int checkedAccountType() const;
    void startBusy(const QString &text);
    void fail(const QString &notice);

    Ui::PhoneLogin *ui = nullptr;
    LoginHttp *m_loginHttp = nullptr;
    LoginVerifyHttp *m_verifyHttp = nullptr;
    LoginComVerifyHttp *m_comVerifyHttp = nullptr;
    SignInChain *m_chain = nullptr;
    WaitingSpinnerWidget *m_spinner = nullptr;
    VerifyCodeCountdown *m_countdown = nullptr;
    // Which answer the first half of the chain waits for; late answers of a
    // timed-out request are ignored.
    enum class Step
    {
        Idle,
        CompanyCheck,
        SignIn,
        Chain
    };
    Step m_step = Step::Idle;
    bool expecting(Step step, const char *what);
};
