// The service token and sign-in requests against the stand-in service:
// what each stores in the session record and how its answers are read.

#include "app/waits.h"
#include "httptestsupport.h"
#include "requestcases.h"

#include <QStandardPaths>
#include <QtTest>

using namespace httptest;

using FixtureEdit = std::function<void(QJsonObject &)>;
Q_DECLARE_METATYPE(FixtureEdit)

class TestSignInRequests : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void serviceTokenIsStoredWithItsLifetime();
    void serviceTokenIsReadWhereTheServicePutsIt_data();
    void serviceTokenIsReadWhereTheServicePutsIt();
    void wrongClientCredentialsAreANetworkError();

    void companyCheckFollowsTheRules_data();
    void companyCheckFollowsTheRules();
    void companyCheckOfUnknownCompanyGivesTheMessage();
    void companyCheckWithoutResultObjectGivesZero();

    void signInStoresTheSessionValues();
    void displayAndPersonNameTakeTheFirstNonEmpty_data();
    void displayAndPersonNameTakeTheFirstNonEmpty();
    void answerFieldsAreStoredCleaned_data();
    void answerFieldsAreStoredCleaned();
    void companyBindingSuppliesTokensAndCompany();
    void emptyWeChatIdsKeepTheRememberedOnes();
    void wrongPasswordGivesTheMessage();
    void signInWithWrongResultTypeIsAFailure();

    void smsCodeSignInWorksEndToEnd();
    void openIdSignInSendsUnionIdInLowerCase();
    void simulatedSignInFindsTheUser_data();
    void simulatedSignInFindsTheUser();
    void weChatSignInWalksUrlBindingAndUuid();
    void weChatAnswersWithWrongResultTypeAreFailures();

private:
    QString signIn(Service &service, const QString &company, const QString &user, const QString &password,
                   int type);
    QString fetchServiceToken();
};

void TestSignInRequests::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestSignInRequests::cleanup()
{
    delete baseValues;
    baseValues = nullptr;
}

QString TestSignInRequests::fetchServiceToken()
{
    ServiceTokenHttp http;
    QSignalSpy spy(&http, &ServiceTokenHttp::sendServiceTokenResultSignal);
    http.request();
    return resultAt(spy);
}

QString TestSignInRequests::signIn(Service &, const QString &company, const QString &user,
                                   const QString &password, int type)
{
    LoginHttp http;
    QSignalSpy spy(&http, &LoginHttp::sendLoginResultSignal);
    http.loginByAccount(company, user, password, type);
    return resultAt(spy);
}

void TestSignInRequests::serviceTokenIsStoredWithItsLifetime()
{
    Service service;
    QVERIFY(service.start());
    QCOMPARE(fetchServiceToken(), QString());
    QCOMPARE(baseValues->s_accessToken.size(), 32);
    QCOMPARE(baseValues->serviceTokenExpiresIn, 7200);

    // Each answer overwrites token and lifetime.
    const QString first = baseValues->s_accessToken;
    QCOMPARE(fetchServiceToken(), QString());
    QVERIFY(baseValues->s_accessToken != first);
}

void TestSignInRequests::serviceTokenIsReadWhereTheServicePutsIt_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("token");
    QTest::addColumn<int>("expiresIn");

    QTest::newRow("in result") << R"({"success":true,"result":{"access_token":"t-1","expires_in":3600}})"
                               << QString() << "t-1" << 3600;
    QTest::newRow("top level, enveloped")
        << R"({"success":true,"access_token":"t-2","expires_in":60})" << QString() << "t-2" << 60;
    QTest::newRow("bare OAuth answer")
        << R"({"access_token":"t-3","token_type":"bearer","expires_in":"120"})" << QString() << "t-3" << 120;
    QTest::newRow("success without token") << R"({"success":true,"result":{"token_type":"bearer"}})"
                                           << QStringLiteral("服务返回数据格式错误") << "" << 0;
    QTest::newRow("refused without message") << R"({"success":false,"errorCode":"4001"})"
                                             << "4001"
                                             << "" << 0;
    QTest::newRow("no success, no token") << R"({"error":"x"})" << QStringLiteral("请求失败") << "" << 0;
}

