#pragma once

#include <QHash>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QVector>

#include <functional>

struct MeetingRecord;

// One meeting of the list as the reminders need it.
struct ReminderMeeting
{
    QString meetingId;
    QString meetingCode;
    QString subject;
    qint64 startSecs = 0; // seconds since 1970-01-01 UTC
    qint64 endSecs = 0;

    // A moved meeting is a new reminder; the old time is forgotten with the old key.
    QString key() const;
};
Q_DECLARE_METATYPE(ReminderMeeting)

// When to remind the user of the meetings in their list. Knows no windows:
// it says which reminders are on screen, how many more wait for room, and
// when one has to go; its owner shows and hides them. Lives for the run, so
// a new home screen keeps what was reminded already.
class MeetingReminders final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(MeetingReminders)

public:
    explicit MeetingReminders(QObject *parent = nullptr);

    // Milliseconds since 1970-01-01 UTC; tests set their own.
    using Clock = std::function<qint64()>;
    void setClock(Clock clock);
    static inline qint64 leadSecs = 5 * 60;    // reminded this long before the start
    static inline qint64 lingerSecs = 10 * 60; // a reminder stays until start plus this, or the end
    static inline qint64 snoozeSecs = 5 * 60;  // "稍后提醒" after the start
    static inline int maxShown = 3;            // reminders on screen at once; the rest are counted

    // The meetings of the list that can be joined.
    static QList<ReminderMeeting> fromRecords(const QVector<MeetingRecord> &meetings);

    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }
    // Each time the list arrives: what is no longer in it is not reminded.
    void setMeetings(const QList<ReminderMeeting> &meetings);
    // While in a meeting nothing is shown; reminders due meanwhile go back
    // to waiting, except the one for the meeting joined.
    void setInMeeting(bool inMeeting, const QString &meetingCode = QString());
    // The user answered the reminder ("加入", "×"): never again this run.
    void answer(const QString &key);
    // "稍后提醒": again at the start, or a while later once it has begun.
    void snooze(const QString &key);
    // The reminders waiting for room are dismissed all at once.
    void dismissWaiting();
    // Sign-out: everything pending or shown goes.
    void stop();

    QList<ReminderMeeting> shown() const;
    // Fewer on a small screen, never more than maxShown.
    void setShownLimit(int limit) { m_shownLimit = qBound(1, limit, maxShown); }
    int shownLimit() const { return m_shownLimit; }
    // Due, but waiting for a free place on screen.
    int waitingCount() const { return m_waiting; }

    // Acts on the clock's time now; the timer calls it, tests too.
    void check();

signals:
    // On screen now; the user or a withdrawal takes it off again.
    void reminderDue(const ReminderMeeting &meeting);
    // Off screen without an answer: moved, removed, over, joined, switched off.
    void reminderWithdrawn(const QString &key);
    void waitingCountChanged(int count);
    // Meetings that fell due together, counted once (the earliest named).
    void burst(const ReminderMeeting &earliest, int count);

private:
    enum class State
    {
        Waiting,
        Due,
        Shown
    };
    struct Entry
    {
        ReminderMeeting meeting;
        State state = State::Waiting;
        qint64 remindAt = 0;
    };
    bool active() const { return m_enabled && !m_inMeeting; }
    void unshow(Entry &entry, bool done);
    void schedule(qint64 nowSecs);

    Clock m_clock;
    QHash<QString, Entry> m_entries;
    // Reminded, answered or already under way when first seen: never again this run.
    QSet<QString> m_done;
    QTimer m_timer;
    int m_waiting = 0;
    int m_shownLimit = maxShown;
    bool m_enabled = true;
    bool m_inMeeting = false;
};
