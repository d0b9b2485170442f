#include "meetingtestsupport.h"

#include "calendar/calendarfile.h"
#include "http/tmmtginvitehttp.h"
#include "http/tmmtgqueryhttp.h"
#include "meeting/dateitem.h"
#include "meeting/homescreen.h"
#include "meeting/invitationtext.h"
#include "meeting/meetinglist.h"
#include "meeting/mtgitem.h"
#include "meeting/sharemeeting.h"
#include "meetings/meetingstore.h"
#include "reminders/remindercenter.h"
#include "reminders/reminderwindow.h"
#include "session/mainwindow.h"
#include "session/navigator.h"
#include "session/splashselect.h"
#include "widgets/borderdialog.h"
#include "widgets/snackbar.h"
#include "widgets/waitingspinnerwidget.h"

#include <QClipboard>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QLocale>
#include <QPointer>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QUrlQuery>

using namespace meetingtest;

class HomeScreenTest : public QObject
{
    Q_OBJECT

private:
    devservice::Server m_server;
    BaseValues m_signedIn;
    MainWindow *m_mainWindow = nullptr;
    UrlCatcher m_urls;

    HomeScreen *openHome()
    {
        auto *home = new HomeScreen;
        home->show();
        if (!waitHomeLoaded(home))
            return nullptr;
        return home;
    }
    static QList<mtgItem *> rows(HomeScreen *home)
    {
        auto *list = home->findChild<QScrollArea *>(QStringLiteral("scMtgList"));
        QList<mtgItem *> found =
            list->widget()->findChildren<mtgItem *>(QString(), Qt::FindDirectChildrenOnly);
        found.erase(std::remove_if(found.begin(), found.end(), [](QWidget *w) { return w->isHidden(); }),
                    found.end());
        std::sort(found.begin(), found.end(), [](QWidget *a, QWidget *b) { return a->y() < b->y(); });
        return found;
    }
    static QList<dateItem *> headers(HomeScreen *home)
    {
        auto *list = home->findChild<QScrollArea *>(QStringLiteral("scMtgList"));
        QList<dateItem *> found =
            list->widget()->findChildren<dateItem *>(QString(), Qt::FindDirectChildrenOnly);
        found.erase(std::remove_if(found.begin(), found.end(), [](QWidget *w) { return w->isHidden(); }),
                    found.end());
        std::sort(found.begin(), found.end(), [](QWidget *a, QWidget *b) { return a->y() < b->y(); });
        return found;
    }
    // Scrolls the list from top to bottom a view at a time and records every
    // row and header made on the way by its place, checking that no more than
    // a view's worth (plus the margins) of widgets exist and that each one
    // shown lies near the view.
    struct Walk
    {
        QMap<int, QString> rowCodes;    // y -> meeting code
        QMap<int, QString> headerTexts; // y -> header texts
        int rowWidgets = 0;             // most row widgets alive at once
        int shownFarAway = 0;           // widgets shown outside the view and its margins
    };
    static Walk walkList(HomeScreen *home)
    {
        Walk walk;
        auto *list = home->findChild<QScrollArea *>(QStringLiteral("scMtgList"));
        QScrollBar *bar = list->verticalScrollBar();
        bar->setValue(0);
        for (;;) {
            const int top = bar->value() - MeetingList::margin;
            const int bottom = bar->value() + list->viewport()->height() + MeetingList::margin;
            const QList<QWidget *> made =
                list->widget()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
            walk.rowWidgets = qMax(walk.rowWidgets, int(list->widget()->findChildren<mtgItem *>().size()));
            for (QWidget *w : made) {
                if (w->isHidden())
                    continue;
                if (w->geometry().bottom() < top || w->y() >= bottom)
                    ++walk.shownFarAway;
                if (auto *row = qobject_cast<mtgItem *>(w))
                    walk.rowCodes.insert(row->y(), row->meetingCode());
                else if (auto *header = qobject_cast<dateItem *>(w))
                    walk.headerTexts.insert(header->y(), headerText(header));
            }
            if (bar->value() >= bar->maximum())
                break;
            bar->setValue(bar->value() + list->viewport()->height());
        }
        return walk;
    }
    static mtgItem *rowFor(HomeScreen *home, const QString &code)
    {
        for (mtgItem *row : rows(home))
            if (row->meetingCode() == code)
                return row;
        return nullptr;
    }
    static QString headerText(dateItem *header)
    {
        QStringList parts;
        for (QLabel *label : header->findChildren<QLabel *>())
            if (!label->isHidden() && !label->text().isEmpty())
                parts << label->text();
        return parts.join(QLatin1Char('|'));
    }
    static QStringList notices(QWidget *parent)
    {
        QStringList texts;
        const QList<Snackbar *> all = parent ? parent->findChildren<Snackbar *>() : topLevels<Snackbar>();
        for (Snackbar *s : all)
            if (s->isVisible() && (parent || !s->parentWidget()))
                texts << s->findChild<QLabel *>(QStringLiteral("snackbarQLabel"))->text();
        return texts;
    }
    // Opens the row's "• • •" menu with a click and picks an entry in it.
    static void chooseMenuEntry(mtgItem *row, const QString &entry, QRect *menuGeometry = nullptr)
    {
        auto *button = row->findChild<QPushButton *>(QStringLiteral("noBorderSmallQPushButton"));
        QTimer::singleShot(50, [entry, menuGeometry] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(menu);
            if (menuGeometry)
                *menuGeometry = menu->geometry();
            for (QAction *action : menu->actions()) {
                if (action->text() == entry) {
                    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
                    return;
                }
            }
            menu->close();
            QFAIL(qPrintable(QStringLiteral("no menu entry %1").arg(entry)));
        });
        QTest::mouseClick(button, Qt::LeftButton);
    }
    static QJsonObject meetingJson(const QString &code, const QDateTime &start, int minutes,
                                   const QString &type = QStringLiteral("0"),
                                   const QJsonValue &hosts = QJsonArray{
                                       QJsonObject{{"userId", "u_zhangwei"}}})
    {
        QJsonObject o{{"meetingCode", code},
                      {"meetingId", QStringLiteral("id-") + code},
                      {"subject", QStringLiteral("会议") + code},
                      {"startTime", double(start.toSecsSinceEpoch())},
                      {"endTime", double(start.addSecs(minutes * 60).toSecsSinceEpoch())},
                      {"meetingType", type}};
        if (!hosts.isUndefined())
            o.insert("currentHosts", hosts);
        return o;
    }
    // The list as the query request hands it to the session's store.
    static void showList(HomeScreen *, const QJsonArray &list)
    {
        ServiceReply reply = ServiceReply::success(list);
        reply.meetings = MeetingRecord::readList(list);
        Navigator::instance()->meetingStore()->takeAnswer(reply);
    }
    QJsonArray serviceMeetings()
    {
        TmMtgQueryHttp query;
        query.request(baseValues->tenantInfo);
        return QJsonDocument::fromJson(
                   waitResult(&query, &TmMtgQueryHttp::sendTmMtgQueryResultSignal).toUtf8())
            .array();
    }
    bool requested(const std::string &path, std::string *query = nullptr)
    {
        for (const devservice::LoggedRequest &r : m_server.requests())
            if (r.path == path) {
                if (query)
                    *query = r.query;
                return true;
            }
        return false;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(startSignedIn(m_server));
        m_signedIn = *baseValues;

        // The coordinator shows a fresh home screen after a meeting and the
        // SDK's invitations; its start screen is not needed here.
        m_mainWindow = new MainWindow;
        WeMeetManager *manager = WeMeetManager::instance();
        connect(manager, &WeMeetManager::OnLeaveMeetingFinishSignal, m_mainWindow,
                &MainWindow::wmLeaveMeetingCompleteSlot);
        connect(manager, &WeMeetManager::OnShareToMeetingFinishSignal, m_mainWindow,
                &MainWindow::wmShareToMeetingCompleteSlot);
        for (SplashSelect *splash : topLevels<SplashSelect>())
            splash->close();
    }

    void init()
    {
        m_server.resetData();
        m_server.clearFaults();
        m_server.clearRequests();
        m_urls.urls.clear();
        *baseValues = m_signedIn;
        WemeetSim::setJoinFailure(QString());
        WemeetSim::setInviteFields(QString(), QString());
        WeMeetManager *manager = WeMeetManager::instance();
        if (WemeetSim::phase() == WemeetSim::Phase::InMeeting) {
            QSignalSpy left(manager, &WeMeetManager::OnLeaveMeetingFinishSignal);
            WemeetSim::pressLeave();
            QVERIFY(left.wait(3000));
        }
        if (manager->state() < 2) {
            QSignalSpy login(manager, &WeMeetManager::OnLoginFinishSignal);
            manager->login();
            QVERIFY(login.wait(3000));
        }
        QCOMPARE(manager->state(), 2);
        // Leaving above makes the coordinator open a home screen of its own.
        closeHomeScreens<HomeScreen>();
        if (manager->state() < 2) {
            QSignalSpy login(manager, &WeMeetManager::OnLoginFinishSignal);
            manager->login();
            QVERIFY(login.wait(3000));
        }
        baseValues->micOn = true;
        baseValues->cameraOn = false;
    }

    void cleanup()
    {
        m_mainWindow->reminders()->stop();
        m_mainWindow->meetingStore()->stop(); // each test's home screen loads its own list
        cancelDialogAnswers();
        closeHomeScreens<HomeScreen>();
        const auto all = QApplication::topLevelWidgets();
        for (QWidget *w : all)
            if (qobject_cast<HomeScreen *>(w) || qobject_cast<ShareMeeting *>(w) ||
                qobject_cast<Snackbar *>(w))
                w->close();
        if (auto *cast = WemeetSim::screenCastWindow())
            cast->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QTest::qWait(20);
    }

    void cleanupTestCase()
    {
        delete m_mainWindow;
        m_server.stop();
    }

    // --- the list -----------------------------------------------------------

    void serviceMeetingsAreListedInOrderUnderDayHeaders()
    {
        const QJsonArray meetings = serviceMeetings();
        QVERIFY(meetings.size() >= 5);
        HomeScreen *home = openHome();
        QVERIFY(home);
        QVERIFY(home->findChild<QScrollArea *>(QStringLiteral("scMtgList"))->isVisible());
        QVERIFY(!home->findChild<QWidget *>(QStringLiteral("emptyWidget"))->isVisible());

        const Walk walk = walkList(home);
        const QStringList codes = walk.rowCodes.values();
        QCOMPARE(codes.size(), meetings.size());
        QSet<QDate> days;
        bool anyToday = false;
        for (int i = 0; i < meetings.size(); ++i) {
            const QJsonObject m = meetings.at(i).toObject();
            QCOMPARE(codes.at(i), m.value("meetingCode").toString());
            const QDate day = QDateTime::fromSecsSinceEpoch(qint64(m.value("startTime").toDouble())).date();
            days.insert(day);
            anyToday = anyToday || day == QDate::currentDate();
        }
        const QStringList heads = walk.headerTexts.values();
        QCOMPARE(heads.size(), days.size());
        QCOMPARE(heads.first().startsWith(QStringLiteral("今天|")), anyToday);
        for (int i = 1; i < heads.size(); ++i)
            QVERIFY(!heads.at(i).contains(QStringLiteral("今天")));
        auto *start = rows(home).last()->findChild<QLabel *>(QStringLiteral("size16QLabel"));
        const QJsonObject last = meetings.last().toObject();
        QCOMPARE(start->text(),
                 QDateTime::fromSecsSinceEpoch(qint64(last.value("startTime").toDouble())).toString("hh:mm"));
    }

    // A thousand meetings, two a day, every other one hosted by the user: the
    // rows are made as they come into view and reused, in their places, with
    // the menu of the meeting they show now.
    void aLongListMakesOnlyTheRowsInView()
    {
        HomeScreen *home = openHome();
        QVERIFY(home);
        QJsonArray list;
        const QDateTime base(QDate::currentDate().addDays(1), QTime(9, 0));
        const QJsonArray me{QJsonObject{{"userId", "u_zhangwei"}}};
        const QJsonArray other{QJsonObject{{"userId", "u_lina"}}};
        for (int i = 0; i < 1000; ++i)
            list.append(meetingJson(QString::number(100000000 + i),
                                    base.addDays(i / 2).addSecs(3600 * (i % 2)), 30, "0",
                                    i % 2 ? other : me));
        showList(home, QJsonArray(list));
        // The first row's menu is made before its widget moves to another meeting.
        QCOMPARE(menuTexts(rows(home).first()->menu()), (QStringList{"修改会议", "邀请信息", "关闭会议"}));

        const int perDay = 30 + 24 + 60 + 25 + 60 + 20;
        auto *content = home->findChild<QScrollArea *>(QStringLiteral("scMtgList"))->widget();
        QCOMPARE(content->minimumHeight(), 500 * perDay - 20);

        const Walk walk = walkList(home);
        QCOMPARE(walk.rowCodes.size(), 1000);
        QCOMPARE(walk.headerTexts.size(), 500);
        QVERIFY2(walk.rowWidgets <= 12, qPrintable(QString::number(walk.rowWidgets)));
        QCOMPARE(walk.shownFarAway, 0);
        int i = 0;
        for (auto it = walk.rowCodes.cbegin(); it != walk.rowCodes.cend(); ++it, ++i) {
            QCOMPARE(it.value(), QString::number(100000000 + i));
            QCOMPARE(it.key(), (i / 2) * perDay + (i % 2 ? 139 : 54));
        }
        i = 0;
        for (auto it = walk.headerTexts.cbegin(); it != walk.headerTexts.cend(); ++it, ++i)
            QCOMPARE(it.key(), i * perDay);

        // At the bottom, reused rows carry the menus of their new meetings.
        const QList<mtgItem *> bottom = rows(home);
        QVERIFY(!bottom.isEmpty());
        for (mtgItem *row : bottom) {
            const bool mine = (row->meetingCode().toInt() - 100000000) % 2 == 0;
            QCOMPARE(menuTexts(row->menu()),
                     mine ? (QStringList{"修改会议", "邀请信息", "关闭会议"}) : QStringList{"邀请信息"});
        }
    }

    void rowsAndHeadersKeepTheirOffsets()
    {
        HomeScreen *home = openHome();
        QVERIFY(home);
        const QDateTime today = QDateTime(QDate::currentDate(), QTime(0, 5));
        const QDateTime tomorrow = today.addDays(1);
        showList(home, QJsonArray({meetingJson("111111111", today, 30),
                                   meetingJson("222222222", today.addSecs(600), 30),
                                   meetingJson("333333333", tomorrow, 30)}));
        const QList<dateItem *> heads = headers(home);
        const QList<mtgItem *> shown = rows(home);
        QCOMPARE(heads.size(), 2);
        QCOMPARE(shown.size(), 3);
        QCOMPARE(heads.at(0)->y(), 0);
        QCOMPARE(shown.at(0)->y(), 30 + 24);
        QCOMPARE(shown.at(1)->y(), 54 + 60 + 25);
        QCOMPARE(heads.at(1)->y(), 139 + 60 + 20);
        QCOMPARE(shown.at(2)->y(), 219 + 30 + 24);
        QCOMPARE(shown.at(0)->size(), QSize(375, 60));
        QCOMPARE(heads.at(0)->size(), QSize(375, 30));

        const QLocale chinese(QLocale::Chinese);
        QCOMPARE(headerText(heads.at(0)), QStringLiteral("今天|%1月%2日|%3")
                                              .arg(today.date().month())
                                              .arg(today.date().day())
                                              .arg(chinese.toString(today, "ddd")));
        QCOMPARE(headerText(heads.at(1)), QStringLiteral("%1月%2日|%3")
                                              .arg(tomorrow.date().month())
                                              .arg(tomorrow.date().day())
                                              .arg(chinese.toString(tomorrow, "ddd")));
        QVERIFY(heads.at(1)->findChildren<QLabel *>(QStringLiteral("dotQLabel")).first()->isHidden());
        QVERIFY(!heads.at(0)->findChildren<QLabel *>(QStringLiteral("dotQLabel")).first()->isHidden());
        auto *content = home->findChild<QScrollArea *>(QStringLiteral("scMtgList"))->widget();
        QCOMPARE(content->objectName(), QStringLiteral("backgroundWidget"));
        QCOMPARE(content->minimumSize(), QSize(373, 273 + 60));
    }

    void aDayGetsAHeaderEachTimeItReturns_data()
    {
        QTest::addColumn<QList<int>>("dayOffsets");
        QTest::addColumn<int>("headerCount");
        QTest::newRow("adjacent") << QList<int>{2, 2, 3} << 2;
        QTest::newRow("interleaved") << QList<int>{2, 3, 2} << 3;
        QTest::newRow("same day a year later") << QList<int>{2, 367} << 2;
    }
    void aDayGetsAHeaderEachTimeItReturns()
    {
        QFETCH(QList<int>, dayOffsets);
        QFETCH(int, headerCount);
        HomeScreen *home = openHome();
        QVERIFY(home);
        QJsonArray list;
        const QDateTime base(QDate::currentDate(), QTime(10, 0));
        QDate first = base.date().addDays(dayOffsets.first());
        int n = 0;
        for (int offset : dayOffsets) {
            // "a year later" lands on the same month and day
            QDateTime start =
                offset > 300 ? QDateTime(first.addYears(1), QTime(10, 0)) : base.addDays(offset);
            list.append(meetingJson(QString::number(100000000 + n++), start, 30));
        }
        showList(home, QJsonArray(list));
        QCOMPARE(headers(home).size(), headerCount);
    }

    void meetingNumbersAreGroupedInTheRow_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("shown");
        QTest::newRow("5 digits") << "58213"
                                  << "会议ID：582  13";
        QTest::newRow("9 digits") << "123456789"
                                  << "会议ID：123  456  789";
        QTest::newRow("11 digits") << "80231746952"
                                   << "会议ID：802  3174  6952";
        QTest::newRow("12 digits") << "271836495061"
                                   << "会议ID：2718  3649  5061";
    }
    void meetingNumbersAreGroupedInTheRow()
    {
        QFETCH(QString, code);
        QFETCH(QString, shown);
        HomeScreen *home = openHome();
        QVERIFY(home);
        showList(home, QJsonArray({meetingJson(code, QDateTime::currentDateTime().addDays(1), 30)}));
        mtgItem *row = rowFor(home, code);
        QVERIFY(row);
        QVERIFY(findByName<QLabel>(row, QStringLiteral("normalQLabel"), shown));
    }

    void rowMenusFollowHostAndActivity_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QJsonValue>("hosts");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<bool>("activityMark");
        const QJsonArray me{QJsonObject{{"userId", "u_zhangwei"}}};
        const QJsonArray meUpper{QJsonObject{{"userId", "U_ZhangWei"}}};
        const QJsonArray other{QJsonObject{{"userId", "u_lina"}}};
        const QStringList hostEntries{"修改会议", "邀请信息", "关闭会议"};
        QTest::newRow("ordinary, host") << "0" << QJsonValue(me) << hostEntries << false;
        QTest::newRow("ordinary, host in other case") << "0" << QJsonValue(meUpper) << hostEntries << false;
        QTest::newRow("ordinary, not host") << "0" << QJsonValue(other) << QStringList{"邀请信息"} << false;
        QTest::newRow("no hosts") << "0" << QJsonValue(QJsonValue::Undefined) << QStringList{"邀请信息"}
                                  << false;
        QTest::newRow("empty hosts") << "0" << QJsonValue(QJsonArray()) << QStringList{"邀请信息"} << false;
        QTest::newRow("activity 3, host")
            << "3" << QJsonValue(me) << QStringList{"修改会议", "邀请信息"} << true;
        QTest::newRow("activity 4, host")
            << "4" << QJsonValue(me) << QStringList{"修改会议", "邀请信息"} << true;
        QTest::newRow("activity, not host") << "3" << QJsonValue(other) << QStringList{"邀请信息"} << true;
    }
    void rowMenusFollowHostAndActivity()
    {
        QFETCH(QString, type);
        QFETCH(QJsonValue, hosts);
        QFETCH(QStringList, entries);
        QFETCH(bool, activityMark);
        HomeScreen *home = openHome();
        QVERIFY(home);
        showList(home, QJsonArray({meetingJson("123456789", QDateTime::currentDateTime().addDays(1), 30, type,
                                               hosts)}));
        mtgItem *row = rowFor(home, "123456789");
        QVERIFY(row);
        QCOMPARE(menuTexts(row->menu()), entries);
        QCOMPARE(row->menu()->objectName(), QStringLiteral("noBorderQPushButtonQMenu"));
        QCOMPARE(row->isActivity(), activityMark ? QStringLiteral("true") : QStringLiteral("false"));
        QCOMPARE(findByName<QLabel>(row, QStringLiteral("lblActTip"), QStringLiteral("活动系统创建")) !=
                     nullptr,
                 activityMark);
    }

    void nobodyHostsAMeetingWithoutHostsEvenWithoutOwnId()
    {
        baseValues->userId.clear();
        HomeScreen *home = openHome();
        QVERIFY(home);
        showList(home, QJsonArray({meetingJson("123456789", QDateTime::currentDateTime().addDays(1), 30, "0",
                                               QJsonValue(QJsonValue::Undefined))}));
        QCOMPARE(menuTexts(rowFor(home, "123456789")->menu()), QStringList{"邀请信息"});
    }

    void rowMenuOpensRightAlignedBelowItsButton()
    {
        HomeScreen *home = openHome();
        QVERIFY(home);
        mtgItem *row = rows(home).first();
        auto *button = row->findChild<QPushButton *>(QStringLiteral("noBorderSmallQPushButton"));
        // The pointer was over the button when it was pressed and is elsewhere when the menu closes.
        button->setAttribute(Qt::WA_UnderMouse);
        QCursor::setPos(home->mapToGlobal(QPoint(-50, -50)));
        QRect geometry;
        chooseMenuEntry(row, QStringLiteral("邀请信息"), &geometry);
        QTRY_VERIFY(!button->underMouse());
        const QPoint buttonGlobal = button->mapToGlobal(QPoint(0, 0));
        // The panel; its shadow ring lies around it.
        const int ring = BorderDialog::shadowWidth;
        const QRect panel = geometry.adjusted(ring, ring, -ring, -ring);
        QCOMPARE(panel.right(), buttonGlobal.x() + button->width() - 1);
        QVERIFY(panel.top() >= buttonGlobal.y() + button->height() + 13 - 1);
    }

    void invitationAddsTheMeetingToTheCalendar()
    {
        HomeScreen *home = openHome();
        QVERIFY(home);
        mtgItem *row = rowFor(home, QStringLiteral("482915736"));
        QVERIFY(row);
        chooseMenuEntry(row, QStringLiteral("邀请信息"));
        QTRY_COMPARE(visibleTopLevels<ShareMeeting>().size(), 1);
        ShareMeeting *share = visibleTopLevels<ShareMeeting>().first();
        QPushButton *add = nullptr;
        for (QPushButton *button : share->findChildren<QPushButton *>())
            if (button->text() == QStringLiteral("添加到日历"))
                add = button;
        QVERIFY(add && add->isVisible());
        // No calendar program: the desktop's association tables are empty here.
        for (const char *tables : {"XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"})
            qputenv(tables, "/nonexistent");
        CalendarEvent probe;
        probe.meetingCode = row->meetingCode();
        const QString path = CalendarFile::pathFor(probe);
        QFile::remove(path);
        QTest::mouseClick(add, Qt::LeftButton);
        // No calendar program here: the file is kept and the user told where.
        QTRY_VERIFY(notices(share).join("").startsWith(QStringLiteral("日历文件已保存")));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const CalendarEvent event = CalendarFile::parse(file.readAll());
        QCOMPARE(event.description, share->text());
        QCOMPARE(event.meetingCode, row->meetingCode());
        QCOMPARE(event.uid, row->meetingId() + "@veskmeeting");
        QVERIFY(event.url.startsWith("http"));
        QCOMPARE(event.start.toLocalTime().toString("hh:mm"),
                 row->findChild<QLabel *>(QStringLiteral("size16QLabel"))->text());

        // A folder in the file's place: a notice, nothing lost.
        file.close();
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkpath(path + "/kept"));
        QTest::mouseClick(add, Qt::LeftButton);
        QTRY_VERIFY(notices(share).contains(QStringLiteral("日历文件写入失败")));
        QVERIFY(QDir(path + "/kept").exists());
        QDir(path).removeRecursively();
    }

    void reminderJoinsAsTheRowDoes_data()
    {
        QTest::addColumn<bool>("homeInTray");
        QTest::newRow("home screen open") << false;
        QTest::newRow("home screen closed to the tray") << true;
    }

    void reminderJoinsAsTheRowDoes()
    {
        QFETCH(bool, homeInTray);
        QPointer<HomeScreen> home = Navigator::instance()->showHomeScreen(nullptr);
        QVERIFY(waitHomeLoaded(home.data()));
        const QString code = QStringLiteral("482915736");
        // Listed three minutes before its start: reminded at once. Another start for each
        // row: a meeting answered is not reminded again this run.
        showList(home, QJsonArray({meetingJson(
                           code, QDateTime::currentDateTime().addSecs(homeInTray ? 240 : 180), 30)}));
        ReminderCenter *center = m_mainWindow->reminders();
        QTRY_COMPARE(center->windows().size(), 1);
        ReminderWindow *reminder = center->windows().first();
        QVERIFY(reminder->isVisible());
        if (homeInTray)
            home->hide(); // as closing it with the tray switch on does
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(area.contains(reminder->geometry()));
        QVERIFY(reminder->geometry().right() > area.right() - 40);
        QVERIFY(reminder->geometry().bottom() > area.bottom() - 40);
        QStringList texts;
        for (QLabel *label : reminder->findChildren<QLabel *>())
            texts << label->text();
        QVERIFY(texts.contains(QStringLiteral("会议即将开始")));
        QVERIFY(texts.contains(QStringLiteral("会议ID：482  915  736")));

        m_server.clearRequests();
        QPushButton *join = nullptr;
        for (QPushButton *button : reminder->findChildren<QPushButton *>())
            if (button->text() == QStringLiteral("加入"))
                join = button;
        QVERIFY(join);
        // Through the window, as a user's click: the home screen is application-modal.
        QTest::mouseClick(reminder->windowHandle(), Qt::LeftButton, {},
                          join->mapTo(reminder, join->rect().center()));
        QTRY_VERIFY(home.isNull());
        QCOMPARE(WemeetSim::lastJoin().meetingCode, code);
        QVERIFY(requested("/service/tencent-meeting/meeting/meetingSummary"));
        QVERIFY(center->windows().isEmpty());
    }

    // A subject is the service's text: never markup, never more than one line.
    void subjectsShowAsPlainTextOnOneLine_data()
    {
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("line");
        const QString longOne = QStringLiteral("二〇二六年度上市公司投资者关系管理暨业绩说明会专场活动");
        QTest::newRow("long") << longOne << longOne;
        QTest::newRow("markup") << "<b><font size=7>紧急</font></b>会议"
                                << "<b><font size=7>紧急</font></b>会议";
        QTest::newRow("line breaks") << "周会\r\n<img src=/tmp/x.png>\t二"
                                     << "周会  <img src=/tmp/x.png> 二";
    }
    void subjectsShowAsPlainTextOnOneLine()
    {
        QFETCH(QString, subject);
        QFETCH(QString, line);
        HomeScreen *home = openHome();
        QVERIFY(home);
        QJsonObject m = meetingJson("123456789", QDateTime::currentDateTime().addDays(1), 30, "3");
        m.insert("subject", subject);
        showList(home, QJsonArray({m}));
        mtgItem *row = rowFor(home, "123456789");
        auto *name = findByName<QLabel>(row->findChild<QWidget *>("horizontalLayoutWidget"),
                                        QStringLiteral("messageQLabel"));
        QCOMPARE(name->textFormat(), Qt::PlainText);
        // The whole line, or its start and "…".
        const QString shown = name->text();
        QVERIFY2(shown.endsWith(QChar(0x2026)) ? line.startsWith(shown.chopped(1)) : shown == line,
                 qPrintable(shown));
        QVERIFY(shown.size() > 2);
        // The tool tip shows the whole subject as it is.
        const QString tip = name->toolTip();
        QCOMPARE(Qt::mightBeRichText(tip) ? QTextDocumentFragment::fromHtml(tip).toPlainText() : tip,
                 subject);
    }

    void listScrollBarShowsOnlyUnderThePointer()
    {
        HomeScreen *home = openHome();
        QVERIFY(home);
        auto *list = home->findChild<QScrollArea *>(QStringLiteral("scMtgList"));
        QCOMPARE(list->verticalScrollBar()->objectName(), QStringLiteral("shareInfoQScrollBar"));
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(list, &enter);
        QCOMPARE(list->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(list, &leave);
        QCOMPARE(list->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(list->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    }

    void homeScreenIsAFramelessModalWindow()
    {
        HomeScreen *home = openHome();
        QVERIFY(home);
        QCOMPARE(home->windowFlags(), Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                                          Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
        QCOMPARE(home->windowModality(), Qt::ApplicationModal);
        QVERIFY(home->testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(home->size(), QSize(395, 687));
        QCOMPARE(home->windowTitle(), baseValues->appName);
        for (const QString &tip : {QStringLiteral("最小化"), QStringLiteral("关闭")})
            QVERIFY(findByName<QPushButton>(home, QStringLiteral("titlePushButton"), tip));
        for (const QString &label : {QStringLiteral("加入会议"), QStringLiteral("快速会议"),
                                     QStringLiteral("预定会议"), QStringLiteral("无线投屏")})
            QVERIFY(findByName<QLabel>(home, QStringLiteral("messageQLabel"), label));
    }

    void emptyAndUnreadableListsShowTheirState_data()
    {
        QTest::addColumn<ServiceReply>("reply");
        QTest::addColumn<bool>("listShown");
        QTest::addColumn<bool>("emptyShown");
        QTest::newRow("empty list") << ServiceReply::success(QJsonArray()) << false << true;
        // a failed refresh keeps the list, saying how old it is
        QTest::newRow("refused") << failedReply(ServiceReply::Refused, "会议服务暂不可用") << true << false;
        QTest::newRow("unreadable answer")
            << failedReply(ServiceReply::Malformed, "服务返回数据格式错误") << true << false;
    }
    void emptyAndUnreadableListsShowTheirState()
    {
        QFETCH(ServiceReply, reply);
        QFETCH(bool, listShown);
        QFETCH(bool, emptyShown);
        HomeScreen *home = openHome();
        QVERIFY(home);
        QVERIFY(home->findChild<QScrollArea *>(QStringLiteral("scMtgList"))->isVisible());
        const QString updated = QStringLiteral("列表更新于 %1").arg(QTime::currentTime().toString("HH:mm"));
        QVERIFY(!findByName<QLabel>(home, QStringLiteral("tipQLabel"), updated));
        Navigator::instance()->meetingStore()->takeAnswer(reply);
        QCOMPARE(home->findChild<QScrollArea *>(QStringLiteral("scMtgList"))->isVisible(), listShown);
        auto *empty = home->findChild<QWidget *>(QStringLiteral("emptyWidget"));
        QCOMPARE(empty->isVisible(), emptyShown);
        QVERIFY(findByName<QLabel>(empty, QStringLiteral("tipQLabel"), QStringLiteral("暂无会议记录 ~")));
        // Unasked (the timer's refresh): no notice, only the quiet line.
        QVERIFY(notices(home).isEmpty());
        QLabel *age = findByName<QLabel>(home, QStringLiteral("tipQLabel"), updated);
        QCOMPARE(age && age->isVisible(), !reply.succeeded());
    }

    void aListThatFailsToLoadIsToldAndReloadsOnAClick()
    {
        devservice::Fault fault;
        fault.successFalse = true;
        fault.errorMsg = "令牌已失效";
        fault.times = 1;
        m_server.setFault("/service/tencent-meeting/meeting/queryMeeting", fault);
        auto *home = new HomeScreen;
        home->show();
        QTRY_VERIFY(notices(home).contains(QStringLiteral("令牌已失效")));
        auto *list = home->findChild<QScrollArea *>(QStringLiteral("scMtgList"));
        auto *empty = home->findChild<QWidget *>(QStringLiteral("emptyWidget"));
        QVERIFY(!list->isVisible());
        QVERIFY(empty->isVisible());
        auto *label = findByName<QLabel>(empty, QStringLiteral("tipQLabel"));
        QVERIFY(label->text().contains(QStringLiteral("加载失败")));
        QVERIFY(label->text().contains(QStringLiteral("点击重试")));

        m_server.clearRequests();
        QTest::mouseClick(label, Qt::LeftButton);
        QTRY_VERIFY(list->isVisible());
        QVERIFY(!empty->isVisible());
        QVERIFY(requested("/service/tencent-meeting/meeting/queryMeeting"));
        QVERIFY(!rows(home).isEmpty());

        // An empty list says so, and a click on it loads nothing (a load hides it at once).
        showList(home, QJsonArray());
        QCOMPARE(label->text(), QStringLiteral("暂无会议记录 ~"));
        QTest::mouseClick(label, Qt::LeftButton);
        QVERIFY(empty->isVisible());
    }

    // What a user reads when a request fails: words, never a bare enumerator
    // name or an "error:" prefix (the name is in the log line, for support).
    void failuresAreToldInWords_data()
    {
        QTest::addColumn<bool>("quickMeeting"); // the tagged "error:" form instead of the plain one
        QTest::addColumn<int>("status");        // 0: refused connection, -1: no answer in time
        QTest::addColumn<QString>("shown");
        const QString noServer = QStringLiteral("无法连接服务器，请检查网络后重试");
        const QString busy = QStringLiteral("服务器繁忙，请稍后再试");
        const QString timedOut = QStringLiteral("服务器响应超时，请稍后重试");
        QTest::newRow("refused") << false << 0 << noServer;
        QTest::newRow("refused, tagged") << true << 0 << noServer;
        QTest::newRow("time-out") << false << -1 << timedOut;
        QTest::newRow("time-out, tagged") << true << -1 << timedOut;
        QTest::newRow("500") << false << 500 << busy;
        QTest::newRow("500, tagged") << true << 500 << busy;
        QTest::newRow("503") << false << 503 << QStringLiteral("服务器繁忙，请稍后再试");
        // The lost-session road takes a 401 (it signs in again).
        QTest::newRow("401") << false << 401 << QStringLiteral("登录已失效，正在重新登录...");
        QTest::newRow("403") << false << 403 << QStringLiteral("没有访问权限，请重新登录后再试");
        QTest::newRow("404") << false << 404 << QStringLiteral("服务暂不可用，请稍后再试");
        QTest::newRow("204 without error") << false << 204 << QStringLiteral("服务器返回异常，请稍后再试");
        // The service's own words stand as they are.
        QTest::newRow("refused by the service") << false << 200 << QStringLiteral("模拟的服务错误");
        QTest::newRow("refused by the service, tagged") << true << 200 << QStringLiteral("模拟的服务错误");
    }
    void failuresAreToldInWords()
    {
        QFETCH(bool, quickMeeting);
        QFETCH(int, status);
        QFETCH(QString, shown);
        QPointer<HomeScreen> home = openHome();
        QVERIFY(home);
        const std::string path = quickMeeting ? "/service/tencent-meeting/meeting/createMeeting"
                                              : "/service/tencent-meeting/meeting/queryMeeting";
        QScopedValueRollback<int> timeout(Waits::requestTimeoutMs);
        devservice::Fault fault;
        if (status == 0) {
            devservice::Server gone;
            QVERIFY(gone.start() > 0);
            baseValues->serviceUrl = QString::fromStdString(gone.serviceUrl());
            gone.stop();
        } else if (status == -1) {
            Waits::requestTimeoutMs = 200;
            fault.delayMs = 1000;
        } else if (status == 200) {
            fault.successFalse = true;
        } else {
            fault.httpStatus = status;
        }
        m_server.setFault(path, fault);
        if (quickMeeting)
            home->quickMeetingSlot();
        else
            home->tmMtgUpdatedSlot();
        QTRY_VERIFY_WITH_TIMEOUT(!notices(home).isEmpty(), 5000);
        QCOMPARE(notices(home), QStringList{shown});
        if (status == -1 && !quickMeeting) {
            // The answer that comes after all replaces the failure state.
            QTRY_VERIFY_WITH_TIMEOUT(home->findChild<QScrollArea *>(QStringLiteral("scMtgList"))->isVisible(),
                                     3000);
            QVERIFY(!home->findChild<QWidget *>(QStringLiteral("emptyWidget"))->isVisible());
        }
    }

    // --- joining --------------------------------------------------------------

    void joiningFromTheListThenLeavingGivesAFreshHomeScreen()
    {
        QPointer<HomeScreen> home = openHome();
        QVERIFY(home);
        const QString code = QStringLiteral("482915736");
        mtgItem *row = rowFor(home, code);
        QVERIFY(row);
        QTest::mouseClick(row->findChild<QPushButton *>(QStringLiteral("defaultSmallQPushButton")),
                          Qt::LeftButton);
        QTRY_VERIFY(home.isNull());
        QCOMPARE(WemeetSim::phase(), WemeetSim::Phase::InMeeting);
        QVERIFY(WemeetSim::meetingWindow());
        const WemeetSim::JoinRecord join = WemeetSim::lastJoin();
        QCOMPARE(join.meetingCode, code);
        QCOMPARE(join.nickname, baseValues->meetingPersonName);
        QVERIFY(!join.joinUrl.isEmpty());
        QCOMPARE(join.joinUrl, baseValues->joinUrl);
        QCOMPARE(join.micOn, true);
        QCOMPARE(join.cameraOn, false);
        QCOMPARE(baseValues->currentMeetingCode, code);
        QVERIFY(requested("/service/tencent-meeting/meeting/meetingSummary"));

        QVERIFY(WemeetSim::pressLeave());
        QTRY_COMPARE(visibleTopLevels<HomeScreen>().size(), 1);
        HomeScreen *fresh = visibleTopLevels<HomeScreen>().first();
        QVERIFY(waitHomeLoaded(fresh));
        QVERIFY(rowFor(fresh, code));
        QCOMPARE(WeMeetManager::instance()->state(), 2);
    }

    void aFailedJoinKeepsTheHomeScreen()
    {
        WemeetSim::setJoinFailure(QStringLiteral("会议已结束"));
        QPointer<HomeScreen> home = openHome();
        QVERIFY(home);
        QTest::mouseClick(
            rows(home).first()->findChild<QPushButton *>(QStringLiteral("defaultSmallQPushButton")),
            Qt::LeftButton);
        QTRY_VERIFY(notices(home).contains(QStringLiteral("会议已结束")));
        QVERIFY(home);
        QVERIFY(home->isVisible());
        QVERIFY(home->isEnabled());
        QCOMPARE(WeMeetManager::instance()->state(), 2);
        QVERIFY(baseValues->currentMeetingCode.isEmpty() ||
                baseValues->currentMeetingCode == m_signedIn.currentMeetingCode);
    }

    // The other refusals' texts: tst_joinchain; shown the same way.
    void admissionRefusalsShowTheirMessage()
    {
        const QString meetingCode = QStringLiteral("927461035");
        const QString message = QStringLiteral("入会认证失败！");
        devservice::Fault fault;
        fault.httpStatus = 500;
        m_server.setFault("/service/tencent-meeting/activity/checkActivityApprove", fault);
        QPointer<HomeScreen> home = openHome();
        QVERIFY(home);
        auto answer = answerNextDialog(true);
        WemeetSim::clearCalls();
        LogCapture log;
        home->joinMeetingSlot(meetingCode);
        QTRY_VERIFY(answer->answered);
        QCOMPARE(answer->message, message);
        // Only an unknown answer is logged, with the answer itself after the fixed words.
        const QStringList logged = log.lines().filter(QStringLiteral("入会认证失败"));
        QCOMPARE(logged.size(), 1);
        QVERIFY(logged.first().startsWith(QStringLiteral("入会认证失败，error：")));
        QVERIFY(logged.first().size() > QStringLiteral("入会认证失败，error：").size());
        QCOMPARE(answer->button, QStringLiteral("确定"));
        QVERIFY(home && home->isVisible());
        QVERIFY(home->isEnabled());
        QVERIFY(!WemeetSim::calls().contains(QStringLiteral("JoinMeeting")));
        QCOMPARE(WeMeetManager::instance()->state(), 2);
    }

    void aLateSummaryAnswerDoesNotJoinTwice()
    {
        QScopedValueRollback<int> timeout(Waits::requestTimeoutMs, 150);
        devservice::Fault fault;
        fault.delayMs = 600;
        m_server.setFault("/service/tencent-meeting/meeting/meetingSummary", fault);
        WemeetSim::setCallbackDelayMs(1500);
        QPointer<HomeScreen> home = openHome();
        QVERIFY(home);
        WemeetSim::clearCalls();
        home->joinMeetingSlot(QStringLiteral("482915736"));
        QTRY_VERIFY_WITH_TIMEOUT(home.isNull(), 5000);
        WemeetSim::setCallbackDelayMs(1);
        QCOMPARE(WemeetSim::calls().count(QStringLiteral("JoinMeeting")), 1);
    }

    void screenCastButtonOpensTheCastView()
    {
        HomeScreen *home = openHome();
        QVERIFY(home);
        QTest::mouseClick(findByName<QPushButton>(home, QStringLiteral("btnMtgCast")), Qt::LeftButton);
        QTRY_VERIFY(WemeetSim::screenCastWindow() && WemeetSim::screenCastWindow()->isVisible());
    }

    // --- busy indicator -------------------------------------------------------------

    void spinnerTellsWhatIsBeingWaitedFor_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("text");
        QTest::newRow("loading") << "load"
                                 << "/service/tencent-meeting/meeting/queryMeeting"
                                 << "正在加载会议列表...";
        QTest::newRow("joining") << "join"
                                 << "/service/tencent-meeting/meeting/meetingSummary"
                                 << "正在入会...";
        QTest::newRow("quick meeting") << "quick"
                                       << "/service/tencent-meeting/meeting/createMeeting"
                                       << "正在入会...";
        QTest::newRow("invitation") << "invite"
                                    << "/service/tencent-meeting/meeting/invitationMessage"
                                    << "获取邀请信息...";
        QTest::newRow("closing") << "close"
                                 << "/service/tencent-meeting/meeting/deleteMeeting"
                                 << "正在关闭会议...";
    }
    void spinnerTellsWhatIsBeingWaitedFor()
    {
        QFETCH(QString, step);
        QFETCH(QString, path);
        QFETCH(QString, text);
        devservice::Fault slow;
        slow.delayMs = 1500; // seen spinning even on a busy machine
        slow.successFalse = true;
        slow.errorMsg = "稍后再试";
        m_server.setFault(path.toStdString(), slow);
        QPointer<HomeScreen> home = step == QLatin1String("load") ? new HomeScreen : openHome();
        QVERIFY(home);
        auto *spinner = home->findChild<WaitingSpinnerWidget *>();
        QVERIFY(spinner);
        if (step == QLatin1String("load")) {
            home->show();
        } else if (step == QLatin1String("join")) {
            home->joinMeetingSlot(QStringLiteral("482915736"));
        } else if (step == QLatin1String("quick")) {
            QTest::mouseClick(findByName<QPushButton>(home, QStringLiteral("btnMtgQuick")), Qt::LeftButton);
        } else if (step == QLatin1String("invite")) {
            home->mtgInviteSlot(QStringLiteral("58213"));
        } else {
            auto answer = answerNextDialog(true);
            chooseMenuEntry(rowFor(home, QStringLiteral("58213")), QStringLiteral("关闭会议"));
            QTRY_VERIFY(answer->answered);
        }
        QTRY_VERIFY(spinner->isSpinning());
        QCOMPARE(spinner->text(), text);
        // The refusal ends the wait (a refused summary goes on to the join itself).
        if (step != QLatin1String("join"))
            QTRY_VERIFY_WITH_TIMEOUT(!spinner->isSpinning(), 4000);
    }

    void invitationSpinnerStopsAtTheLatestAfterItsWait()
    {
        QScopedValueRollback<int> wait(Waits::spinnerFallbackMs, 200);
        devservice::Fault slow;
        slow.delayMs = 2000;
        m_server.setFault("/service/tencent-meeting/meeting/invitationMessage", slow);
        HomeScreen *home = openHome();
        QVERIFY(home);
        auto *spinner = home->findChild<WaitingSpinnerWidget *>();
        home->mtgInviteSlot(QStringLiteral("58213"));
        QVERIFY(spinner->isSpinning());
        QTRY_VERIFY_WITH_TIMEOUT(!spinner->isSpinning(), 1500);
        QCOMPARE(visibleTopLevels<ShareMeeting>().size(), 0);
        // The answer still opens the invitation when it comes.
        QTRY_COMPARE_WITH_TIMEOUT(visibleTopLevels<ShareMeeting>().size(), 1, 5000);
    }

    // --- closing meetings -------------------------------------------------------

    void closingAMeetingAsksFirstAndReloads_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<bool>("refused"); // by the service
        QTest::newRow("confirmed") << true << false;
        QTest::newRow("cancelled") << false << false;
        QTest::newRow("refused: told, the row stays") << true << true;
    }
    void closingAMeetingAsksFirstAndReloads()
    {
        QFETCH(bool, confirm);
        QFETCH(bool, refused);
        if (refused) {
            devservice::Fault fault;
            fault.successFalse = true;
            fault.errorMsg = "会议进行中，无法关闭";
            m_server.setFault("/service/tencent-meeting/meeting/deleteMeeting", fault);
        }
        HomeScreen *home = openHome();
        QVERIFY(home);
        const QString code = QStringLiteral("58213");
        mtgItem *row = rowFor(home, code);
        QVERIFY(row);
        const QString id = row->meetingId();
        auto answer = answerNextDialog(confirm);
        m_server.clearRequests();
        chooseMenuEntry(row, QStringLiteral("关闭会议"));
        QTRY_VERIFY(answer->answered);
        QCOMPARE(answer->message, QStringLiteral("关闭会议后不可恢复，是否确定继续该操作？"));
        std::string query;
        if (!confirm) {
            // The answer is handled where the dialog closes; nothing is queued after it.
            QCoreApplication::processEvents();
            QVERIFY(home->isEnabled()); // no "正在关闭会议..." behind the answer
            QVERIFY(!requested("/service/tencent-meeting/meeting/deleteMeeting"));
            QVERIFY(rowFor(home, code));
            return;
        }
        QTRY_VERIFY(requested("/service/tencent-meeting/meeting/queryMeeting"));
        QVERIFY(waitHomeLoaded(home));
        QVERIFY(requested("/service/tencent-meeting/meeting/deleteMeeting", &query));
        QVERIFY(QString::fromStdString(query).contains(QStringLiteral("meetingCodes=") + id));
        QCOMPARE(notices(nullptr).contains(QStringLiteral("会议进行中，无法关闭")), refused);
        QCOMPARE(rowFor(home, code) != nullptr, refused);
    }

    void activityChangeOpensTheActivityPage()
    {
        HomeScreen *home = openHome();
        QVERIFY(home);
        mtgItem *row = rowFor(home, QStringLiteral("927461035"));
        QVERIFY(row);
        QCOMPARE(row->isActivity(), QStringLiteral("true"));
        chooseMenuEntry(row, QStringLiteral("修改会议"));
        // The address itself: tst_meetingsession.
        QTRY_COMPARE(m_urls.urls.size(), 1);
        QVERIFY(!requested("/service/tencent-meeting/meeting/queryMeetingDetail"));
    }

    // --- invitations ---------------------------------------------------------------

    void invitationFromTheListIsShownAndCopied()
    {
        HomeScreen *home = openHome();
        QVERIFY(home);
        const QString code = QStringLiteral("735102948");
        chooseMenuEntry(rowFor(home, code), QStringLiteral("邀请信息"));
        QTRY_COMPARE(visibleTopLevels<ShareMeeting>().size(), 1);
        ShareMeeting *share = visibleTopLevels<ShareMeeting>().first();

        TmMtgInviteHttp invite;
        invite.request(baseValues->tenantInfo, code);
        const QJsonObject data =
            QJsonDocument::fromJson(
                waitResult(&invite, &TmMtgInviteHttp::sendTmMtgInviteResultSignal).remove("info:").toUtf8())
                .object();
        QVERIFY(!data.value("password").toString().isEmpty());
        const QString expected =
            data.value("personName").toString() + " 邀请您加入Vesk会议\n\n" + "会议主题：" +
            data.value("meetingName").toString() + "\n" + "会议时间：" +
            data.value("meetingTime").toString() + "\n\n" + "通过链接入会\n" +
            data.value("onlineAddress").toString() + "\n\n" + "会议号入会\n会议号：735  102  948\n" +
            "（打开PC端Vesk云会议或VeskAPP云会议模块，输入会议号即可加入会议）\n\n" + "会议密码：" +
            data.value("password").toString() + "\n（该会议开启了密码验证，需输入密码入会）\n\n" +
            "手机一键拨号入会\n+8675586960000,,735102948# (中国大陆)\n+85230018888,,,2,735102948# "
            "(中国香港)\n\n" +
            "根据您的位置拨号\n+8675586960000 (中国大陆)\n+85230018888 (中国香港)\n\n\n";
        QCOMPARE(share->text(), expected);
        QCOMPARE(share->windowTitle(), QStringLiteral("会议邀请信息"));
        QVERIFY(share->findChild<QTextEdit *>(QStringLiteral("shareInfoQTextEdit"))->isReadOnly());

        auto *copy = findByName<QPushButton>(share, QStringLiteral("defaultQPushButton"),
                                             QStringLiteral("复制邀请信息"));
        QVERIFY(copy);
        QApplication::clipboard()->clear();
        QTest::mouseClick(copy, Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(), expected);
        QTest::mouseClick(copy, Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(), expected);
        QCOMPARE(notices(share).count(QStringLiteral("会议邀请已复制到剪贴板")), 2);

        auto *edit = share->findChild<QTextEdit *>(QStringLiteral("shareInfoQTextEdit"));
        QCOMPARE(edit->verticalScrollBar()->objectName(), QStringLiteral("shareInfoQScrollBar"));
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(edit, &enter);
        QCOMPARE(edit->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(edit, &leave);
        QCOMPARE(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QVERIFY(share->isModal());

        QTest::mouseClick(
            findByName<QPushButton>(share, QStringLiteral("titlePushButton"), QStringLiteral("关闭")),
            Qt::LeftButton);
        QTRY_COMPARE(visibleTopLevels<ShareMeeting>().size(), 0);
    }

    void invitationDialogIsAFramelessModalWindowReadyToCopy()
    {
        QPointer<ShareMeeting> share = new ShareMeeting(QStringLiteral("邀请"), nullptr);
        share->show();
        share->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(share));
        QCOMPARE(share->size(), QSize(588, 482));
        QCOMPARE(share->windowFlags(), Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                                           Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
        QCOMPARE(share->windowModality(), Qt::ApplicationModal);
        QVERIFY(findByName<QLabel>(share, QStringLiteral("messageQLabel"), QStringLiteral("会议邀请信息")));
        auto *copy = findByName<QPushButton>(share, QStringLiteral("defaultQPushButton"),
                                             QStringLiteral("复制邀请信息"));
        QVERIFY(copy);
        QTRY_VERIFY(copy->hasFocus());
        // The focused copy button answers the keyboard.
        QApplication::clipboard()->clear();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("邀请"));
        share->onCloseBtnClicked();
        QTRY_VERIFY(share.isNull());
    }

    void aLaunchLinkClosesOpenInvitations()
    {
        auto *share = new ShareMeeting(QStringLiteral("text"), nullptr);
        QPointer<ShareMeeting> guard = share;
        share->show();
        emit WeMeetManager::instance()->linkJoinMeetingSignal();
        QTRY_VERIFY(guard.isNull());
        share = new ShareMeeting(QStringLiteral("text"), nullptr);
        guard = share;
        share->show();
        {
            LogCapture log;
            share->wmLeaveMeetingCompleteSlot(QStringLiteral("离会失败"));
            QVERIFY(log.hasLine(QStringLiteral("离会失败")));
        }
        QVERIFY(share->isVisible());
        emit WeMeetManager::instance()->OnForcedLogoutFinishSignal();
        QTRY_VERIFY(guard.isNull());
    }

    void invitationFailureShowsANotice()
    {
        devservice::Fault fault;
        fault.httpStatus = 503;
        m_server.setFault("/service/tencent-meeting/meeting/invitationMessage", fault);
        HomeScreen *home = openHome();
        QVERIFY(home);
        home->mtgInviteSlot(QStringLiteral("58213"));
        QTRY_VERIFY(notices(home).contains(QStringLiteral("会议邀请信息取得失败")));
        QVERIFY(home->isEnabled());
        QCOMPARE(visibleTopLevels<ShareMeeting>().size(), 0);
    }

    // --- launch links and leaving ---------------------------------------------------

    void launchLinkIsJoinedOnceSignedIn_data()
    {
        QTest::addColumn<QString>("meetingCode");
        QTest::newRow("with number") << "482915736";
        QTest::newRow("without number: quick meeting") << "";
    }
    void launchLinkIsJoinedOnceSignedIn()
    {
        QFETCH(QString, meetingCode);
        baseValues->linkInfo = {{"companycode", baseValues->companyCode},
                                {"username", baseValues->userName},
                                {"meetingCode", meetingCode},
                                {"phone", baseValues->telephone},
                                {"mobileCountryCode", baseValues->mobileCountryCode}};
        QPointer<HomeScreen> home = new HomeScreen;
        home->show();
        QTRY_VERIFY(home.isNull());
        QVERIFY(baseValues->linkInfo.isEmpty());
        QCOMPARE(WemeetSim::phase(), WemeetSim::Phase::InMeeting);
        if (!meetingCode.isEmpty())
            QCOMPARE(WemeetSim::lastJoin().meetingCode, meetingCode);
        else
            QVERIFY(requested("/service/tencent-meeting/meeting/createMeeting"));
    }

    // Which links name another account: tst_meetingsession. The refusal is said once, in a dialog.
    void launchLinkForAnotherAccountIsRefused()
    {
        baseValues->linkInfo = {
            {"companycode", baseValues->companyCode}, {"username", "lina"}, {"meetingCode", "482915736"}};
        auto answer = answerNextDialog(true);
        LogCapture log;
        WemeetSim::clearCalls();
        QPointer<HomeScreen> home = new HomeScreen;
        home->show();
        QTRY_VERIFY(answer->answered);
        QCOMPARE(log.lines().count(QStringLiteral("本地已登录另一账号，请重新登录后进入会议。")), 1);
        QCOMPARE(answer->message, QStringLiteral("本地已登录另一账号，请重新登录后进入会议。"));
        QCOMPARE(answer->button, QStringLiteral("知道了"));
        QVERIFY(home);
        QVERIFY(!WemeetSim::calls().contains(QStringLiteral("JoinMeeting")));
        QVERIFY(baseValues->linkInfo.isEmpty());
    }

    void linkArrivingWhileOpenIsJoined()
    {
        QPointer<HomeScreen> home = openHome();
        QVERIFY(home);
        baseValues->linkInfo = {{"meetingCode", "58213"}};
        emit WeMeetManager::instance()->linkJoinMeetingSignal();
        QTRY_VERIFY(home.isNull());
        QCOMPARE(WemeetSim::lastJoin().meetingCode, QStringLiteral("58213"));
    }

    void escapeDoesNotCloseTheHomeScreen()
    {
        HomeScreen *home = openHome();
        QVERIFY(home);
        QTest::keyClick(home, Qt::Key_Escape);
        QCoreApplication::processEvents();
        QVERIFY(home->isVisible());
        QCOMPARE(WeMeetManager::instance()->state(), 2);
    }

    void forcedLogoutClosesTheHomeScreen()
    {
        QPointer<HomeScreen> home = openHome();
        QVERIFY(home);
        disconnect(WeMeetManager::instance(), &WeMeetManager::OnForcedLogoutFinishSignal, m_mainWindow,
                   nullptr);
        QVERIFY(WemeetSim::triggerForcedLogout());
        QTRY_VERIFY(home.isNull());
        QCOMPARE(WeMeetManager::instance()->state(), 1);
    }

    void closeButtonSignsOutOfTheSdk()
    {
        QPointer<HomeScreen> home = openHome();
        QVERIFY(home);
        QSignalSpy logout(WeMeetManager::instance(), &WeMeetManager::OnLogoutFinishSignal);
        QTest::mouseClick(
            findByName<QPushButton>(home, QStringLiteral("titlePushButton"), QStringLiteral("关闭")),
            Qt::LeftButton);
        QTRY_VERIFY(home.isNull());
        QTRY_COMPARE(logout.count(), 1);
        QVERIFY(!baseValues->signOutRequested);
        QCOMPARE(WeMeetManager::instance()->state(), 1);
    }
};

QTEST_MAIN(HomeScreenTest)
#include "tst_homescreen.moc"
