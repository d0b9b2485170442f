#pragma once

#include "http/servicereply.h"

#include "widgets/borderdialog.h"

namespace Ui {
class PhoneNumberPatch;
}
class SignInChain;
class SignInProgress;
class TmPhoneVerifyHttp;
class VerifyCodeCountdown;

// Shown during a sign-in when the meeting service says the account has no
// phone number yet: the user adds one with an SMS code and the sign-in goes
// on to the Meeting SDK and the home screen.
class PhoneNumberPatch final : public BorderDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(PhoneNumberPatch)

public:
    // Which sign-in led here, and so what is remembered on success:
    // 0/1 the account sign-in without/with automatic sign-in, 2 the phone
    // sign-in, 3 the QR-code sign-in with automatic sign-in.
    explicit PhoneNumberPatch(int origin, QWidget *parent = nullptr);
    ~PhoneNumberPatch() override;

public slots:
    void onMinBtnClicked();
    void onCloseBtnClicked();
    void onReturnBtnClicked();
    void onComfirmBtnClicked();
    void onVerifyCodeBtnClicked();
    void comfirmBtnEnabledStatusSlot();
    void tmPhoneVerifyResultSlot(QString result, ServiceReply reply);
    void tmTokenResultSlot(QString result, ServiceReply reply);
    void wmLoginCompleteSlot(QString result);
    void showHomeViewSlot();

private:
    void saveForOrigin();

    Ui::PhoneNumberPatch *ui = nullptr;
    TmPhoneVerifyHttp *m_phoneVerifyHttp = nullptr;
    SignInChain *m_chain = nullptr;
    SignInProgress *m_progress = nullptr;
    VerifyCodeCountdown *m_countdown = nullptr;
    int m_origin = 0;
};
