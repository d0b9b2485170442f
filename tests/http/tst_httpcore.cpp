// The request core as the service sees it and as callers see its results:
// every class on the wire, every failure in the class's form, time-outs,
// sticky headers, encoding and certificate checks.

#include "app/waits.h"
#include "http/httphelper.h"
#include "http/usermessage.h"
#include "httptestsupport.h"
#include "requestcases.h"
#include "support/testsupport.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QScopedValueRollback>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

#ifdef Q_OS_LINUX
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

using namespace httptest;

namespace {

#ifdef Q_OS_LINUX
// This process's TCP connections to port on this machine, each as whether it
// sends small writes at once.
QList<bool> clientEndsTo(quint16 port)
{
    QList<bool> ends;
    for (const QString &name : QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System)) {
        const int fd = name.toInt();
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        if (getpeername(fd, reinterpret_cast<sockaddr *>(&peer), &length) != 0 ||
            peer.sin_family != AF_INET || ntohs(peer.sin_port) != port)
            continue;
        int noDelay = 0;
        length = sizeof noDelay;
        getsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &noDelay, &length);
        ends.append(noDelay != 0);
    }
    return ends;
}
#endif

} // namespace

Q_DECLARE_METATYPE(httptest::RequestCase)
Q_DECLARE_METATYPE(httptest::Form)

namespace {

// Exposes the send forms and reports the status the handler got.
class ProbeHttp final : public HttpHelper
{
    Q_OBJECT

public:
    using HttpHelper::HttpHelper;

signals:
    void handled(int statusCode, QByteArray data);

protected:
    void handleReply(QNetworkReply *, QByteArray data, int statusCode) override
    {
        emit handled(statusCode, data);
    }
};

enum class Outcome
{
    Refused,
    RefusedWithoutMessage,
    HttpError,
    Garbage,
    TimedOut
};

QString expectedFailure(Form form, Outcome outcome, const QString &errorCode)
{
    const auto prefixed = [form](const QString &text) {
        return form == Form::Plain ? text : QStringLiteral("error:") + text;
    };
    switch (outcome) {
    case Outcome::Refused:
        return form == Form::Activity ? errorCode : prefixed(QStringLiteral("模拟的服务错误"));
    case Outcome::RefusedWithoutMessage:
        return form == Form::Activity
                   ? errorCode
                   : prefixed(errorCode.isEmpty() ? QStringLiteral("请求失败") : errorCode);
    case Outcome::HttpError:
        return prefixed(QStringLiteral("InternalServerError"));
    case Outcome::Garbage:
        return form == Form::Activity ? QStringLiteral("error:服务返回数据格式错误")
                                      : prefixed(QStringLiteral("服务返回数据格式错误"));
    case Outcome::TimedOut:
        return QStringLiteral("error:请求超时");
    }
    return QString();
}

// The tag that starts a class's debug lines.
QString logTag(const QString &caseName)
{
    static const QMap<QString, QString> tags = {
        {"ServiceTokenHttp", "ServiceToken"},
        {"LoginComVerifyHttp", "LoginComVerify"},
        {"LoginHttp", "Login"},
        {"LoginVerifyHttp", "LoginVerify"},
        {"LoginWxUrlHttp", "LoginWxUrl"},
        {"LoginWxBindingHttp", "LoginWxBinding"},
        {"TmTokenHttp", "TmToken"},
        {"TmSDKInfoHttp", "TmSDKInfoHttp"},
        {"TmMtgQueryHttp", "TmMtgQuery"},
        {"TmMtgQueryDHttp", "TmMtgQueryD"},
        {"TmMtgCreateHttp", "TmMtgCreate"},
        {"TmMtgDeleteHttp", "TmMtgDelete"},
        {"TmMtgInviteHttp", "TmMtgInvite"},
        {"TmMtgMaxPeopleHttp", "TmMtgMaxPeople"},
        {"TmMtgNickChangeHttp", "TmMtgNickChange"},
        {"TmMtgSummaryHttp", "TmMtgSummary"},
        {"TmPhoneVerifyHttp", "TmPhoneVerify"},
        {"ActMtgDetailHttp", "ActMtgDetail"},
        {"ActivityApproveHttp", "ActivityApprove"},
        {"VeskVersionHttp", "VeskVersion"},
    };
    return tags.value(caseName.section(QStringLiteral("::"), 0, 0));
}

QString expectedLogLine(const QString &caseName, Outcome outcome, const QString &errorCode)
{
    const QString tag = logTag(caseName);
    const bool serviceToken = tag == QLatin1String("ServiceToken");
    switch (outcome) {
    case Outcome::Refused:
        return tag + QStringLiteral(" error code:") + errorCode + QStringLiteral(" message:模拟的服务错误");
    case Outcome::RefusedWithoutMessage:
        return tag + QStringLiteral(" error code:") + errorCode + QStringLiteral(" message:");
    case Outcome::HttpError:
        return serviceToken ? QStringLiteral("service token fail! error message = InternalServerError")
                            : tag + QStringLiteral(" error:InternalServerError");
    case Outcome::Garbage:
        return tag + QStringLiteral(" error:服务返回数据格式错误");
    case Outcome::TimedOut:
        return serviceToken ? QStringLiteral("service token error:请求超时")
                            : tag + QStringLiteral(" error:请求超时");
    }
    return QString();
}

} // namespace

