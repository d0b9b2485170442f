// The meeting-service requests against the stand-in service: credentials
// for the Meeting SDK, the meeting operations, and how each reads its answer.

#include "app/waits.h"
#include "httptestsupport.h"
#include "requestcases.h"

#include <QScopedValueRollback>
#include <QStandardPaths>
#include <QtTest>

using namespace httptest;

class TestMeetingRequests : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void memberTokenStoresTheMeetingSdkValues();
    void productNameAsPersonNameKeepsTheSignInName();
    void tokenPhoneFillsOnlyAnEmptySession_data();
    void tokenPhoneFillsOnlyAnEmptySession();
    void accountWithoutPhoneNeedsOne();
    void guestTokenSendsNoEmptyPhoneFields();
    void plusSignIsEncodedInTheQueryButNotInJson();
    void tokenWithWrongResultTypeIsAFailure();

    void sdkInfoIsStoredAndEmptiedOnEveryFailure();
    void meetingListIsTheResultArray();
    void listTimesNoMeetingCanHaveAreLeftOut_data();
    void listTimesNoMeetingCanHaveAreLeftOut();
    void meetingListWithoutArrayIsAnEmptyList_data();
    void meetingListWithoutArrayIsAnEmptyList();
    void meetingDetailIsTheInfoList();
    void createAnswerIsTaggedByItsType_data();
    void createAnswerIsTaggedByItsType();
    void createdMeetingCanBeCancelled();
    void invitationIsInfoText();
    void participantLimitIsFormattedLikeANumber_data();
    void participantLimitIsFormattedLikeANumber();
    void renameNeedsABooleanAnswer();
    void summaryStoresTheMeetingInHand();
    void summaryFailureEmptiesTheMeetingInHand_data();
    void summaryFailureEmptiesTheMeetingInHand();
    void phoneCodeNeedsABooleanAnswer();

private:
    QString signInMember(const QString &company, const QString &user, const QString &password, int type);
    template <typename Http, typename Signal, typename Send> QString run(Signal signal, Send send)
    {
        Http http;
        QSignalSpy spy(&http, signal);
        send(http);
        return resultAt(spy);
    }

    std::unique_ptr<Service> m_service;
    QString m_base;
};

void TestMeetingRequests::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestMeetingRequests::init()
{
    m_service = std::make_unique<Service>();
    QVERIFY(m_service->start());
    m_base = qs(m_service->server().baseUrl());
}

void TestMeetingRequests::cleanup()
{
    m_service.reset();
    delete baseValues;
    baseValues = nullptr;
}

QString TestMeetingRequests::signInMember(const QString &company, const QString &user,
                                          const QString &password, int type)
{
    const QString token = run<ServiceTokenHttp>(&ServiceTokenHttp::sendServiceTokenResultSignal,
                                                [](ServiceTokenHttp &h) { h.request(); });
    if (!token.isEmpty())
        return token;
    return run<LoginHttp>(&LoginHttp::sendLoginResultSignal,
                          [&](LoginHttp &h) { h.loginByAccount(company, user, password, type); });
}

void TestMeetingRequests::memberTokenStoresTheMeetingSdkValues()
{
    QCOMPARE(signInMember("600888", "zhangwei", "Vesk@2024", 1), QString());
    const QString result = run<TmTokenHttp>(&TmTokenHttp::sendTmTokenResultSignal, [](TmTokenHttp &h) {
        h.requestForMember(baseValues->tenantInfo, QString(), QString(), QString());
    });
    QCOMPARE(result, QString());
    QCOMPARE(header(m_service->last(), "Authorization"), baseValues->gatewayAccessToken);
    QCOMPARE(qs(m_service->last().body), QStringLiteral(R"({"accountType":"1"})"));

    QCOMPARE(baseValues->sdkId, QStringLiteral("1400713254"));
    QCOMPARE(baseValues->sdkToken, QStringLiteral("sdk-9d31c07ab4e25f68"));
    QCOMPARE(baseValues->ssoUrl, m_base + QStringLiteral("/sso/login?id_token="));
    QCOMPARE(baseValues->idToken.size(), 40);
    QCOMPARE(baseValues->loginStatus, QStringLiteral("1"));
    QCOMPARE(baseValues->meetingPersonName, QStringLiteral("张伟"));
    QCOMPARE(baseValues->userId, QStringLiteral("u_zhangwei"));
    QCOMPARE(baseValues->meetingName, QString());
}

