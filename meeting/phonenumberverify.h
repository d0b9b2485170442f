#pragma once

#include "widgets/borderdialog.h"

#include <QMetaObject>
#include <QString>

class ActivityApproveHttp;
class QTimer;
class TmPhoneVerifyHttp;
class TmTokenHttp;
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
    void checkActivityApproveResultSlot(QString result);
    void comfirmBtnEnabledStatusSlot();
    void tmPhoneVerifyResultSlot(QString result);
    void tmTokenResultSlot(QString result);
    void stopWaitingSlot();

private:
    QString plusCountryCode() const;
    void stopBusy();

    Ui::PhoneNumberVerify *ui = nullptr;
    TmPhoneVerifyHttp *m_phoneVerifyHttp = nullptr;
    TmTokenHttp *m_tokenHttp = nullptr;
    ActivityApproveHttp *m_approveHttp = nullptr;
    WaitingSpinnerWidget *m_spinner = nullptr;
    VerifyCodeCountdown *m_countdown = nullptr;
    QTimer *m_busyTimer = nullptr;
    QMetaObject::Connection m_tokenConnection;
    QString m_meetingNo;
    QString m_nickname;
    bool m_approvePending = false;
};
