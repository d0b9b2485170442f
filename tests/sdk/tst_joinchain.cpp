// One join from start to end against the stand-in service and the Meeting
// SDK simulator, without a screen: every step's success and every failure a
// joining screen shows, and what went over the wire on the way.

#include "sdktestsupport.h"

#include "app/uitexts.h"
#include "app/waits.h"
#include "http/servicetokenhttp.h"
#include "http/tmsdkinfohttp.h"
#include "sdk/joinchain.h"

#include <QScopedValueRollback>
#include <QStandardPaths>
#include <QTest>
#include <QUrl>

using Kind = JoinOutcome::Kind;
Q_DECLARE_METATYPE(JoinOutcome::Kind)

namespace {

const QString summaryPath = QStringLiteral("/service/tencent-meeting/meeting/meetingSummary");
const QString tokenPath = QStringLiteral("/service/tencent-meeting/user/token");
const QString approvePath = QStringLiteral("/service/tencent-meeting/activity/checkActivityApprove");

} // namespace

class TestJoinChain : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_server.start() > 0);
    }

    void init()
    {
        QCOMPARE(freshSessionWithServiceToken(m_server), QString());
        TmSDKInfoHttp info;
        info.request();
        QCOMPARE(testsupport::waitResult(&info, &TmSDKInfoHttp::sendTmSdkInfoResultSignal), QString());
        m_server.clearRequests();
        m_server.clearFaults();
    }

    void endsAsTheScreenMustShow_data()
    {
        QTest::addColumn<bool>("member");
        QTest::addColumn<QString>("meetingCode");
        QTest::addColumn<QString>("telephone");
        QTest::addColumn<QString>("sdkScript");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("text"); // "*": any text; "a", "s": a registration or signature page
        QTest::addColumn<QStringList>("wire");
        const QStringList summaryOnly{summaryPath};
        const QStringList admission{summaryPath, approvePath};
        const QStringList token{tokenPath};
        const auto row = [](const char *name, bool member, const char *code, const char *phone,
                            const char *script, Kind kind, const QString &text, const QStringList &wire) {
            QTest::newRow(name) << member << QString(code) << QString(phone) << QString(script) << kind
                                << text << wire;
        };
        const QString failed = UiText::joinSignInFailed;
        row("member, plain meeting", true, "482915736", "", "", Kind::Joined, "", summaryOnly);
        row("member, admitted to the activity", true, "927461035", "13800138000", "", Kind::Joined, "",
            admission);
        row("member must register", true, "927461035", "13900139001", "", Kind::Approve, "a", admission);
        row("member, code 001", true, "618203947", "13800138000", "", Kind::Approve, "a", admission);
        row("member must sign", true, "927461035", "13600136003", "", Kind::Approve, "s", admission);
        row("member, code 006", true, "618203958", "13800138000", "", Kind::Approve, "s", admission);
        row("member not on the list", true, "618203969", "13800138000", "", Kind::Refused,
            UiText::notOnParticipantList, admission);
        row("member, meeting expired", true, "618203970", "13800138000", "", Kind::Refused,
            UiText::meetingNoExpired, admission);
        row("member, join refused", true, "482915736", "", "join_fail=会议不存在", Kind::JoinFailed,
            "会议不存在", summaryOnly);
        row("guest joins", false, "482915736", "", "", Kind::Joined, "", token);
        row("guest must verify a phone", false, "729364051", "", "", Kind::VerifyPhone, "", token);
        row("guest not let in", false, "729364062", "", "", Kind::MembersOnly, UiText::guestsNotAdmitted,
            token);
        row("guest, no such meeting", false, "999999999", "", "", Kind::Notice, "*", token);
        row("guest, initialisation fails", false, "482915736", "", "init_fail=x", Kind::Notice, failed,
            token);
        row("guest, sign-in refused", false, "482915736", "", "login_fail=x", Kind::Notice, failed, token);
        row("guest, SDK never answers", false, "482915736", "", "delay_ms=600000", Kind::Notice, failed,
            token);
        row("guest, join refused", false, "482915736", "", "join_fail=会议已锁定", Kind::JoinFailed,
            "会议已锁定", token);
    }

    void endsAsTheScreenMustShow()
    {
        QFETCH(bool, member);
        QFETCH(QString, meetingCode);
        QFETCH(QString, telephone);
        QFETCH(QString, sdkScript);
        QFETCH(Kind, kind);
        QFETCH(QString, text);
        QFETCH(QStringList, wire);
        QScopedValueRollback<int> sdkWait(Waits::sdkResponseMs, 300);
        if (member) {
            QVERIFY(initializeSdk());
            baseValues->ssoUrl = QStringLiteral("https://sso.example/login?token=");
            baseValues->idToken = QStringLiteral("id-token");
            QCOMPARE(sdkLoginResult(), QString());
            baseValues->signedIn = true;
            baseValues->telephone = telephone;
            baseValues->mobileCountryCode = QStringLiteral("+86");
        }
        WemeetSim::applyScript(sdkScript);

        JoinChain chain;
        QSignalSpy finished(&chain, &JoinChain::finished);
        const JoinChain::Meeting meeting{meetingCode, QStringLiteral("访客甲"), true, false};
        if (member)
            chain.joinAsMember(meeting);
        else
            chain.joinAsGuest(meeting, QString(), QString());
        QVERIFY(finished.wait(Waits::requestTimeoutMs + 3000));
        const auto outcome = finished.first().first().value<JoinOutcome>();
        QCOMPARE(outcome.kind, kind);
        if (text == QLatin1String("*"))
            QVERIFY(!outcome.text.isEmpty());
        else if (text.size() == 1)
            QCOMPARE(QUrl(outcome.text).path().section(QLatin1Char('/'), 1, 1), text);
        else
            QCOMPARE(outcome.text, text);
        QVERIFY(!chain.isRunning());

        QStringList sent;
        for (const devservice::LoggedRequest &r : m_server.requests())
            sent << QString::fromStdString(r.path);
        QCOMPARE(sent, wire);
        const bool asked = kind == Kind::Joined || kind == Kind::JoinFailed;
        QCOMPARE(WemeetSim::calls().count(QStringLiteral("JoinMeeting")), asked ? 1 : 0);
        if (kind == Kind::Joined) {
            QCOMPARE(WemeetSim::lastJoin().meetingCode, meetingCode);
            QVERIFY(WemeetSim::lastJoin().micOn);
            QCOMPARE(WeMeetManager::instance()->state(), WeMeetManager::InMeeting);
        }
        // A guest's refused join leaves no guest signed in behind the start screen.
        if (kind == Kind::JoinFailed && !member)
            QTRY_COMPARE(WemeetSim::phase(), WemeetSim::Phase::Initialized);
        QCOMPARE(finished.count(), 1);
    }

    // The admission window's and the phone check's own readings of one answer.
    void checksOnTheirOwnSayWhatIsMissing()
    {
        JoinChain chain;
        QSignalSpy finished(&chain, &JoinChain::finished);
        chain.checkAdmission(QStringLiteral("14502348210934758206"), QStringLiteral("13900139001"),
                             QStringLiteral("+86"));
        QVERIFY(finished.wait(Waits::requestTimeoutMs + 2000));
        JoinOutcome outcome = finished.takeFirst().first().value<JoinOutcome>();
        QCOMPARE(outcome.kind, Kind::Notice);
        QCOMPARE(outcome.text, QStringLiteral("请先扫码完成所有入会验证！"));

        chain.checkAdmission(QStringLiteral("14502348210934758206"), QStringLiteral("13800138000"),
                             QStringLiteral("+86"));
        QVERIFY(finished.wait(Waits::requestTimeoutMs + 2000));
        QCOMPARE(finished.takeFirst().first().value<JoinOutcome>().kind, Kind::Admitted);

        // A wrong SMS code is the service's word, not a refused admission.
        chain.verifyGuest(QStringLiteral("729364051"), QStringLiteral("访客甲"),
                          QStringLiteral("13800138000"), QStringLiteral("+86"), QStringLiteral("000000"));
        QVERIFY(finished.wait(Waits::requestTimeoutMs + 2000));
        outcome = finished.takeFirst().first().value<JoinOutcome>();
        QCOMPARE(outcome.kind, Kind::Notice);
        QCOMPARE(outcome.text, QStringLiteral("验证码错误或已失效"));
    }

    // Closing while the Meeting SDK works on the join: a late answer finds
    // nobody waiting, and a guest is signed out again.
    void abandonedJoinIsUndone()
    {
        WemeetSim::setCallbackDelayMs(200);
        JoinChain chain;
        QSignalSpy finished(&chain, &JoinChain::finished);
        QSignalSpy joining(&chain, &JoinChain::joining);
        chain.joinAsGuest({QStringLiteral("482915736"), QStringLiteral("访客甲"), false, false}, QString(),
                          QString());
        QVERIFY(joining.wait(Waits::requestTimeoutMs + 3000));
        QCOMPARE(WeMeetManager::instance()->state(), WeMeetManager::Joining);
        QSignalSpy sdkAnswer(WeMeetManager::instance(), &WeMeetManager::OnJoinMeetingFinishSignal);
        QVERIFY(chain.abandon());
        QVERIFY(baseValues->pendingMeetingCode.isEmpty());
        QVERIFY(!chain.abandon());
        QTRY_COMPARE(WemeetSim::phase(), WemeetSim::Phase::Initialized);
        if (sdkAnswer.isEmpty())
            QVERIFY(sdkAnswer.wait(2000));
        QCOMPARE(finished.count(), 0);
    }

private:
    devservice::Server m_server;
};

QTEST_MAIN(TestJoinChain)
#include "tst_joinchain.moc"
