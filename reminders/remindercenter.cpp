#include "reminders/remindercenter.h"
#include "reminders/logcategory.h"

#include "app/basevalues.h"
#include "app/userstore.h"
#include "meetings/meetingstore.h"
#include "reminders/desktopnotice.h"
#include "reminders/meetingreminders.h"
#include "reminders/reminderwindow.h"
#include "sdk/wemeetmanager.h"

#include <QDateTime>
#include <QDebug>

namespace {
// The desktop notification of a burst of several meetings.
const QString burstKey = QStringLiteral("burst");
} // namespace

ReminderCenter::ReminderCenter(MeetingStore *store, QObject *parent)
    : QObject(parent), m_store(store), m_schedule(new MeetingReminders(this)),
      m_notices(new DesktopNotices(this))
{
    // Meetings the store no longer holds are withdrawn with the next list.
    connect(m_store, &MeetingStore::meetingsChanged, this, &ReminderCenter::meetingsChanged);
    m_schedule->setShownLimit(ReminderWindow::cardsThatFit());
    m_schedule->setEnabled(loadMeetingReminder());
    connect(m_schedule, &MeetingReminders::reminderDue, this, &ReminderCenter::showReminder);
    connect(m_schedule, &MeetingReminders::reminderWithdrawn, this, &ReminderCenter::withdraw);
    connect(m_schedule, &MeetingReminders::waitingCountChanged, this, &ReminderCenter::showWaiting);
    connect(m_schedule, &MeetingReminders::burst, this, &ReminderCenter::notify);
    connect(m_notices, &DesktopNotices::joinClicked, this, &ReminderCenter::join);

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
    for (const QPointer<ReminderWindow> &shown : m_windows) {
        if (shown)
            open << shown;
    }
    return open;
}

ReminderWindow *ReminderCenter::summaryWindow() const
{
    return m_summary;
}

ReminderWindow *ReminderCenter::window(const QString &key) const
{
    for (const QPointer<ReminderWindow> &shown : m_windows) {
        if (shown && shown->key() == key)
            return shown;
    }
    return nullptr;
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
    const bool inMeeting = WeMeetManager::instance()->state() == WeMeetManager::InMeeting;
    m_schedule->setInMeeting(inMeeting, baseValues->currentMeetingCode);
}

void ReminderCenter::showReminder(const ReminderMeeting &meeting)
{
    const QString key = meeting.key();
    if (!baseValues->signedIn || window(key))
        return;
    qCDebug(lcReminders).noquote() << "meeting reminder:" << meeting.meetingCode;
    auto *shown = new ReminderWindow(meeting);
    m_windows << shown;
    m_codes.insert(key, meeting.meetingCode);
    connect(shown, &ReminderWindow::joinClicked, this, [this](const QString &answered) { join(answered); });
    connect(shown, &ReminderWindow::snoozeClicked, this, [this](const QString &answered) {
        withdraw(answered);
        m_schedule->snooze(answered);
    });
    connect(shown, &ReminderWindow::ignoreClicked, this, [this](const QString &answered) {
        withdraw(answered);
        m_schedule->answer(answered);
    });
    // Queued: while it is being destroyed, its entry still points at it.
    connect(shown, &QObject::destroyed, this, &ReminderCenter::restack, Qt::QueuedConnection);
    restack();
    shown->show();
}

void ReminderCenter::join(const QString &key)
{
    const QString code = m_codes.value(key);
    withdraw(key);
    m_schedule->answer(key);
    if (!code.isEmpty())
        emit joinRequested(code);
}

void ReminderCenter::withdraw(const QString &key)
{
    m_codes.remove(key);
    m_notices->close(key);
    if (ReminderWindow *shown = window(key)) {
        m_windows.removeAll(shown);
        // Closed for the user, not by them: no answer goes back.
        shown->withdraw();
    }
    if (windows().isEmpty() && !m_summary)
        m_notices->close(burstKey);
}

void ReminderCenter::showWaiting(int count)
{
    if (count <= 0) {
        if (m_summary && m_summary->isVisible())
            m_summary->withdraw();
        if (windows().isEmpty())
            m_notices->close(burstKey);
        return;
    }
    if (!m_summary) {
        m_summary = ReminderWindow::summary(count);
        // "×" on the summary dismisses what it counts.
        connect(m_summary, &ReminderWindow::ignoreClicked, m_schedule, &MeetingReminders::dismissWaiting);
        connect(m_summary, &QObject::destroyed, this, &ReminderCenter::restack, Qt::QueuedConnection);
        restack();
        m_summary->show();
    }
    m_summary->setCount(count);
}

void ReminderCenter::notify(const ReminderMeeting &earliest, int count)
{
    if (!baseValues->signedIn)
        return;
    if (count == 1 && window(earliest.key())) {
        m_notices->show(earliest.key(), QStringLiteral("会议即将开始"), ReminderWindow::noticeText(earliest),
                        true);
        return;
    }
    // A burst: one notification, replacing the last burst's.
    const QString first = QStringLiteral("%1 %2").arg(
        QDateTime::fromSecsSinceEpoch(earliest.startSecs).toString(QStringLiteral("hh:mm")),
        ReminderWindow::oneLine(earliest.subject));
    m_notices->show(burstKey, QStringLiteral("%1 个会议即将开始").arg(count),
                    count > 1 ? QStringLiteral("%1 等").arg(first) : first, false);
}

void ReminderCenter::restack()
{
    int above = 0;
    m_windows.removeAll(nullptr);
    for (ReminderWindow *shown : qAsConst(m_windows))
        above += shown->placeInCorner(above);
    if (m_summary)
        m_summary->placeInCorner(above);
}