void TestMeetingRequests::productNameAsPersonNameKeepsTheSignInName()
{
    QCOMPARE(signInMember("600888", "lina", "Lina@2024", 1), QString());
    QCOMPARE(baseValues->personName, QStringLiteral("李娜"));
    baseValues->meetingPersonName = QStringLiteral("stale");
    QCOMPARE(run<TmTokenHttp>(&TmTokenHttp::sendTmTokenResultSignal,
                              [](TmTokenHttp &h) { h.requestForMember(baseValues->tenantInfo, "", "", ""); }),
             QString());
    QCOMPARE(baseValues->meetingPersonName, QStringLiteral("李娜"));
}

void TestMeetingRequests::tokenPhoneFillsOnlyAnEmptySession_data()
{
    QTest::addColumn<QString>("sessionPhone");
    QTest::addColumn<QString>("sessionCode");
    QTest::addColumn<QString>("phone");
    QTest::addColumn<QString>("code");

    QTest::newRow("empty session") << ""
                                   << ""
                                   << "13800138000"
                                   << "+86";
    QTest::newRow("phone kept") << "13911112222"
                                << "+852"
                                << "13911112222"
                                << "+852";
    QTest::newRow("only code empty") << "13911112222"
                                     << ""
                                     << "13911112222"
                                     << "+86";
}

void TestMeetingRequests::tokenPhoneFillsOnlyAnEmptySession()
{
    QFETCH(QString, sessionPhone);
    QFETCH(QString, sessionCode);
    QFETCH(QString, phone);
    QFETCH(QString, code);

    QCOMPARE(signInMember("600888", "zhangwei", "Vesk@2024", 1), QString());
    baseValues->telephone = sessionPhone;
    baseValues->mobileCountryCode = sessionCode;
    QCOMPARE(run<TmTokenHttp>(&TmTokenHttp::sendTmTokenResultSignal,
                              [](TmTokenHttp &h) { h.requestForMember(baseValues->tenantInfo, "", "", ""); }),
             QString());
    QCOMPARE(baseValues->telephone, phone);
    QCOMPARE(baseValues->mobileCountryCode, code);
}

void TestMeetingRequests::accountWithoutPhoneNeedsOne()
{
    QCOMPARE(signInMember("600888", "wangfang", "Wang@2024", 1), QString());
    QCOMPARE(baseValues->telephone, QString());
    QCOMPARE(run<TmTokenHttp>(&TmTokenHttp::sendTmTokenResultSignal,
                              [](TmTokenHttp &h) { h.requestForMember(baseValues->tenantInfo, "", "", ""); }),
             QString());
    QCOMPARE(baseValues->loginStatus, QStringLiteral("3"));
}

void TestMeetingRequests::guestTokenSendsNoEmptyPhoneFields()
{
    QCOMPARE(run<ServiceTokenHttp>(&ServiceTokenHttp::sendServiceTokenResultSignal,
                                   [](ServiceTokenHttp &h) { h.request(); }),
             QString());
    const QString result = run<TmTokenHttp>(&TmTokenHttp::sendTmTokenResultSignal, [](TmTokenHttp &h) {
        h.requestForGuest(baseValues->serialNo, QStringLiteral("482915736"), QStringLiteral("访客"), "", "",
                          "");
    });
    QCOMPARE(result, QString());

    const devservice::LoggedRequest wire = m_service->last();
    QVERIFY(!hasHeaderIgnoringCase(wire, QStringLiteral("Authorization")));
    QCOMPARE(qs(wire.query), QStringLiteral("access_token=") + baseValues->s_accessToken);
    const QJsonObject body = QJsonDocument::fromJson(QByteArray::fromStdString(wire.body)).object();
    QCOMPARE(body.keys(), QStringList({"accountType", "meetingCode", "nickName", "serialNo"}));
    QCOMPARE(body.value("accountType").toString(), QStringLiteral("2"));
    QCOMPARE(body.value("serialNo").toString(), QStringLiteral("SN-TEST-0001"));

    QCOMPARE(baseValues->meetingName, QStringLiteral("项目周例会"));
    QCOMPARE(baseValues->meetingId, QStringLiteral("14502348210934758201"));
    QCOMPARE(baseValues->joinUrl, m_base + QStringLiteral("/j/482915736"));
    QCOMPARE(baseValues->meetingPersonName, QStringLiteral("访客"));
    QCOMPARE(baseValues->loginStatus, QStringLiteral("1"));

    // Serial number, meeting number and nickname go even when empty.
    run<TmTokenHttp>(&TmTokenHttp::sendTmTokenResultSignal,
                     [](TmTokenHttp &h) { h.requestForGuest("", "", "", "", "", ""); });
    QCOMPARE(qs(m_service->last().body),
             QStringLiteral(R"({"accountType":"2","meetingCode":"","nickName":"","serialNo":""})"));
}

