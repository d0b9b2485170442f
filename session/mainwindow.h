#pragma once

#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QString>

class MeetingActions;
struct JoinOutcome;
class MeetingStore;
class QTimer;
class ReminderCenter;
class ServiceTokenHttp;
class TwoBtnDlg;

// Invisible window that lives for the whole run: renews the service token,
// opens the start screen and handles what outlives any one screen (leave,
// sign-out, forced sign-out, SDK invitations, launch links while running).
class MainWindow final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY(MainWindow)

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // The coordinator of a run: creates it and connects, by signature, the
    // Meeting SDK manager's signals and (when given) the instance server's
    // launch links to it. Start-up and the tests both use this.
    static MainWindow *createConnected(QObject *instanceServer = nullptr);

    // Interval of the service-token renewal for a token lifetime in seconds;
    // 0 when the lifetime is unknown (no renewal).
    static int refreshIntervalMs(int expiresInSeconds);
    // Closing this window ends the application's event loop (start-up sets
    // this once the loop is about to run).
    void setEndsEventLoop(bool ends) { m_endsEventLoop = ends; }

    // The running renewal timer, null when no lifetime was known.
    QTimer *refreshTimer() const { return m_refreshTimer; }
    // The meeting reminders of the run.
    ReminderCenter *reminders() const { return m_reminders; }
    // The signed-in session's meeting list.
    MeetingStore *meetingStore() const { return m_meetingStore; }
    // What the session does with a meeting, whichever window asks.
    MeetingActions *meetingActions() const { return m_meetingActions; }

signals:
    void closeShareMeetingSignal();
    void forcedLogoutSignal();
    void autoLoginSignal();
    void ssoLoginSignal();

public slots:
    void wmShareToMeetingCompleteSlot(QString jsonInfo);
    void wmLeaveMeetingCompleteSlot(QString result);
    void wmLeaveWaitingRoomCompleteSlot(QString result);
    void wmForcedLogoutCompleteSlot();
    void wmLogoutCompleteSlot();
    void closeSelfSlot();
    void receiveAppParameterSlot(QString appParameter);
    void showDifferentAccountLoginMsgSlot();
    void showJoinNewMeetingMsgSlot();
    void showJoiningMeetingMsgSlot();
    void refreshServiceTokenSlot();
    // A requested Meeting SDK sign-out failed or never answered: go on as if
    // it had completed, so the user is never left without a screen.
    void wmLogoutFailedSlot(QString result);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showNotice(const QString &text);
    void joinFinishedUnseen(const JoinOutcome &outcome);
    void showForcedLogout();
    void forgetPhone();
    void dropJoinNewQuestion();

    QTimer *m_refreshTimer = nullptr;
    ReminderCenter *m_reminders = nullptr;
    MeetingStore *m_meetingStore = nullptr;
    MeetingActions *m_meetingActions = nullptr;
    // The last renewal, kept until the next one so a late answer still counts.
    ServiceTokenHttp *m_refreshRequest = nullptr;
    bool m_endsEventLoop = false;
    // The open "leave for the new meeting?" question; one at a time, so a
    // later link only replaces the link it is about.
    QPointer<TwoBtnDlg> m_joinNewQuestion;
};
