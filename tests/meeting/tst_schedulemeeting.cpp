#include "meetingtestsupport.h"

#include "http/tmmtgcreatehttp.h"
#include "meeting/homescreen.h"
#include "meeting/mtgitem.h"
#include "meeting/schedulemeeting.h"
#include "session/mainwindow.h"
#include "session/navigator.h"
#include "widgets/snackbar.h"
#include "widgets/veskdatetimecombobox.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QScopedValueRollback>

#include <functional>

using namespace meetingtest;

using FormStep = std::function<void(ScheduleMeeting *, const QDate &)>;
Q_DECLARE_METATYPE(FormStep)

namespace {

const QString createPath = QStringLiteral("/service/tencent-meeting/meeting/createMeeting");

QLineEdit *subjectEdit(ScheduleMeeting *d)
{
    return d->findChild<QLineEdit *>(QStringLiteral("normalQLineEdit"));
}

QLineEdit *passwordEdit(ScheduleMeeting *d)
{
    return d->findChild<QLineEdit *>(QStringLiteral("underlineQLineEdit"));
}

QCheckBox *box(ScheduleMeeting *d, const QString &name)
{
    return d->findChild<QCheckBox *>(name);
}

QPushButton *bookButton(ScheduleMeeting *d)
{
    return d->findChild<QPushButton *>(QStringLiteral("defaultQPushButton"));
}

// The date edits carry their role as tool tip: "开始日期", "结束日期".
QDateEdit *dateEdit(ScheduleMeeting *d, const QString &tip)
{
    return findByName<QDateEdit>(d, QString(), tip);
}

// The end picker is the one showing durations.
VeskDateTimeComboBox *picker(ScheduleMeeting *d, bool end)
{
    for (auto *p : d->findChildren<VeskDateTimeComboBox *>())
        if (p->showDuration() == end)
            return p;
    return nullptr;
}

// Opens a picker's list with its button and clicks the entry for dt.
void choose(VeskDateTimeComboBox *p, const QDateTime &dt)
{
    QTest::mouseClick(p->findChild<QPushButton *>(QStringLiteral("pBtnShowList")), Qt::LeftButton);
    auto *list = p->findChild<QListWidget *>(QStringLiteral("timeQListWidget"));
    QVERIFY(list->isVisible());
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem *item = list->item(i);
        if (item->data(Qt::WhatsThisRole).toDateTime() == dt) {
            list->scrollToItem(item);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no entry %1").arg(dt.toString())));
}

// Clicks a check box on its indicator, where a click toggles it.
void toggle(QCheckBox *b)
{
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(7, b->height() / 2));
}

QStringList notices(QWidget *parent)
{
    QStringList texts;
    for (Snackbar *s : parent->findChildren<Snackbar *>())
        if (s->isVisible())
            texts << s->findChild<QLabel *>(QStringLiteral("snackbarQLabel"))->text();
    return texts;
}

} // namespace

class ScheduleMeetingTest : public QObject
{
    Q_OBJECT

private:
    devservice::Server m_server;
    BaseValues m_signedIn;
    QWidget m_anchor;

    QStringList createBodies() const
    {
        QStringList bodies;
        for (const devservice::LoggedRequest &r : m_server.requests())
            if (r.path == createPath.toStdString())
                bodies << QString::fromStdString(r.body);
        return bodies;
    }

    // Opens the dialog as its opener does and waits for the room size (and
    // for a change, the stored meeting) to arrive.
    static ScheduleMeeting *openLoaded(const QString &code = QString())
    {
        auto *dialog = new ScheduleMeeting(code);
        dialog->show();
        return waitLoaded(dialog) ? dialog : nullptr;
    }
    static bool waitLoaded(ScheduleMeeting *dialog)
    {
        return QTest::qWaitFor(
            [dialog] {
                return dialog->findChild<QLabel *>(QStringLiteral("lblMtgMaxPersonCount"))->text() ==
                           QStringLiteral("300人") &&
                       dialog->isEnabled() && !subjectEdit(dialog)->text().isEmpty();
            },
            8000);
    }
    // A fixed clock: tomorrow at the given time, so every proposal lies ahead.
    static QDateTime tomorrowAt(int hour, int minute)
    {
        return QDateTime(QDate::currentDate().addDays(1), QTime(hour, minute));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(startSignedIn(m_server, true));
        applyStyleSheet();
        m_signedIn = *baseValues;
        // The run ends when its last window closes; this one stays open.
        m_anchor.show();
        Navigator::instance()->track(&m_anchor);
    }