void TestMeetingRequests::plusSignIsEncodedInTheQueryButNotInJson()
{
    QCOMPARE(run<ServiceTokenHttp>(&ServiceTokenHttp::sendServiceTokenResultSignal,
                                   [](ServiceTokenHttp &h) { h.request(); }),
             QString());
    QCOMPARE(run<TmPhoneVerifyHttp>(&TmPhoneVerifyHttp::sendTmPhoneVerifyResultSignal,
                                    [](TmPhoneVerifyHttp &h) { h.request("13900139001", "+86"); }),
             QString());
    QVERIFY(qs(m_service->last().query).endsWith(QLatin1String("&mobileCountryCode=%2B86")));
    const QString code = qs(m_service->server().lastSmsCode("13900139001"));
    QVERIFY(!code.isEmpty());

    // The activity meeting wants a verified phone from a guest.
    QCOMPARE(
        run<TmTokenHttp>(&TmTokenHttp::sendTmTokenResultSignal,
                         [](TmTokenHttp &h) { h.requestForGuest("SN", "927461035", "访客", "", "", ""); }),
        QString());
    QCOMPARE(baseValues->loginStatus, QStringLiteral("2"));
    QCOMPARE(run<TmTokenHttp>(&TmTokenHttp::sendTmTokenResultSignal,
                              [&code](TmTokenHttp &h) {
                                  h.requestForGuest("SN", "927461035", "访客", "13900139001", "+86", code);
                              }),
             QString());
    QVERIFY(qs(m_service->last().body).contains(QLatin1String(R"("mobileCountryCode":"+86")")));
    QCOMPARE(baseValues->loginStatus, QStringLiteral("1"));
    QCOMPARE(baseValues->telephone, QStringLiteral("13900139001"));

    QCOMPARE(run<TmPhoneVerifyHttp>(&TmPhoneVerifyHttp::sendTmPhoneVerifyResultSignal,
                                    [](TmPhoneVerifyHttp &h) { h.request("12", "+86"); }),
             QStringLiteral("手机号格式不正确"));
}

void TestMeetingRequests::tokenWithWrongResultTypeIsAFailure()
{
    QCOMPARE(signInMember("600888", "zhangwei", "Vesk@2024", 1), QString());
    devservice::Fault wrongType;
    wrongType.wrongResultType = true;
    m_service->server().setFault("/service/tencent-meeting/user/token", wrongType);
    QCOMPARE(run<TmTokenHttp>(&TmTokenHttp::sendTmTokenResultSignal,
                              [](TmTokenHttp &h) { h.requestForMember(baseValues->tenantInfo, "", "", ""); }),
             QStringLiteral("服务返回数据格式错误"));
    QVERIFY(baseValues->sdkId.isEmpty());
}

