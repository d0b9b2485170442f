#pragma once

#include "http/servicereply.h"
#include "sdk/joinchain.h"

#include <QObject>
#include <QString>

class MeetingStore;

// How one of the session's meeting actions ended, and what to show.
struct MeetingOutcome
{
    enum class Action
    {
        Invite,       // text: the invitation text
        Close,        // text: the notice ("会议已关闭")
        ActivityPage, // text: the address opened in the browser
        CalendarText  // text: the invitation text for the calendar entry's description
    };
    Action action = Action::Invite;
    bool succeeded = false;
    // The result above, or what to tell the user when it failed.
    QString text;
    // The meeting it was about (number; the id for Close and ActivityPage).
    QString meeting;
    // Invite and CalendarText: the join link, for the calendar entry.
    QString link;
};
Q_DECLARE_METATYPE(MeetingOutcome)

// What the session does with a meeting, without a window: joining (one
// JoinChain for the session, whoever asks: a list row, a reminder, a launch
// link), invitations, closing, the quick meeting, the activity page and the
// text for a calendar entry. Each ends with one signal carrying a typed
// outcome; the screen in front shows it, and the store is refreshed after
// the user's own changes.
class MeetingActions final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(MeetingActions)

public:
    explicit MeetingActions(MeetingStore *store, QObject *parent = nullptr);
    ~MeetingActions() override;

    // Joins a meeting of the signed-in user (summary, admission where the
    // type asks for it, join). Unattended: a join nobody clicked for in the
    // client (a link, a reminder), see JoinChain::unattended. False when
    // another meeting's join is under way: that one stays the one joined.
    bool join(const QString &meetingCode, bool unattended = false);
    // An admission window let the user in: the join alone.
    void joinAdmitted();
    // Creates a meeting at once and joins it.
    void quickMeeting(bool unattended = false);
    bool isJoining() const { return m_chain->isRunning() || m_creating; }
    // The screen that asked is closed by the user: the join (or the quick
    // meeting's creation) is given up, as JoinChain::abandon().
    void abandonJoin();
    // The number of the join under way or last asked for.
    QString meetingCode() const { return m_meeting.code; }

    // What a launch link in linkInfo asks of a signed-in user; the link is
    // used up.
    enum class LinkRequest
    {
        None,         // no link
        OtherAccount, // for another account: told, nothing joined
        Join,         // a join of the link's number has started
        QuickMeeting  // no number: a quick meeting has started
    };
    LinkRequest followLink();

    void invite(const QString &meetingCode);
    void close(const QString &meetingId);
    void openActivityPage(const QString &meetingId);
    void fetchCalendarText(const QString &meetingCode);

signals:
    // A join starts (its checks first): the screen in front shows it is busy.
    void joinStarted();
    // The join is asked of the Meeting SDK now.
    void joining();
    // As JoinChain::finished; Joined has set currentMeetingCode.
    void joinFinished(const JoinOutcome &outcome);
    void finished(const MeetingOutcome &outcome);

private:
    void startJoin(const QString &meetingCode, bool unattended, bool direct);
    void onJoinFinished(const JoinOutcome &outcome);
    void onCreated(const ServiceReply &reply);
    void onActivityDetail(const QString &meetingId, const ServiceReply &reply);
    void onInvitation(MeetingOutcome::Action action, const QString &meetingCode, const ServiceReply &reply);

    MeetingStore *m_store = nullptr;
    JoinChain *m_chain = nullptr;
    JoinChain::Meeting m_meeting;
    bool m_creating = false;
    bool m_unattended = false;
};