    void init()
    {
        m_server.resetData();
        m_server.clearFaults();
        *baseValues = m_signedIn;
        m_server.clearRequests();
    }

    void cleanup()
    {
        for (ScheduleMeeting *d : topLevels<ScheduleMeeting>())
            d->close();
        // A notice after a booking outlives its form; it goes with the case.
        for (Snackbar *notice : topLevels<Snackbar>())
            notice->close();
        closeHomeScreens<HomeScreen>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void cleanupTestCase() { m_server.stop(); }

    void defaultTimesFollowTheClock_data()
    {
        QTest::addColumn<QTime>("now");
        QTest::addColumn<int>("dayShift");
        QTest::addColumn<QTime>("start");
        QTest::addColumn<QTime>("end");
        QTest::newRow("10:05") << QTime(10, 5) << 0 << QTime(10, 30) << QTime(11, 0);
        QTest::newRow("10:30") << QTime(10, 30) << 0 << QTime(11, 0) << QTime(11, 30);
        QTest::newRow("23:40") << QTime(23, 40) << 1 << QTime(0, 0) << QTime(0, 30);
    }

    void defaultTimesFollowTheClock()
    {
        QFETCH(QTime, now);
        QFETCH(int, dayShift);
        QFETCH(QTime, start);
        QFETCH(QTime, end);
        const QDate today(2031, 3, 14);
        const QDate day = today.addDays(dayShift);
        QScopedValueRollback<std::function<QDateTime()>> clock(ScheduleMeeting::clock,
                                                               [=] { return QDateTime(today, now); });
        QPointer<ScheduleMeeting> dialog = new ScheduleMeeting(QString());
        dialog->show();

        QDateEdit *startDate = dateEdit(dialog, QStringLiteral("开始日期"));
        QDateEdit *endDate = dateEdit(dialog, QStringLiteral("结束日期"));
        QCOMPARE(startDate->date(), day);
        QCOMPARE(startDate->minimumDate(), day);
        QCOMPARE(picker(dialog, false)->dateTime().time(), start);
        // Today offers only the half-hours still ahead, another day all 48.
        const int passed = dayShift == 0 ? start.hour() * 2 + start.minute() / 30 : 0;
        QCOMPARE(picker(dialog, false)->dateTimeList().size(), 48 - passed);
        QCOMPARE(picker(dialog, false)->dateTimeList().first(), QDateTime(day, start));

        const QDateTime firstEnd(day, end);
        QCOMPARE(picker(dialog, true)->dateTime(), firstEnd);
        const QList<QDateTime> ends = picker(dialog, true)->dateTimeList();
        QCOMPARE(ends.size(), 48);
        QCOMPARE(ends.first(), firstEnd);
        QCOMPARE(ends.last(), QDateTime(day, start).addDays(1));
        QCOMPARE(endDate->date(), day);
        QCOMPARE(endDate->minimumDate(), day);
        QCOMPARE(endDate->maximumDate(), day.addDays(1));
        QVERIFY(waitLoaded(dialog));
    }

    void newMeetingBodyListsEveryMemberInKeyOrder()
    {
        QScopedValueRollback<std::function<QDateTime()>> clock(ScheduleMeeting::clock,
                                                               [] { return tomorrowAt(10, 5); });
        auto *home = new HomeScreen;
        home->show();
        QVERIFY(waitHomeLoaded(home));
        QTest::mouseClick(home->findChild<QPushButton *>(QStringLiteral("btnMtgCreate")), Qt::LeftButton);
        QTRY_COMPARE(visibleTopLevels<ScheduleMeeting>().size(), 1);
        QPointer<ScheduleMeeting> dialog = visibleTopLevels<ScheduleMeeting>().first();
        QCOMPARE(dialog->pos(), home->pos());
        QVERIFY(waitLoaded(dialog));
        QCOMPARE(subjectEdit(dialog)->text(), QStringLiteral("张伟预定的会议"));
        subjectEdit(dialog)->clear();
        QVERIFY(!bookButton(dialog)->isEnabled());
        QTest::keyClicks(subjectEdit(dialog), QStringLiteral("Q3 planning"));
        toggle(box(dialog, QStringLiteral("chkBoxSetWaitroom")));
        QVERIFY(!passwordEdit(dialog)->isVisible());
        toggle(box(dialog, QStringLiteral("chkBoxSetPassword")));
        QTest::keyClicks(passwordEdit(dialog), QStringLiteral("2468"));
        QTest::mouseClick(bookButton(dialog), Qt::LeftButton);
        QTRY_VERIFY(!dialog);

        const QString expected =
            QStringLiteral("{\"enableLive\":true,\"enableLiveIm\":false,\"enableLiveReplay\":true,"
                           "\"enableRecord\":false,\"enableWaitingRoom\":true,\"enableWatermark\":false,"
                           "\"endTime\":\"%1 11:00:00\",\"enterBeforeHost\":true,\"guest\":[],\"host\":\"\","
                           "\"id\":\"\",\"idel\":false,\"joinUrl\":\"\",\"livePassword\":\"\","
                           "\"liveSubject\":\"Q3 planning\",\"liveSummary\":\"\",\"meetingType\":1,"
                           "\"muteEnableJoin\":true,\"needPassword\":true,\"password\":\"2468\","
                           "\"startTime\":\"%1 10:30:00\",\"subject\":\"Q3 planning\"}")
                .arg(tomorrowAt(0, 0).toString(QStringLiteral("yyyy-MM-dd")));
        QCOMPARE(createBodies(), QStringList{expected});
        // The home screen reloads its list, which now holds the meeting.
        QTRY_VERIFY(testsupport::childWithText<QLabel>(home, QStringLiteral("Q3 planning")));
    }

    void changedMeetingCarriesStoredValues()
    {
        // Give the stored meeting values that differ from every default.
        const QString day = tomorrowAt(0, 0).toString(QStringLiteral("yyyy-MM-dd"));
        TmMtgCreateHttp setUp;
        setUp.request(
            baseValues->tenantInfo,
            QStringLiteral("{\"id\":\"14502348210934758205\",\"subject\":\"产品发布准备会\","
                           "\"startTime\":\"%1 09:30:00\",\"endTime\":\"%1 11:00:00\","
                           "\"needPassword\":true,\"password\":\"135790\",\"enableWaitingRoom\":false,"
                           "\"enterBeforeHost\":true,\"muteEnableJoin\":true,\"enableWatermark\":true,"
                           "\"enableLive\":false,\"enableRecord\":true,\"recordType\":1,"
                           "\"enableLiveReplay\":false,\"enableLiveIm\":true,"
                           "\"liveSubject\":\"直播：产品发布\",\"liveSummary\":\"新品介绍\","
                           "\"livePassword\":\"5678\",\"guest\":[{\"personName\":\"周敏\","
                           "\"telephone\":\"13300133005\"}]}")
                .arg(day));
        QVERIFY(waitResult(&setUp, &TmMtgCreateHttp::sendTmMtgCreateResultSignal).startsWith("result:"));

        // The user picks "修改会议" in the row's menu on the home screen.
        auto *home = new HomeScreen;
        home->show();
        QVERIFY(waitHomeLoaded(home));
        mtgItem *row = nullptr;
        for (mtgItem *r : home->findChildren<mtgItem *>())
            if (r->meetingCode() == QLatin1String("316058274"))
                row = r;
        QVERIFY(row);
        QVERIFY(triggerMenuEntry(row->menu(), QStringLiteral("修改会议")));
        QTRY_COMPARE(visibleTopLevels<ScheduleMeeting>().size(), 1);
        QPointer<ScheduleMeeting> dialog = visibleTopLevels<ScheduleMeeting>().first();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("修改会议"));
        QCOMPARE(bookButton(dialog)->text(), QStringLiteral("确认修改"));
        QVERIFY(waitLoaded(dialog));

        QCOMPARE(subjectEdit(dialog)->text(), QStringLiteral("产品发布准备会"));
        QCOMPARE(dateEdit(dialog, QStringLiteral("开始日期"))->date(), tomorrowAt(0, 0).date());
        QCOMPARE(picker(dialog, false)->dateTime().time(), QTime(9, 30));
        QCOMPARE(picker(dialog, true)->dateTime(), tomorrowAt(11, 0));
        QCOMPARE(dateEdit(dialog, QStringLiteral("结束日期"))->date(), tomorrowAt(0, 0).date());
        QVERIFY(box(dialog, QStringLiteral("chkBoxSetPassword"))->isChecked());
        QCOMPARE(passwordEdit(dialog)->text(), QStringLiteral("135790"));
        QVERIFY(!box(dialog, QStringLiteral("chkBoxSetWaitroom"))->isChecked());
        QVERIFY(box(dialog, QStringLiteral("chkBoxSetPreJoin"))->isChecked());
        QVERIFY(box(dialog, QStringLiteral("chkBoxSetMuteJoin"))->isChecked());
        QVERIFY(box(dialog, QStringLiteral("chkBoxSetWatermark"))->isChecked());

        subjectEdit(dialog)->selectAll();
        typeText(subjectEdit(dialog), QStringLiteral("发布会"));
        toggle(box(dialog, QStringLiteral("chkBoxSetWatermark")));
        m_server.clearRequests();
        QTest::mouseClick(bookButton(dialog), Qt::LeftButton);
        QTRY_VERIFY(!dialog);

        const QStringList bodies = createBodies();
        QCOMPARE(bodies.size(), 1);
        const QJsonObject expected{
            {"subject", "发布会"},
            {"startTime", day + " 09:30:00"},
            {"endTime", day + " 11:00:00"},
            {"needPassword", true},
            {"password", "135790"},
            {"enableWaitingRoom", false},
            {"enterBeforeHost", true},
            {"muteEnableJoin", true},
            {"enableWatermark", false},
            {"id", "14502348210934758205"},
            {"meetingType", "1"},
            {"host", "u_zhangwei"},
            {"enableLive", false},
            {"enableRecord", true},
            {"recordType", 1},
            {"enableLiveReplay", false},
            {"enableLiveIm", true},
            {"liveSubject", "直播：产品发布"},
            {"liveSummary", "新品介绍"},
            {"livePassword", "5678"},
            {"idel", false},
            {"guest", QJsonArray{QJsonObject{
                          {"personName", "周敏"}, {"telephone", "13300133005"}, {"id", ""}, {"userId", ""}}}},
            {"joinUrl", QString::fromStdString(m_server.baseUrl()) + "/j/316058274"}};
        QCOMPARE(QJsonDocument::fromJson(bodies.first().toUtf8()).object(), expected);
        // The list reloads and shows the new subject.
        QTRY_VERIFY(testsupport::childWithText<QLabel>(home, QStringLiteral("发布会")));
    }

