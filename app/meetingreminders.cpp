#include "app/meetingreminders.h"

#include "http/meetingrecord.h"

#include <QDateTime>

namespace {
// Woken at least this often, so a suspended machine or a changed clock
// catches up soon.
constexpr qint64 longestSleepMs = 60 * 1000;

QString digitsOnly(QString code)
{
    return code.remove(QLatin1Char(' ')).remove(QLatin1Char('-'));
}
} // namespace

QString ReminderMeeting::key() const
{
    return (meetingId.isEmpty() ? meetingCode : meetingId) + QLatin1Char('@') + QString::number(startSecs);
}

MeetingReminders::MeetingReminders(QObject *parent)
    : QObject(parent), m_clock([] { return QDateTime::currentMSecsSinceEpoch(); })
{
    qRegisterMetaType<ReminderMeeting>();
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &MeetingReminders::check);
}

void MeetingReminders::setClock(Clock clock)
{
    m_clock = std::move(clock);
}

QList<ReminderMeeting> MeetingReminders::fromRecords(const QVector<MeetingRecord> &meetings)
{
    QList<ReminderMeeting> list;
    for (const MeetingRecord &record : meetings) {
        // Nothing to join: no reminder.
        if (record.meetingCode.isEmpty())
            continue;
        list << ReminderMeeting{record.meetingId, record.meetingCode, record.subject, record.startSecs,
                                record.endSecs};
    }
    return list;
}

void MeetingReminders::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (!enabled) {
        // Switched off: what is shown goes, and comes back if switched on in time.
        for (Entry &entry : m_entries) {
            if (entry.state == State::Shown)
                withdraw(entry, false);
        }
    }
    check();
}

void MeetingReminders::setMeetings(const QList<ReminderMeeting> &meetings)
{
    const qint64 now = m_clock() / 1000;
    QHash<QString, Entry> next;
    for (const ReminderMeeting &meeting : meetings) {
        const QString key = meeting.key();
        if (m_done.contains(key) || next.contains(key))
            continue;
        if (m_entries.contains(key)) {
            Entry entry = m_entries.take(key);
            entry.meeting = meeting;
            next.insert(key, entry);
            continue;
        }
        if (now >= meeting.startSecs) {
            m_done.insert(key); // already under way when first seen
            continue;
        }
        next.insert(key, Entry{meeting, State::Waiting});
    }
    // Removed, moved or closed: its reminder goes with its old time.
    for (Entry &gone : m_entries) {
        if (gone.state == State::Shown)
            withdraw(gone, false);
    }
    m_entries = next;
    check();
}

void MeetingReminders::setInMeeting(bool inMeeting, const QString &meetingCode)
{
    m_inMeeting = inMeeting;
    if (inMeeting) {
        const QString joined = digitsOnly(meetingCode);
        QStringList answered;
        for (Entry &entry : m_entries) {
            if (entry.state != State::Shown)
                continue;
            const bool isJoined = !joined.isEmpty() && digitsOnly(entry.meeting.meetingCode) == joined;
            withdraw(entry, isJoined);
            if (isJoined)
                answered << entry.meeting.key();
        }
        for (const QString &key : answered)
            m_entries.remove(key);
    }
    check();
}

void MeetingReminders::answer(const QString &key)
{
    auto it = m_entries.find(key);
    if (it == m_entries.end())
        return;
    m_entries.erase(it);
    m_done.insert(key);
    check();
}

void MeetingReminders::stop()
{
    m_timer.stop();
    for (Entry &entry : m_entries) {
        if (entry.state == State::Shown)
            withdraw(entry, false);
    }
    m_entries.clear();
}

QList<ReminderMeeting> MeetingReminders::shown() const
{
    QList<ReminderMeeting> list;
    for (const Entry &entry : m_entries) {
        if (entry.state == State::Shown)
            list << entry.meeting;
    }
    return list;
}

ReminderMeeting MeetingReminders::meeting(const QString &meetingCode) const
{
    const QString code = digitsOnly(meetingCode);
    for (const Entry &entry : m_entries) {
        if (digitsOnly(entry.meeting.meetingCode) == code)
            return entry.meeting;
    }
    return ReminderMeeting();
}

void MeetingReminders::withdraw(Entry &entry, bool done)
{
    entry.state = State::Waiting;
    const QString key = entry.meeting.key();
    if (done)
        m_done.insert(key);
    emit reminderWithdrawn(key);
}

void MeetingReminders::check()
{
    const qint64 now = m_clock() / 1000;
    QList<ReminderMeeting> due;
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        Entry &entry = it.value();
        const ReminderMeeting &meeting = entry.meeting;
        if (now >= meeting.startSecs + lingerSecs) {
            // Too late to be of use, shown or not.
            if (entry.state == State::Shown)
                withdraw(entry, true);
            m_done.insert(it.key());
            it = m_entries.erase(it);
            continue;
        }
        if (entry.state == State::Waiting && m_enabled && !m_inMeeting &&
            now >= meeting.startSecs - leadSecs) {
            entry.state = State::Shown;
            due << meeting;
        }
        ++it;
    }
    // Earliest first, so stacked reminders read in order.
    std::sort(due.begin(), due.end(),
              [](const ReminderMeeting &a, const ReminderMeeting &b) { return a.startSecs < b.startSecs; });
    for (const ReminderMeeting &meeting : due)
        emit reminderDue(meeting);
    schedule(now);
}

void MeetingReminders::schedule(qint64 nowSecs)
{
    qint64 next = -1;
    for (const Entry &entry : m_entries) {
        qint64 at = entry.meeting.startSecs + lingerSecs;
        if (entry.state == State::Waiting && m_enabled && !m_inMeeting)
            at = qMin(at, entry.meeting.startSecs - leadSecs);
        if (next < 0 || at < next)
            next = at;
    }
    if (next < 0) {
        m_timer.stop();
        return;
    }
    const qint64 waitMs = qBound<qint64>(0, (next - nowSecs) * 1000, longestSleepMs);
    m_timer.start(int(waitMs));
}
