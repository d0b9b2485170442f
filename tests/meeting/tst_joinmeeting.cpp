#include "jointestsupport.h"

#include "meetingtestsupport.h"

#include "meeting/homescreen.h"

#include "widgets/waitingspinnerwidget.h"

#include "meeting/invitationtext.h"

#include <QClipboard>
#include <QDate>
#include <QGuiApplication>
#include <QJsonObject>
#include <QScopedValueRollback>

using namespace jointest;

// The join dialog over the start screen, driven as a guest would.
class JoinMeetingTest : public QObject
{
    Q_OBJECT

private:
    devservice::Server m_server;

    static JoinMeeting *openFromStartScreen() { return openJoinFromStartScreen(); }
    // Guest join until the Meeting SDK has the meeting.
    bool joinAsGuest(const QString &code, const QString &nickname = QStringLiteral("访客A"))
    {
        JoinMeeting *dialog = openFromStartScreen();
        if (!dialog)
            return false;
        QPointer<JoinMeeting> guard(dialog);
        fillAndJoin(formOf(dialog), code, nickname);
        QElapsedTimer timer;
        timer.start();
        while ((guard || WeMeetManager::instance()->state() != 4) && timer.elapsed() < 8000)
            QTest::qWait(10);
        return WeMeetManager::instance()->state() == 4;
    }
    MainWindow *startWithCoordinator()
    {
        MainWindow *window = newCoordinator();
        QElapsedTimer timer;
        timer.start();
        while (WeMeetManager::instance()->state() < 1 && timer.elapsed() < 8000)
            QTest::qWait(10);
        return window;
    }

private slots:
    void initTestCase() { QVERIFY(startJoinTests(m_server)); }
    void init() { QVERIFY(freshJoinTest(m_server)); }
    void cleanup() { endJoinTest(); }