Q_DECLARE_METATYPE(Outcome)

class TestHttpCore : public QObject
{
    Q_OBJECT

private:
    // The stand-in over HTTPS with a fresh certificate at cert (its key beside it).
    bool startHttps(const QTemporaryDir &dir, const std::string &cert)
    {
        const std::string key = dir.filePath(QStringLiteral("key.pem")).toStdString();
        m_service = std::make_unique<Service>();
        return devservice::makeTestCertificate(cert, key) && m_service->start(true, cert, key);
    }

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void everyRequestGoesOnTheWireAsTheServiceExpects_data();
    void everyRequestGoesOnTheWireAsTheServiceExpects();
    void everyFailureTakesTheClassesResultForm_data();
    void everyFailureTakesTheClassesResultForm();
    void refusedConnectionGivesEnumeratorName_data();
    void refusedConnectionGivesEnumeratorName();
    void lateAnswerAfterTimeOutGivesSecondResult();
    void lateAnswerOfARetriedRequestIsDropped();
    void answerOtherThanTwoHundredGivesNoErrorName_data();
    void answerOtherThanTwoHundredGivesNoErrorName();
    void handlerSeesTimeOutAsMinusOne();
    void sendFormsLeaveTheirHeadersBehind();
    void reservedCharactersArriveAsTyped();
    void untrustedCertificateIsRefused();
    void configuredCaCertificateIsTrusted();
    void requestsOverHttpsShareOneConnection();
    void reusedConnectionSendsBodiesAtOnce();
    void openedConnectionIsTrustedAsARequestIs_data();
    void openedConnectionIsTrustedAsARequestIs();
    void otherConfiguredCaIsNoTrust();

private:
    std::unique_ptr<Service> m_service;
};

void TestHttpCore::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestHttpCore::init()
{
    m_service = std::make_unique<Service>();
    QVERIFY(m_service->start());
}

void TestHttpCore::cleanup()
{
    m_service.reset();
    delete baseValues;
    baseValues = nullptr;
}

void TestHttpCore::everyRequestGoesOnTheWireAsTheServiceExpects_data()
{
    QTest::addColumn<RequestCase>("request");
    for (const RequestCase &c : requestCases())
        QTest::newRow(qPrintable(c.name)) << c;
}

void TestHttpCore::everyRequestGoesOnTheWireAsTheServiceExpects()
{
    QFETCH(RequestCase, request);
    setCaseTokens();
    QObject owner;
    QObject *http = request.send(&owner);
    QSignalSpy spy(http, request.signal.constData());
    resultAt(spy);

    const auto logged = m_service->requests();
    QCOMPARE(int(logged.size()), 1);
    const devservice::LoggedRequest &wire = logged.front();
    QCOMPARE(qs(wire.method), request.method);
    QCOMPARE(qs(wire.path), request.path);
    QCOMPARE(qs(wire.query), request.query);
    QCOMPARE(header(wire, "Accept"), QStringLiteral("application/json;charset=utf-8;"));
    QCOMPARE(header(wire, "Content-type").toUtf8(), request.contentType);
    if (request.authorization.isEmpty()) {
        QVERIFY(!hasHeaderIgnoringCase(wire, QStringLiteral("Authorization")));
    } else {
        QCOMPARE(header(wire, "Authorization"), request.authorization);
    }
    QCOMPARE(QByteArray::fromStdString(wire.body), request.body);
}