void TestMeetingRequests::sdkInfoIsStoredAndEmptiedOnEveryFailure()
{
    QScopedValueRollback<int> timeout(Waits::requestTimeoutMs, 200);
    auto sdkInfo = [this] {
        return run<TmSDKInfoHttp>(&TmSDKInfoHttp::sendTmSdkInfoResultSignal,
                                  [](TmSDKInfoHttp &h) { h.request(); });
    };
    auto filled = [] {
        return !baseValues->sdkId.isEmpty() && !baseValues->sdkToken.isEmpty() &&
               !baseValues->ssoUrl.isEmpty();
    };
    auto empty = [] {
        return baseValues->sdkId.isEmpty() && baseValues->sdkToken.isEmpty() && baseValues->ssoUrl.isEmpty();
    };

    QCOMPARE(sdkInfo(), QStringLiteral("error:AuthenticationRequiredError")); // no service token yet
    QCOMPARE(run<ServiceTokenHttp>(&ServiceTokenHttp::sendServiceTokenResultSignal,
                                   [](ServiceTokenHttp &h) { h.request(); }),
             QString());
    QCOMPARE(sdkInfo(), QString());
    QCOMPARE(baseValues->sdkId, QStringLiteral("1400713254"));
    QVERIFY(filled());

    const std::string path = "/service/tencent-meeting/user/sdkInit";
    devservice::Fault refused;
    refused.successFalse = true;
    refused.times = 1;
    m_service->server().setFault(path, refused);
    QCOMPARE(sdkInfo(), QStringLiteral("error:模拟的服务错误"));
    QVERIFY(empty());

    QCOMPARE(sdkInfo(), QString());
    devservice::Fault slow;
    slow.delayMs = 800;
    slow.times = 1;
    m_service->server().setFault(path, slow);
    QCOMPARE(sdkInfo(), QStringLiteral("error:请求超时"));
    QVERIFY(empty());

    QCOMPARE(sdkInfo(), QString());
    devservice::Fault garbage;
    garbage.nonJson = true;
    garbage.times = 1;
    m_service->server().setFault(path, garbage);
    QCOMPARE(sdkInfo(), QStringLiteral("error:服务返回数据格式错误"));
    QVERIFY(empty());
}

void TestMeetingRequests::meetingListIsTheResultArray()
{
    QCOMPARE(signInMember("600888", "zhangwei", "Vesk@2024", 1), QString());
    const QString result = run<TmMtgQueryHttp>(&TmMtgQueryHttp::sendTmMtgQueryResultSignal,
                                               [](TmMtgQueryHttp &h) { h.request(baseValues->tenantInfo); });
    const QJsonDocument doc = QJsonDocument::fromJson(result.toUtf8());
    QVERIFY2(doc.isArray(), qPrintable(result));
    QVERIFY(!result.contains(QLatin1Char('\n')));
    QStringList codes;
    for (const QJsonValue &m : doc.array())
        codes << m.toObject().value("meetingCode").toString();
    QVERIFY(codes.contains(QStringLiteral("482915736")));
    QVERIFY(!codes.contains(QStringLiteral("663019428"))); // another company's

    baseValues->gatewayAccessToken = QStringLiteral("expired");
    QVERIFY(!run<TmMtgQueryHttp>(&TmMtgQueryHttp::sendTmMtgQueryResultSignal, [](TmMtgQueryHttp &h) {
                 h.request(baseValues->tenantInfo);
             }).isEmpty());
}

void TestMeetingRequests::listTimesNoMeetingCanHaveAreLeftOut_data()
{
    QTest::addColumn<QString>("times");
    QTest::addColumn<bool>("kept");
    QTest::newRow("number") << R"("startTime":1800000000,"endTime":1800003600)" << true;
    QTest::newRow("digits") << R"("startTime":"1800000000","endTime":"1800003600")" << true;
    QTest::newRow("no end") << R"("startTime":1800000000)" << true;
    QTest::newRow("int64 max") << R"("startTime":9223372036854775807,"endTime":9223372036854775807)" << false;
    QTest::newRow("int64 max digits") << R"("startTime":"9223372036854775807")" << false;
    QTest::newRow("after 9999") << R"("startTime":253402300800)" << false;
    QTest::newRow("before 1970") << R"("startTime":-3600,"endTime":0)" << false;
    QTest::newRow("no start") << R"("endTime":1800000000)" << false;
    QTest::newRow("words") << R"("startTime":"明天")" << false;
    QTest::newRow("end before start") << R"("startTime":1800003600,"endTime":1800000000)" << false;
    QTest::newRow("end 1e300") << R"("startTime":1800000000,"endTime":1e300)" << false;
}

