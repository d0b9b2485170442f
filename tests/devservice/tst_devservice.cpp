#include "devservice/devservice.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrlQuery>

#include <memory>

namespace {

struct Answer
{
    int status = 0;
    QByteArray body;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QList<QSslError> sslErrors;
    QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
    QJsonValue result() const { return json().value("result"); }
    bool success() const { return json().value("success").toBool(); }
};

// Sends like the client does: form content type, raw headers as given.
Answer send(QNetworkAccessManager &nam, const QByteArray &method, const QString &url,
            const QByteArray &body = QByteArray(), const QList<QPair<QByteArray, QByteArray>> &headers = {},
            const QSslConfiguration *ssl = nullptr)
{
    QNetworkRequest request{QUrl(url, QUrl::TolerantMode)};
    request.setRawHeader("Accept", "application/json;charset=utf-8;");
    request.setRawHeader("Content-type", "application/x-www-form-urlencoded;charset=utf-8;");
    for (const auto &h : headers)
        request.setRawHeader(h.first, h.second);
    if (ssl)
        request.setSslConfiguration(*ssl);
    QNetworkReply *reply = method == "GET" ? nam.get(request) : nam.post(request, body);
    Answer a;
    QObject::connect(reply, &QNetworkReply::sslErrors, [&a](const QList<QSslError> &e) { a.sslErrors = e; });
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    a.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    a.error = reply->error();
    a.body = reply->readAll();
    reply->deleteLater();
    return a;
}

QByteArray json(const QJsonObject &o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

} // namespace

class TestDevService : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<devservice::Server> server;
    QNetworkAccessManager nam;
    QString service, cloud, idm;

    QString serviceToken()
    {
        const Answer a =
            send(nam, "POST",
                 service + "oauth/token?grant_type=client_credentials&response_type=token"
                           "&client_id=3b9e07c4d2a15f68&client_secret=a81d5e2f3b9e07c4d2a15f6870c4b1e9");
        return a.result().toObject().value("access_token").toString();
    }

    // Signs in with an account; returns the "result" object of the answer.
    QJsonObject signIn(const QString &company, const QString &user, const QString &password, int type = 1)
    {
        const Answer a =
            send(nam, "POST", idm + "api/user/loginByType",
                 QString("type=2&appId=video_meeting&companyCode=%1&userName=%2&password=%3&loginType=%4")
                     .arg(company, user, password)
                     .arg(type)
                     .toUtf8());
        return a.result().toObject();
    }

    QJsonArray meetings(const QJsonObject &login)
    {
        const Answer a =
            send(nam, "POST",
                 service + "tencent-meeting/meeting/queryMeeting?tenant_info=" +
                     login.value("gateway_tenant_info").toString(),
                 QByteArray(), {{"Authorization", login.value("gateway_access_token").toString().toUtf8()}});
        return a.result().toArray();
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        server = std::make_unique<devservice::Server>();
        const int port = server->start(0);
        QVERIFY(port > 0);
        QCOMPARE(server->port(), port);
        service = QString::fromStdString(server->serviceUrl());
        cloud = QString::fromStdString(server->cloudUrl());
        idm = QString::fromStdString(server->idmUrl());
        QCOMPARE(service, QString("http://127.0.0.1:%1/service/").arg(port));
    }

    void init()
    {
        server->clearFaults();
        server->clearRequests();
        server->resetData();
    }

    void startsOnEphemeralPortAndIssuesServiceToken()
    {
        const Answer a =
            send(nam, "POST",
                 service + "oauth/token?grant_type=client_credentials&response_type=token"
                           "&client_id=3b9e07c4d2a15f68&client_secret=a81d5e2f3b9e07c4d2a15f6870c4b1e9");
        QCOMPARE(a.status, 200);
        QVERIFY(a.success());
        const QJsonObject r = a.result().toObject();
        QVERIFY(!r.value("access_token").toString().isEmpty());
        QCOMPARE(r.value("expires_in").toInt(), 7200);

        const Answer wrong = send(nam, "POST",
                                  service + "oauth/token?grant_type=client_credentials&response_type=token"
                                            "&client_id=3b9e07c4d2a15f68&client_secret=nope");
        QCOMPARE(wrong.status, 401);
        QCOMPARE(wrong.error, QNetworkReply::AuthenticationRequiredError);
    }