    void meetingNumberIsFilteredAndGrouped_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("pasted");
        QTest::addColumn<QString>("shown");
        QTest::newRow("dash and blank dropped") << "123-456 789" << false << "123  456  789";
        QTest::newRow("letter restores the text before") << "12a" << false << "12";
        QTest::newRow("13th digit refused") << "1234567890123" << false << "1234  5678  9012";
        QTest::newRow("five digits") << "12345" << false << "123  45";
        QTest::newRow("ten digits") << "1234567890" << false << "123  456  7890";
        QTest::newRow("eleven digits") << "12345678901" << false << "123  4567  8901";
        QTest::newRow("text before full-width colon dropped")
            << "会议号：482-915-736" << true << "482  915  736";
        QTest::newRow("pasted letters keep the old text") << "abc" << true << "";
    }
    void meetingNumberIsFilteredAndGrouped()
    {
        QFETCH(QString, input);
        QFETCH(bool, pasted);
        QFETCH(QString, shown);
        JoinMeeting *dialog = openFromStartScreen();
        QVERIFY(dialog);
        QLineEdit *edit = formOf(dialog).number->lineEdit();
        if (pasted)
            edit->insert(input);
        else
            typeText(edit, input);
        QCOMPARE(edit->text(), shown);
    }

    void joinIsRefusedBeforeAnyRequest_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("nickname");
        QTest::addColumn<QString>("notice");
        QTest::newRow("no number") << ""
                                   << "访客A"
                                   << "请输入会议号";
        QTest::newRow("ten digits") << "4829157360"
                                    << "访客A"
                                    << "当前会议号无效";
        QTest::newRow("no nickname") << "482915736"
                                     << ""
                                     << "请输入您的昵称";
    }
    void joinIsRefusedBeforeAnyRequest()
    {
        QFETCH(QString, number);
        QFETCH(QString, nickname);
        QFETCH(QString, notice);
        JoinMeeting *dialog = openFromStartScreen();
        QVERIFY(dialog);
        fillAndJoin(formOf(dialog), number, nickname);
        QTRY_VERIFY(noticeTexts().contains(notice));
        QVERIFY(dialog->isVisible());
        QVERIFY(requestsTo(m_server, tokenPath).isEmpty());
    }

    void guestJoinSendsTokenAndRemembersChoices_data()
    {
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QString>("countryCode");
        QTest::newRow("typed, no phone") << ""
                                         << "";
        QTest::newRow("link with phone") << "13300133005"
                                         << "+86";
    }
    void guestJoinSendsTokenAndRemembersChoices()
    {
        QFETCH(QString, phone);
        QFETCH(QString, countryCode);
        const QString code = QStringLiteral("482915736");
        if (phone.isEmpty()) {
            JoinMeeting *dialog = openFromStartScreen();
            QVERIFY(dialog);
            const JoinForm form = formOf(dialog);
            QVERIFY(form.complete());
            form.mic->setChecked(false);
            form.camera->setChecked(true);
            fillAndJoin(form, code, QStringLiteral("访客A"));
        } else {
            SplashSelect *splash = openStartScreen();
            QVERIFY(splash);
            baseValues->linkInfo = {{"meetingCode", code},
                                    {"name", QStringLiteral("访客A")},
                                    {"phone", phone},
                                    {"mobileCountryCode", countryCode}};
            emit WeMeetManager::instance()->linkJoinMeetingSignal();
        }
        QTRY_COMPARE_WITH_TIMEOUT(WeMeetManager::instance()->state(), 4, 8000);
        QTRY_VERIFY(visibleTopLevels<JoinMeeting>().isEmpty());

        const QList<devservice::LoggedRequest> tokens = requestsTo(m_server, tokenPath);
        QCOMPARE(tokens.size(), 1);
        const QJsonObject body = jsonBody(tokens.first());
        QCOMPARE(body.value("accountType").toString(), QStringLiteral("2"));
        QCOMPARE(body.value("serialNo").toString(), baseValues->serialNo);
        QCOMPARE(body.value("meetingCode").toString(), code);
        QCOMPARE(body.value("nickName").toString(), QStringLiteral("访客A"));
        QCOMPARE(body.contains("telephone"), !phone.isEmpty());
        QCOMPARE(body.value("telephone").toString(), phone);
        QCOMPARE(body.value("mobileCountryCode").toString(), countryCode);
        QVERIFY(!body.contains("verifyCode"));

        const WemeetSim::JoinRecord join = WemeetSim::lastJoin();
        QCOMPARE(join.meetingCode, code);
        QCOMPARE(join.nickname, QStringLiteral("访客A"));
        QVERIFY(!join.joinUrl.isEmpty());
        QSettings stored(userDatPath(), QSettings::IniFormat);
        stored.setIniCodec("UTF-8");
        QCOMPARE(stored.value("/USERINFO/NICKNAME").toString(), QStringLiteral("访客A"));
        QCOMPARE(historyCodes(), QStringList{code});
        if (phone.isEmpty()) {
            QVERIFY(!join.micOn);
            QVERIFY(join.cameraOn);
            QCOMPARE(stored.value("/MEETINGINFO/MICON").toString(), QStringLiteral("False"));
            QCOMPARE(stored.value("/MEETINGINFO/CAMERAON").toString(), QStringLiteral("True"));
        }
        // Joined: the start screen made way for the meeting.
        QTRY_VERIFY(visibleTopLevels<SplashSelect>().isEmpty());
    }

    void linkWithoutNicknameWaitsForTheUser()
    {
        SplashSelect *splash = openStartScreen();
        QVERIFY(splash);
        splash->move(120, 80);
        baseValues->linkInfo = {{"meetingCode", QStringLiteral("482915736")}};
        emit WeMeetManager::instance()->linkJoinMeetingSignal();
        JoinMeeting *dialog = visibleTopLevel<JoinMeeting>();
        QVERIFY(dialog);
        QCOMPARE(dialog->pos(), splash->pos());
        QCOMPARE(formOf(dialog).number->currentText(), QStringLiteral("482  915  736"));
        // A join would have started at once and made the dialog busy.
        QVERIFY(dialog->isEnabled());
        // The user's own click then sends the one guest token request.
        typeText(formOf(dialog).nickname, QStringLiteral("访客B"));
        QTest::mouseClick(formOf(dialog).join, Qt::LeftButton);
        QTRY_COMPARE(requestsTo(m_server, tokenPath).size(), 1);
        QCOMPARE(jsonBody(requestsTo(m_server, tokenPath).first()).value("nickName").toString(),
                 QStringLiteral("访客B"));
    }

    void historyKeepsFiveNewestFirst_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("joined");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("same meeting moves to the top")
            << QStringList{"111111111", "482915736", "222222222"} << "482915736"
            << QStringList{"482915736", "111111111", "222222222"};
        QTest::newRow("sixth pushes out the oldest")
            << QStringList{"111111111", "222222222", "333333333", "444444444", "555555555"} << "482915736"
            << QStringList{"482915736", "111111111", "222222222", "333333333", "444444444"};
    }
    void historyKeepsFiveNewestFirst()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, joined);
        QFETCH(QStringList, after);
        QList<QPair<QString, QString>> entries;
        for (int i = 0; i < before.size(); ++i)
            entries << qMakePair(before.at(i), QStringLiteral("2026010%1120000000").arg(9 - i));
        writeHistory(entries);
        QVERIFY(joinAsGuest(joined));
        QCOMPARE(historyCodes(), after);
    }

    void handEditedHistoryShowsTheFiveNewest()
    {
        QList<QPair<QString, QString>> entries;
        for (int i = 1; i <= 7; ++i)
            entries << qMakePair(QString(9, QChar('0' + i)), QStringLiteral("2026010%1090000000").arg(i));
        writeHistory(entries);
        JoinMeeting *dialog = openFromStartScreen();
        QVERIFY(dialog);
        QComboBox *combo = formOf(dialog).number;
        QCOMPARE(combo->count(), 6); // five meetings and "清空记录"
        QCOMPARE(combo->itemText(0), QStringLiteral("777  777  777"));
        QCOMPARE(combo->itemText(4), QStringLiteral("333  333  333"));
    }

    void historyDropDownShowsRecentMeetings_data()
    {
        QTest::addColumn<int>("daysAgo");
        QTest::addColumn<int>("currentRow");
        QTest::newRow("joined today") << 0 << 0;
        QTest::newRow("joined yesterday") << 1 << -1;
    }
    void historyDropDownShowsRecentMeetings()
    {
        QFETCH(int, daysAgo);
        QFETCH(int, currentRow);
        const QString newest = QDate::currentDate().addDays(-daysAgo).toString("yyyyMMdd") + "093000000";
        // Written out of order: the drop-down sorts by time.
        writeHistory({{"604185273", "20260101090000000"}, {"482915736", newest}});
        JoinMeeting *dialog = openFromStartScreen();
        QVERIFY(dialog);
        QComboBox *combo = formOf(dialog).number;
        QCOMPARE(combo->count(), 3); // two meetings and "清空记录"
        QCOMPARE(combo->itemText(0), QStringLiteral("482  915  736"));
        QCOMPARE(combo->itemText(1), QStringLiteral("604  185  273"));
        QCOMPARE(combo->currentIndex(), currentRow);
        QVERIFY(combo->currentText().isEmpty());

        combo->showPopup();
        // "×" forgets only its own row.
        const auto removes =
            combo->view()->findChildren<QPushButton *>(QStringLiteral("removeHistoryQPushButton"));
        QCOMPARE(removes.size(), 2);
        QTest::mouseClick(removes.at(1), Qt::LeftButton);
        QTRY_COMPARE(historyCodes(), QStringList{"482915736"});
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->itemText(0), QStringLiteral("482  915  736"));
        QVERIFY(combo->currentText().isEmpty());
        // "清空记录" asks first; a number being typed stays either way.
        QTest::keyClicks(combo->lineEdit(), QStringLiteral("123"));
        for (const bool confirm : {false, true}) {
            auto *clear = combo->view()->findChild<QLabel *>(QStringLiteral("leftSpaceBlueQLabel"));
            QVERIFY(clear);
            QVERIFY(clear->text().contains(QStringLiteral("清空记录")));
            auto question = testsupport::answerNextDialog(confirm);
            emit clear->linkActivated(QStringLiteral("clearMeetingHis"));
            QTRY_VERIFY(question->answered);
            QCOMPARE(question->message, QStringLiteral("确定清空全部入会记录吗？"));
            QTRY_COMPARE(historyCodes().isEmpty(), confirm);
            QCOMPARE(combo->currentText(), QStringLiteral("123"));
        }
        // Nothing is left to drop down, not even "清空记录".
        QCOMPARE(combo->count(), 0);
        QVERIFY(baseValues->meetingHistory.isEmpty());
    }

    // Offered beneath the field of a dialog the user opened, filled in only
    // when clicked.
    void clipboardNumberIsOffered_data()
    {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("offered");
        const QString invitation = InvitationText::fromServiceData(
            QJsonObject{{"personName", "张三"}, {"rootNum", "482915736"}, {"meetingName", "周会"}});
        QTest::newRow("invitation") << invitation << "482 915 736";
        QTest::newRow("invitation copied on Windows")
            << QString(invitation).replace("\n", "\r\n") << "482 915 736";
        QTest::newRow("bare number") << " 482915736\n"
                                     << "482 915 736";
        QTest::newRow("grouped with dashes") << "482-915-736"
                                             << "482 915 736";
        QTest::newRow("twelve digits in blanks") << "2718 3649 5061"
                                                 << "2718 3649 5061";
        QTest::newRow("mobile number") << "13800138000"
                                       << "";
        QTest::newRow("eight digits") << "48291573"
                                      << "";
        QTest::newRow("thirteen digits") << "4829157361234"
                                         << "";
        QTest::newRow("number in other text") << "电话 482915736"
                                              << "";
        QTest::newRow("other invitation") << "会议号：482915736\n"
                                          << "";
        QTest::newRow("several megabytes") << QString(invitation).repeated(20000) << "";
    }
    void clipboardNumberIsOffered()
    {
        QFETCH(QString, clipboard);
        QFETCH(QString, offered);
        QGuiApplication::clipboard()->setText(clipboard);
        JoinMeeting *dialog = openFromStartScreen();
        QGuiApplication::clipboard()->clear();
        QVERIFY(dialog);
        const JoinForm form = formOf(dialog);
        QVERIFY(form.number->currentText().isEmpty());
        auto *offer = findByName<QPushButton>(dialog, QStringLiteral("clipboardNoQPushButton"));
        QVERIFY(offer);
        QCOMPARE(offer->isVisible(), !offered.isEmpty());
        if (offered.isEmpty())
            return;
        QCOMPARE(offer->text(), QStringLiteral("检测到会议号 ") + offered);
        QTest::mouseClick(offer, Qt::LeftButton);
        QCOMPARE(form.number->currentText(), QString(offered).replace(" ", "  "));
        QVERIFY(!offer->isVisible());
    }

    // A link joins only the number it carries, with the camera off and the
    // microphone as last chosen here; a second link mid-join changes nothing.
    void linkJoinsOnlyWhatItNames_data()
    {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("storedMic");
        QTest::addColumn<QStringList>("links");
        QTest::addColumn<QString>("joined");
        QTest::addColumn<bool>("micOn");
        QTest::addColumn<QString>("refusal");
        const QString first = QStringLiteral("veskmeet://join?meetingCode=482915736&name=abc");
        QTest::newRow("name only, phone on clipboard")
            << "13800138000"
            << "" << QStringList{"veskmeet://join?name=abc"} << "" << false << "";
        QTest::newRow("name only, number on clipboard")
            << "735102948"
            << "True" << QStringList{"veskmeet://join?name=abc"} << "" << false << "";
        QTest::newRow("microphone never chosen") << "735102948"
                                                 << "" << QStringList{first} << "482915736" << false << "";
        QTest::newRow("microphone chosen on") << ""
                                              << "True" << QStringList{first} << "482915736" << true << "";
        QTest::newRow("second link mid-join")
            << ""
            << "False" << QStringList{first, "veskmeet://join?meetingCode=735102948&name=def"} << "482915736"
            << false << "当前正在进入会议，如需进入新会议请先退出当前会议。";
    }
    void linkJoinsOnlyWhatItNames()
    {
        QFETCH(QString, clipboard);
        QFETCH(QString, storedMic);
        QFETCH(QStringList, links);
        QFETCH(QString, joined);
        QFETCH(bool, micOn);
        QFETCH(QString, refusal);
        if (!storedMic.isEmpty()) {
            QSettings settings(userDatPath(), QSettings::IniFormat);
            settings.setValue("/MEETINGINFO/MICON", storedMic);
            settings.setValue("/MEETINGINFO/CAMERAON", "True");
        }
        QGuiApplication::clipboard()->setText(clipboard);
        devservice::Fault slow;
        slow.delayMs = 1000; // the second link arrives while the guest token is out
        m_server.setFault(tokenPath, slow);
        MainWindow *window = startWithCoordinator();
        QVERIFY(visibleTopLevel<SplashSelect>());
        std::shared_ptr<testsupport::DialogAnswer> answer;
        if (!refusal.isEmpty())
            answer = answerNextDialog();
        for (const QString &link : links)
            window->receiveAppParameterSlot(link);
        QGuiApplication::clipboard()->clear();
        JoinMeeting *dialog = visibleTopLevel<JoinMeeting>();
        QVERIFY(dialog);
        QVERIFY(baseValues->linkInfo.isEmpty());
        if (joined.isEmpty()) {
            // A join would have begun by now and made the dialog busy.
            QVERIFY(dialog->isEnabled());
            QVERIFY(formOf(dialog).number->currentText().isEmpty());
            QVERIFY(!findByName<QPushButton>(dialog, QStringLiteral("clipboardNoQPushButton"))->isVisible());
            QVERIFY(requestsTo(m_server, tokenPath).isEmpty());
            return;
        }
        if (answer) {
            QTRY_VERIFY(answer->answered);
            QCOMPARE(answer->message, refusal);
        }
        QTRY_COMPARE_WITH_TIMEOUT(WeMeetManager::instance()->state(), 4, 8000);
        QCOMPARE(requestsTo(m_server, tokenPath).size(), 1);
        const WemeetSim::JoinRecord join = WemeetSim::lastJoin();
        QCOMPARE(join.meetingCode, joined);
        QCOMPARE(join.nickname, QStringLiteral("abc"));
        QCOMPARE(join.micOn, micOn);
        QVERIFY(!join.cameraOn);
        QCOMPARE(baseValues->currentMeetingCode, joined);
        QVERIFY(baseValues->linkInfo.isEmpty());
        QSettings stored(userDatPath(), QSettings::IniFormat);
        QCOMPARE(stored.value("/USERINFO/NICKNAME").toString(), QStringLiteral("abc"));
        QCOMPARE(historyCodes(), QStringList{joined});
        // What the user chose stays chosen: a link's switches are not stored.
        QCOMPARE(stored.value("/MEETINGINFO/MICON").toString(), storedMic);
    }

    // Whatever ends the join, the user is left with one start screen.
    void everyEndLeavesOneStartScreen_data()
    {
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("notice");
        QTest::addColumn<bool>("remembered");
        QTest::newRow("join fails") << "fail"
                                    << "会议已锁定" << false;
        QTest::newRow("waiting room left") << "leave"
                                           << "" << true;
        QTest::newRow("closed while waiting") << "close"
                                              << "" << false;
        QTest::newRow("forced out while waiting") << "forced"
                                                  << "" << false;
    }
    void everyEndLeavesOneStartScreen()
    {
        QFETCH(QString, end);
        QFETCH(QString, notice);
        QFETCH(bool, remembered);
        QScopedValueRollback<int> fallback(Waits::spinnerFallbackMs, 300);
        if (end == QLatin1String("fail")) {
            WemeetSim::setJoinFailure(notice);
        } else {
            WemeetSim::setWaitingRoom(true);
            WemeetSim::setAdmitAfterMs(-1);
        }
        // The simulator's window host is another process; under load its
        // answers take longer than QTRY's default five seconds.
        const int bound = Waits::sdkResponseMs;
        startWithCoordinator();
        SplashSelect *splash = visibleTopLevel<SplashSelect>();
        QVERIFY(splash);
        QPointer<JoinMeeting> dialog = clickJoinOn(splash, QStringLiteral("defaultQPushButton"));
        QVERIFY(dialog);
        QSignalSpy finished(dialog.data(), &JoinMeeting::joinMeetingFinishSignal);
        fillAndJoin(formOf(dialog), QStringLiteral("482915736"), QStringLiteral("访客A"));

        if (end != QLatin1String("fail")) {
            QTRY_COMPARE_WITH_TIMEOUT(WemeetSim::phase(), WemeetSim::Phase::Waiting, bound);
            QVERIFY(dialog);
            if (end == QLatin1String("leave")) {
                QVERIFY(WemeetSim::pressLeave());
            } else if (end == QLatin1String("close")) {
                // The busy indicator holds the dialog until its latest stop.
                QTRY_VERIFY_WITH_TIMEOUT(dialog->isEnabled(), bound);
                QTest::mouseClick(findByName<QPushButton>(dialog, QStringLiteral("titlePushButton")),
                                  Qt::LeftButton);
                QCOMPARE(WeMeetManager::instance()->state(), 2);
            } else {
                auto answer = answerNextDialog();
                QVERIFY(WemeetSim::triggerForcedLogout());
                QTRY_VERIFY_WITH_TIMEOUT(answer->answered, bound);
                QCOMPARE(answer->message, QStringLiteral("您已经在其他设备登录，当前设备被登出。"));
            }
        }
        QTRY_VERIFY_WITH_TIMEOUT(!dialog, bound);
        QCOMPARE(finished.size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(visibleTopLevels<SplashSelect>().size(), 1, bound);
        if (!notice.isEmpty())
            QTRY_VERIFY_WITH_TIMEOUT(noticeTexts().contains(notice), bound);
        QCOMPARE(historyCodes().contains(QStringLiteral("482915736")), remembered);
        QTRY_VERIFY_WITH_TIMEOUT(WeMeetManager::instance()->state() < 3, bound);
        // The start screen left over is the usable one.
        QTest::qWait(50);
        QCOMPARE(visibleTopLevels<SplashSelect>().size(), 1);
        QVERIFY(visibleTopLevel<SplashSelect>()->isEnabled());
    }

    // Quick meetings and list joins use the remembered switches even when
    // no join dialog has run in this session.
    void rememberedChoicesReachListJoins_data()
    {
        QTest::addColumn<QString>("storedMic");
        QTest::addColumn<QString>("storedCamera");
        QTest::addColumn<bool>("micOn");
        QTest::addColumn<bool>("cameraOn");
        QTest::newRow("nothing stored") << ""
                                        << "" << true << false;
        QTest::newRow("mic off, camera on") << "False"
                                            << "True" << false << true;
    }
    void rememberedChoicesReachListJoins()
    {
        QFETCH(QString, storedMic);
        QFETCH(QString, storedCamera);
        QFETCH(bool, micOn);
        QFETCH(bool, cameraOn);
        if (!storedMic.isEmpty()) {
            QSettings settings(userDatPath(), QSettings::IniFormat);
            settings.setValue("/MEETINGINFO/MICON", storedMic);
            settings.setValue("/MEETINGINFO/CAMERAON", storedCamera);
        }
        QVERIFY(openStartScreen());
        QVERIFY(meetingtest::signIn());
        HomeScreen *home = Navigator::instance()->showHomeScreen(nullptr);
        QVERIFY(meetingtest::waitHomeLoaded(home));
        home->joinMeetingSlot(QStringLiteral("482915736"));
        QTRY_COMPARE(WeMeetManager::instance()->state(), 4);
        QCOMPARE(WemeetSim::lastJoin().micOn, micOn);
        QCOMPARE(WemeetSim::lastJoin().cameraOn, cameraOn);
    }

    void joinWaitEndsWithoutAnAnswer()
    {
        QScopedValueRollback<int> fallback(Waits::spinnerFallbackMs, 300);
        devservice::Fault slow;
        slow.delayMs = 1500; // answered, but long after the busy indicator gives up
        m_server.setFault(tokenPath, slow);
        JoinMeeting *dialog = openFromStartScreen();
        QVERIFY(dialog);
        fillAndJoin(formOf(dialog), QStringLiteral("482915736"), QStringLiteral("访客A"));
        QVERIFY(!dialog->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(dialog->isEnabled(), 1000);
    }

    // A meeting that admits no guests: retrying as a guest can never work,
    // so the guest is told so and offered sign-in (declined here).
    void guestRefusedByLoginStatusGetsTheDialogBack()
    {
        JoinMeeting *dialog = openFromStartScreen();
        QVERIFY(dialog);
        const auto answer = answerNextDialog(false);
        fillAndJoin(formOf(dialog), QStringLiteral("729364062"), QStringLiteral("访客A"));
        QVERIFY(!dialog->isEnabled());
        QTRY_VERIFY(answer->answered);
        QCOMPARE(answer->message, QStringLiteral("该会议仅允许登录用户加入，访客无法入会。"));
        QVERIFY(answer->buttons.contains(QStringLiteral("登录后入会")));
        QCOMPARE(baseValues->loginStatus, QStringLiteral("4"));
        QVERIFY(dialog->isEnabled());
        QVERIFY(WemeetSim::loginAddresses().isEmpty());
    }
};

QTEST_MAIN(JoinMeetingTest)
#include "tst_joinmeeting.moc"