void TestMeetingRequests::listTimesNoMeetingCanHaveAreLeftOut()
{
    QFETCH(QString, times);
    QFETCH(bool, kept);
    const QString answer =
        QStringLiteral(R"({"success":true,"result":[{"meetingCode":482915736,"meetingId":"m1",)"
                       R"("subject":"周会","meetingType":"4","currentHosts":[{"userId":"u1"}],%1},)"
                       R"({"meetingCode":"604185273","startTime":1800000000}]})")
            .arg(times);
    CannedServer canned(200, answer.toUtf8().toStdString());
    freshBaseValues(canned.baseUrl());
    TmMtgQueryHttp http;
    QSignalSpy spy(&http, &TmMtgQueryHttp::sendTmMtgQueryResultSignal);
    http.request("T");
    resultAt(spy);
    const QVector<MeetingRecord> records = replyAt(spy).meetings;
    QCOMPARE(records.size(), kept ? 2 : 1);
    QCOMPARE(records.last().meetingCode, QStringLiteral("604185273"));
    QCOMPARE(records.last().endSecs, 1800000000);
    if (kept) {
        const MeetingRecord &r = records.first();
        QCOMPARE(r.startSecs, 1800000000);
        QCOMPARE(r.meetingCode, QStringLiteral("482915736"));
        QCOMPARE(r.meetingId + r.subject + r.hostUserId, QStringLiteral("m1周会u1"));
        QVERIFY(r.isActivity);
    }
}

void TestMeetingRequests::meetingListWithoutArrayIsAnEmptyList_data()
{
    QTest::addColumn<QString>("answer");
    QTest::newRow("null") << R"({"success":true,"errorCode":"0","errorMsg":"","result":null})";
    QTest::newRow("missing") << R"({"success":true})";
    QTest::newRow("string") << R"({"success":true,"result":"none"})";
}

void TestMeetingRequests::meetingListWithoutArrayIsAnEmptyList()
{
    QFETCH(QString, answer);
    CannedServer canned(200, answer.toStdString());
    freshBaseValues(canned.baseUrl());
    QCOMPARE(run<TmMtgQueryHttp>(&TmMtgQueryHttp::sendTmMtgQueryResultSignal,
                                 [](TmMtgQueryHttp &h) { h.request("T"); }),
             QStringLiteral("[]"));
    QCOMPARE(run<TmMtgQueryDHttp>(&TmMtgQueryDHttp::sendTmMtgQueryDResultSignal,
                                  [](TmMtgQueryDHttp &h) { h.request("T", "1"); }),
             QStringLiteral("[]"));
    QCOMPARE(run<TmMtgInviteHttp>(&TmMtgInviteHttp::sendTmMtgInviteResultSignal,
                                  [](TmMtgInviteHttp &h) { h.request("T", "1"); }),
             QStringLiteral("info:{}"));
}

void TestMeetingRequests::meetingDetailIsTheInfoList()
{
    QCOMPARE(signInMember("600888", "zhangwei", "Vesk@2024", 1), QString());
    const QString result =
        run<TmMtgQueryDHttp>(&TmMtgQueryDHttp::sendTmMtgQueryDResultSignal, [](TmMtgQueryDHttp &h) {
            h.request(baseValues->tenantInfo, QStringLiteral("316058274"));
        });
    const QJsonArray list = QJsonDocument::fromJson(result.toUtf8()).array();
    QCOMPARE(list.size(), 1);
    QCOMPARE(list.at(0).toObject().value("subject").toString(), QStringLiteral("产品发布准备会"));
    QCOMPARE(list.at(0).toObject().value("password").toString(), QStringLiteral("135790"));

    QCOMPARE(run<TmMtgQueryDHttp>(&TmMtgQueryDHttp::sendTmMtgQueryDResultSignal,
                                  [](TmMtgQueryDHttp &h) { h.request(baseValues->tenantInfo, "000"); }),
             QStringLiteral("会议不存在"));
}

void TestMeetingRequests::createAnswerIsTaggedByItsType_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("result");
    QTest::newRow("number as string") << R"({"success":true,"result":"735102948"})"
                                      << "result:735102948";
    QTest::newRow("object") << R"({"success":true,"result":{"meetingCode":"1","subject":"周会"}})"
                            << QStringLiteral(R"(result:{"meetingCode":"1","subject":"周会"})");
    QTest::newRow("number") << R"({"success":true,"result":735102948})"
                            << QStringLiteral("error:服务返回数据格式错误");
    QTest::newRow("refused") << R"({"success":false,"errorCode":"2002","errorMsg":"会议主题不能为空"})"
                             << QStringLiteral("error:会议主题不能为空");
}

