#pragma once

#include "app/calendarfile.h"
#include "http/servicereply.h"
#include "sdk/joinchain.h"
#include "widgets/borderdialog.h"

#include <QJsonArray>

#include <QPoint>
#include <QString>

class ActMtgDetailHttp;
class QJsonArray;
class MeetingList;
class mtgItem;
class TmMtgQueryHttp;
class WaitingSpinnerWidget;

namespace Ui {
class HomeScreen;
}

// The window a signed-in user works from: the meetings grouped by day and
// the four actions (join, quick meeting, schedule, screen cast). It destroys
// itself when a meeting is joined, on sign-out, on close and on a forced
// logout.
class HomeScreen final : public BorderDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(HomeScreen)

public:
    explicit HomeScreen(QWidget *parent = nullptr);
    ~HomeScreen() override;

    // The next screen takes over without the Meeting SDK sign-out that
    // closing by the user means.
    void handOverWithoutSignOut() { m_handedOver = true; }

signals:
    void uiLoadedFinishSignal();
    // Every list the service answered with (empty when there are no meetings).
    void meetingListLoaded(const QJsonArray &meetings);
    // The account menu's "会议开始前提醒".
    void reminderSwitchedSignal(bool enabled);

public slots:
    void onMinBtnClicked();
    void onCloseBtnClicked();
    void onJoinBtnClicked();
    void onCreateBtnClicked();
    void onQuickBtnClicked();
    void onCastBtnClicked();
    void onSetBtnClicked();
    void uiLoadedFinishSlot();
    void tmMtgQueryResultSlot(QString result, ServiceReply reply);
    void tmMtgCreateResultSlot(QString result, ServiceReply reply);
    void tmMtgDeleteResultSlot(QString result, ServiceReply reply);
    void tmMtgUpdatedSlot();
    void showShareMeetingSlot(QString result, ServiceReply reply);
    void mtgInviteSlot(QString meetingNo);
    void mtgChangeSlot(QString meetingNo);
    void mtgActChangeSlot(QString meetingId);
    void mtgCloseSlot(QString meetingId);
    void joinMeetingSlot(QString meetingNo);
    // A join nobody clicked for here (a link, a reminder): see JoinChain::unattended.
    void joinUnattended(const QString &meetingNo);
    void closeDialogSlot();
    void stopWaitingSlot();
    void appLogoutSlot();
    void wmForcedLogoutCompleteSlot();
    void actMtgDetailResultSlot(QString result, ServiceReply reply);
    void linkJoinMeetingSlot();
    void quickMeetingSlot();
    void showDifferentAccountLoginMsgSlot();
    void activityApproveOkSlot();
    void directJoinMeetingSlot();
    // A meeting was booked or changed: say so and offer "添加到日历".
    void meetingSavedSlot(CalendarEvent event, bool created);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void loadMeetingList();
    // The invitation text of an invitation answer; empty (and a notice) on failure.
    QString invitationFrom(const ServiceReply &reply, QString *meetingCode = nullptr);
    // The meeting of this number in the list shown, as a calendar entry.
    CalendarEvent calendarEventFor(const QString &meetingCode) const;
    // The list area's empty state: no meetings, or a load that failed and
    // reloads on a click.
    void showEmptyState(bool loadFailed);
    void closeMeeting(const QString &meetingId);
    void buildMeetingList(const QJsonArray &meetings);
    void connectRow(mtgItem *row);
    void showOneButtonMessage(const QString &message, const QString &buttonText);
    void openActivityApprove(const QString &url);
    JoinChain::Meeting meetingToJoin() const;
    void startJoin(const QString &meetingNo, bool unattended);
    void joinRequested();
    void joinFinished(const JoinOutcome &outcome);
    // Closes without the SDK sign-out that closing by the user means.
    void closeHandedOver();

    Ui::HomeScreen *ui = nullptr;
    TmMtgQueryHttp *m_queryRequest = nullptr;
    JoinChain *m_joinChain = nullptr;
    ActMtgDetailHttp *m_actDetailRequest = nullptr;
    WaitingSpinnerWidget *m_spinner = nullptr;
    MeetingList *m_meetingList = nullptr;
    QString m_currentMeetingCode;
    bool m_unattended = false;
    QJsonArray m_meetings;
    bool m_handedOver = false;
    bool m_listLoadFailed = false;
};