void TestHttpCore::everyFailureTakesTheClassesResultForm_data()
{
    QTest::addColumn<RequestCase>("request");
    QTest::addColumn<Outcome>("outcome");
    const QList<QPair<const char *, Outcome>> outcomes = {
        {"refused", Outcome::Refused},    {"refused without message", Outcome::RefusedWithoutMessage},
        {"http 500", Outcome::HttpError}, {"not json", Outcome::Garbage},
        {"timed out", Outcome::TimedOut},
    };
    for (const RequestCase &c : requestCases()) {
        for (const auto &o : outcomes)
            QTest::newRow(qPrintable(c.name + QStringLiteral(" / ") + QLatin1String(o.first)))
                << c << o.second;
    }
}

void TestHttpCore::everyFailureTakesTheClassesResultForm()
{
    QFETCH(RequestCase, request);
    QFETCH(Outcome, outcome);
    QScopedValueRollback<int> timeout(Waits::requestTimeoutMs, 300);
    setCaseTokens();

    devservice::Fault fault;
    switch (outcome) {
    case Outcome::Refused:
        fault.successFalse = true;
        break;
    case Outcome::RefusedWithoutMessage:
        fault.successFalse = true;
        fault.withErrorMsg = false;
        break;
    case Outcome::HttpError:
        fault.httpStatus = 500;
        break;
    case Outcome::Garbage:
        fault.nonJson = true;
        break;
    case Outcome::TimedOut:
        fault.delayMs = 1500;
        break;
    }
    m_service->server().setFault(request.path.toStdString(), fault);

    auto log = std::make_unique<testsupport::LogCapture>();
    QObject owner;
    QObject *http = request.send(&owner);
    QSignalSpy spy(http, request.signal.constData());
    const QString result = resultAt(spy);
    const QStringList capturedLines = log->lines();
    log.reset();
    QVERIFY2(!result.isEmpty(), "a failure must never read as success");
    QCOMPARE(result, expectedFailure(request.form, outcome, QStringLiteral("500")));
    // Beside the text, the outcome as it is: no caller reads it from the text.
    const ServiceReply reply = replyAt(spy);
    const QMap<Outcome, ServiceReply::Outcome> told = {
        {Outcome::Refused, ServiceReply::Refused},
        {Outcome::RefusedWithoutMessage, ServiceReply::Refused},
        {Outcome::HttpError, ServiceReply::NetworkFailed},
        {Outcome::Garbage, ServiceReply::Malformed},
        {Outcome::TimedOut, ServiceReply::TimedOut}};
    QCOMPARE(reply.outcome, told.value(outcome));
    if (request.form != Form::Activity)
        QCOMPARE(reply.message, QString(result).remove(QRegularExpression(QStringLiteral("^error:"))));
    if (outcome == Outcome::HttpError)
        QCOMPARE(userMessage(reply), QStringLiteral("服务器繁忙，请稍后再试"));
    const QString line = expectedLogLine(request.name, outcome, QStringLiteral("500"));
    QVERIFY2(
        capturedLines.contains(line),
        qPrintable(QStringLiteral("expected \"%1\" in %2").arg(line, capturedLines.join(QLatin1Char('|')))));
}

void TestHttpCore::refusedConnectionGivesEnumeratorName_data()
{
    everyRequestGoesOnTheWireAsTheServiceExpects_data();
}

void TestHttpCore::refusedConnectionGivesEnumeratorName()
{
    QFETCH(RequestCase, request);
    freshBaseValues(QStringLiteral("http://127.0.0.1:%1").arg(closedPort()));
    setCaseTokens();

    QObject owner;
    QObject *http = request.send(&owner);
    QSignalSpy spy(http, request.signal.constData());
    const QString expected = request.form == Form::Plain ? QStringLiteral("ConnectionRefusedError")
                                                         : QStringLiteral("error:ConnectionRefusedError");
    QCOMPARE(resultAt(spy), expected);
    QCOMPARE(replyAt(spy).networkError, QNetworkReply::ConnectionRefusedError);
    QCOMPARE(userMessage(replyAt(spy)), QStringLiteral("无法连接服务器，请检查网络后重试"));
}

