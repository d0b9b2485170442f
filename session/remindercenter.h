#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

class MeetingReminders;
class MeetingStore;
class ReminderWindow;
struct ReminderMeeting;

// The reminders of a run: schedule, windows and desktop notifications. The
// session coordinator owns it, so it outlives every home screen; it follows
// the session's meeting store.
class ReminderCenter final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(ReminderCenter)

public:
    // Reminds of the meetings the store holds.
    explicit ReminderCenter(MeetingStore *store, QObject *parent = nullptr);

    MeetingReminders *schedule() const { return m_schedule; }
    QList<ReminderWindow *> windows() const;

public slots:
    // The account menu's switch.
    void setEnabled(bool enabled);
    // Sign-out or forced sign-out.
    void stop();

signals:
    // "加入" on a reminder: the screen in front joins it as its list row would.
    void joinRequested(QString meetingCode);

private:
    void showReminder(const ReminderMeeting &meeting);
    void withdraw(const QString &key);
    void meetingStateChanged();
    void restack();

    void meetingsChanged();

    MeetingStore *m_store = nullptr;
    MeetingReminders *m_schedule = nullptr;
    QHash<QString, QPointer<ReminderWindow>> m_windows;
};