void TestSignInRequests::serviceTokenIsReadWhereTheServicePutsIt()
{
    QFETCH(QString, answer);
    QFETCH(QString, result);
    QFETCH(QString, token);
    QFETCH(int, expiresIn);

    CannedServer canned(200, answer.toStdString());
    freshBaseValues(canned.baseUrl());
    QCOMPARE(fetchServiceToken(), result);
    QCOMPARE(baseValues->s_accessToken, token);
    QCOMPARE(baseValues->serviceTokenExpiresIn, expiresIn);
}

void TestSignInRequests::wrongClientCredentialsAreANetworkError()
{
    Service service;
    QVERIFY(service.start());
    baseValues->clientSecret = QStringLiteral("not-the-secret");
    QCOMPARE(fetchServiceToken(), QStringLiteral("AuthenticationRequiredError"));
    QVERIFY(baseValues->s_accessToken.isEmpty());
}

void TestSignInRequests::companyCheckFollowsTheRules_data()
{
    QTest::addColumn<QString>("companyId");
    QTest::addColumn<QString>("otherCtrl");
    QTest::addColumn<QString>("modules");
    QTest::addColumn<QString>("ipoFlag");
    QTest::addColumn<QString>("expected");

    QTest::newRow("enterprise") << "C1"
                                << "0010"
                                << "1,4"
                                << "1"
                                << "1";
    QTest::newRow("ipoFlag 0") << "C1"
                               << "0010"
                               << "4"
                               << "0"
                               << "1";
    QTest::newRow("regulatory 2") << "C1"
                                  << "0010"
                                  << "4"
                                  << "2"
                                  << "2";
    QTest::newRow("regulatory 4") << "C1"
                                  << "1000"
                                  << "4,6"
                                  << "4"
                                  << "2";
    QTest::newRow("regulatory 7") << "C1"
                                  << "00"
                                  << "4"
                                  << "7"
                                  << "2";
    QTest::newRow("financial") << "C1"
                               << "0010"
                               << "1,4"
                               << "8"
                               << "3";
    QTest::newRow("other flag 5") << "C1"
                                  << "0010"
                                  << "4"
                                  << "5"
                                  << "1";
    QTest::newRow("empty flag") << "C1"
                                << "0010"
                                << "4"
                                << ""
                                << "1";
    QTest::newRow("empty company id wins") << ""
                                           << "0010"
                                           << "1,4"
                                           << "8"
                                           << "0";
    QTest::newRow("otherCtrl without 00") << "C1"
                                          << "0101"
                                          << "4"
                                          << "8"
                                          << "0";
    QTest::newRow("module 14 is not 4") << "C1"
                                        << "0010"
                                        << "1,14"
                                        << "1"
                                        << "0";
    QTest::newRow("module with blank") << "C1"
                                       << "0010"
                                       << "1, 4"
                                       << "1"
                                       << "0";
    QTest::newRow("empty module entries kept") << "C1"
                                               << "0010"
                                               << "1,,4"
                                               << "2"
                                               << "2";
    QTest::newRow("no modules") << "C1"
                                << "0010"
                                << ""
                                << "1"
                                << "0";
}

void TestSignInRequests::companyCheckFollowsTheRules()
{
    QFETCH(QString, companyId);
    QFETCH(QString, otherCtrl);
    QFETCH(QString, modules);
    QFETCH(QString, ipoFlag);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    const std::string fixture = fixtureVariant(dir, [&](QJsonObject &root) {
        editEntry(root, QStringLiteral("companies"), QStringLiteral("companyCode"), QStringLiteral("600888"),
                  [&](QJsonObject &c) {
                      c.insert(QStringLiteral("companyId"), companyId);
                      c.insert(QStringLiteral("otherCtrl"), otherCtrl);
                      c.insert(QStringLiteral("chargeApplyModule"), modules);
                      c.insert(QStringLiteral("ipoFlag"), ipoFlag);
                  });
    });
    Service service(fixture);
    QVERIFY(service.start());

    LoginComVerifyHttp http;
    QSignalSpy spy(&http, &LoginComVerifyHttp::sendComVerifyResultSignal);
    http.request(QStringLiteral("600888"));
    QCOMPARE(resultAt(spy), expected);
    QVERIFY(!spy.wait(200)); // emitted once
    QCOMPARE(spy.count(), 1);
}