void TestMeetingRequests::createAnswerIsTaggedByItsType()
{
    QFETCH(QString, answer);
    QFETCH(QString, result);
    CannedServer canned(200, answer.toStdString());
    freshBaseValues(canned.baseUrl());
    QCOMPARE(run<TmMtgCreateHttp>(&TmMtgCreateHttp::sendTmMtgCreateResultSignal,
                                  [](TmMtgCreateHttp &h) { h.request("T", "{}"); }),
             result);
}

void TestMeetingRequests::createdMeetingCanBeCancelled()
{
    QCOMPARE(signInMember("600888", "zhangwei", "Vesk@2024", 1), QString());
    const QString start = QDateTime::currentDateTime().addSecs(3600).toString("yyyy-MM-dd hh:mm:ss");
    const QString end = QDateTime::currentDateTime().addSecs(7200).toString("yyyy-MM-dd hh:mm:ss");
    const QString meeting =
        QStringLiteral(R"({"subject":"测试会议 & 评审","startTime":"%1","endTime":"%2"})").arg(start, end);
    const QString created =
        run<TmMtgCreateHttp>(&TmMtgCreateHttp::sendTmMtgCreateResultSignal,
                             [&](TmMtgCreateHttp &h) { h.request(baseValues->tenantInfo, meeting); });
    QVERIFY2(created.startsWith(QLatin1String("result:{")), qPrintable(created));
    QCOMPARE(QString::fromUtf8(QByteArray::fromStdString(m_service->last().body)), meeting);
    const QJsonObject answer = QJsonDocument::fromJson(created.mid(7).toUtf8()).object();
    const QString code = answer.value("meetingCode").toString();
    QCOMPARE(answer.value("subject").toString(), QStringLiteral("测试会议 & 评审"));

    QCOMPARE(run<TmMtgCreateHttp>(&TmMtgCreateHttp::sendTmMtgCreateResultSignal,
                                  [](TmMtgCreateHttp &h) {
                                      h.request(baseValues->tenantInfo, R"({"subject":" ","startTime":"x"})");
                                  }),
             QStringLiteral("error:会议主题不能为空"));

    QCOMPARE(run<TmMtgDeleteHttp>(&TmMtgDeleteHttp::sendTmMtgDeleteResultSignal,
                                  [&](TmMtgDeleteHttp &h) { h.request(baseValues->tenantInfo, code); }),
             QString());
    QCOMPARE(run<TmMtgDeleteHttp>(&TmMtgDeleteHttp::sendTmMtgDeleteResultSignal,
                                  [&](TmMtgDeleteHttp &h) { h.request(baseValues->tenantInfo, code); }),
             QStringLiteral("会议不存在"));

    devservice::Fault wrongType;
    wrongType.wrongResultType = true;
    m_service->server().setFault("/service/tencent-meeting/meeting/deleteMeeting", wrongType);
    QCOMPARE(run<TmMtgDeleteHttp>(&TmMtgDeleteHttp::sendTmMtgDeleteResultSignal,
                                  [](TmMtgDeleteHttp &h) { h.request(baseValues->tenantInfo, "604185273"); }),
             QStringLiteral("服务返回数据格式错误"));
}

void TestMeetingRequests::invitationIsInfoText()
{
    QCOMPARE(signInMember("600888", "zhangwei", "Vesk@2024", 1), QString());
    const QString result =
        run<TmMtgInviteHttp>(&TmMtgInviteHttp::sendTmMtgInviteResultSignal, [](TmMtgInviteHttp &h) {
            h.request(baseValues->tenantInfo, QStringLiteral("316058274"));
        });
    QVERIFY2(result.startsWith(QLatin1String("info:{")), qPrintable(result));
    const QJsonObject info = QJsonDocument::fromJson(result.mid(5).toUtf8()).object();
    QCOMPARE(info.value("rootNum").toString(), QStringLiteral("316058274"));
    QCOMPARE(info.value("meetingName").toString(), QStringLiteral("产品发布准备会"));

    QCOMPARE(run<TmMtgInviteHttp>(&TmMtgInviteHttp::sendTmMtgInviteResultSignal,
                                  [](TmMtgInviteHttp &h) { h.request(baseValues->tenantInfo, "1"); }),
             QStringLiteral("error:会议不存在"));
}

