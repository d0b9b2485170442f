#pragma once

#include "http/servicereply.h"

#include "widgets/borderdialog.h"

#include <QString>

class JoinChain;
struct JoinOutcome;
class QTimer;
class TmPhoneVerifyHttp;
class VerifyCodeCountdown;
class WaitingSpinnerWidget;

namespace Ui {
class PhoneNumberVerify;
}

// Phone verification for a guest whose meeting asks for it: an SMS code to
// a mobile number, the guest token with it, then the activity admission
// check. Admission continues the join; missing activity steps hand over to
// the admission window.
class PhoneNumberVerify final : public BorderDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(PhoneNumberVerify)

public:
    PhoneNumberVerify(QString meetingNo, QString nickname, QString telephone, QString mobileCountryCode,
                      QWidget *parent = nullptr);
    ~PhoneNumberVerify() override;

signals:
    void sendWmSdkInitSignal();
    void sendActivityApproveSignal(QString url, QString telephone, QString mobileCountryCode);

public slots:
    void onMinBtnClicked();
    void onCloseBtnClicked();
    void onReturnBtnClicked();
    void onVerifyCodeBtnClicked();
    void onComfirmBtnClicked();
    void onLinkActivated(QString link);
    void verifyCodeTimeoutSlot();
    void comfirmBtnEnabledStatusSlot();
    void tmPhoneVerifyResultSlot(QString result, ServiceReply reply);
    void stopWaitingSlot();

private:
    QString plusCountryCode() const;
    void stopBusy();
    void verified(const JoinOutcome &outcome);

    Ui::PhoneNumberVerify *ui = nullptr;
    TmPhoneVerifyHttp *m_phoneVerifyHttp = nullptr;
    JoinChain *m_chain = nullptr;
    WaitingSpinnerWidget *m_spinner = nullptr;
    VerifyCodeCountdown *m_countdown = nullptr;
    QTimer *m_busyTimer = nullptr;
    QString m_meetingNo;
    QString m_nickname;
};
