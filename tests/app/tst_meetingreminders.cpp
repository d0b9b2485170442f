#include "app/meetingreminders.h"

#include <QSignalSpy>
#include <QtTest>

// The reminder timing rules against a clock the test sets, in minutes
// relative to the meeting's start.
class MeetingRemindersTest : public QObject
{
    Q_OBJECT

    static constexpr qint64 start = 1800000000;
    qint64 m_now = 0;

    void at(MeetingReminders &reminders, int minute)
    {
        m_now = (start + minute * 60) * 1000;
        reminders.check();
    }
    static ReminderMeeting meeting(const QString &id, qint64 startSecs)
    {
        return ReminderMeeting{id, "48291573" + id.right(1), "周会", startSecs, startSecs + 3600};
    }
    void setUpClock(MeetingReminders &reminders)
    {
        reminders.setClock([this] { return m_now; });
    }

private slots:
    void timingRules_data()
    {
        QTest::addColumn<int>("listedAt");
        QTest::addColumn<int>("leftMeetingAt"); // 99: never in a meeting
        QTest::addColumn<int>("checkedAt");
        QTest::addColumn<int>("due");
        QTest::addColumn<bool>("shown");
        QTest::newRow("not yet six minutes before") << -30 << 99 << -6 << 0 << false;
        QTest::newRow("five minutes before") << -30 << 99 << -5 << 1 << true;
        QTest::newRow("listed two minutes before: at once") << -2 << 99 << -2 << 1 << true;
        QTest::newRow("listed under way: never") << 1 << 99 << 2 << 0 << false;
        QTest::newRow("stays until ten minutes after the start") << -30 << 99 << 9 << 1 << true;
        QTest::newRow("gone ten minutes after the start") << -30 << 99 << 10 << 1 << false;
        QTest::newRow("in a meeting: waits until the user leaves") << -30 << 4 << 4 << 1 << true;
        QTest::newRow("nothing while in the meeting") << -30 << 4 << 3 << 0 << false;
        QTest::newRow("left too late: dropped") << -30 << 11 << 11 << 0 << false;
    }
    void timingRules()
    {
        QFETCH(int, listedAt);
        QFETCH(int, leftMeetingAt);
        QFETCH(int, checkedAt);
        QFETCH(int, due);
        QFETCH(bool, shown);
        MeetingReminders reminders;
        setUpClock(reminders);
        QSignalSpy dueSpy(&reminders, &MeetingReminders::reminderDue);
        m_now = (start + listedAt * 60) * 1000;
        if (leftMeetingAt != 99)
            reminders.setInMeeting(true);
        reminders.setMeetings({meeting("1", start)});
        for (int minute = listedAt; minute <= checkedAt; ++minute) {
            m_now = (start + minute * 60) * 1000;
            if (minute == leftMeetingAt)
                reminders.setInMeeting(false);
            reminders.check();
        }
        QCOMPARE(dueSpy.count(), due);
        QCOMPARE(reminders.shown().size(), shown ? 1 : 0);
    }

    void listChangesAndAnswersHoldForTheRun()
    {
        MeetingReminders reminders;
        setUpClock(reminders);
        QSignalSpy dueSpy(&reminders, &MeetingReminders::reminderDue);
        QSignalSpy withdrawnSpy(&reminders, &MeetingReminders::reminderWithdrawn);

        // Answered once: the same list again brings no second reminder.
        at(reminders, -10);
        reminders.setMeetings({meeting("1", start), meeting("2", start + 3600)});
        at(reminders, -5);
        QCOMPARE(dueSpy.count(), 1);
        reminders.answer(meeting("1", start).key());
        reminders.setMeetings({meeting("1", start), meeting("2", start + 3600)});
        at(reminders, -4);
        QCOMPARE(dueSpy.count(), 1);

        // Moved: not at its old time, at its new one.
        reminders.setMeetings({meeting("2", start + 7200)});
        at(reminders, 55);
        QCOMPARE(dueSpy.count(), 1);
        at(reminders, 115);
        QCOMPARE(dueSpy.count(), 2);

        // Closed while shown: the reminder goes.
        reminders.setMeetings({});
        QCOMPARE(withdrawnSpy.count(), 1);
        QVERIFY(reminders.shown().isEmpty());

        // Joined from elsewhere: its reminder goes; sign-out stops the rest.
        reminders.setMeetings({meeting("3", start + 7500), meeting("4", start + 7500)});
        at(reminders, 121);
        QCOMPARE(reminders.shown().size(), 2);
        reminders.setInMeeting(true, "482  915  733");
        reminders.setInMeeting(false);
        QCOMPARE(reminders.shown().size(), 1);
        reminders.stop();
        at(reminders, 122);
        QVERIFY(reminders.shown().isEmpty());
        QCOMPARE(dueSpy.count(), 5);
    }
};

QTEST_GUILESS_MAIN(MeetingRemindersTest)
#include "tst_meetingreminders.moc"
