#pragma once

#include "sdk/joinchain.h"
#include "widgets/borderdialog.h"

#include <QJsonObject>
#include <QList>
#include <QPointer>
#include <QString>

class QTimer;
class WaitingSpinnerWidget;
class WeMeetManager;

namespace Ui {
class JoinMeeting;
}

// Joins a meeting by its number, signed in or as a guest: formats the number
// as it is typed, offers the last five meetings, takes nickname, microphone
// and camera, gets what the Meeting SDK needs, checks activity admission and
// asks the SDK to join. Number, nickname and choices are remembered in
// User.dat.
class JoinMeeting final : public BorderDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(JoinMeeting)

public:
    // How the dialog ended, for the screen beneath it.
    enum class Outcome
    {
        Open,            // still running
        Joined,          // in the meeting
        Failed,          // the Meeting SDK refused the join (joinResult() says why)
        LeftWaitingRoom, // the user left the waiting room
        Closed,          // closed by the user, also while joining
        ForcedOut        // the account was signed in elsewhere
    };

    explicit JoinMeeting(QString meetingNo, QString nickname, QWidget *parent = nullptr);
    ~JoinMeeting() override;

    void setMeetingNo(QString meetingNo);
    void setNickname(QString nickname);
    // The user opened the dialog: a meeting number on the clipboard is
    // offered beneath the field and filled in only when clicked.
    void offerClipboardNumber();
    // A join is under way, or a verification or admission window of it is
    // open: a link meanwhile is refused.
    bool isJoining() const;

    Outcome outcome() const { return m_outcome; }
    // The Meeting SDK's answer to the join: empty on success.
    QString joinResult() const { return m_joinResult; }

signals:
    void joinMeetingFinishSignal();
    // A guest was turned away and chose to sign in.
    void signInRequested();

public slots:
    void onCloseBtnClicked();
    void onJoinMeetingBtnClicked();
    void onMeetingNoCboBoxEditTextChanged(QString arg1);
    void clearMeetingHistory(QString link);
    void wmForcedLogoutCompleteSlot();
    void stopWaitingSlot();
    void activityApproveSlot(QString url, QString telephone, QString mobileCountryCode);
    void wmSdkInitSlot();
    void linkJoinMeetingSlot();

public:
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // "123  456  789": groups of a meeting number of up to 12 digits.
    static QString displayMeetingNo(const QString &digits);
    void fillHistory();
    void refillHistoryKeeping(const QString &typed);
    // The row's "×": forgets that one meeting.
    void removeHistoryEntry(const QString &code, const QString &time);
    QString meetingNo() const;
    QString nickname() const;
    JoinChain::Meeting meeting() const;
    // With the phone of the launch link, or none.
    void joinAsGuest();
    void joinRequested();
    void joinFinished(const JoinOutcome &outcome);
    void openPhoneNumberVerify();
    void rememberJoin();
    // Ends the dialog after a join answer, a waiting-room answer or a forced
    // logout: no further answers are taken, then it closes and deletes itself.
    void finish(Outcome outcome);
    void stopJoinWait();
    // The busy indicator's latest stop; it never cancels what is under way.
    void armJoinWait();

    Ui::JoinMeeting *ui = nullptr;
    WeMeetManager *m_manager = nullptr;
    JoinChain *m_chain = nullptr;
    WaitingSpinnerWidget *m_spinner = nullptr;
    QTimer *m_joinWaitTimer = nullptr;
    QList<QJsonObject> m_history;
    QString m_nickname;
    // From a launch link; empty for a join typed by hand.
    QString m_telephone;
    QString m_mobileCountryCode;
    bool m_filtering = false;
    bool m_closing = false;
    // The join under way came from a link, not from the user's click.
    bool m_unattended = false;
    QPointer<QWidget> m_stepWindow;
    Outcome m_outcome = Outcome::Open;
    QString m_joinResult;
};
