#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class DesktopNotices;
class MeetingReminders;
class MeetingStore;
class ReminderWindow;
struct ReminderMeeting;

// The reminders of a run: schedule, windows and desktop notifications. The
// session coordinator owns it, so it outlives every home screen, and follows
// the session's meeting store. At most a
// few windows are up at once; a summary counts the rest, and meetings that
// fall due together get one desktop notification between them.
class ReminderCenter final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(ReminderCenter)

public:
    // Reminds of the meetings the store holds.
    explicit ReminderCenter(MeetingStore *store, QObject *parent = nullptr);

    MeetingReminders *schedule() const { return m_schedule; }
    QList<ReminderWindow *> windows() const;
    // "还有 N 个会议即将开始", null while everything fits.
    ReminderWindow *summaryWindow() const;

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
    void join(const QString &key);
    void showWaiting(int count);
    void notify(const ReminderMeeting &earliest, int count);
    void meetingStateChanged();
    void restack();
    void meetingsChanged();
    ReminderWindow *window(const QString &key) const;

    MeetingStore *m_store = nullptr;
    MeetingReminders *m_schedule = nullptr;
    DesktopNotices *m_notices = nullptr;

    // Earliest at the bottom of the stack.
    QList<QPointer<ReminderWindow>> m_windows;
    // Meeting number of each reminder on screen, for a join from its notification.
    QHash<QString, QString> m_codes;
    QPointer<ReminderWindow> m_summary;
};
