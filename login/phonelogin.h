#pragma once

#include "http/servicereply.h"

#include "widgets/borderdialog.h"

namespace Ui {
class PhoneLogin;
}
class LoginComVerifyHttp;
class LoginHttp;
class LoginVerifyHttp;
class SignInChain;
class SignInProgress;
class VerifyCodeCountdown;

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

    // After a lost session: the account of the session filled in, why in a
    // line under the logo, the keyboard where the user goes on typing; no
    // automatic sign-in.
    void resumeSession(const QString &companyCode, const QString &account, const QString &why);

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
    void loginResultSlot(QString result, ServiceReply reply);
    void loginVerifyResultSlot(QString result, ServiceReply reply);
    void tmTokenResultSlot(QString result, ServiceReply reply);
    void loginComVerifyResultSlot(QString result, ServiceReply reply);
    void wmLoginCompleteSlot(QString result);
    void showHomeViewSlot();
    void uiLoadedFinishSlot();

private:
    Ui::PhoneLogin *ui = nullptr;
    LoginHttp *m_loginHttp = nullptr;
    LoginVerifyHttp *m_verifyHttp = nullptr;
    LoginComVerifyHttp *m_comVerifyHttp = nullptr;
    SignInChain *m_chain = nullptr;
    SignInProgress *m_progress = nullptr;
    VerifyCodeCountdown *m_countdown = nullptr;
    // Opened after a lost session: no automatic sign-in.
    bool m_resumed = false;
};