    void requestLogRecordsMethodPathQueryHeadersBody()
    {
        send(nam, "POST",
             service + "tencent-meeting/user/getVerifyCode?access_token=abc&mobileCountryCode=%2B86",
             "userName=李娜&x=1", {{"Authorization", "tok-123"}});
        send(nam, "GET", QString::fromStdString(server->baseUrl()) + "/_dev/requests");
        const auto log = server->requests();
        QCOMPARE(int(log.size()), 1); // the control path is not logged
        const devservice::LoggedRequest &r = log.front();
        QCOMPARE(QString::fromStdString(r.method), QString("POST"));
        QCOMPARE(QString::fromStdString(r.path), QString("/service/tencent-meeting/user/getVerifyCode"));
        QCOMPARE(QString::fromStdString(r.query), QString("access_token=abc&mobileCountryCode=%2B86"));
        QCOMPARE(QString::fromStdString(r.body), QString("userName=李娜&x=1"));
        QCOMPARE(QString::fromStdString(r.headers.at("Authorization")), QString("tok-123"));
        QCOMPARE(QString::fromStdString(r.headers.at("Content-type")),
                 QString("application/x-www-form-urlencoded;charset=utf-8;"));

        const Answer listed = send(nam, "GET", QString::fromStdString(server->baseUrl()) + "/_dev/requests");
        const QJsonArray entries = QJsonDocument::fromJson(listed.body).array();
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries[0].toObject().value("query").toString(),
                 QString("access_token=abc&mobileCountryCode=%2B86"));
        QCOMPARE(entries[0].toObject().value("headers").toObject().value("Authorization").toString(),
                 QString("tok-123"));