void TestMeetingRequests::participantLimitIsFormattedLikeANumber_data()
{
    QTest::addColumn<int>("maxPeople");
    QTest::addColumn<QString>("result");
    QTest::newRow("300") << 300 << "result:300";
    QTest::newRow("ten million") << 10000000 << "result:1e+07";
    QTest::newRow("seven digits") << 1234567 << "result:1.23457e+06";
    QTest::newRow("six digits") << 999999 << "result:999999";
}

void TestMeetingRequests::participantLimitIsFormattedLikeANumber()
{
    QFETCH(int, maxPeople);
    QFETCH(QString, result);

    QTemporaryDir dir;
    const std::string fixture = fixtureVariant(dir, [maxPeople](QJsonObject &root) {
        editEntry(root, QStringLiteral("companies"), QStringLiteral("companyCode"), QStringLiteral("600888"),
                  [maxPeople](QJsonObject &c) { c.insert(QStringLiteral("maxPeople"), maxPeople); });
    });
    m_service = std::make_unique<Service>(fixture);
    QVERIFY(m_service->start());
    QCOMPARE(signInMember("600888", "zhangwei", "Vesk@2024", 1), QString());
    QCOMPARE(run<TmMtgMaxPeopleHttp>(&TmMtgMaxPeopleHttp::sendTmMtgMaxPeopleResultSignal,
                                     [](TmMtgMaxPeopleHttp &h) { h.request(baseValues->tenantInfo); }),
             result);

    devservice::Fault wrongType;
    wrongType.wrongResultType = true;
    m_service->server().setFault("/service/tencent-meeting/meeting/getMeetingMaxPeople", wrongType);
    QCOMPARE(run<TmMtgMaxPeopleHttp>(&TmMtgMaxPeopleHttp::sendTmMtgMaxPeopleResultSignal,
                                     [](TmMtgMaxPeopleHttp &h) { h.request(baseValues->tenantInfo); }),
             QStringLiteral("error:服务返回数据格式错误"));
}

void TestMeetingRequests::renameNeedsABooleanAnswer()
{
    QCOMPARE(signInMember("600888", "zhangwei", "Vesk@2024", 1), QString());
    QCOMPARE(run<TmMtgNickChangeHttp>(
                 &TmMtgNickChangeHttp::sendTmMtgNickChangeResultSignal,
                 [](TmMtgNickChangeHttp &h) { h.request(baseValues->tenantInfo, "张伟+1 & co"); }),
             QString());
    QCOMPARE(run<TmTokenHttp>(&TmTokenHttp::sendTmTokenResultSignal,
                              [](TmTokenHttp &h) { h.requestForMember(baseValues->tenantInfo, "", "", ""); }),
             QString());
    QCOMPARE(baseValues->meetingPersonName, QStringLiteral("张伟+1 & co"));

    QCOMPARE(run<TmMtgNickChangeHttp>(&TmMtgNickChangeHttp::sendTmMtgNickChangeResultSignal,
                                      [](TmMtgNickChangeHttp &h) { h.request(baseValues->tenantInfo, " "); }),
             QStringLiteral("名称不能为空"));

    devservice::Fault wrongType;
    wrongType.wrongResultType = true;
    m_service->server().setFault("/service/tencent-meeting/user/modifyUserName", wrongType);
    QCOMPARE(run<TmMtgNickChangeHttp>(&TmMtgNickChangeHttp::sendTmMtgNickChangeResultSignal,
                                      [](TmMtgNickChangeHttp &h) { h.request(baseValues->tenantInfo, "x"); }),
             QStringLiteral("服务返回数据格式错误"));
}

