#pragma once

#include "http/servicereply.h"

#include "widgets/borderdialog.h"

#include <QPoint>

namespace Ui {
class AccountLogin;
}
class LoginComVerifyHttp;
class LoginHttp;
class SignInChain;
class SignInProgress;

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

    // After a lost session: the account of the session filled in, why in a
    // line under the logo, the keyboard where the user goes on typing; no
    // automatic sign-in.
    void resumeSession(const QString &companyCode, const QString &account, const QString &why);

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
    void loginComVerifyResultSlot(QString result, ServiceReply reply);
    void loginResultSlot(QString result, ServiceReply reply);
    void tmTokenResultSlot(QString result, ServiceReply reply);
    void wmLoginCompleteSlot(QString result);
    void showHomeViewSlot();
    void uiLoadedFinishSlot();

private:
    void fillRemembered(int type);
    bool showsRemembered() const;

    Ui::AccountLogin *ui = nullptr;
    LoginHttp *m_loginHttp = nullptr;
    LoginComVerifyHttp *m_comVerifyHttp = nullptr;
    SignInChain *m_chain = nullptr;
    SignInProgress *m_progress = nullptr;
    QString m_type;
    // A sign-in was started before the queued start-up checks ran (launch
    // link), so they must not start a second one.
    bool m_signInRequested = false;
};
