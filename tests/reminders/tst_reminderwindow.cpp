#include "app/basevalues.h"
#include "meetings/meetingstore.h"
#include "reminders/meetingreminders.h"
#include "reminders/remindercenter.h"
#include "reminders/reminderwindow.h"

#include <QDateTime>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

// The reminder as a user meets it: over an application-modal screen (every
// screen is one), answered with clicks that take the window system's road,
// where Qt's modal blocking applies.
class ReminderWindowTest : public QObject
{
    Q_OBJECT

    QDialog *m_screen = nullptr;
    MeetingStore m_store;
    ReminderCenter *m_center = nullptr;

    static void clickThrough(QWidget *w)
    {
        QTest::mouseClick(w->window()->windowHandle(), Qt::LeftButton, {},
                          w->mapTo(w->window(), w->rect().center()));
    }
    static QPushButton *button(QWidget *window, const QString &text)
    {
        for (QPushButton *b : window->findChildren<QPushButton *>())
            if (b->text() == text || b->toolTip() == text)
                return b;
        return nullptr;
    }
    static ReminderMeeting soon(int i, const QString &subject = QStringLiteral("项目周会"))
    {
        const qint64 start = QDateTime::currentSecsSinceEpoch() / 60 * 60 + 180;
        return ReminderMeeting{QString::number(i), QString::number(482915000 + i), subject, start,
                               start + 3600};
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        baseValues = new BaseValues;
        baseValues->signedIn = true;
    }
    void init()
    {
        m_screen = new QDialog;
        m_screen->setWindowModality(Qt::ApplicationModal);
        m_screen->resize(395, 687);
        m_screen->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_screen));
        m_center = new ReminderCenter(&m_store);
    }
    void cleanup()
    {
        m_center->stop();
        delete m_center;
        delete m_screen;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void answersReachThroughTheModalScreen_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("joins");
        QTest::addColumn<int>("openAfter");
        QTest::addColumn<int>("openAtTheStart");
        QTest::newRow("加入") << "加入" << 1 << 0 << 0;
        QTest::newRow("稍后提醒: again at the start") << "稍后提醒" << 0 << 0 << 1;
        QTest::newRow("×: never again") << "关闭" << 0 << 0 << 0;
        QTest::newRow("dragged: stays open") << "drag" << 0 << 1 << 1;
    }
    void answersReachThroughTheModalScreen()
    {
        QFETCH(QString, answer);
        QFETCH(int, joins);
        QFETCH(int, openAfter);
        QFETCH(int, openAtTheStart);
        QSignalSpy joined(m_center, &ReminderCenter::joinRequested);
        const ReminderMeeting meeting = soon(1, QStringLiteral("<b>紧急</b>\r\n会议"));
        m_center->schedule()->setMeetings({meeting});
        QCOMPARE(m_center->windows().size(), 1);
        ReminderWindow *reminder = m_center->windows().first();
        QVERIFY(QTest::qWaitForWindowExposed(reminder));
        QVERIFY(QGuiApplication::modalWindow() == m_screen->windowHandle());
        // The subject is text, on one line.
        QVERIFY(reminder->findChild<QLabel *>(QStringLiteral("messageQLabel"))->text() ==
                QStringLiteral("<b>紧急</b> 会议"));

        if (answer == "drag") {
            QWindow *handle = reminder->windowHandle();
            const QPoint before = reminder->pos();
            const QPoint title(60, 32);
            QTest::mousePress(handle, Qt::LeftButton, {}, title);
            QTest::mouseMove(handle, title + QPoint(-120, -60));
            // Released where the pointer now is: over the same spot of the moved window.
            QTest::mouseRelease(handle, Qt::LeftButton, {}, title);
            QTRY_COMPARE(reminder->pos(), before + QPoint(-120, -60));
        } else {
            QPushButton *b = button(reminder, answer);
            QVERIFY(b);
            clickThrough(b);
        }
        QCOMPARE(joined.count(), joins);
        if (joins)
            QCOMPARE(joined.first().at(0).toString(), meeting.meetingCode);
        QTRY_COMPARE(m_center->windows().size(), openAfter);
        m_center->schedule()->setClock([meeting] { return meeting.startSecs * 1000; });
        m_center->schedule()->check();
        QTRY_COMPARE(m_center->windows().size(), openAtTheStart);
    }

    void aFloodShowsAFewAndASummary()
    {
        QList<ReminderMeeting> flood;
        for (int i = 0; i < 3000; ++i)
            flood << soon(i);
        m_center->schedule()->setMeetings(flood);
        // As many as fit in the screen's height (800 x 600 offscreen), at most three, the summary above.
        const int fit = m_center->schedule()->shownLimit();
        QCOMPARE(m_center->windows().size(), fit);
        ReminderWindow *summary = m_center->summaryWindow();
        QVERIFY(summary && summary->findChildren<QLabel *>().last()->text() ==
                               QStringLiteral("还有 %1 个会议即将开始").arg(3000 - fit));
        for (ReminderWindow *w : m_center->windows() + QList<ReminderWindow *>{summary})
            QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(w->geometry()) &&
                    summary->geometry().bottom() <= w->geometry().bottom());
        clickThrough(button(summary, QStringLiteral("关闭")));
        QTRY_VERIFY(!m_center->summaryWindow());
        QCOMPARE(m_center->schedule()->waitingCount(), 0);
        QCOMPARE(m_center->windows().size(), fit);
    }
};

QTEST_MAIN(ReminderWindowTest)
#include "tst_reminderwindow.moc"