        send(nam, "POST", QString::fromStdString(server->baseUrl()) + "/_dev/clear");
        QVERIFY(server->requests().empty());
    }

    void faultReplacesTheAnswer_data()
    {
        QTest::addColumn<int>("httpStatus");
        QTest::addColumn<bool>("nonJson");
        QTest::addColumn<bool>("successFalse");
        QTest::addColumn<bool>("withErrorMsg");
        QTest::addColumn<bool>("wrongResult");
        QTest::newRow("http 500") << 500 << false << false << true << false;
        QTest::newRow("not json") << 0 << true << false << true << false;
        QTest::newRow("success false with message") << 0 << false << true << true << false;
        QTest::newRow("success false without message") << 0 << false << true << false << false;
        QTest::newRow("wrong result type") << 0 << false << false << true << true;
    }

    void faultReplacesTheAnswer()
    {
        QFETCH(int, httpStatus);
        QFETCH(bool, nonJson);
        QFETCH(bool, successFalse);
        QFETCH(bool, withErrorMsg);
        QFETCH(bool, wrongResult);
        const QString path = "/cloud/application/portCloudApplication";
        devservice::Fault f;
        f.httpStatus = httpStatus;
        f.nonJson = nonJson;
        f.successFalse = successFalse;
        f.withErrorMsg = withErrorMsg;
        f.wrongResultType = wrongResult;
        f.times = 1;
        server->setFault(path.toStdString(), f);

        const Answer a = send(nam, "POST", cloud + "application/portCloudApplication", "companyCode=600888");
        if (httpStatus) {
            QCOMPARE(a.status, httpStatus);
            QCOMPARE(a.json().value("success").toBool(true), false); // a JSON body the client must not read
        } else if (nonJson) {
            QCOMPARE(a.status, 200);
            QVERIFY(QJsonDocument::fromJson(a.body).isNull());
        } else if (successFalse) {
            QCOMPARE(a.json().value("success").toBool(true), false);
            QCOMPARE(a.json().contains("errorMsg"), withErrorMsg);
            if (withErrorMsg)
                QCOMPARE(a.json().value("errorMsg").toString(), QString("模拟的服务错误"));
        } else {
            QVERIFY(a.success());
            QVERIFY(!a.result().isObject());
        }

        // applied once, then the normal answer is back
        const Answer normal =
            send(nam, "POST", cloud + "application/portCloudApplication", "companyCode=600888");
        QCOMPARE(normal.status, 200);
        QVERIFY(normal.success());
        QCOMPARE(normal.result().toObject().value("ipoFlag").toString(), QString("1"));
    }

    void faultDelaysUntilCleared()
    {
        devservice::Fault f;
        f.delayMs = 400;
        server->setFault("/cloud/analyze/getLastVersion", f);
        QElapsedTimer t;
        t.start();
        Answer a = send(nam, "POST", cloud + "analyze/getLastVersion", "appType=7&version=1.0.0");
        QVERIFY(t.elapsed() >= 380);
        QVERIFY(a.success()); // a delay alone keeps the real answer
        a = send(nam, "POST", cloud + "analyze/getLastVersion", "appType=7&version=1.0.0");
        QVERIFY(t.elapsed() >= 760); // until cleared

        // the control interface sets and clears the same faults
        const QString base = QString::fromStdString(server->baseUrl());
        send(nam, "POST", base + "/_dev/faults/clear");
        t.restart();
        send(nam, "POST", cloud + "analyze/getLastVersion", "appType=7&version=1.0.0");
        QVERIFY(t.elapsed() < 380);
        send(nam, "POST", base + "/_dev/fault",
             json({{"path", "/cloud/analyze/getLastVersion"}, {"httpStatus", 503}, {"times", 1}}));
        QCOMPARE(send(nam, "POST", cloud + "analyze/getLastVersion", "appType=7").status, 503);
        QCOMPARE(send(nam, "POST", cloud + "analyze/getLastVersion", "appType=7").status, 200);
    }

    void companyCheckAndSignInGiveRealErrors()
    {
        Answer a = send(nam, "POST", cloud + "application/portCloudApplication", "companyCode=999999");
        QVERIFY(!a.success());
        QVERIFY(!a.json().value("errorMsg").toString().isEmpty());
        a = send(nam, "POST", cloud + "application/portCloudApplication", "companyCode=000999");
        QVERIFY(a.success());
        QVERIFY(!a.result().toObject().value("chargeApplyModule").toString().split(',').contains("4"));

        QVERIFY(signIn("600888", "zhangwei", "wrong").isEmpty());
        a = send(
            nam, "POST", idm + "api/user/loginByType",
            "type=2&appId=video_meeting&companyCode=600888&userName=zhangwei&password=wrong&loginType=1");
        QCOMPARE(a.json().value("errorMsg").toString(), QString("用户名或密码错误"));

        const QJsonObject login = signIn("600888", "zhangwei", "Vesk@2024");
        QCOMPARE(login.value("companyCode").toString(), QString("600888"));
        QCOMPARE(login.value("userMobile").toString(), QString("13800138000"));
        QVERIFY(!login.value("gateway_access_token").toString().isEmpty());
        QVERIFY(login.value("interfaceUrl").toString().endsWith("api/"));
    }

    void createdMeetingIsListedRenamedAndCancelled()
    {
        const QJsonObject login = signIn("600888", "zhangwei", "Vesk@2024");
        const QByteArray token = login.value("gateway_access_token").toString().toUtf8();
        const QString tenant = login.value("gateway_tenant_info").toString();
        const int before = meetings(login).size();
        QVERIFY(before >= 5);

        const QDateTime start = QDateTime::currentDateTime().addSecs(3600);
        QJsonObject body{{"subject", "测试会议"},
                         {"startTime", start.toString("yyyy-MM-dd hh:mm:00")},
                         {"endTime", start.addSecs(1800).toString("yyyy-MM-dd hh:mm:00")},
                         {"needPassword", true},
                         {"password", "1234"},
                         {"id", ""},
                         {"meetingType", 1}};
        Answer a =
            send(nam, "POST", service + "tencent-meeting/meeting/createMeeting?tenant_info=" + tenant,
                 json(body), {{"Content-type", "application/json;charset=utf-8;"}, {"Authorization", token}});
        QVERIFY(a.success());
        const QString code = a.result().toObject().value("meetingCode").toString();
        const QString id = a.result().toObject().value("meetingId").toString();
        QCOMPARE(code.size(), 9);

        auto find = [&](const QString &c) {
            for (const QJsonValue &v : meetings(login))
                if (v.toObject().value("meetingCode").toString() == c)
                    return v.toObject();
            return QJsonObject();
        };
        QCOMPARE(meetings(login).size(), before + 1);
        QCOMPARE(find(code).value("subject").toString(), QString("测试会议"));
        QCOMPARE(find(code).value("password").toString(), QString("1234"));

        body.insert("id", id);
        body.insert("subject", "改名后的会议");
        a = send(nam, "POST", service + "tencent-meeting/meeting/createMeeting?tenant_info=" + tenant,
                 json(body), {{"Content-type", "application/json;charset=utf-8;"}, {"Authorization", token}});
        QVERIFY(a.success());
        QCOMPARE(meetings(login).size(), before + 1);
        QCOMPARE(find(code).value("subject").toString(), QString("改名后的会议"));

        a = send(nam, "POST",
                 service + "tencent-meeting/meeting/deleteMeeting?tenant_info=" + tenant +
                     "&meetingCodes=" + id,
                 QByteArray(), {{"Authorization", token}});
        QVERIFY(a.success());
        QCOMPARE(a.result(), QJsonValue(true));
        QVERIFY(find(code).isEmpty());
        QCOMPARE(meetings(login).size(), before);
    }

    void badCredentialsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("authorization");
        QTest::addColumn<int>("httpStatus");
        QTest::newRow("meeting list, no token")
            << QByteArray("POST") << "tencent-meeting/meeting/queryMeeting?tenant_info=T600888"
            << QByteArray() << 200;
        QTest::newRow("meeting list, wrong token")
            << QByteArray("POST") << "tencent-meeting/meeting/queryMeeting?tenant_info=T600888"
            << QByteArray("forged") << 200;
        QTest::newRow("summary, wrong service token")
            << QByteArray("GET")
            << "tencent-meeting/meeting/meetingSummary?meetingCode=482915736&access_token=x" << QByteArray()
            << 401;
        QTest::newRow("sdk init, no token")
            << QByteArray("GET") << "tencent-meeting/user/sdkInit?access_token=" << QByteArray() << 401;
        QTest::newRow("activity check, no token")
            << QByteArray("POST") << "tencent-meeting/activity/checkActivityApprove" << QByteArray() << 401;
    }

    void badCredentialsAreRefused()
    {
        QFETCH(QByteArray, method);
        QFETCH(QString, path);
        QFETCH(QByteArray, authorization);
        QFETCH(int, httpStatus);
        QList<QPair<QByteArray, QByteArray>> headers;
        if (!authorization.isEmpty())
            headers.append({"Authorization", authorization});
        const Answer a = send(nam, method, service + path, QByteArray(), headers);
        QCOMPARE(a.status, httpStatus);
        if (httpStatus == 200) {
            QVERIFY(!a.success());
            QCOMPARE(a.json().value("errorCode").toString(), QString("401"));
        }
        // and the same with a valid token works
        if (path.contains("meetingSummary")) {
            const Answer good =
                send(nam, method,
                     QString(service + path).replace("access_token=x", "access_token=" + serviceToken()));
            QVERIFY(good.success());
        }
    }

    void tokenWithSchemeWordIsRefused()
    {
        // The service takes the bare token in "Authorization"; a client that
        // put "Bearer" in front must not get through here either.
        const QByteArray token = serviceToken().toUtf8();
        const QByteArray body = R"({"meetingId":"x","telephone":"","mobileCountryCode":"+86"})";
        const QList<QPair<QByteArray, QByteArray>> json = {
            {"Content-type", "application/json;charset=utf-8;"}};
        Answer a = send(nam, "POST", service + "tencent-meeting/activity/checkActivityApprove", body,
                        json + QList<QPair<QByteArray, QByteArray>>{{"Authorization", "Bearer " + token}});
        QCOMPARE(a.status, 401);
        a = send(nam, "POST", service + "tencent-meeting/activity/checkActivityApprove", body,
                 json + QList<QPair<QByteArray, QByteArray>>{{"Authorization", token}});
        QCOMPARE(a.status, 200);

        const QJsonObject login = signIn("600888", "zhangwei", "Vesk@2024");
        const QByteArray gateway = login.value("gateway_access_token").toString().toUtf8();
        QVERIFY(!gateway.isEmpty());
        const QString list = service + "tencent-meeting/meeting/queryMeeting?tenant_info=" +
                             login.value("gateway_tenant_info").toString();
        a = send(nam, "POST", list, QByteArray(), {{"Authorization", "Bearer " + gateway}});
        QVERIFY(!a.success());
        QCOMPARE(a.json().value("errorCode").toString(), QString("401"));
        a = send(nam, "POST", list, QByteArray(), {{"Authorization", gateway}});
        QVERIFY(a.success());
    }

    void smsCodeSignsInOnce()
    {
        const QByteArray token = serviceToken().toUtf8();
        Answer a = send(nam, "POST", idm + "api/user/getVerifyCode",
                        "companyCode=600888&userName=13900139001&appId=video_meeting&sendSms=true",
                        {{"Authorization", token}});
        QVERIFY(a.success());
        const QString code = QString::fromStdString(server->lastSmsCode("13900139001"));
        QCOMPARE(code.size(), 6);
        const QString body =
            "type=1&appId=video_meeting&companyCode=600888&mobile=13900139001&verifyCode=%1&loginType=1";
        a = send(nam, "POST", idm + "api/user/loginByType", body.arg(code).toUtf8());
        QVERIFY(a.success());
        QCOMPARE(a.result().toObject().value("userName").toString(), QString("lina"));
        a = send(nam, "POST", idm + "api/user/loginByType", body.arg(code).toUtf8());
        QVERIFY(!a.success()); // used up

        const Answer sms =
            send(nam, "GET", QString::fromStdString(server->baseUrl()) + "/_dev/sms?phone=13900139001");
        QCOMPARE(QJsonDocument::fromJson(sms.body).object().value("code").toString(), code);
    }

    void accountWithoutPhoneCompletesItByCode()
    {
        const QJsonObject login = signIn("600888", "wangfang", "Wang@2024");
        const QByteArray token = login.value("gateway_access_token").toString().toUtf8();
        const QString url = service + "tencent-meeting/user/token?tenant_info=T600888";
        const QList<QPair<QByteArray, QByteArray>> headers{
            {"Content-type", "application/json;charset=utf-8;"}, {"Authorization", token}};
        Answer a = send(nam, "POST", url, json({{"accountType", "1"}}), headers);
        QVERIFY(a.success());
        QCOMPARE(a.result().toObject().value("loginStatus").toInt(), 3);

        a = send(nam, "GET",
                 service + "tencent-meeting/user/getVerifyCode?access_token=" + serviceToken() +
                     "&telephone=13300133009&mobileCountryCode=%2B86");
        QVERIFY(a.success());
        const QString code = QString::fromStdString(server->lastSmsCode("13300133009"));
        a = send(nam, "POST", url,
                 json({{"accountType", "1"},
                       {"telephone", "13300133009"},
                       {"mobileCountryCode", "+86"},
                       {"verifyCode", code}}),
                 headers);
        QVERIFY(a.success());
        QCOMPARE(a.result().toObject().value("loginStatus").toInt(), 1);
        QCOMPARE(a.result().toObject().value("telephone").toString(), QString("13300133009"));
    }

    void wechatPageBindsTheUuid()
    {
        Answer a = send(nam, "POST", idm + "api/user/getWeixinLoginUrl", "slightFlag=videoMeeting");
        const QString url = a.result().toObject().value("weixinLoginUrl").toString();
        const QString uuid = a.result().toObject().value("uuid").toString();
        QVERIFY(url.toUtf8().size() <= 46); // fits a version-5 QR code at level H
        QVERIFY(url.endsWith(uuid));
        a = send(nam, "POST", idm + "api/user/getBindingStatus", ("uuid=" + uuid).toUtf8());
        QCOMPARE(a.result().toObject().value("bindingStatus").toString(), QString("1"));
        QVERIFY(
            !send(nam, "POST", idm + "api/user/simulateLoginByUUID", ("uuid=" + uuid).toUtf8()).success());

        QCOMPARE(send(nam, "GET", url).status, 200);
        a = send(nam, "POST", idm + "api/user/getBindingStatus", ("uuid=" + uuid).toUtf8());
        QCOMPARE(a.result().toObject().value("bindingStatus").toString(), QString("3"));
        a = send(nam, "POST", idm + "api/user/simulateLoginByUUID", ("uuid=" + uuid).toUtf8());
        QVERIFY(a.success());
        QVERIFY(!a.result().toObject().value("openId").toString().isEmpty());
    }

    void activityAdmissionMovesOnWithItsPages()
    {
        const QByteArray token = serviceToken().toUtf8();
        auto check = [&](const QString &phone) {
            return send(nam, "POST", service + "tencent-meeting/activity/checkActivityApprove",
                        json({{"meetingId", "14502348210934758206"},
                              {"telephone", phone},
                              {"mobileCountryCode", "+86"}}),
                        {{"Content-type", "application/json;charset=utf-8;"}, {"Authorization", token}});
        };
        QVERIFY(check("13800138000").success());
        QCOMPARE(check("13011112222").json().value("errorCode").toString(), QString("010"));

        Answer a = check("13900139001");
        QCOMPARE(a.json().value("errorCode").toString(), QString("005"));
        QCOMPARE(send(nam, "GET", a.result().toObject().value("activityShortUrl").toString()).status, 200);
        a = check("13900139001");
        QCOMPARE(a.json().value("errorCode").toString(), QString("030"));
        QCOMPARE(send(nam, "GET", a.result().toObject().value("signatureUrl").toString()).status, 200);
        QVERIFY(check("13900139001").success());

        a = send(nam, "GET",
                 service +
                     "tencent-meeting/meeting/meetingSummary?meetingCode=927461035&access_token=" + token);
        QCOMPARE(a.result().toObject().value("meetingType").toString(), QString("活动系统"));
    }

    void meetingsWithTheirOwnAdmissionCode_data()
    {
        QTest::addColumn<QString>("meetingId");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("page"); // the result key with the page to open; empty: none
        QTest::newRow("register first (001)") << "14502348210934758212"
                                              << "001"
                                              << "activityShortUrl";
        QTest::newRow("sign first (006)") << "14502348210934758213"
                                          << "006"
                                          << "signatureUrl";
        QTest::newRow("not on the list (010)") << "14502348210934758214"
                                               << "010"
                                               << "";
        QTest::newRow("meeting no longer valid (111)") << "14502348210934758215"
                                                       << "111"
                                                       << "";
    }

    void meetingsWithTheirOwnAdmissionCode()
    {
        QFETCH(QString, meetingId);
        QFETCH(QString, code);
        QFETCH(QString, page);
        const QByteArray token = serviceToken().toUtf8();
        auto check = [&] {
            return send(
                nam, "POST", service + "tencent-meeting/activity/checkActivityApprove",
                json({{"meetingId", meetingId}, {"telephone", "13011112222"}, {"mobileCountryCode", "+86"}}),
                {{"Content-type", "application/json;charset=utf-8;"}, {"Authorization", token}});
        };
        const Answer first = check();
        QVERIFY(!first.success());
        QCOMPARE(first.json().value("errorCode").toString(), code);
        // Asking again before the page was opened changes nothing.
        const Answer again = check();
        QCOMPARE(again.json().value("errorCode").toString(), code);
        if (page.isEmpty()) {
            QVERIFY(first.result().toObject().value("activityShortUrl").toString().isEmpty());
            return;
        }
        const QString url = first.result().toObject().value(page).toString();
        QVERIFY(url.startsWith(QString::fromStdString(server->baseUrl())));
        QCOMPARE(again.result().toObject().value(page).toString(), url);

        server->clearRequests();
        QCOMPARE(send(nam, "GET", url).status, 200); // as scanning the QR code does
        const std::vector<devservice::LoggedRequest> log = server->requests();
        QCOMPARE(log.size(), size_t(1));
        QCOMPARE(QString::fromStdString(log.front().path), QUrl(url).path());
        QVERIFY(check().success());
        // Another phone still has the step to do.
        QCOMPARE(
            send(nam, "POST", service + "tencent-meeting/activity/checkActivityApprove",
                 json({{"meetingId", meetingId}, {"telephone", "13011113333"}, {"mobileCountryCode", "+86"}}),
                 {{"Content-type", "application/json;charset=utf-8;"}, {"Authorization", token}})
                .json()
                .value("errorCode")
                .toString(),
            code);
    }

    void guestTokenAsksForAVerifiedPhoneWhereTheMeetingDoes_data()
    {
        QTest::addColumn<QString>("meetingCode");
        QTest::addColumn<int>("withoutPhone"); // loginStatus
        QTest::addColumn<int>("withCode");     // loginStatus once verified
        QTest::newRow("ordinary meeting") << "482915736" << 1 << 1;
        QTest::newRow("phone verification") << "729364051" << 2 << 1;
        QTest::newRow("activity meeting") << "618203947" << 2 << 1;
        QTest::newRow("guests turned away") << "729364062" << 4 << 4;
    }

    void guestTokenAsksForAVerifiedPhoneWhereTheMeetingDoes()
    {
        QFETCH(QString, meetingCode);
        QFETCH(int, withoutPhone);
        QFETCH(int, withCode);
        const QString serviceTok = serviceToken();
        const QString url = service + "tencent-meeting/user/token?access_token=" + serviceTok;
        const QList<QPair<QByteArray, QByteArray>> headers{
            {"Content-type", "application/json;charset=utf-8;"}};
        QJsonObject body{
            {"accountType", "2"}, {"serialNo", "0123"}, {"meetingCode", meetingCode}, {"nickName", "访客"}};
        Answer a = send(nam, "POST", url, json(body), headers);
        QVERIFY(a.success());
        QCOMPARE(a.result().toObject().value("loginStatus").toInt(), withoutPhone);
        QVERIFY(!a.result().toObject().value("meetingId").toString().isEmpty());

        // A phone from a link, not yet verified, is not enough.
        body.insert("telephone", "13011112222");
        body.insert("mobileCountryCode", "+86");
        QCOMPARE(send(nam, "POST", url, json(body), headers).result().toObject().value("loginStatus").toInt(),
                 withoutPhone);
        body.insert("verifyCode", "000000");
        a = send(nam, "POST", url, json(body), headers);
        if (withoutPhone == 2) {
            QVERIFY(!a.success());
            QCOMPARE(a.json().value("errorCode").toString(), QString("1003"));
        }

        a = send(nam, "GET",
                 service + "tencent-meeting/user/getVerifyCode?access_token=" + serviceTok +
                     "&telephone=13011112222&mobileCountryCode=%2B86");
        QVERIFY(a.success());
        body.insert("verifyCode", QString::fromStdString(server->lastSmsCode("13011112222")));
        a = send(nam, "POST", url, json(body), headers);
        QVERIFY(a.success());
        QCOMPARE(a.result().toObject().value("loginStatus").toInt(), withCode);
        if (withoutPhone == 2) {
            QCOMPARE(a.result().toObject().value("telephone").toString(), QString("13011112222"));
            QVERIFY(!send(nam, "POST", url, json(body), headers).success()); // the code is used up
        }
    }

    void versionCheckOffersOnlyNewerReleases()
    {
        Answer a = send(nam, "POST", cloud + "analyze/getLastVersion", "appType=7&version=1.0.0");
        QVERIFY(a.success());
        QCOMPARE(a.result().toArray().size(), 0);
        server->addVersion("1.2.0", "新功能");
        a = send(nam, "POST", cloud + "analyze/getLastVersion", "appType=7&version=0.9.5");
        const QJsonArray list = a.result().toArray();
        QCOMPARE(list.size(), 2);
        QCOMPARE(list[0].toObject().value("version").toString(), QString("1.2.0"));
        QCOMPARE(list[1].toObject().value("version").toString(), QString("1.0.0"));
    }

    void malformedInputIsRefusedAndServerKeepsAnswering_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("httpStatus");
        QTest::newRow("token body not JSON")
            << QByteArray("POST") << "service/tencent-meeting/user/token?access_token=x" << QByteArray("{")
            << 200;
        QTest::newRow("broken percent escapes") << QByteArray("POST") << "idm/api/user/loginByType?%zz=%"
                                                << QByteArray("type=%E4%&companyCode=%%&&=") << 200;
        QTest::newRow("wrong method")
            << QByteArray("GET") << "idm/api/user/loginByType" << QByteArray() << 405;
        QTest::newRow("unknown path") << QByteArray("POST") << "service/api/nothing" << QByteArray() << 404;
        QTest::newRow("guest without nickname")
            << QByteArray("POST") << "service/tencent-meeting/user/token?access_token=x"
            << QByteArray("{\"accountType\":\"2\"}") << 401;
    }

    void malformedInputIsRefusedAndServerKeepsAnswering()
    {
        QFETCH(QByteArray, method);
        QFETCH(QString, url);
        QFETCH(QByteArray, body);
        QFETCH(int, httpStatus);
        const Answer a = send(nam, method, QString::fromStdString(server->baseUrl()) + "/" + url, body);
        QCOMPARE(a.status, httpStatus);
        if (httpStatus == 200)
            QVERIFY(!a.success());
        QVERIFY(
            send(nam, "POST", cloud + "application/portCloudApplication", "companyCode=600888").success());
    }

    void quickMeetingIsJoinableAndInvitable()
    {
        const QJsonObject login = signIn("600888", "lina", "Lina@2024");
        const QByteArray token = login.value("gateway_access_token").toString().toUtf8();
        Answer a = send(nam, "POST", service + "tencent-meeting/meeting/createMeeting?tenant_info=T600888",
                        json({{"meetingType", 1}}),
                        {{"Content-type", "application/json;charset=utf-8;"}, {"Authorization", token}});
        QVERIFY(a.success());
        const QString code = a.result().toObject().value("meetingCode").toString();
        QVERIFY(a.result().toObject().value("joinUrl").toString().endsWith(code));
        // her meeting name is the product name, so the person name stands in
        QCOMPARE(a.result().toObject().value("subject").toString(), QString("李娜的快速会议"));

        a = send(nam, "POST",
                 service +
                     "tencent-meeting/meeting/invitationMessage?tenant_info=T600888&meetingCode=" + code,
                 QByteArray(), {{"Authorization", token}});
        QCOMPARE(a.result().toObject().value("rootNum").toString(), code);
        QCOMPARE(a.result().toObject().value("meetingName").toString(), QString("李娜的快速会议"));
        QVERIFY(a.result().toObject().value("meetingTime").toString().contains("GMT"));

        // someone else's meeting cannot be cancelled
        const QJsonObject other = signIn("600888", "zhangwei", "Vesk@2024");
        a = send(nam, "POST",
                 service + "tencent-meeting/meeting/deleteMeeting?tenant_info=T600888&meetingCodes=" + code,
                 QByteArray(), {{"Authorization", other.value("gateway_access_token").toString().toUtf8()}});
        QVERIFY(!a.success());
    }

    void eventsReportSmsCodesOutsideTheLock()
    {
        QStringList lines;
        server->setEventHandler([&](const std::string &line) {
            lines << QString::fromStdString(line);
            server->requests(); // calling back into the server must not deadlock
        });
        send(nam, "GET",
             service + "tencent-meeting/user/getVerifyCode?access_token=" + serviceToken() +
                 "&telephone=13300133008&mobileCountryCode=%2B86");
        server->setEventHandler(nullptr);
        const QString code = QString::fromStdString(server->lastSmsCode("13300133008"));
        QVERIFY(!code.isEmpty());
        QVERIFY(lines.filter("13300133008").join("").contains(code));
    }

    void httpsAnswersWithTheMadeCertificateTrusted()
    {
        QTemporaryDir dir;
        const std::string cert = dir.filePath("cert.pem").toStdString();
        const std::string key = dir.filePath("key.pem").toStdString();
        QVERIFY(devservice::makeTestCertificate(cert, key));
        devservice::Server secure;
        QVERIFY(secure.start(0, true, cert, key) > 0);
        QVERIFY(QString::fromStdString(secure.baseUrl()).startsWith("https://127.0.0.1:"));

        QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
        ssl.setCaCertificates(QSslCertificate::fromPath(dir.filePath("cert.pem")));
        ssl.setPeerVerifyMode(QSslSocket::VerifyPeer);
        QNetworkAccessManager own;
        const Answer a =
            send(own, "POST", QString::fromStdString(secure.cloudUrl()) + "application/portCloudApplication",
                 "companyCode=600888", {}, &ssl);
        QVERIFY2(a.sslErrors.isEmpty(), qPrintable(a.sslErrors.value(0).errorString()));
        QCOMPARE(a.status, 200);
        QVERIFY(a.success());
        own.clearConnectionCache();
        QElapsedTimer t;
        t.start();
        secure.stop();
        QVERIFY(t.elapsed() < 3000);
    }
};

QTEST_GUILESS_MAIN(TestDevService)
#include "tst_devservice.moc"