void TestHttpCore::lateAnswerAfterTimeOutGivesSecondResult()
{
    QScopedValueRollback<int> timeout(Waits::requestTimeoutMs, 200);
    devservice::Fault slow;
    slow.delayMs = 800;
    slow.times = 1;
    m_service->server().setFault("/service/oauth/token", slow);

    ServiceTokenHttp http;
    QSignalSpy spy(&http, &ServiceTokenHttp::sendServiceTokenResultSignal);
    QElapsedTimer clock;
    clock.start();
    http.request();
    QCOMPARE(resultAt(spy, 0), QStringLiteral("error:请求超时"));
    QVERIFY(clock.elapsed() < 800);
    QVERIFY(baseValues->s_accessToken.isEmpty());

    QCOMPARE(resultAt(spy, 1), QString());
    QVERIFY(!baseValues->s_accessToken.isEmpty());
    QCOMPARE(baseValues->serviceTokenExpiresIn, 7200);
}

void TestHttpCore::lateAnswerOfARetriedRequestIsDropped()
{
    // The first company check answers after its time-out; by then the user
    // has retried with a company that has the service.
    QScopedValueRollback<int> timeout(Waits::requestTimeoutMs, 300);
    devservice::Fault slow;
    slow.delayMs = 900;
    slow.times = 1;
    m_service->server().setFault("/cloud/application/portCloudApplication", slow);
    testsupport::LogCapture log;

    LoginComVerifyHttp http;
    QSignalSpy spy(&http, &LoginComVerifyHttp::sendComVerifyResultSignal);
    http.request(QStringLiteral("000999"));
    QCOMPARE(resultAt(spy, 0), QStringLiteral("error:请求超时"));
    http.request(QStringLiteral("600888"));
    QCOMPARE(resultAt(spy, 1), QStringLiteral("1"));

    QTRY_VERIFY_WITH_TIMEOUT(log.contains(QStringLiteral("LoginComVerifyHttp late answer dropped")), 5000);
    QCOMPARE(int(m_service->requests().size()), 2);
    QCOMPARE(spy.count(), 2);
}

void TestHttpCore::answerOtherThanTwoHundredGivesNoErrorName_data()
{
    QTest::addColumn<int>("status");
    QTest::newRow("201 created") << 201;
    QTest::newRow("204 no content") << 204;
    QTest::newRow("302 redirect, not followed") << 302;
}

void TestHttpCore::answerOtherThanTwoHundredGivesNoErrorName()
{
    QFETCH(int, status);
    devservice::Fault created;
    created.httpStatus = status;
    m_service->server().setFault("/cloud/analyze/getLastVersion", created);
    m_service->server().setFault("/service/tencent-meeting/user/sdkInit", created);

    VeskVersionHttp version;
    QSignalSpy versionSpy(&version, &VeskVersionHttp::sendVersionResultSignal);
    version.request();
    QCOMPARE(resultAt(versionSpy), QStringLiteral("NoError"));

    TmSDKInfoHttp sdk;
    QSignalSpy sdkSpy(&sdk, &TmSDKInfoHttp::sendTmSdkInfoResultSignal);
    sdk.request();
    QCOMPARE(resultAt(sdkSpy), QStringLiteral("error:NoError"));
}

void TestHttpCore::handlerSeesTimeOutAsMinusOne()
{
    QScopedValueRollback<int> timeout(Waits::requestTimeoutMs, 150);
    devservice::Fault slow;
    slow.delayMs = 600;
    m_service->server().setFault("/service/probe", slow);

    ProbeHttp probe;
    QSignalSpy spy(&probe, &ProbeHttp::handled);
    probe.httpGet(baseValues->serviceUrl + QStringLiteral("probe"));
    QVERIFY(spy.wait(2000));
    QCOMPARE(spy.at(0).at(0).toInt(), -1);
    QCOMPARE(spy.at(0).at(1).toByteArray(), QByteArray(""));
    // The one timer is stopped by the time-out: no second time-out follows.
    QVERIFY(spy.wait(2000));
    QVERIFY(spy.at(1).at(0).toInt() != -1);
    QVERIFY(!spy.wait(400));
}

