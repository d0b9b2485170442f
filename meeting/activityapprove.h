#pragma once

#include "widgets/borderdialog.h"

#include <QString>

class JoinChain;
struct JoinOutcome;
class WaitingSpinnerWidget;

namespace Ui {
class ActivityApprove;
}

// Admission to an activity meeting: shows the activity's registration or
// signature address as a QR code to scan with a phone; its join button asks
// the service again and lets the join continue once the steps are done.
class ActivityApprove final : public BorderDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(ActivityApprove)

public:
    ActivityApprove(QString url, QString meetingId, QString telephone, QString mobileCountryCode,
                    QWidget *parent = nullptr);
    ~ActivityApprove() override;

    QString url() const { return m_url; }

signals:
    // Admission granted: the join goes on.
    void sendWmSdkInitSignal();

public slots:
    void onMinBtnClicked();
    void onCloseBtnClicked();
    void onReturnBtnClicked();
    void onJoinMeetingBtnClicked();

private:
    void checked(const JoinOutcome &outcome);

    Ui::ActivityApprove *ui = nullptr;
    JoinChain *m_chain = nullptr;
    WaitingSpinnerWidget *m_spinner = nullptr;
    QString m_url;
    QString m_meetingId;
    QString m_telephone;
    QString m_mobileCountryCode;
};
