#pragma once

#include "http/servicereply.h"

#include <QObject>
#include <QString>

class ActivityApproveHttp;
class QTimer;
class TmMtgSummaryHttp;
class TmTokenHttp;
class WeMeetManager;

// How a join, or one of its checks, ended, and what the screen shows.
struct JoinOutcome
{
    enum class Kind
    {
        Joined,          // in the meeting
        JoinFailed,      // the Meeting SDK refused the join; text is its message
        LeftWaitingRoom, // the user left the waiting room
        VerifyPhone,     // a guest must verify a phone number first
        Approve,         // activity steps are missing; text is the address to scan
        Admitted,        // a check on its own (phone verification, admission window) let the user in
        Notice,          // text is shown as a notice
        Refused,         // not admitted; text is shown in a message dialog
        MembersOnly      // the meeting admits no guests: only a sign-in helps
    };
    Kind kind = Kind::Notice;
    QString text;
};

// One join from start to end, shared by every screen that joins: the
// meeting summary and, for activity meetings, the admission check; for a
// guest the guest token (or the hand-off to phone verification); the
// Meeting SDK's initialisation and sign-in where needed; then the join.
// The screen starts it, shows its busy indicator and reacts to finished;
// the chain holds no widget.
//
// Answers count only for the step under way, so a late answer of an earlier
// step or another screen's Meeting SDK traffic never moves it on. Requests
// end within their own time-out; the Meeting SDK's initialisation and
// sign-in within Waits::sdkResponseMs. The join itself waits as long as the
// Meeting SDK does (a waiting room may last).
class JoinChain final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(JoinChain)

public:
    struct Meeting
    {
        QString code;
        QString nickname;
        bool micOn = false;
        bool cameraOn = false;
    };

    // A join the user did not start with a click in the client (a launch
    // link, a hand-over, a reminder): camera off, microphone as last chosen
    // in the join dialog and off when never chosen.
    static Meeting unattended(const QString &code, const QString &nickname);
    // The meeting a join of any screen is on its way into; empty when none.
    // A link arriving meanwhile is measured against it.
    static QString meetingUnderWay();

    explicit JoinChain(QObject *parent = nullptr);
    ~JoinChain() override;

    // Signed in: summary, admission check where the type asks for it, join.
    void joinAsMember(const Meeting &meeting);
    // Not signed in: guest token with the link's phone (or none), then the
    // Meeting SDK and the join.
    void joinAsGuest(const Meeting &meeting, const QString &telephone, const QString &mobileCountryCode);
    // After an admission window let the user in: Meeting SDK sign-in, then
    // as joinAsMember when signed in, else the join.
    void signInAndJoin(const Meeting &meeting);
    // The join alone (a meeting already resolved and admitted).
    void joinNow(const Meeting &meeting);
    // Phone verification: guest token with the SMS code, then the admission
    // check for that phone. Ends with Admitted, Approve, Refused or Notice.
    void verifyGuest(const QString &meetingCode, const QString &nickname, const QString &telephone,
                     const QString &mobileCountryCode, const QString &verifyCode);
    // The admission window's check. Ends with Admitted or Notice.
    void checkAdmission(const QString &meetingId, const QString &telephone, const QString &mobileCountryCode);

    // The screen gives up (closed). A join already asked of the Meeting SDK
    // is undone as far as the client goes; returns whether there was one.
    bool abandon();
    bool isRunning() const { return m_step != Step::Idle; }
    // The meeting last started: what a join that ends records.
    const Meeting &meeting() const { return m_meeting; }

signals:
    // The join is asked of the Meeting SDK now; its answer may take a while.
    void joining();
    // Once per started chain, except that a Notice during the join (a Meeting
    // SDK error, a failed waiting-room answer) leaves it waiting for the join
    // answer.
    void finished(JoinOutcome outcome);

private:
    enum class Step
    {
        Idle,
        Token,
        MeetingSdk,
        Summary,
        Admission,
        Join
    };
    // Who reads the admission answer: each window words it its own way.
    enum class Route
    {
        Member,
        Guest,
        PhoneCheck,
        AdmissionWindow
    };

    void startMeetingSdk();
    void startSummary();
    void startAdmission(const QString &meetingId, const QString &telephone, const QString &mobileCountryCode);
    void startJoin();
    void onTokenResult(const QString &result, const ServiceReply &reply);
    void onInitialized();
    void onInitializeFailed(const QString &message);
    void onLoginFinished(const QString &result);
    void onSummaryResult(const QString &result, const ServiceReply &reply);
    void onAdmissionResult(const QString &result, const ServiceReply &reply);
    void onJoinFinished(const QString &result);
    void onLeftWaitingRoom(const QString &result);
    void onSdkError(const QString &message);
    void onSdkTimedOut();
    void finish(JoinOutcome::Kind kind, const QString &text = QString());

    WeMeetManager *m_manager = nullptr;
    TmTokenHttp *m_tokenHttp = nullptr;
    TmMtgSummaryHttp *m_summaryHttp = nullptr;
    ActivityApproveHttp *m_approveHttp = nullptr;
    QTimer *m_sdkTimer = nullptr;
    Step m_step = Step::Idle;
    Route m_route = Route::Member;
    Meeting m_meeting;
    QString m_verifiedPhone;
    QString m_verifiedCountryCode;
};

Q_DECLARE_METATYPE(JoinOutcome)
