// The session's meeting list and meeting actions without a window, against
// the stand-in service and the Meeting SDK simulator: what the list holds
// while the service changes under it, and how each action ends.

#include "meetingtestsupport.h"

#include "http/tmmtgcreatehttp.h"
#include "meetings/meetingactions.h"
#include "meetings/meetingstore.h"

#include <QDesktopServices>
#include <QScopedValueRollback>
#include <QUrlQuery>

using namespace meetingtest;
using Kind = JoinOutcome::Kind;
using Action = MeetingOutcome::Action;
Q_DECLARE_METATYPE(JoinOutcome::Kind)
Q_DECLARE_METATYPE(MeetingOutcome::Action)

namespace {
const std::string queryPath = "/service/tencent-meeting/meeting/queryMeeting";
} // namespace

class TestMeetingSession : public QObject
{
    Q_OBJECT

    devservice::Server m_server;
    BaseValues m_signedIn;
    MeetingStore *m_store = nullptr;
    MeetingActions *m_actions = nullptr;
    UrlCatcher m_urls;

    int queries() const
    {
        int n = 0;
        for (const devservice::LoggedRequest &r : m_server.requests())
            n += r.path == queryPath;
        return n;
    }
    bool listed(const QString &code) const { return m_store->byCode(code).has_value(); }
    // Waits for the store's next answer.
    bool nextAnswer(int waitMs = 8000)
    {
        QSignalSpy answered(m_store, &MeetingStore::refreshFinished);
        return answered.wait(waitMs);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(startSignedIn(m_server, true));
        m_signedIn = *baseValues;
    }

    void init()
    {
        m_server.resetData();
        m_server.clearFaults();
        *baseValues = m_signedIn;
        if (WemeetSim::phase() == WemeetSim::Phase::InMeeting) {
            QSignalSpy left(WeMeetManager::instance(), &WeMeetManager::OnLeaveMeetingFinishSignal);
            WemeetSim::pressLeave();
            QVERIFY(left.wait(3000));
        }
        m_server.clearRequests();
        m_urls.urls.clear();
        m_store = new MeetingStore;
        m_actions = new MeetingActions(m_store);
        m_store->start();
        QVERIFY(nextAnswer());
        QVERIFY(listed(QStringLiteral("735102948")));
    }

    void cleanup()
    {
        delete m_actions;
        delete m_store;
    }