void TestSignInRequests::companyCheckOfUnknownCompanyGivesTheMessage()
{
    Service service;
    QVERIFY(service.start());
    LoginComVerifyHttp http;
    QSignalSpy spy(&http, &LoginComVerifyHttp::sendComVerifyResultSignal);
    http.request(QStringLiteral("NOPE"));
    QCOMPARE(resultAt(spy), QStringLiteral("公司代码不存在"));
}

void TestSignInRequests::companyCheckWithoutResultObjectGivesZero()
{
    Service service;
    QVERIFY(service.start());
    devservice::Fault wrongType;
    wrongType.wrongResultType = true;
    service.server().setFault("/cloud/application/portCloudApplication", wrongType);
    LoginComVerifyHttp http;
    QSignalSpy spy(&http, &LoginComVerifyHttp::sendComVerifyResultSignal);
    http.request(QStringLiteral("600888"));
    QCOMPARE(resultAt(spy), QStringLiteral("0"));
}

void TestSignInRequests::signInStoresTheSessionValues()
{
    Service service;
    QVERIFY(service.start());
    QCOMPARE(signIn(service, "600888", "zhangwei", "Vesk@2024", 1), QString());

    const QString base = qs(service.server().baseUrl());
    QCOMPARE(baseValues->userName, QStringLiteral("张伟"));
    QCOMPARE(baseValues->personName, QStringLiteral("张伟"));
    QCOMPARE(baseValues->interfaceUrl, base + QStringLiteral("/enterprise/"));
    QCOMPARE(baseValues->telephone, QStringLiteral("13800138000"));
    QCOMPARE(baseValues->mobileCountryCode, QStringLiteral("+86"));
    QCOMPARE(baseValues->companyCode, QStringLiteral("600888"));
    QCOMPARE(baseValues->tenantInfo, QStringLiteral("T600888"));
    QCOMPARE(baseValues->gatewayAccessToken.size(), 32);
    QCOMPARE(baseValues->accessToken.size(), 32);
    QCOMPARE(baseValues->refreshToken.size(), 32);
    QCOMPARE(baseValues->openId, QStringLiteral("oWx_zhangwei_5f1c"));
    QCOMPARE(baseValues->uid, QStringLiteral("wx10001"));
    QCOMPARE(baseValues->unionId, QStringLiteral("uWx_zhangwei_83a2"));

    const QJsonObject stored = QJsonDocument::fromJson(baseValues->loginResult.toUtf8()).object();
    QCOMPARE(stored.value(QStringLiteral("userName")).toString(), QStringLiteral("zhangwei"));
    QCOMPARE(stored.value(QStringLiteral("gateway_access_token")).toString(), baseValues->gatewayAccessToken);
    QVERIFY(!baseValues->loginResult.contains(QLatin1Char('\n')));
}

void TestSignInRequests::displayAndPersonNameTakeTheFirstNonEmpty_data()
{
    QTest::addColumn<QString>("veskUserName");
    QTest::addColumn<QString>("nickName");
    QTest::addColumn<QString>("personName");
    QTest::addColumn<QString>("userName");
    QTest::addColumn<QString>("storedPersonName");

    QTest::newRow("all present") << "维"
                                 << "小张"
                                 << "张伟"
                                 << "维"
                                 << "张伟";
    QTest::newRow("no vesk name") << ""
                                  << "小张"
                                  << "张伟"
                                  << "小张"
                                  << "张伟";
    QTest::newRow("only account name") << ""
                                       << ""
                                       << ""
                                       << "zhangwei"
                                       << "";
    QTest::newRow("no person name") << "维"
                                    << "小张"
                                    << ""
                                    << "维"
                                    << "小张";
}

void TestSignInRequests::displayAndPersonNameTakeTheFirstNonEmpty()
{
    QFETCH(QString, veskUserName);
    QFETCH(QString, nickName);
    QFETCH(QString, personName);
    QFETCH(QString, userName);
    QFETCH(QString, storedPersonName);

    QTemporaryDir dir;
    const std::string fixture = fixtureVariant(dir, [&](QJsonObject &root) {
        editEntry(root, QStringLiteral("accounts"), QStringLiteral("userName"), QStringLiteral("zhangwei"),
                  [&](QJsonObject &a) {
                      a.insert(QStringLiteral("veskUserName"), veskUserName);
                      a.insert(QStringLiteral("nickName"), nickName);
                      a.insert(QStringLiteral("personName"), personName);
                  });
    });
    Service service(fixture);
    QVERIFY(service.start());
    QCOMPARE(signIn(service, "600888", "zhangwei", "Vesk@2024", 1), QString());
    QCOMPARE(baseValues->userName, userName);
    QCOMPARE(baseValues->personName, storedPersonName);
}