    // Without the stored meeting a save would lack its id and create a second meeting.
    void changeWithoutStoredMeetingSendsNothing()
    {
        devservice::Fault fault;
        fault.successFalse = true;
        m_server.setFault("/service/tencent-meeting/meeting/queryMeetingDetail", fault);
        QPointer<ScheduleMeeting> dialog = new ScheduleMeeting(QStringLiteral("316058274"));
        dialog->show();
        QTRY_COMPARE(notices(dialog), QStringList{QStringLiteral("模拟的服务错误")});
        m_server.clearFaults();
        QTest::keyClicks(subjectEdit(dialog), QStringLiteral("x"));
        QVERIFY(!bookButton(dialog)->isEnabled());
        m_server.clearRequests();
        dialog->onBookMeetingBtnClicked();
        QVERIFY(dialog->isEnabled());
        QVERIFY(createBodies().isEmpty());
    }

    void oddBookingAnswerIsReported_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("errorMsgBytes");
        QTest::addColumn<QString>("notice");
        QTest::newRow("nulls") << QByteArray(
                                      R"({"success":null,"errorCode":null,"errorMsg":null,"result":null})")
                               << 0 << QStringLiteral("请求失败");
        QTest::newRow("null result") << QByteArray(R"({"success":true,"result":null})") << 0
                                     << QStringLiteral("服务返回数据格式错误");
        QTest::newRow("wrong types") << QByteArray(R"({"success":false,"errorCode":500,"errorMsg":["x"]})")
                                     << 0 << QStringLiteral("请求失败");
        QTest::newRow("larger than any answer") << QByteArray() << int(HttpHelper::maxAnswerBytes + 1)
                                                << QStringLiteral("服务器返回异常，请稍后再试");
        QTest::newRow("long error message") << QByteArray() << 2000000 << QString(299, 'x') + QChar(0x2026);
    }

    void oddBookingAnswerIsReported()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, errorMsgBytes);
        QFETCH(QString, notice);
        QPointer<ScheduleMeeting> dialog = openLoaded();
        QVERIFY(dialog);
        devservice::Fault fault;
        fault.body = body.toStdString();
        fault.errorMsgBytes = size_t(errorMsgBytes);
        m_server.setFault(createPath.toStdString(), fault);
        QTest::mouseClick(bookButton(dialog), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(notices(dialog), QStringList{notice}, 8000);
        QVERIFY(dialog->isVisible() && dialog->isEnabled());
    }

    // A meeting that began before the first proposed day keeps its own date.
    void startedMeetingKeepsItsStoredDate()
    {
        const QDateTime now = tomorrowAt(10, 5).addDays(1);
        QScopedValueRollback<std::function<QDateTime()>> clock(ScheduleMeeting::clock, [now] { return now; });
        QPointer<ScheduleMeeting> dialog = openLoaded(QStringLiteral("316058274"));
        QVERIFY(dialog);
        QCOMPARE(dateEdit(dialog, QStringLiteral("开始日期"))->date(), tomorrowAt(0, 0).date());
        QCOMPARE(dateEdit(dialog, QStringLiteral("结束日期"))->date(), tomorrowAt(0, 0).date());
        QTest::mouseClick(bookButton(dialog), Qt::LeftButton);
        QTRY_COMPARE(notices(dialog), QStringList{QStringLiteral("会议开始时间应大于当前时间")});
    }

    void refusedFormSendsNothing_data()
    {
        QTest::addColumn<FormStep>("step");
        QTest::addColumn<QString>("message");
        // The clock stands at 10:05 on day d: start d 10:30, end d 11:00.
        auto endAt = [](int days, int hour, int minute) {
            return [=](ScheduleMeeting *dlg, const QDate &d) {
                picker(dlg, true)->setDateTime(QDateTime(d.addDays(days), QTime(hour, minute)));
            };
        };
        auto password = [](const QString &typed) {
            return [=](ScheduleMeeting *dlg, const QDate &) {
                toggle(box(dlg, QStringLiteral("chkBoxSetPassword")));
                QTest::keyClicks(passwordEdit(dlg), typed);
            };
        };
        QTest::newRow("end before now")
            << FormStep(endAt(0, 9, 0)) << QStringLiteral("会议结束时间应大于当前时间");
        QTest::newRow("end at start")
            << FormStep(endAt(0, 10, 30)) << QStringLiteral("会议开始时间应小于结束时间");
        QTest::newRow("24 hours") << FormStep([](ScheduleMeeting *dlg, const QDate &d) {
            choose(picker(dlg, true), QDateTime(d.addDays(1), QTime(10, 30)));
            QCOMPARE(dateEdit(dlg, QStringLiteral("结束日期"))->date(), d.addDays(1));
        }) << QStringLiteral("会议总时长不得超出24小时");
        QTest::newRow("empty password")
            << FormStep(password(QString())) << QStringLiteral("入会密码不能为空");
        QTest::newRow("three digits")
            << FormStep(password(QStringLiteral("135"))) << QStringLiteral("请输入4-6位数字密码");
        // The edit drops the letter, leaving three digits.
        QTest::newRow("with a letter")
            << FormStep(password(QStringLiteral("13a5"))) << QStringLiteral("请输入4-6位数字密码");
        QTest::newRow("23.5 hours accepted") << FormStep(endAt(1, 10, 0)) << QString();
        QTest::newRow("six digits accepted") << FormStep(password(QStringLiteral("135790"))) << QString();
    }

    void refusedFormSendsNothing()
    {
        QFETCH(FormStep, step);
        QFETCH(QString, message);
        const QDateTime now = tomorrowAt(10, 5);
        QScopedValueRollback<std::function<QDateTime()>> clock(ScheduleMeeting::clock, [now] { return now; });
        QPointer<ScheduleMeeting> dialog = openLoaded();
        QVERIFY(dialog);
        step(dialog, now.date());
        m_server.clearRequests();
        QSignalSpy updated(dialog.data(), &ScheduleMeeting::sendTmMtgUpdatedSignal);
        QTest::mouseClick(bookButton(dialog), Qt::LeftButton);

        if (message.isEmpty()) {
            QTRY_VERIFY(!dialog);
            QCOMPARE(createBodies().size(), 1);
            QCOMPARE(updated.size(), 1);
            return;
        }
        QTRY_COMPARE(notices(dialog), QStringList{message});
        // The request would have been sent before the click returned and the
        // busy overlay would have disabled the form.
        QVERIFY(dialog->isEnabled());
        QVERIFY(createBodies().isEmpty());
        QVERIFY(updated.isEmpty());
    }

    void startChangeMovesEnd_data()
    {
        QTest::addColumn<int>("startDays");
        QTest::addColumn<QTime>("startTime");
        QTest::addColumn<int>("endDays");
        QTest::addColumn<QTime>("endTime");
        QTest::newRow("later the same day") << 0 << QTime(14, 0) << 0 << QTime(14, 30);
        QTest::newRow("last half hour") << 0 << QTime(23, 30) << 1 << QTime(0, 0);
        QTest::newRow("another day") << 2 << QTime(10, 30) << 2 << QTime(11, 0);
    }

    void startChangeMovesEnd()
    {
        QFETCH(int, startDays);
        QFETCH(QTime, startTime);
        QFETCH(int, endDays);
        QFETCH(QTime, endTime);
        const QDateTime now = tomorrowAt(10, 5);
        QScopedValueRollback<std::function<QDateTime()>> clock(ScheduleMeeting::clock, [now] { return now; });
        QPointer<ScheduleMeeting> dialog = openLoaded();
        QVERIFY(dialog);
        const QDate d = now.date();
        // A longer meeting first, so the move is visible.
        choose(picker(dialog, true), QDateTime(d, QTime(12, 30)));
        QCOMPARE(picker(dialog, true)->dateTime(), QDateTime(d, QTime(12, 30)));

        QDateEdit *startDate = dateEdit(dialog, QStringLiteral("开始日期"));
        QDateEdit *endDate = dateEdit(dialog, QStringLiteral("结束日期"));
        if (startDays != 0)
            startDate->setDate(d.addDays(startDays));
        if (startTime != picker(dialog, false)->dateTime().time())
            choose(picker(dialog, false), QDateTime(d, startTime));

        const QDateTime start(d.addDays(startDays), startTime);
        const QDateTime end(d.addDays(endDays), endTime);
        QCOMPARE(picker(dialog, true)->dateTime(), end);
        QCOMPARE(picker(dialog, true)->dateTimeList().first(), end);
        QCOMPARE(picker(dialog, true)->dateTimeList().last(), start.addDays(1));
        QCOMPARE(endDate->date(), end.date());
        QCOMPARE(endDate->minimumDate(), start.date());
        QCOMPARE(endDate->maximumDate(), start.date().addDays(1));
    }

    void closesOnLinkJoinAndForcedLogout_data()
    {
        QTest::addColumn<bool>("forced");
        QTest::newRow("launch link joins") << false;
        QTest::newRow("forced sign-out") << true;
    }

    void closesOnLinkJoinAndForcedLogout()
    {
        QFETCH(bool, forced);
        QPointer<ScheduleMeeting> dialog = openLoaded();
        QVERIFY(dialog);
        if (forced)
            emit WeMeetManager::instance()->OnForcedLogoutFinishSignal();
        else
            emit WeMeetManager::instance()->linkJoinMeetingSignal();
        QTRY_VERIFY(!dialog);
    }
};

QTEST_MAIN(ScheduleMeetingTest)
#include "tst_schedulemeeting.moc"
