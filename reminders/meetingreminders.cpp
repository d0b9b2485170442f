#include "reminders/meetingreminders.h"

#include "http/meetingrecord.h"

#include <QDateTime>

#include <algorithm>
#include <tuple>

namespace {
// Woken at least this often, so a suspended machine or a changed clock
// catches up soon.
constexpr qint64 longestSleepMs = 60 * 1000;
// 9999-12-31 23:59:59 UTC: later (or negative) times come from a faulty
// answer and would overflow the arithmetic below.
constexpr qint64 latestSecs = 253402300799;

QString digitsOnly(QString code)
{
    return code.remove(QLatin1Char(' ')).remove(QLatin1Char('-'));
}

// Reminders fall due a whole minute at a time, so meetings of one minute
// (as a list of thousands has them) come up together, as one burst.
qint64 dueAt(qint64 remindAt)
{
    return remindAt - ((remindAt % 60) + 60) % 60;
}

// Over at its end, or a while after the start when that comes first.
qint64 overAt(const ReminderMeeting &meeting)
{
    const qint64 linger = meeting.startSecs + MeetingReminders::lingerSecs;
    return meeting.endSecs > meeting.startSecs ? qMin(linger, meeting.endSecs) : linger;
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
    check();
}

void MeetingReminders::setMeetings(const QList<ReminderMeeting> &meetings)
{
    const qint64 now = m_clock() / 1000;
    QHash<QString, Entry> next;
    next.reserve(meetings.size());
    for (const ReminderMeeting &meeting : meetings) {
        if (meeting.startSecs <= 0 || meeting.startSecs > latestSecs)
            continue;
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
        next.insert(key, Entry{meeting, State::Waiting, meeting.startSecs - leadSecs});
    }
    // Removed, moved or closed: its reminder goes with its old time.
    for (Entry &gone : m_entries)
        unshow(gone, false);
    m_entries = next;
    check();
}

void MeetingReminders::setInMeeting(bool inMeeting, const QString &meetingCode)
{
    m_inMeeting = inMeeting;
    const QString joined = digitsOnly(meetingCode);
    if (inMeeting && !joined.isEmpty()) {
        for (auto it = m_entries.begin(); it != m_entries.end();) {
            if (digitsOnly(it->meeting.meetingCode) != joined) {
                ++it;
                continue;
            }
            unshow(*it, true);
            it = m_entries.erase(it);
        }
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

void MeetingReminders::snooze(const QString &key)
{
    auto it = m_entries.find(key);
    if (it == m_entries.end())
        return;
    const qint64 now = m_clock() / 1000;
    const qint64 start = it->meeting.startSecs;
    it->state = State::Waiting;
    it->remindAt = start - now >= 60 ? start : now + snoozeSecs;
    check();
}

void MeetingReminders::dismissWaiting()
{
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (it->state != State::Due) {
            ++it;
            continue;
        }
        m_done.insert(it.key());
        it = m_entries.erase(it);
    }
    check();
}

void MeetingReminders::stop()
{
    for (Entry &entry : m_entries)
        unshow(entry, false);
    m_entries.clear();
    check();
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

void MeetingReminders::unshow(Entry &entry, bool done)
{
    const State was = entry.state;
    entry.state = State::Waiting;
    if (done)
        m_done.insert(entry.meeting.key());
    if (was == State::Shown)
        emit reminderWithdrawn(entry.meeting.key());
}

void MeetingReminders::check()
{
    const qint64 now = m_clock() / 1000;
    int shownCount = 0;
    int fellDue = 0;
    ReminderMeeting earliest;
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        Entry &entry = it.value();
        if (now >= overAt(entry.meeting)) {
            // Too late to be of use, shown or not.
            unshow(entry, true);
            it = m_entries.erase(it);
            continue;
        }
        if (!active()) {
            unshow(entry, false);
        } else if (entry.state == State::Waiting && now >= dueAt(entry.remindAt)) {
            entry.state = State::Due;
            if (fellDue++ == 0 || entry.meeting.startSecs < earliest.startSecs)
                earliest = entry.meeting;
        }
        shownCount += entry.state == State::Shown;
        ++it;
    }
    // Free places go to the earliest meetings, so stacked reminders read in order.
    QList<Entry *> due;
    for (Entry &entry : m_entries) {
        if (entry.state == State::Due)
            due << &entry;
    }
    const int room = qBound(0, m_shownLimit - shownCount, int(due.size()));
    std::partial_sort(due.begin(), due.begin() + room, due.end(), [](const Entry *a, const Entry *b) {
        return std::tie(a->meeting.startSecs, a->meeting.meetingCode) <
               std::tie(b->meeting.startSecs, b->meeting.meetingCode);
    });
    for (int i = 0; i < room; ++i) {
        due.at(i)->state = State::Shown;
        emit reminderDue(due.at(i)->meeting);
    }
    const int waiting = int(due.size()) - room;
    if (waiting != m_waiting) {
        m_waiting = waiting;
        emit waitingCountChanged(waiting);
    }
    if (fellDue > 0)
        emit burst(earliest, fellDue);
    schedule(now);
}

void MeetingReminders::schedule(qint64 nowSecs)
{
    qint64 next = -1;
    for (const Entry &entry : m_entries) {
        qint64 at = overAt(entry.meeting);
        if (entry.state == State::Waiting && active())
            at = qMin(at, dueAt(entry.remindAt));
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