// One field of the sign-in answer as the service sends it, and as the session keeps it.
void TestSignInRequests::answerFieldsAreStoredCleaned_data()
{
    QTest::addColumn<QString>("list"); // fixture list edited: the company 600888 or the account zhangwei
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("stored");
    const QString url = QStringLiteral("interfaceUrl");
    const QString country = QStringLiteral("internationalTelephoneCode");
    QTest::newRow("address ends in api/") << "companies" << url << "http://ent.example/gw/api/"
                                          << "http://ent.example/gw/";
    QTest::newRow("address with api/ twice") << "companies" << url << "http://ent.example/api/v2/api/"
                                             << "http://ent.example/v2/";
    QTest::newRow("address: API is another segment") << "companies" << url << "http://ent.example/API/x/"
                                                     << "http://ent.example/API/x/";
    QTest::newRow("address without api") << "companies" << url << "http://ent.example/"
                                         << "http://ent.example/";
    QTest::newRow("no country code: +86") << "accounts" << country << ""
                                          << "+86";
    QTest::newRow("Hong Kong's country code") << "accounts" << country << "+852"
                                              << "+852";
}

void TestSignInRequests::answerFieldsAreStoredCleaned()
{
    QFETCH(QString, list);
    QFETCH(QString, field);
    QFETCH(QString, sent);
    QFETCH(QString, stored);

    QTemporaryDir dir;
    const bool company = list == QLatin1String("companies");
    const std::string fixture = fixtureVariant(dir, [&](QJsonObject &root) {
        editEntry(root, list, company ? QStringLiteral("companyCode") : QStringLiteral("userName"),
                  company ? QStringLiteral("600888") : QStringLiteral("zhangwei"),
                  [&](QJsonObject &entry) { entry.insert(field, sent); });
    });
    Service service(fixture);
    QVERIFY(service.start());
    baseValues->mobileCountryCode = QStringLiteral("+1"); // not kept from before
    QCOMPARE(signIn(service, "600888", "zhangwei", "Vesk@2024", 1), QString());
    QCOMPARE(company ? baseValues->interfaceUrl : baseValues->mobileCountryCode, stored);
}

void TestSignInRequests::companyBindingSuppliesTokensAndCompany()
{
    QTemporaryDir dir;
    // The bound company differs from the account's own in the answer only
    // through the binding, so give the binding its own interface address.
    const std::string fixture = fixtureVariant(dir, [](QJsonObject &root) {
        editEntry(root, QStringLiteral("companies"), QStringLiteral("companyCode"), QStringLiteral("ZJ3100"),
                  [](QJsonObject &c) {
                      c.insert(QStringLiteral("interfaceUrl"), QStringLiteral("http://reg.example/api/"));
                  });
    });
    Service service(fixture);
    QVERIFY(service.start());
    baseValues->accessToken = QStringLiteral("old");
    QCOMPARE(signIn(service, "ZJ3100", "chenjing", "Chen@2024", 2), QString());

    const QJsonObject answer = QJsonDocument::fromJson(baseValues->loginResult.toUtf8()).object();
    const QJsonObject binding = answer.value(QStringLiteral("bindCompanyInfo")).toObject();
    QVERIFY(!binding.isEmpty());
    QCOMPARE(baseValues->accessToken, binding.value(QStringLiteral("accessToken")).toString());
    QCOMPARE(baseValues->refreshToken, binding.value(QStringLiteral("refreshToken")).toString());
    QCOMPARE(baseValues->accessToken.size(), 32);
    QCOMPARE(baseValues->companyCode, QStringLiteral("ZJ3100"));
    QCOMPARE(baseValues->interfaceUrl, QStringLiteral("http://reg.example/"));
    QCOMPARE(baseValues->userName, QStringLiteral("陈静（上海证监局）"));
}

