#include "jointestsupport.h"

#include "meetingtestsupport.h"

#include "app/uitexts.h"
#include "meeting/homescreen.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QScopedValueRollback>
#include <QUrlQuery>

using namespace jointest;

// Phone verification and activity admission, as a guest over the start
// screen and signed in over the home screen.
class ActivityAdmissionTest : public QObject
{
    Q_OBJECT

private:
    devservice::Server m_server;

    // A guest asks to join; the meeting wants a verified phone.
    PhoneNumberVerify *verificationFor(const QString &code)
    {
        JoinMeeting *dialog = openJoinFromStartScreen();
        if (!dialog)
            return nullptr;
        fillAndJoin(formOf(dialog), code, QStringLiteral("访客A"));
        QElapsedTimer timer;
        timer.start();
        while (!visibleTopLevel<PhoneNumberVerify>() && timer.elapsed() < 8000)
            QTest::qWait(10);
        return visibleTopLevel<PhoneNumberVerify>();
    }
    // Number, SMS code and "确定", as the user does it.
    bool verifyPhone(PhoneNumberVerify *verify, const QString &phone)
    {
        auto *number = verify->findChild<QLineEdit *>(QStringLiteral("underlinePaddingQLineEdit"));
        number->clear();
        typeText(number, phone);
        QTest::mouseClick(childWithText<QPushButton>(verify, QStringLiteral("获取验证码")), Qt::LeftButton);
        QElapsedTimer timer;
        timer.start();
        while (!noticeTexts().contains(QStringLiteral("手机验证码已发送")) && timer.elapsed() < 5000)
            QTest::qWait(10);
        const QString sms = QString::fromStdString(m_server.lastSmsCode(phone.toStdString()));
        if (sms.isEmpty())
            return false;
        typeText(verify->findChild<QLineEdit *>(QStringLiteral("underlineQLineEdit")), sms);
        auto *confirm = childWithText<QPushButton>(verify, QStringLiteral("确定"));
        if (!confirm->isEnabled())
            return false;
        QTest::mouseClick(confirm, Qt::LeftButton);
        return true;
    }
    HomeScreen *signedInHome()
    {
        if (!meetingtest::signIn())
            return nullptr;
        HomeScreen *home = Navigator::instance()->showHomeScreen(nullptr);
        return meetingtest::waitHomeLoaded(home) ? home : nullptr;
    }
    static void openInBrowser(const QString &url)
    {
        QNetworkAccessManager network;
        QNetworkReply *reply = network.get(QNetworkRequest(QUrl(url)));
        QSignalSpy done(reply, &QNetworkReply::finished);
        QVERIFY(done.wait(5000));
        QCOMPARE(reply->error(), QNetworkReply::NoError);
        reply->deleteLater();
    }
    // What the admission check ended in, as the user sees it.
    static QString outcomeSeen(const std::shared_ptr<DialogAnswer> &answer)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 8000) {
            if (ActivityApprove *approve = visibleTopLevel<ActivityApprove>())
                return QStringLiteral("approve:") + QUrl(approve->url()).path().section('/', 1, 1);
            if (answer->answered)
                return QStringLiteral("message:") + answer->message;
            if (WeMeetManager::instance()->state() == 4)
                return QStringLiteral("joined:") + WemeetSim::lastJoin().meetingCode;
            QTest::qWait(10);
        }
        return QStringLiteral("nothing");
    }