void TestMeetingRequests::summaryStoresTheMeetingInHand()
{
    QCOMPARE(run<ServiceTokenHttp>(&ServiceTokenHttp::sendServiceTokenResultSignal,
                                   [](ServiceTokenHttp &h) { h.request(); }),
             QString());
    QCOMPARE(run<TmMtgSummaryHttp>(&TmMtgSummaryHttp::sendTmMtgSummaryResultSignal,
                                   [](TmMtgSummaryHttp &h) { h.request("927461035"); }),
             QString());
    QCOMPARE(baseValues->meetingId, QStringLiteral("14502348210934758206"));
    QCOMPARE(baseValues->meetingType, QStringLiteral("活动系统"));
    QCOMPARE(baseValues->joinUrl, m_base + QStringLiteral("/j/927461035"));
}

void TestMeetingRequests::summaryFailureEmptiesTheMeetingInHand_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("result");
    QTest::newRow("unknown meeting") << "unknown" << QStringLiteral("error:会议不存在");
    QTest::newRow("refused without message") << "refusedNoMsg" << QStringLiteral("error:500");
    QTest::newRow("timed out") << "timeout" << QStringLiteral("error:请求超时");
    QTest::newRow("http 500") << "http500" << QStringLiteral("error:InternalServerError");
    QTest::newRow("refused connection")
        << "refusedConnection" << QStringLiteral("error:ConnectionRefusedError");
    QTest::newRow("not json") << "garbage" << QStringLiteral("error:服务返回数据格式错误");
}

void TestMeetingRequests::summaryFailureEmptiesTheMeetingInHand()
{
    QFETCH(QString, failure);
    QFETCH(QString, result);
    QScopedValueRollback<int> timeout(Waits::requestTimeoutMs, 200);

    QCOMPARE(run<ServiceTokenHttp>(&ServiceTokenHttp::sendServiceTokenResultSignal,
                                   [](ServiceTokenHttp &h) { h.request(); }),
             QString());
    baseValues->meetingId = QStringLiteral("old-id");
    baseValues->meetingType = QStringLiteral("old-type");
    baseValues->joinUrl = QStringLiteral("old-url");

    const std::string path = "/service/tencent-meeting/meeting/meetingSummary";
    devservice::Fault fault;
    QString code = QStringLiteral("482915736");
    if (failure == QLatin1String("unknown"))
        code = QStringLiteral("999");
    else if (failure == QLatin1String("refusedNoMsg"))
        fault.successFalse = true, fault.withErrorMsg = false;
    else if (failure == QLatin1String("timeout"))
        fault.delayMs = 800;
    else if (failure == QLatin1String("http500"))
        fault.httpStatus = 500;
    else if (failure == QLatin1String("garbage"))
        fault.nonJson = true;
    else if (failure == QLatin1String("refusedConnection"))
        baseValues->serviceUrl = QStringLiteral("http://127.0.0.1:%1/service/").arg(closedPort());
    m_service->server().setFault(path, fault);

    TmMtgSummaryHttp http;
    bool emptiedFirst = false;
    connect(&http, &TmMtgSummaryHttp::sendTmMtgSummaryResultSignal, this, [&emptiedFirst] {
        emptiedFirst = baseValues->meetingId.isEmpty() && baseValues->meetingType.isEmpty() &&
                       baseValues->joinUrl.isEmpty();
    });
    QSignalSpy spy(&http, &TmMtgSummaryHttp::sendTmMtgSummaryResultSignal);
    http.request(code);
    QCOMPARE(resultAt(spy), result);
    QVERIFY(emptiedFirst);
}

void TestMeetingRequests::phoneCodeNeedsABooleanAnswer()
{
    QCOMPARE(run<ServiceTokenHttp>(&ServiceTokenHttp::sendServiceTokenResultSignal,
                                   [](ServiceTokenHttp &h) { h.request(); }),
             QString());
    devservice::Fault wrongType;
    wrongType.wrongResultType = true;
    m_service->server().setFault("/service/tencent-meeting/user/getVerifyCode", wrongType);
    QCOMPARE(run<TmPhoneVerifyHttp>(&TmPhoneVerifyHttp::sendTmPhoneVerifyResultSignal,
                                    [](TmPhoneVerifyHttp &h) { h.request("13900139001", "+86"); }),
             QStringLiteral("服务返回数据格式错误"));
}

QTEST_GUILESS_MAIN(TestMeetingRequests)
#include "tst_meetingrequests.moc"