void TestHttpCore::sendFormsLeaveTheirHeadersBehind()
{
    ProbeHttp probe;
    QSignalSpy spy(&probe, &ProbeHttp::handled);
    const QString url = baseValues->serviceUrl + QStringLiteral("probe");

    probe.httpPost(url, "a=1");
    QVERIFY(spy.wait());
    probe.httpPostAuth(url, QStringLiteral("tok-A"), "a=2");
    QVERIFY(spy.wait());
    probe.httpPostJson(url, "{}");
    QVERIFY(spy.wait());
    probe.httpPost(url, "a=3");
    QVERIFY(spy.wait());
    probe.httpPostJsonAuth(url, QStringLiteral("tok-B"), "{}");
    QVERIFY(spy.wait());
    probe.httpGet(url);
    QVERIFY(spy.wait());

    const auto logged = m_service->requests();
    QCOMPARE(int(logged.size()), 6);
    QCOMPARE(header(logged[0], "Content-type").toUtf8(), formType);
    QVERIFY(!hasHeaderIgnoringCase(logged[0], QStringLiteral("Authorization")));
    QCOMPARE(header(logged[1], "Authorization"), QStringLiteral("tok-A"));
    QCOMPARE(header(logged[2], "Content-type").toUtf8(), jsonType);
    QCOMPARE(header(logged[2], "Authorization"), QStringLiteral("tok-A"));
    QCOMPARE(header(logged[3], "Content-type").toUtf8(), jsonType);
    QCOMPARE(qs(logged[3].body), QStringLiteral("a=3"));
    QCOMPARE(header(logged[4], "Authorization"), QStringLiteral("tok-B"));
    QCOMPARE(qs(logged[5].method), QStringLiteral("GET"));
    QCOMPARE(header(logged[5], "Authorization"), QStringLiteral("tok-B"));
}

void TestHttpCore::reservedCharactersArriveAsTyped()
{
    const QString password = QStringLiteral("P&ss=1+2%41 中");
    QTemporaryDir dir;
    const std::string fixture = fixtureVariant(dir, [&password](QJsonObject &root) {
        editEntry(root, QStringLiteral("accounts"), QStringLiteral("userName"), QStringLiteral("zhangwei"),
                  [&password](QJsonObject &a) { a.insert(QStringLiteral("password"), password); });
    });
    m_service = std::make_unique<Service>(fixture);
    QVERIFY(m_service->start());

    LoginHttp http;
    QSignalSpy spy(&http, &LoginHttp::sendLoginResultSignal);
    http.loginByAccount(QStringLiteral("600888"), QStringLiteral("zhangwei"), password, 1);
    QCOMPARE(resultAt(spy), QString());
    QCOMPARE(formValue(m_service->last().body, QStringLiteral("password")), password);

    // A value cannot smuggle a parameter in.
    http.loginByAccount(QStringLiteral("600888"), QStringLiteral("zhangwei&password=") + password,
                        QStringLiteral("wrong"), 1);
    QCOMPARE(resultAt(spy, 1), QStringLiteral("用户名或密码错误"));
}

void TestHttpCore::untrustedCertificateIsRefused()
{
    QTemporaryDir dir;
    const std::string cert = dir.filePath(QStringLiteral("cert.pem")).toStdString();
    QVERIFY(startHttps(dir, cert));
    QVERIFY(baseValues->serviceUrl.startsWith(QLatin1String("https://")));

    ServiceTokenHttp token;
    QSignalSpy spy(&token, &ServiceTokenHttp::sendServiceTokenResultSignal);
    token.request();
    QCOMPARE(resultAt(spy), QStringLiteral("SslHandshakeFailedError"));
    QVERIFY(baseValues->s_accessToken.isEmpty());

    // A CA file that cannot be read trusts nothing extra.
    baseValues->caCertificates = dir.filePath(QStringLiteral("missing.pem"));
    TmSDKInfoHttp sdk;
    QSignalSpy sdkSpy(&sdk, &TmSDKInfoHttp::sendTmSdkInfoResultSignal);
    sdk.request();
    QCOMPARE(resultAt(sdkSpy), QStringLiteral("error:SslHandshakeFailedError"));
}

void TestHttpCore::configuredCaCertificateIsTrusted()
{
    QTemporaryDir dir;
    const std::string cert = dir.filePath(QStringLiteral("cert.pem")).toStdString();
    QVERIFY(startHttps(dir, cert));
    baseValues->caCertificates = qs(cert);

    ServiceTokenHttp token;
    QSignalSpy spy(&token, &ServiceTokenHttp::sendServiceTokenResultSignal);
    token.request();
    QCOMPARE(resultAt(spy), QString());
    QVERIFY(!baseValues->s_accessToken.isEmpty());
    QCOMPARE(qs(m_service->last().path), QStringLiteral("/service/oauth/token"));
}

