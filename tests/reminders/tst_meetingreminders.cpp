#include "reminders/meetingreminders.h"

#include <QSignalSpy>
#include <QtTest>

#include <limits>

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
        QTest::addColumn<int>("snoozedAt");     // 99: never snoozed
        QTest::addColumn<int>("length");        // minutes
        QTest::addColumn<int>("checkedAt");
        QTest::addColumn<int>("due");
        QTest::addColumn<bool>("shown");
        QTest::newRow("not yet six minutes before") << -30 << 99 << 99 << 60 << -6 << 0 << false;
        QTest::newRow("five minutes before") << -30 << 99 << 99 << 60 << -5 << 1 << true;
        QTest::newRow("listed two minutes before: at once") << -2 << 99 << 99 << 60 << -2 << 1 << true;
        QTest::newRow("listed under way: never") << 1 << 99 << 99 << 60 << 2 << 0 << false;
        QTest::newRow("stays until ten minutes after the start") << -30 << 99 << 99 << 60 << 9 << 1 << true;
        QTest::newRow("gone ten minutes after the start") << -30 << 99 << 99 << 60 << 10 << 1 << false;
        QTest::newRow("a short meeting: gone at its end") << -30 << 99 << 99 << 5 << 5 << 1 << false;
        QTest::newRow("in a meeting: waits until the user leaves") << -30 << 4 << 99 << 60 << 4 << 1 << true;
        QTest::newRow("nothing while in the meeting") << -30 << 4 << 99 << 60 << 3 << 0 << false;
        QTest::newRow("left too late: dropped") << -30 << 11 << 99 << 60 << 11 << 0 << false;
        QTest::newRow("snoozed before the start: not before it") << -30 << 99 << -5 << 60 << -1 << 1 << false;
        QTest::newRow("snoozed before the start: again at it") << -30 << 99 << -5 << 60 << 0 << 2 << true;
        QTest::newRow("snoozed once begun: five minutes later") << -30 << 99 << 1 << 60 << 6 << 2 << true;
        QTest::newRow("snoozed once begun: not sooner") << -30 << 99 << 1 << 60 << 5 << 1 << false;
    }
    void timingRules()
    {
        QFETCH(int, listedAt);
        QFETCH(int, leftMeetingAt);
        QFETCH(int, snoozedAt);
        QFETCH(int, length);
        QFETCH(int, checkedAt);
        QFETCH(int, due);
        QFETCH(bool, shown);
        MeetingReminders reminders;
        setUpClock(reminders);
        QSignalSpy dueSpy(&reminders, &MeetingReminders::reminderDue);
        m_now = (start + listedAt * 60) * 1000;
        if (leftMeetingAt != 99)
            reminders.setInMeeting(true);
        ReminderMeeting listed = meeting("1", start);
        listed.endSecs = start + length * 60;
        reminders.setMeetings({listed});
        for (int minute = listedAt; minute <= checkedAt; ++minute) {
            m_now = (start + minute * 60) * 1000;
            if (minute == leftMeetingAt)
                reminders.setInMeeting(false);
            reminders.check();
            if (minute == snoozedAt)
                reminders.snooze(listed.key());
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

    void aFloodShowsAFewAndCountsTheRest_data()
    {
        QTest::addColumn<int>("meetings");
        QTest::addColumn<int>("answered");
        QTest::addColumn<bool>("dismissed");
        QTest::addColumn<int>("waiting");
        QTest::newRow("one") << 1 << 0 << false << 0;
        QTest::newRow("four") << 4 << 0 << false << 1;
        QTest::newRow("3000 in the same minute") << 3000 << 0 << false << 2997;
        QTest::newRow("two answered: the next take their place") << 3000 << 2 << false << 2995;
        QTest::newRow("the waiting dismissed") << 3000 << 0 << true << 0;
    }
    void aFloodShowsAFewAndCountsTheRest()
    {
        QFETCH(int, meetings);
        QFETCH(int, answered);
        QFETCH(bool, dismissed);
        QFETCH(int, waiting);
        MeetingReminders reminders;
        setUpClock(reminders);
        QSignalSpy dueSpy(&reminders, &MeetingReminders::reminderDue);
        QSignalSpy burstSpy(&reminders, &MeetingReminders::burst);
        at(reminders, -30);
        QList<ReminderMeeting> list;
        for (int i = 0; i < meetings; ++i) // all in one minute, not in order
            list << meeting(QString::number(i), start + (i * 7) % 60);
        // A time no list holds is timed without overflowing, and never shown.
        const qint64 largest = std::numeric_limits<qint64>::max();
        list << ReminderMeeting{"far", "482915739", "周会", largest, largest};
        reminders.setMeetings(list);
        at(reminders, -5);
        for (int i = 0; i < answered; ++i)
            reminders.answer(reminders.shown().first().key());
        if (dismissed)
            reminders.dismissWaiting();
        at(reminders, -4);
        const int shown = qMin(meetings, MeetingReminders::maxShown);
        QCOMPARE(reminders.shown().size(), shown);
        QCOMPARE(dueSpy.count(), shown + answered);
        QCOMPARE(reminders.waitingCount(), waiting);
        // One burst for the lot, naming the earliest.
        QCOMPARE(burstSpy.count(), 1);
        QCOMPARE(burstSpy.first().at(1).toInt(), meetings);
        QCOMPARE(burstSpy.first().at(0).value<ReminderMeeting>().startSecs, start);
        // The earliest are on screen: seconds 0, 7 and 14 of the minute, or 0 when 50 share it.
        for (const ReminderMeeting &m : reminders.shown())
            QVERIFY(m.startSecs <= start + (meetings < 60 ? 14 : 0));
    }
};

QTEST_GUILESS_MAIN(MeetingRemindersTest)
#include "tst_meetingreminders.moc"