    // Nobody touches the client: the timer's refresh brings what changed on
    // the service, and a failed one keeps the last good list.
    void listFollowsTheServiceUnasked_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("listedAfter");
        QTest::addColumn<bool>("stale");
        QTest::newRow("cancelled on the web") << "cancel"
                                              << "735102948" << false << false;
        QTest::newRow("booked elsewhere") << "book"
                                          << "" << true << false;
        QTest::newRow("refused refresh keeps the list") << "refuse"
                                                        << "735102948" << true << true;
        QTest::newRow("unreadable refresh keeps the list") << "garbage"
                                                           << "735102948" << true << true;
    }
    void listFollowsTheServiceUnasked()
    {
        QFETCH(QString, change);
        QFETCH(QString, code);
        QFETCH(bool, listedAfter);
        QFETCH(bool, stale);
        const QDateTime firstList = m_store->updatedAt();
        const int before = m_store->meetings().size();
        if (change == "cancel") {
            QVERIFY(m_server.cancelMeeting(code.toStdString()));
        } else if (change == "book") {
            TmMtgCreateHttp create;
            create.request(baseValues->tenantInfo, R"({"meetingType":1})");
            code = QJsonDocument::fromJson(waitResult(&create, &TmMtgCreateHttp::sendTmMtgCreateResultSignal)
                                               .mid(int(qstrlen("result:")))
                                               .toUtf8())
                       .object()
                       .value("meetingCode")
                       .toString();
            QVERIFY(!code.isEmpty());
        } else {
            devservice::Fault fault;
            fault.successFalse = change == "refuse";
            fault.nonJson = change == "garbage";
            fault.times = 1;
            m_server.setFault(queryPath, fault);
        }
        QScopedValueRollback<int> refresh(Waits::meetingListRefreshMs, 100);
        m_store->refresh(); // restarts the timer with the short wait
        QVERIFY(nextAnswer());
        if (change != "refuse" && change != "garbage")
            QVERIFY(nextAnswer()); // and the timer's own
        QCOMPARE(listed(code), listedAfter);
        QCOMPARE(m_store->isStale(), stale);
        QCOMPARE(m_store->meetings().size(), before + (listedAfter ? 0 : -1) + (change == "book"));
        QCOMPARE(m_store->updatedAt() == firstList, stale);
        if (stale) {
            // The next refresh on the timer is good again.
            QVERIFY(nextAnswer());
            QVERIFY(!m_store->isStale());
        }
    }

    // After failing to reach the service the store waits for the timer no
    // longer: the first answer of any request says the service is back.
    void serviceBackRefreshesAtOnce()
    {
        const QString serviceUrl = baseValues->serviceUrl;
        devservice::Server gone;
        QVERIFY(gone.start() > 0);
        baseValues->serviceUrl = QString::fromStdString(gone.serviceUrl());
        gone.stop();
        m_store->refresh();
        QVERIFY(nextAnswer());
        QVERIFY(m_store->isStale());

        baseValues->serviceUrl = serviceUrl;
        const int asked = queries();
        TmMtgCreateHttp other; // any request that gets an answer
        other.request(baseValues->tenantInfo, R"({"meetingType":1})");
        waitResult(&other, &TmMtgCreateHttp::sendTmMtgCreateResultSignal);
        QVERIFY(nextAnswer());
        QCOMPARE(queries(), asked + 1);
        QVERIFY(!m_store->isStale());
    }

    // Sign-out forgets the list; an answer still out belongs to nobody.
    void signOutForgetsTheList()
    {
        QSignalSpy changed(m_store, &MeetingStore::meetingsChanged);
        devservice::Fault slow;
        slow.delayMs = 300;
        m_server.setFault(queryPath, slow);
        m_store->refresh();
        m_store->stop();
        QCOMPARE(changed.count(), 1);
        QVERIFY(m_store->meetings().isEmpty());
        QVERIFY(!m_store->hasList());
        QTest::qWait(600);
        QCOMPARE(changed.count(), 1);
        QVERIFY(!m_store->hasList());
        m_store->refresh(); // not running: asks nothing
        QVERIFY(!m_store->isLoading());
    }

    void lookupsIgnoreTheDisplayForm()
    {
        const std::optional<MeetingRecord> byCode = m_store->byCode(QStringLiteral("482  915-736"));
        QVERIFY(byCode);
        QCOMPARE(byCode->meetingId, QStringLiteral("14502348210934758201"));
        QCOMPARE(m_store->byId(byCode->meetingId)->meetingCode, QStringLiteral("482915736"));
        QVERIFY(!m_store->byCode(QString()));
        QVERIFY(!m_store->byId(QStringLiteral("482915736")));
    }

    void actionsEndAsTheScreenShows_data()
    {
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("meeting");
        QTest::addColumn<bool>("refused"); // the service refuses the request
        QTest::addColumn<bool>("succeeded");
        QTest::addColumn<QString>("text"); // contained in the outcome's text
        const QString activityId = QStringLiteral("14502348210934758206");
        QTest::newRow("invitation") << Action::Invite << "482915736" << false << true
                                    << "会议号：482  915  736";
        QTest::newRow("invitation refused")
            << Action::Invite << "482915736" << true << false << "会议邀请信息取得失败";
        // No password lines: the join hint goes straight on to the dial-in block.
        QTest::newRow("invitation without password")
            << Action::Invite << "58213" << false << true
            << "会议号：582  "
               "13\n（打开PC端Vesk云会议或VeskAPP云会议模块，输入会议号即可加入会议）\n\n手机一键拨号入会\n";
        QTest::newRow("calendar text")
            << Action::CalendarText << "735102948" << false << true << "735  102  948";
        QTest::newRow("close") << Action::Close << "14502348210934758203" << false << true << "会议已关闭";
        QTest::newRow("close refused")
            << Action::Close << "14502348210934758203" << true << false << "模拟的服务错误";
        QTest::newRow("activity page")
            << Action::ActivityPage << activityId << false << true << "activityBasicInfor?activityId=";
        QTest::newRow("activity page refused")
            << Action::ActivityPage << activityId << true << false << "模拟的服务错误";
        // No activity: nothing opened, nothing to tell.
        QTest::newRow("activity page, none")
            << Action::ActivityPage << "14502348210934758201" << false << false << "";
    }
    void actionsEndAsTheScreenShows()
    {
        QFETCH(Action, action);
        QFETCH(QString, meeting);
        QFETCH(bool, refused);
        QFETCH(bool, succeeded);
        QFETCH(QString, text);
        baseValues->accessToken = QStringLiteral("ey+J&a=b"); // goes into the activity page's address
        if (refused) {
            devservice::Fault fault;
            fault.successFalse = true;
            for (const char *path : {"/service/tencent-meeting/meeting/invitationMessage",
                                     "/service/tencent-meeting/meeting/deleteMeeting",
                                     "/service/interact/activityManageApi/getActivityInfoByMeetingIds"})
                m_server.setFault(path, fault);
        }
        QSignalSpy finished(m_actions, &MeetingActions::finished);
        QSignalSpy changed(m_store, &MeetingStore::meetingsChanged);
        LogCapture log;
        const int asked = queries();
        switch (action) {
        case Action::Invite:
            m_actions->invite(meeting);
            break;
        case Action::CalendarText:
            m_actions->fetchCalendarText(meeting);
            break;
        case Action::Close:
            m_actions->close(meeting);
            break;
        case Action::ActivityPage:
            m_actions->openActivityPage(meeting);
            break;
        }
        QVERIFY(finished.wait(8000));
        const MeetingOutcome outcome = finished.first().first().value<MeetingOutcome>();
        QCOMPARE(int(outcome.action), int(action));
        QCOMPARE(outcome.succeeded, succeeded);
        QVERIFY2(outcome.text.contains(text), qPrintable(outcome.text));
        // A failed invitation is logged with the service's words, without their "error:" mark.
        const QStringList logged = log.lines().filter(QStringLiteral("会议邀请信息取得失败："));
        QCOMPARE(logged.size(), int(refused && action == Action::Invite));
        QVERIFY(logged.isEmpty() || logged.first() == QStringLiteral("会议邀请信息取得失败：模拟的服务错误"));
        QCOMPARE(m_urls.urls.size(), int(action == Action::ActivityPage && succeeded));
        if (!m_urls.urls.isEmpty()) {
            const QUrl url = m_urls.urls.first();
            QVERIFY(url.toString().startsWith(
                baseValues->serviceUrl +
                "ui/interact/backHome/activityManagementDetail/activityBasicInfor?"));
            const QUrlQuery query(url);
            QCOMPARE(query.queryItemValue("activityId", QUrl::FullyDecoded), QStringLiteral("ACT20260001"));
            QCOMPARE(query.queryItemValue("businessType"), QStringLiteral("01"));
            QVERIFY(query.hasQueryItem("fileViewPath"));
            QCOMPARE(query.queryItemValue("enterpriseAccessToken", QUrl::FullyDecoded),
                     baseValues->accessToken);
            QCOMPARE(query.queryItemValue("enterpriseApiUrl", QUrl::FullyDecoded), baseValues->interfaceUrl);
            QCOMPARE(query.queryItemValue("access_token", QUrl::FullyDecoded),
                     baseValues->gatewayAccessToken);
            QCOMPARE(query.queryItemValue("tenant_info", QUrl::FullyDecoded), baseValues->tenantInfo);
            QCOMPARE(query.queryItemValue("spm"), QStringLiteral("00.01.0035.0001"));
            QCOMPARE(query.queryItems().size(), 8);
        }
        if (action == Action::Close) {
            // Closed or not, the list is asked for again; a closed meeting leaves it.
            QTRY_COMPARE(queries(), asked + 1);
            QTRY_VERIFY(!m_store->isLoading());
            QCOMPARE(m_store->byId(meeting).has_value(), refused);
            QCOMPARE(changed.count(), int(!refused));
        }
    }

    void joinsEndAsTheScreenShows_data()
    {
        QTest::addColumn<QString>("road");   // "row", "quick", "link"
        QTest::addColumn<QString>("target"); // the row's number, the link's "key=value"
        QTest::addColumn<QString>("fault");  // "path|answer body" ("refuse" for a refusal)
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("joined"); // the number joined
        const QString create = "/service/tencent-meeting/meeting/createMeeting|";
        const QString ok = R"({"success":true,"errorCode":"0","result":%1})";
        QTest::newRow("list row") << "row"
                                  << "482915736"
                                  << "" << Kind::Joined << ""
                                  << "482915736";
        QTest::newRow("summary fails: joins all the same")
            << "row"
            << "482915736"
            << "/service/tencent-meeting/meeting/meetingSummary|500" << Kind::Joined << ""
            << "482915736";
        QTest::newRow("admitted activity meeting") << "row"
                                                   << "927461035"
                                                   << "" << Kind::Joined << ""
                                                   << "927461035";
        QTest::newRow("quick meeting") << "quick"
                                       << ""
                                       << "" << Kind::Joined << ""
                                       << "*";
        QTest::newRow("quick meeting refused") << "quick"
                                               << "" << create + "refuse" << Kind::Notice << "模拟的服务错误"
                                               << "";
        QTest::newRow("quick meeting: no number")
            << "quick"
            << "" << create + ok.arg(R"({"subject":"x"})") << Kind::Notice << "快速会议创建失败"
            << "";
        QTest::newRow("quick meeting: not a number")
            << "quick"
            << "" << create + ok.arg(R"("48291abc")") << Kind::Notice << "快速会议创建失败"
            << "";
        QTest::newRow("quick meeting: bare number")
            << "quick"
            << "" << create + ok.arg(R"("482915736")") << Kind::Joined << ""
            << "482915736";
        QTest::newRow("link with number") << "link"
                                          << "meetingCode=604185273"
                                          << "" << Kind::Joined << ""
                                          << "604185273";
        QTest::newRow("link without number") << "link"
                                             << "companycode=600888"
                                             << "" << Kind::Joined << ""
                                             << "*";
    }
    void joinsEndAsTheScreenShows()
    {
        QFETCH(QString, road);
        QFETCH(QString, target);
        QFETCH(QString, fault);
        QFETCH(Kind, kind);
        QFETCH(QString, text);
        QFETCH(QString, joined);
        if (!fault.isEmpty()) {
            devservice::Fault f;
            const QString answer = fault.section('|', 1);
            f.successFalse = answer == "refuse";
            f.httpStatus = answer == "500" ? 500 : 0;
            if (answer.startsWith('{'))
                f.body = answer.toStdString();
            m_server.setFault(fault.section('|', 0, 0).toStdString(), f);
        }
        QSignalSpy finished(m_actions, &MeetingActions::joinFinished);
        WemeetSim::clearCalls();
        const int asked = queries();
        if (road == "row") {
            m_actions->join(target);
        } else if (road == "quick") {
            m_actions->quickMeeting();
        } else {
            baseValues->linkInfo = {{target.section('=', 0, 0), target.section('=', 1)}};
            QCOMPARE(m_actions->followLink(), target.startsWith("meetingCode")
                                                  ? MeetingActions::LinkRequest::Join
                                                  : MeetingActions::LinkRequest::QuickMeeting);
            QVERIFY(baseValues->linkInfo.isEmpty());
        }
        QVERIFY(m_actions->isJoining());
        QVERIFY(finished.wait(8000));
        const JoinOutcome outcome = finished.first().first().value<JoinOutcome>();
        QCOMPARE(outcome.kind, kind);
        QCOMPARE(outcome.text, text);
        QCOMPARE(WemeetSim::calls().count(QStringLiteral("JoinMeeting")), int(!joined.isEmpty()));
        std::string createBody;
        for (const devservice::LoggedRequest &r : m_server.requests())
            if (r.path == "/service/tencent-meeting/meeting/createMeeting")
                createBody = r.body;
        const bool created = road == "quick" || target.startsWith("company");
        QCOMPARE(QByteArray::fromStdString(createBody),
                 created ? QByteArray(R"({"meetingType":1})") : QByteArray());
        if (kind != Kind::Joined)
            return;
        if (joined == "*") {
            // The new meeting is the user's own: the list is asked for at once and holds it.
            joined = WemeetSim::lastJoin().meetingCode;
            QTRY_COMPARE(queries(), asked + 1);
            QTRY_VERIFY(listed(joined));
        }
        QCOMPARE(WemeetSim::lastJoin().meetingCode, joined);
        QCOMPARE(baseValues->currentMeetingCode, joined);
        QCOMPARE(m_actions->meetingCode(), joined);
    }

    void linkForAnotherAccountJoinsNothing_data()
    {
        QTest::addColumn<QString>("company"); // "@same": the session's
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QString>("country");
        QTest::addColumn<bool>("refused");
        QTest::newRow("other company") << "000999"
                                       << "@same"
                                       << ""
                                       << "" << true;
        QTest::newRow("other user") << "@same"
                                    << "lina"
                                    << ""
                                    << "" << true;
        QTest::newRow("other phone and country") << ""
                                                 << ""
                                                 << "5551234"
                                                 << "+1" << true;
        QTest::newRow("other phone, same country") << "@same"
                                                   << "@same"
                                                   << "13900139001"
                                                   << "@same" << false;
        // Links name the account; the session's userName is the display name.
        QTest::newRow("account name instead of display name") << "@same" << account << ""
                                                              << "" << false;
    }
    void linkForAnotherAccountJoinsNothing()
    {
        QFETCH(QString, company);
        QFETCH(QString, user);
        QFETCH(QString, phone);
        QFETCH(QString, country);
        QFETCH(bool, refused);
        auto same = [](const QString &v, const QString &session) { return v == "@same" ? session : v; };
        baseValues->linkInfo = {{"companycode", same(company, baseValues->companyCode)},
                                {"username", same(user, baseValues->userName)},
                                {"meetingCode", "482915736"},
                                {"phone", phone},
                                {"mobileCountryCode", same(country, baseValues->mobileCountryCode)}};
        QSignalSpy finished(m_actions, &MeetingActions::joinFinished);
        QCOMPARE(m_actions->followLink(),
                 refused ? MeetingActions::LinkRequest::OtherAccount : MeetingActions::LinkRequest::Join);
        QVERIFY(baseValues->linkInfo.isEmpty());
        QCOMPARE(m_actions->followLink(), MeetingActions::LinkRequest::None);
        QCOMPARE(m_actions->isJoining(), !refused);
        if (!refused) {
            QVERIFY(finished.wait(8000));
            QCOMPARE(WemeetSim::lastJoin().meetingCode, QStringLiteral("482915736"));
        }
    }
};

QTEST_MAIN(TestMeetingSession)
#include "tst_meetingsession.moc"