// Separate request objects go through one manager: one TCP connection and one
// TLS handshake for the host, not one per object.
void TestHttpCore::requestsOverHttpsShareOneConnection()
{
    QTemporaryDir dir;
    const std::string cert = dir.filePath(QStringLiteral("cert.pem")).toStdString();
    QVERIFY(startHttps(dir, cert));
    baseValues->caCertificates = qs(cert);

    ServiceTokenHttp token;
    QSignalSpy tokenSpy(&token, &ServiceTokenHttp::sendServiceTokenResultSignal);
    token.request();
    QCOMPARE(resultAt(tokenSpy), QString());

    TmSDKInfoHttp sdk;
    QSignalSpy sdkSpy(&sdk, &TmSDKInfoHttp::sendTmSdkInfoResultSignal);
    sdk.request();
    QVERIFY(!resultAt(sdkSpy).endsWith(QLatin1String("Error")));

    QCOMPARE(int(m_service->requests().size()), 2);
    QCOMPARE(m_service->server().connectionCount(), 1);
}

// Qt writes a POST's header and body apart; on a reused connection the body
// must not wait for the server's delayed acknowledgement of the header.
void TestHttpCore::reusedConnectionSendsBodiesAtOnce()
{
#ifdef Q_OS_LINUX
    m_service = std::make_unique<Service>();
    QVERIFY(m_service->start());
    ServiceTokenHttp token;
    QSignalSpy spy(&token, &ServiceTokenHttp::sendServiceTokenResultSignal);
    token.request();
    QCOMPARE(resultAt(spy), QString());

    // The client's end of the connection: its peer is the stand-in's port.
    QCOMPARE(clientEndsTo(quint16(QUrl(baseValues->serviceUrl).port())), QList<bool>{true});
#else
    QSKIP("reads the process's descriptors from /proc");
#endif
}

// A connection opened ahead is trusted on a request's terms, and the request
// then rides it instead of opening another.
void TestHttpCore::openedConnectionIsTrustedAsARequestIs_data()
{
    QTest::addColumn<QString>("ca");
    QTest::addColumn<QString>("result");
    QTest::newRow("the server's own CA") << QStringLiteral("cert.pem") << QString();
    QTest::newRow("another CA") << QStringLiteral("other.pem") << QStringLiteral("SslHandshakeFailedError");
    QTest::newRow("no CA") << QString() << QStringLiteral("SslHandshakeFailedError");
}

void TestHttpCore::openedConnectionIsTrustedAsARequestIs()
{
    QFETCH(QString, ca);
    QFETCH(QString, result);
    QTemporaryDir dir;
    QVERIFY(devservice::makeTestCertificate(dir.filePath(QStringLiteral("other.pem")).toStdString(),
                                            dir.filePath(QStringLiteral("other-key.pem")).toStdString()));
    QVERIFY(startHttps(dir, dir.filePath(QStringLiteral("cert.pem")).toStdString()));
    if (!ca.isEmpty())
        baseValues->caCertificates = dir.filePath(ca);

    HttpHelper::openConnection(baseValues->serviceUrl);
    auto *manager = qApp->findChild<QNetworkAccessManager *>();
    QVERIFY(manager);
    QSignalSpy opened(manager, &QNetworkAccessManager::finished);
    QVERIFY(opened.wait());

    ServiceTokenHttp token;
    QSignalSpy spy(&token, &ServiceTokenHttp::sendServiceTokenResultSignal);
    token.request();
    QCOMPARE(resultAt(spy), result);
    QCOMPARE(int(m_service->requests().size()), result.isEmpty() ? 1 : 0);
#ifdef Q_OS_LINUX
    if (result.isEmpty())
        QCOMPARE(clientEndsTo(quint16(QUrl(baseValues->serviceUrl).port())).size(), 1);
#endif
}

// The configured CAs are checked against the server's own chain: a CA file
// naming some other certificate trusts nothing.
void TestHttpCore::otherConfiguredCaIsNoTrust()
{
    QTemporaryDir dir;
    const std::string cert = dir.filePath(QStringLiteral("cert.pem")).toStdString();
    const std::string other = dir.filePath(QStringLiteral("other.pem")).toStdString();
    const std::string otherKey = dir.filePath(QStringLiteral("other-key.pem")).toStdString();
    QVERIFY(devservice::makeTestCertificate(other, otherKey));
    QVERIFY(startHttps(dir, cert));
    baseValues->caCertificates = qs(other);

    ServiceTokenHttp token;
    QSignalSpy spy(&token, &ServiceTokenHttp::sendServiceTokenResultSignal);
    token.request();
    QCOMPARE(resultAt(spy), QStringLiteral("SslHandshakeFailedError"));
    QVERIFY(m_service->requests().empty());
}

QTEST_GUILESS_MAIN(TestHttpCore)
#include "tst_httpcore.moc"
