#include "meetingtestsupport.h"

#include "meeting/homescreen.h"
#include "meeting/joinmeeting.h"
#include "meeting/mtgitem.h"
#include "meeting/schedulemeeting.h"
#include "meeting/sharemeeting.h"
#include "meeting/userpop.h"
#include "meetings/meetingstore.h"
#include "reminders/meetingreminders.h"
#include "reminders/reminderwindow.h"
#include "session/navigator.h"
#include "widgets/messages.h"
#include "widgets/snackbar.h"
#include "widgets/veskdatetimecombobox.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include <memory>

using namespace meetingtest;

// Renders the meeting screens into PNG files for a look by eye. The folder is
// VESK_SCREENSHOT_DIR, or <build>/screenshots.
class MeetingScreenshots : public QObject
{
    Q_OBJECT

private:
    devservice::Server m_server;
    testsupport::ScreenshotFolder m_shots;

    // The window with the notices and messages shown over it, where they are.
    bool saveWithOverlays(QWidget *window, const QString &name)
    {
        testsupport::settleForScreenshot();
        QPixmap shot = window->grab();
        QPainter painter(&shot);
        for (QWidget *top : QApplication::topLevelWidgets()) {
            const bool overlay = qobject_cast<Snackbar *>(top) || qobject_cast<TwoBtnDlg *>(top);
            if (overlay && top->isVisible() && top->geometry().intersects(window->geometry()))
                painter.drawPixmap(top->geometry().topLeft() - window->geometry().topLeft(), top->grab());
        }
        painter.end();
        return shot.save(m_shots.filePath(name + QStringLiteral(".png")));
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        if (!baseValues)
            baseValues = new BaseValues;
        QVERIFY(m_shots.open(QStringLiteral(VESK_SCREENSHOT_DEFAULT)));
        applyStyleSheet();
        QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 9));
        QVERIFY(startSignedIn(m_server, true));
    }

    void cleanupTestCase() { m_server.stop(); }

    void homeWithMeetings()
    {
        auto *home = new HomeScreen;
        home->move(100, 40);
        home->show();
        QVERIFY(waitHomeLoaded(home));
        QVERIFY(m_shots.save(home, QStringLiteral("home-meetings")));
        // Further down: an activity meeting with its mark, and a row menu.
        auto *list = home->findChild<QScrollArea *>(QStringLiteral("scMtgList"));
        for (mtgItem *row : list->widget()->findChildren<mtgItem *>()) {
            if (row->meetingCode() == QLatin1String("927461035")) {
                list->ensureWidgetVisible(row, 0, 200);
                QVERIFY(m_shots.save(home, QStringLiteral("home-activity")));
                QTimer::singleShot(300, [this] {
                    if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                        m_shots.save(menu, QStringLiteral("home-row-menu"));
                        menu->close();
                    }
                });
                QTest::mouseClick(row->findChild<QPushButton *>(QStringLiteral("noBorderSmallQPushButton")),
                                  Qt::LeftButton);
            }
        }
        userPop *pop = nullptr;
        QTest::mouseClick(
            findByName<QPushButton>(home, QStringLiteral("iconPushButton"), QStringLiteral("设置")),
            Qt::LeftButton);
        const QList<userPop *> pops = visibleTopLevels<userPop>();
        QVERIFY(!pops.isEmpty());
        pop = pops.last();
        QVERIFY(m_shots.save(pop, QStringLiteral("account-menu")));
        // The pop-up beside its window, as the screen shows them.
        if (QScreen *screen = QGuiApplication::primaryScreen()) {
            const QRect area = home->frameGeometry().united(pop->frameGeometry()).adjusted(-20, -20, 20, 20);
            screen->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                .save(m_shots.filePath(QStringLiteral("account-menu-open.png")));
        }
        pop->close();
        home->close();
    }

    void emptyHome()
    {
        auto *home = new HomeScreen;
        home->show();
        QVERIFY(waitHomeLoaded(home));
        Navigator::instance()->meetingStore()->takeAnswer(ServiceReply::success(QJsonArray()));
        QVERIFY(m_shots.save(home, QStringLiteral("home-empty")));
        home->close();
    }

    void homeListFailed()
    {
        devservice::Fault fault;
        fault.httpStatus = 500;
        fault.times = 1;
        m_server.setFault("/service/tencent-meeting/meeting/queryMeeting", fault);
        auto *home = new HomeScreen;
        home->move(100, 40);
        home->show();
        QTRY_VERIFY(!home->findChildren<Snackbar *>().isEmpty());
        QVERIFY(saveWithOverlays(home, QStringLiteral("home-list-failed")));
        home->close();
    }

    void oneButtonMessage()
    {
        auto *home = new HomeScreen;
        home->move(100, 40);
        home->show();
        QVERIFY(waitHomeLoaded(home));
        Messages::tell(home, QStringLiteral("当前会议号已失效！"), QStringLiteral("确定"));
        QVERIFY(saveWithOverlays(home, QStringLiteral("home-message")));
        home->close();
    }

    void reminderAndFocusRing()
    {
        const qint64 start = QDateTime::currentSecsSinceEpoch() + 240;
        ReminderWindow reminder(
            ReminderMeeting{"1", "482915736", QStringLiteral("项目周会：进度与风险"), start, start + 3600});
        reminder.show();
        QVERIFY(m_shots.save(&reminder, QStringLiteral("meeting-reminder")));
        std::unique_ptr<ReminderWindow> summary(ReminderWindow::summary(2997));
        summary->show();
        QVERIFY(m_shots.save(summary.get(), QStringLiteral("meeting-reminder-summary")));

        auto *join = new JoinMeeting(QString(), QString());
        join->show();
        join->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(join));
        auto *mic = join->findChild<QCheckBox *>(QStringLiteral("chkBoxOpenMic"));
        mic->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(mic->hasFocus());
        QVERIFY(m_shots.save(join, QStringLiteral("focus-ring")));
        join->close();
    }

    void invitation()
    {
        auto *home = new HomeScreen;
        home->show();
        QVERIFY(waitHomeLoaded(home));
        home->mtgInviteSlot(QStringLiteral("735102948"));
        QTRY_COMPARE(visibleTopLevels<ShareMeeting>().size(), 1);
        ShareMeeting *share = visibleTopLevels<ShareMeeting>().first();
        QVERIFY(m_shots.save(share, QStringLiteral("invitation")));
        share->close();
        home->close();
    }

    void scheduling()
    {
        auto loaded = [](ScheduleMeeting *dialog) {
            return QTest::qWaitFor(
                [dialog] {
                    return dialog->isEnabled() &&
                           !dialog->findChild<QLineEdit *>(QStringLiteral("normalQLineEdit"))
                                ->text()
                                .isEmpty();
                },
                8000);
        };
        auto *dialog = new ScheduleMeeting(QString());
        dialog->move(100, 40);
        dialog->show();
        QVERIFY(loaded(dialog));
        for (auto *picker : dialog->findChildren<VeskDateTimeComboBox *>()) {
            if (picker->showDuration())
                QTest::mouseClick(picker->findChild<QPushButton *>(QStringLiteral("pBtnShowList")),
                                  Qt::LeftButton);
        }
        QVERIFY(m_shots.save(dialog, QStringLiteral("schedule-meeting")));
        // The calendar is a window of its own; take it from the screen.
        for (auto *edit : dialog->findChildren<QDateEdit *>()) {
            if (edit->toolTip() != QStringLiteral("开始日期"))
                continue;
            QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(edit->width() - 12, edit->height() / 2));
            QTest::qWait(200);
            if (QScreen *screen = QGuiApplication::primaryScreen()) {
                const QRect area = dialog->frameGeometry().adjusted(0, 0, 0, 120);
                screen->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                    .save(m_shots.filePath(QStringLiteral("schedule-calendar.png")));
            }
            edit->calendarWidget()->window()->close();
        }
        dialog->close();

        auto *change = new ScheduleMeeting(QStringLiteral("316058274"));
        change->move(100, 40);
        change->show();
        QVERIFY(loaded(change));
        QVERIFY(m_shots.save(change, QStringLiteral("schedule-change")));
        auto *form = change->findChild<QScrollArea *>(QStringLiteral("scrollArea"));
        form->verticalScrollBar()->setValue(form->verticalScrollBar()->maximum());
        QVERIFY(m_shots.save(change, QStringLiteral("schedule-change-settings")));
        change->close();
    }
};

QTEST_MAIN(MeetingScreenshots)
#include "tst_meetingscreenshots.moc"
