#pragma once

#include "calendar/calendarfile.h"
#include "http/servicereply.h"
#include "widgets/borderdialog.h"

#include <QString>

#include <memory>

class MeetingActions;
class MeetingListArea;
class MeetingStore;
class WaitingSpinnerWidget;
class mtgItem;
struct JoinOutcome;
struct MeetingOutcome;

namespace Ui {
class HomeScreen;
}

// The window a signed-in user works from: the session's meetings grouped by
// day and the four actions (join, quick meeting, schedule, screen cast). It
// shows the meeting store and the outcomes of the session's meeting actions;
// it holds no list and runs no request of its own. It destroys itself when a
// meeting is joined, on sign-out, on close and on a forced logout.
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
    // The account menu's "会议开始前提醒".
    void reminderSwitchedSignal(bool enabled);

public slots:
    void onCloseBtnClicked();
    void onJoinBtnClicked();
    void onCreateBtnClicked();
    void onQuickBtnClicked();
    void onSetBtnClicked();
    void uiLoadedFinishSlot();
    void tmMtgUpdatedSlot();
    void mtgInviteSlot(QString meetingNo);
    void mtgChangeSlot(QString meetingNo);
    void mtgActChangeSlot(QString meetingId);
    void mtgCloseSlot(QString meetingId);
    void joinMeetingSlot(QString meetingNo);
    void closeDialogSlot();
    void stopWaitingSlot();
    void appLogoutSlot();
    void wmForcedLogoutCompleteSlot();
    void linkJoinMeetingSlot();
    void quickMeetingSlot();
    void showDifferentAccountLoginMsgSlot();
    void activityApproveOkSlot();
    void directJoinMeetingSlot();
    // A meeting was booked or changed: say so and offer "添加到日历".
    void meetingSavedSlot(CalendarEvent event, bool created);

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void loadMeetingList();
    void listRefreshed(const ServiceReply &reply);
    void showMeetings();
    void connectRow(mtgItem *row);
    void showBusy(const QString &text);
    void joinRequested();
    void joinFinished(const JoinOutcome &outcome);
    void actionFinished(const MeetingOutcome &outcome);
    // Closes without the SDK sign-out that closing by the user means.
    void closeHandedOver();

    std::unique_ptr<Ui::HomeScreen> ui;
    MeetingStore *m_store = nullptr;
    MeetingActions *m_actions = nullptr;
    MeetingListArea *m_listArea = nullptr;
    WaitingSpinnerWidget *m_spinner = nullptr;
    bool m_handedOver = false;
    bool m_loadAsked = false;
    bool m_listBusy = false; // the spinner shows this screen's list load
};
