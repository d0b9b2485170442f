#pragma once

#include "http/servicereply.h"

#include "widgets/borderdialog.h"

namespace Ui {
class QRCodeLogin;
}
class LoginHttp;
class LoginWxBindingHttp;
class LoginWxUrlHttp;
class ProgressIndicator;
class QTimer;
class SignInChain;
class WaitingSpinnerWidget;

// Sign-in by scanning a QR code with WeChat: fetch the sign-in address and
// its key, show the code, poll the binding status every second, then sign in
// by the key and run the shared second half of the sign-in.
class QRCodeLogin final : public BorderDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(QRCodeLogin)

public:
    // returnTo: "AccountLogin" (also when empty) or "PhoneLogin".
    explicit QRCodeLogin(QString returnTo, QWidget *parent = nullptr);
    ~QRCodeLogin() override;

signals:
    void ui_loaded();

public slots:
    void onMinBtnClicked();
    void onCloseBtnClicked();
    void onPCLoginBtnClicked();
    void onReturnBtnClicked();
    void onRefreshQRCodeBtnClicked();
    void openUrl(QString link);
    void loadQRCode();
    void LoginWxUrlResultSlot(QString result);
    void LoginWxBindingResultSlot(QString result, ServiceReply reply);
    void loginResultSlot(QString result);
    void tmTokenResultSlot(QString result);
    void wmLoginCompleteSlot(QString result);
    void showHomeViewSlot();
    void qrCodeInvalidSlot();

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    void goBack();
    void stopPolling();
    void showInvalid(const QString &text);
    void hideInvalid();
    void failSignIn();

    Ui::QRCodeLogin *ui = nullptr;
    QString m_returnTo;
    ProgressIndicator *m_progress = nullptr;
    LoginWxUrlHttp *m_wxUrlHttp = nullptr;
    // Replaced for every new code, so answers about an older code never arrive.
    LoginWxBindingHttp *m_bindingHttp = nullptr;
    LoginHttp *m_loginHttp = nullptr;
    SignInChain *m_chain = nullptr;
    WaitingSpinnerWidget *m_spinner = nullptr;
    // One expiry for the code on show; a new code restarts it.
    QTimer *m_expiryTimer = nullptr;
    int m_pollTimerId = -1;
    // Between a scan and the end of its sign-in; answers outside it are late.
    bool m_signingIn = false;
};
