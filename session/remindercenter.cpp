#include "session/remindercenter.h"

#include "app/basevalues.h"
#include "app/meetingreminders.h"
#include "app/userstore.h"
#include "meeting/desktopnotice.h"
#include "meeting/reminderwindow.h"
#include "meetings/meetingstore.h"
#include "sdk/wemeetmanager.h"

#include <QDebug>

ReminderCenter::ReminderCenter(MeetingStore *store, QObject *parent)
    : QObject(parent), m_store(store), m_schedule(new MeetingReminders(this))
{
    connect(m_store, &MeetingStore::meetingsChanged, this, &ReminderCenter::meetingsChanged);
    m_schedule->setEnabled(loadMeetingReminder());
    connect(m_schedule, &MeetingReminders::reminderDue, this, &ReminderCenter::showReminder);
    connect(m_schedule, &MeetingReminders::reminderWithdrawn, this, &ReminderCenter::withdraw);

    WeMeetManager *manager = WeMeetManager::instance();
    // After the screens have handled the same answer (they set the meeting's number).
    for (auto signal : {&WeMeetManager::OnJoinMeetingFinishSignal, &WeMeetManager::OnLeaveMeetingFinishSignal,
                        &WeMeetManager::OnLeaveWaitingRoomFinishSignal})
        connect(manager, signal, this, &ReminderCenter::meetingStateChanged, Qt::QueuedConnection);
    connect(manager, &WeMeetManager::OnForcedLogoutFinishSignal, this, &ReminderCenter::stop);
}

QList<ReminderWindow *> ReminderCenter::windows() const
{
    QList<ReminderWindow *> open;
    for (const QPointer<ReminderWindow> &window : m_windows) {
        if (window)
            open << window;
    }
    return open;
}

void ReminderCenter::meetingsChanged()
{
    if (!baseValues->signedIn)
        return;
    m_schedule->setMeetings(MeetingReminders::fromRecords(m_store->meetings()));
}

void ReminderCenter::setEnabled(bool enabled)
{
    m_schedule->setEnabled(enabled);
}

void ReminderCenter::stop()
{
    m_schedule->stop();
}

void ReminderCenter::meetingStateChanged()
{
    const bool inMeeting = WeMeetManager::instance()->state() == 4;
    m_schedule->setInMeeting(inMeeting, baseValues->currentMeetingCode);
}

void ReminderCenter::showReminder(const ReminderMeeting &meeting)
{
    if (!baseValues->signedIn || m_windows.value(meeting.key()))
        return;
    qDebug().noquote() << "meeting reminder:" << meeting.meetingCode;
    auto *window = new ReminderWindow(meeting);
    m_windows.insert(meeting.key(), window);
    connect(window, &ReminderWindow::joinClicked, this, [this](const QString &key, const QString &code) {
        m_schedule->answer(key);
        emit joinRequested(code);
    });
    connect(window, &ReminderWindow::ignoreClicked, m_schedule, &MeetingReminders::answer);
    // Queued: while it is being destroyed, its entry still points at it.
    connect(window, &QObject::destroyed, this, &ReminderCenter::restack, Qt::QueuedConnection);
    restack();
    window->show();
    DesktopNotice::show(window->windowTitle(), ReminderWindow::noticeText(meeting));
}

void ReminderCenter::withdraw(const QString &key)
{
    QPointer<ReminderWindow> window = m_windows.take(key);
    // Closed for the user, not by them: no answer goes back.
    if (window)
        window->withdraw();
}

void ReminderCenter::restack()
{
    int slot = 0;
    for (auto it = m_windows.begin(); it != m_windows.end();) {
        if (!it.value()) {
            it = m_windows.erase(it);
            continue;
        }
        it.value()->placeInCorner(slot++);
        ++it;
    }
}