private slots:
    void initTestCase() { QVERIFY(startJoinTests(m_server)); }
    void init() { QVERIFY(freshJoinTest(m_server)); }
    void cleanup() { endJoinTest(); }

    void guestVerifiesPhoneThenAdmission_data()
    {
        QTest::addColumn<QString>("meeting");
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QString>("outcome");
        const auto row = [](const char *name, const char *meeting, const char *phone,
                            const QString &outcome) {
            QTest::newRow(name) << QString(meeting) << QString(phone) << outcome;
        };
        row("admitted joins", "927461035", "13800138000", "joined:927461035");
        row("registration missing", "927461035", "13900139001", "approve:a");
        row("letter not signed", "927461035", "13600136003", "approve:s");
        row("not on the list", "927461035", "13700000001", "message:" + UiText::notOnParticipantList);
        row("meeting expired", "300418592", "13800138000", "message:" + UiText::meetingNoExpired);
        row("verification only, no activity", "729364051", "13300133005", "joined:729364051");
    }
    void guestVerifiesPhoneThenAdmission()
    {
        QFETCH(QString, meeting);
        QFETCH(QString, phone);
        QFETCH(QString, outcome);
        QPointer<PhoneNumberVerify> verify = verificationFor(meeting);
        QVERIFY(verify);
        QCOMPARE(verify->findChild<QLineEdit *>(QStringLiteral("noBorderQLineEdit"))->text(),
                 QStringLiteral("86"));
        auto answer = answerNextDialog();
        QVERIFY(verifyPhone(verify, phone));
        QCOMPARE(outcomeSeen(answer), outcome);
        // A refusal leaves the window for another number; anything else closes it.
        QTRY_COMPARE(!verify.isNull(), outcome.startsWith(QLatin1String("message:")));

        const QList<devservice::LoggedRequest> sms = requestsTo(m_server, smsPath);
        QCOMPARE(sms.size(), 1);
        const QUrlQuery smsQuery(QString::fromStdString(sms.first().query));
        QCOMPARE(smsQuery.queryItemValue("telephone"), phone);
        QVERIFY(
            QString::fromStdString(sms.first().query).contains(QStringLiteral("mobileCountryCode=%2B86")));
        const QList<devservice::LoggedRequest> tokens = requestsTo(m_server, tokenPath);
        QCOMPARE(tokens.size(), 2);
        const QJsonObject verified = jsonBody(tokens.last());
        QCOMPARE(verified.value("telephone").toString(), phone);
        QCOMPARE(verified.value("mobileCountryCode").toString(), QStringLiteral("+86"));
        QCOMPARE(verified.value("verifyCode").toString(),
                 QString::fromStdString(m_server.lastSmsCode(phone.toStdString())));
        QCOMPARE(verified.value("meetingCode").toString(), meeting);
        const QJsonObject approval = jsonBody(requestsTo(m_server, approvePath).first());
        QCOMPARE(approval.value("telephone").toString(), phone);
        QCOMPARE(approval.value("mobileCountryCode").toString(), QStringLiteral("+86"));
    }

    // Only the link's phone is offered, never the one an earlier user left
    // in the session: one click on "获取验证码" would text a stranger.
    void verificationStartsFromTheLinkPhoneOnly_data()
    {
        QTest::addColumn<bool>("link");
        QTest::newRow("launch link") << true;
        QTest::newRow("typed by hand") << false;
    }
    void verificationStartsFromTheLinkPhoneOnly()
    {
        QFETCH(bool, link);
        baseValues->telephone = QStringLiteral("13800138000");
        baseValues->mobileCountryCode = QStringLiteral("+86");
        PhoneNumberVerify *verify = nullptr;
        if (link) {
            QVERIFY(openStartScreen());
            baseValues->linkInfo = {{"meetingCode", QStringLiteral("927461035")},
                                    {"name", QStringLiteral("访客A")},
                                    {"phone", QStringLiteral("13900139001")},
                                    {"mobileCountryCode", QStringLiteral("+852")}};
            emit WeMeetManager::instance()->linkJoinMeetingSignal();
            QTRY_VERIFY(verify = visibleTopLevel<PhoneNumberVerify>());
        } else {
            QVERIFY(verify = verificationFor(QStringLiteral("729364051")));
        }
        QCOMPARE(verify->findChild<QLineEdit *>(QStringLiteral("noBorderQLineEdit"))->text(),
                 link ? QStringLiteral("852") : QStringLiteral("86"));
        QCOMPARE(verify->findChild<QLineEdit *>(QStringLiteral("underlinePaddingQLineEdit"))->text(),
                 link ? QStringLiteral("13900139001") : QString());
        if (!link)
            return;
        QTest::mouseClick(childWithText<QPushButton>(verify, QStringLiteral("获取验证码")), Qt::LeftButton);
        QTRY_COMPARE(requestsTo(m_server, smsPath).size(), 1);
        QVERIFY(QString::fromStdString(requestsTo(m_server, smsPath).first().query)
                    .contains(QStringLiteral("mobileCountryCode=%2B852")));
        QVERIFY(!childWithText<QPushButton>(verify, QStringLiteral("获取验证码"))->isEnabled());
    }

    void verificationCountsDownTheSmsButton()
    {
        QScopedValueRollback<int> tick(Waits::verifyCodeTickMs, 200);
        PhoneNumberVerify *verify = verificationFor(QStringLiteral("927461035"));
        QVERIFY(verify);
        typeText(verify->findChild<QLineEdit *>(QStringLiteral("underlinePaddingQLineEdit")),
                 QStringLiteral("13600136003"));
        auto *sms = childWithText<QPushButton>(verify, QStringLiteral("获取验证码"));
        QTest::mouseClick(sms, Qt::LeftButton);
        QVERIFY(!sms->isEnabled());
        QTRY_COMPARE(sms->text(), QStringLiteral("60秒后重发"));
        QTRY_COMPARE(sms->text(), QStringLiteral("59秒后重发"));
        QVERIFY(!sms->isEnabled());
    }

    void verificationWaitEndsWithoutAnAnswer()
    {
        QScopedValueRollback<int> fallback(Waits::spinnerFallbackMs, 300);
        PhoneNumberVerify *verify = verificationFor(QStringLiteral("927461035"));
        QVERIFY(verify);
        devservice::Fault slow;
        slow.delayMs = 3000; // answered, but long after the busy indicator gives up
        m_server.setFault(tokenPath, slow);
        QVERIFY(verifyPhone(verify, QStringLiteral("13600136003")));
        QVERIFY(!verify->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(verify->isEnabled(), 2000);
        QVERIFY(!visibleTopLevel<ActivityApprove>());
    }

    void admissionWindowWaitsForTheStepsThenJoins()
    {
        QPointer<PhoneNumberVerify> verify = verificationFor(QStringLiteral("927461035"));
        QVERIFY(verify);
        QVERIFY(verifyPhone(verify, QStringLiteral("13600136003")));
        QTRY_VERIFY(visibleTopLevel<ActivityApprove>());
        QPointer<ActivityApprove> approve = visibleTopLevel<ActivityApprove>();
        QVERIFY(approve->url().contains(QStringLiteral("/s/")));
        auto *qr = approve->findChild<QLabel *>(QStringLiteral("lblQRCode"));
        QVERIFY(qr && !qr->pixmap(Qt::ReturnByValue).isNull());
        // Over the join dialog, which waits beneath.
        QVERIFY(visibleTopLevel<JoinMeeting>());

        auto *join = childWithText<QPushButton>(approve, QStringLiteral("加入会议"));
        QTest::mouseClick(join, Qt::LeftButton);
        QTRY_VERIFY(noticeTexts().contains(QStringLiteral("请先扫码完成所有入会验证！")));
        QVERIFY(approve && approve->isVisible() && approve->isEnabled());

        openInBrowser(approve->url()); // what scanning the code does
        QTest::mouseClick(join, Qt::LeftButton);
        QTRY_VERIFY(!approve);
        QTRY_COMPARE(WeMeetManager::instance()->state(), 4);
        QCOMPARE(WemeetSim::lastJoin().meetingCode, QStringLiteral("927461035"));
        QCOMPARE(WemeetSim::lastJoin().nickname, QStringLiteral("访客A"));
    }

    void signedInAdmission_data()
    {
        QTest::addColumn<QString>("via");
        QTest::addColumn<QString>("meeting");
        QTest::addColumn<bool>("refuseByService");
        QTest::addColumn<QString>("outcome");
        const auto row = [](const char *name, const char *via, const char *meeting, bool refuse,
                            const QString &outcome) {
            QTest::newRow(name) << QString(via) << QString(meeting) << refuse << outcome;
        };
        row("dialog, admitted", "dialog", "927461035", false, "joined:927461035");
        row("dialog, registration missing", "dialog", "519370284", false, "approve:a");
        row("dialog, code 006", "dialog", "618203958", false, "approve:s");
        row("dialog, meeting expired", "dialog", "300418592", false, "message:" + UiText::meetingNoExpired);
        row("dialog, other refusal", "dialog", "927461035", true, "message:" + UiText::admissionFailed);
        row("list, registration missing", "list", "519370284", false, "approve:a");
        row("list, other refusal", "list", "927461035", true, "message:" + UiText::admissionFailed);
    }
    void signedInAdmission()
    {
        QFETCH(QString, via);
        QFETCH(QString, meeting);
        QFETCH(bool, refuseByService);
        QFETCH(QString, outcome);
        HomeScreen *home = signedInHome();
        QVERIFY(home);
        QPointer<HomeScreen> guard(home);
        if (refuseByService) {
            devservice::Fault refuse;
            refuse.successFalse = true;
            m_server.setFault(approvePath, refuse);
        }
        LogCapture log;
        auto answer = answerNextDialog();
        if (via == QLatin1String("dialog")) {
            JoinMeeting *dialog = clickJoinOn(home, QStringLiteral("btnMtgJoin"));
            QVERIFY(dialog);
            fillAndJoin(formOf(dialog), meeting, QStringLiteral("张伟"));
        } else {
            home->joinMeetingSlot(meeting);
        }
        QCOMPARE(outcomeSeen(answer), outcome);
        if (refuseByService)
            QVERIFY(log.contains(QStringLiteral("入会认证失败，error：500")));
        const QList<devservice::LoggedRequest> approvals = requestsTo(m_server, approvePath);
        QVERIFY(!approvals.isEmpty());
        QCOMPARE(jsonBody(approvals.first()).value("telephone").toString(), QStringLiteral("13800138000"));
        // Joined: the home screen made way; refused: it stays for the next try.
        QTRY_COMPARE(guard && guard->isVisible(), !outcome.startsWith(QLatin1String("joined")));
    }

    void signedInJoinEndsKeepOrCloseTheHomeScreen_data()
    {
        QTest::addColumn<QString>("end");
        QTest::addColumn<bool>("homeStays");
        QTest::newRow("join fails") << "fail" << true;
        QTest::newRow("forced out") << "forced" << false;
    }
    void signedInJoinEndsKeepOrCloseTheHomeScreen()
    {
        QFETCH(QString, end);
        QFETCH(bool, homeStays);
        QPointer<HomeScreen> home = signedInHome();
        QVERIFY(home);
        QPointer<JoinMeeting> dialog = clickJoinOn(home, QStringLiteral("btnMtgJoin"));
        QVERIFY(dialog);
        if (end == QLatin1String("fail")) {
            WemeetSim::setJoinFailure(QStringLiteral("会议已锁定"));
            fillAndJoin(formOf(dialog), QStringLiteral("482915736"), QStringLiteral("张伟"));
            QTRY_VERIFY(noticeTexts().contains(QStringLiteral("会议已锁定")));
        } else {
            QVERIFY(WemeetSim::triggerForcedLogout());
        }
        QTRY_VERIFY(!dialog);
        QTest::qWait(50);
        QCOMPARE(home && home->isVisible(), homeStays);
        if (homeStays) {
            QVERIFY(home->isEnabled());
            QCOMPARE(WeMeetManager::instance()->state(), 2); // still signed in
        }
    }
};

QTEST_MAIN(ActivityAdmissionTest)
#include "tst_activityadmission.moc"