void TestSignInRequests::emptyWeChatIdsKeepTheRememberedOnes()
{
    QTemporaryDir dir;
    const std::string fixture = fixtureVariant(dir, [](QJsonObject &root) {
        editEntry(root, QStringLiteral("accounts"), QStringLiteral("userName"), QStringLiteral("zhangwei"),
                  [](QJsonObject &a) {
                      a.insert(QStringLiteral("openId"), QString());
                      a.insert(QStringLiteral("unionId"), QString());
                  });
    });
    Service service(fixture);
    QVERIFY(service.start());
    baseValues->openId = QStringLiteral("remembered-open");
    baseValues->uid = QStringLiteral("remembered-uid");
    baseValues->unionId = QStringLiteral("remembered-union");
    QCOMPARE(signIn(service, "600888", "zhangwei", "Vesk@2024", 1), QString());
    QCOMPARE(baseValues->openId, QStringLiteral("remembered-open"));
    QCOMPARE(baseValues->uid, QStringLiteral("wx10001"));
    QCOMPARE(baseValues->unionId, QStringLiteral("remembered-union"));
}

void TestSignInRequests::wrongPasswordGivesTheMessage()
{
    Service service;
    QVERIFY(service.start());
    QCOMPARE(signIn(service, "600888", "zhangwei", "wrong", 1), QStringLiteral("用户名或密码错误"));
    QVERIFY(baseValues->gatewayAccessToken.isEmpty());
    QCOMPARE(signIn(service, "600888", "zhangwei", "Vesk@2024", 2), QStringLiteral("登录版本与公司类型不符"));
}

void TestSignInRequests::signInWithWrongResultTypeIsAFailure()
{
    Service service;
    QVERIFY(service.start());
    devservice::Fault wrongType;
    wrongType.wrongResultType = true;
    service.server().setFault("/idm/api/user/loginByType", wrongType);
    QCOMPARE(signIn(service, "600888", "zhangwei", "Vesk@2024", 1), QStringLiteral("服务返回数据格式错误"));
    QVERIFY(baseValues->loginResult.isEmpty());
}

void TestSignInRequests::smsCodeSignInWorksEndToEnd()
{
    Service service;
    QVERIFY(service.start());
    QCOMPARE(fetchServiceToken(), QString());

    LoginVerifyHttp verify;
    QSignalSpy verifySpy(&verify, &LoginVerifyHttp::sendLoginVerifyResultSignal);
    verify.request(QStringLiteral("600888"), QStringLiteral("13800138000"));
    QCOMPARE(resultAt(verifySpy), QString());
    QCOMPARE(header(service.last(), "Authorization"), baseValues->s_accessToken);
    const QString code = qs(service.server().lastSmsCode("13800138000"));
    QVERIFY(!code.isEmpty());

    LoginHttp login;
    QSignalSpy loginSpy(&login, &LoginHttp::sendLoginResultSignal);
    login.loginByMobile(QStringLiteral("600888"), QStringLiteral("13800138000"), code, 1);
    QCOMPARE(resultAt(loginSpy), QString());
    QCOMPARE(baseValues->userName, QStringLiteral("张伟"));

    // An unknown number is refused with the service's message.
    verify.request(QStringLiteral("600888"), QStringLiteral("13000000000"));
    QCOMPARE(resultAt(verifySpy, 1), QStringLiteral("该手机号未在本公司注册"));
}

void TestSignInRequests::openIdSignInSendsUnionIdInLowerCase()
{
    Service service;
    QVERIFY(service.start());
    LoginHttp login;
    QSignalSpy spy(&login, &LoginHttp::sendLoginResultSignal);
    login.autoLoginByOpenId(QStringLiteral("oWx_zhangwei_5f1c"), QStringLiteral("wx10001"),
                            QStringLiteral("uWx_zhangwei_83a2"));
    QCOMPARE(resultAt(spy), QString());
    QCOMPARE(formValue(service.last().body, QStringLiteral("unionid")), QStringLiteral("uWx_zhangwei_83a2"));
    QVERIFY(!qs(service.last().body).contains(QLatin1String("unionId")));
    QCOMPARE(baseValues->companyCode, QStringLiteral("600888"));

    login.autoLoginByOpenId(QStringLiteral("oWx_zhangwei_5f1c"), QStringLiteral("wx10001"),
                            QStringLiteral("other"));
    QCOMPARE(resultAt(spy, 1), QStringLiteral("微信账号未绑定"));
}

void TestSignInRequests::simulatedSignInFindsTheUser_data()
{
    QTest::addColumn<QString>("company");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("userName");
    QTest::newRow("by account") << "600888"
                                << "lina"
                                << "" << QStringLiteral("娜娜");
    QTest::newRow("by phone") << "600888"
                              << "13800138000"
                              << "" << QStringLiteral("张伟");
    QTest::newRow("other company") << "FIN8801"
                                   << "lina" << QStringLiteral("用户不存在") << "";
}

void TestSignInRequests::simulatedSignInFindsTheUser()
{
    QFETCH(QString, company);
    QFETCH(QString, user);
    QFETCH(QString, result);
    QFETCH(QString, userName);

    Service service;
    QVERIFY(service.start());
    LoginHttp login;
    QSignalSpy spy(&login, &LoginHttp::sendLoginResultSignal);
    login.simulateLogin(company, user);
    QCOMPARE(resultAt(spy), result);
    QCOMPARE(baseValues->userName, userName);
}

void TestSignInRequests::weChatSignInWalksUrlBindingAndUuid()
{
    Service service;
    QVERIFY(service.start());

    LoginWxUrlHttp url;
    QSignalSpy urlSpy(&url, &LoginWxUrlHttp::sendLoginWxUrlResultSignal);
    url.request();
    QCOMPARE(resultAt(urlSpy), QString());
    QVERIFY(!baseValues->wxUuid.isEmpty());
    QCOMPARE(baseValues->wxLoginUrl,
             qs(service.server().baseUrl()) + QStringLiteral("/wx/") + baseValues->wxUuid);

    LoginWxBindingHttp binding;
    QSignalSpy bindingSpy(&binding, &LoginWxBindingHttp::sendLoginWxBindingResultSignal);
    binding.request(baseValues->wxUuid);
    QCOMPARE(resultAt(bindingSpy, 0), QStringLiteral("1"));
    QVERIFY(service.server().scanWxUuid(baseValues->wxUuid.toStdString()));
    binding.request(baseValues->wxUuid);
    QCOMPARE(resultAt(bindingSpy, 1), QStringLiteral("3"));

    LoginHttp login;
    QSignalSpy loginSpy(&login, &LoginHttp::sendLoginResultSignal);
    login.simulateLoginByUuid(baseValues->wxUuid);
    QCOMPARE(resultAt(loginSpy), QString());
    QCOMPARE(baseValues->openId, QStringLiteral("oWx_zhangwei_5f1c"));

    binding.request(QStringLiteral("unknown"));
    QCOMPARE(resultAt(bindingSpy, 2), QStringLiteral("二维码已失效，请刷新"));
}

void TestSignInRequests::weChatAnswersWithWrongResultTypeAreFailures()
{
    Service service;
    QVERIFY(service.start());
    devservice::Fault wrongType;
    wrongType.wrongResultType = true;
    service.server().setFault("/idm/api/user/getWeixinLoginUrl", wrongType);
    service.server().setFault("/idm/api/user/getBindingStatus", wrongType);
    service.server().setFault("/idm/api/user/getVerifyCode", wrongType);

    LoginWxUrlHttp url;
    QSignalSpy urlSpy(&url, &LoginWxUrlHttp::sendLoginWxUrlResultSignal);
    url.request();
    QCOMPARE(resultAt(urlSpy), QStringLiteral("服务返回数据格式错误"));
    QVERIFY(baseValues->wxUuid.isEmpty());

    LoginWxBindingHttp binding;
    QSignalSpy bindingSpy(&binding, &LoginWxBindingHttp::sendLoginWxBindingResultSignal);
    binding.request(QStringLiteral("whatever"));
    QCOMPARE(resultAt(bindingSpy), QStringLiteral("服务返回数据格式错误"));

    QCOMPARE(fetchServiceToken(), QString());
    LoginVerifyHttp verify;
    QSignalSpy verifySpy(&verify, &LoginVerifyHttp::sendLoginVerifyResultSignal);
    verify.request(QStringLiteral("600888"), QStringLiteral("13800138000"));
    QCOMPARE(resultAt(verifySpy), QStringLiteral("服务返回数据格式错误"));
}

QTEST_GUILESS_MAIN(TestSignInRequests)
#include "tst_signinrequests.moc"
