// Activity, admission and version requests, and the start-up waits for the
// service token and the version check.

#include "app/waits.h"
#include "http/startuprequests.h"
#include "httptestsupport.h"
#include "requestcases.h"

#include <QElapsedTimer>
#include <QScopedValueRollback>
#include <QSslSocket>
#include <QStandardPaths>
#include <QtTest>

using namespace httptest;

class TestActivityRequests : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void activityDetailIsTheFirstEntry_data();
    void activityDetailIsTheFirstEntry();
    void admissionAnswersCarryTheCodeAndAddresses_data();
    void admissionAnswersCarryTheCodeAndAddresses();
    void admissionRefusalWithoutSignatureUrlStoresItEmpty();
    void admissionLateAnswerOverwritesTheEmptiedValues();
    void admissionNetworkErrorEmptiesTheValues();

    void versionNotesListEveryNewerVersion();
    void noNewerVersionLeavesBothEmpty();
    void versionAnswerWithoutListCountsAsEmpty();

    void startupTokenStopsAtTheFirstSuccess();
    void startupTokenTriesFourTimesThenGoesOn();
    void startupTokenWaitEndsWhenTheServiceIsSilent();
    void startupTokenSucceedsOnALaterAttempt();
    void startupTokenAnsweredAfterTheRequestTimeOutCounts();
    void sslSupportIsLogged();
    void startupVersionCheckFillsLatestVersion();
    void startupVersionCheckWithoutServiceGoesOn();

private:
    QString fetchServiceToken();
    QString approve(const QString &meetingId, const QString &phone);

    std::unique_ptr<Service> m_service;
};

void TestActivityRequests::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestActivityRequests::init()
{
    m_service = std::make_unique<Service>();
    QVERIFY(m_service->start());
}

void TestActivityRequests::cleanup()
{
    // Start-up keeps its requests for late answers; none may reach the next case.
    finishStartupRequests();
    m_service.reset();
    delete baseValues;
    baseValues = nullptr;
}

QString TestActivityRequests::fetchServiceToken()
{
    ServiceTokenHttp http;
    QSignalSpy spy(&http, &ServiceTokenHttp::sendServiceTokenResultSignal);
    http.request();
    return resultAt(spy);
}

QString TestActivityRequests::approve(const QString &meetingId, const QString &phone)
{
    ActivityApproveHttp http;
    QSignalSpy spy(&http, &ActivityApproveHttp::sendCheckActivityApproveResultSignal);
    http.request(meetingId, phone, QStringLiteral("+86"));
    return resultAt(spy);
}

void TestActivityRequests::activityDetailIsTheFirstEntry_data()
{
    QTest::addColumn<QString>("meetingIds");
    QTest::addColumn<QString>("activityId");
    QTest::newRow("activity meeting") << "14502348210934758206" << "ACT20260001";
    QTest::newRow("two meetings") << "14502348210934758209,14502348210934758206" << "ACT20260002";
    QTest::newRow("plain meeting") << "14502348210934758201" << "";
}

void TestActivityRequests::activityDetailIsTheFirstEntry()
{
    QFETCH(QString, meetingIds);
    QFETCH(QString, activityId);
    QCOMPARE(fetchServiceToken(), QString());

    ActMtgDetailHttp http;
    QSignalSpy spy(&http, &ActMtgDetailHttp::sendActMtgDetailResultSignal);
    http.request(meetingIds);
    const QString result = resultAt(spy);
    QCOMPARE(header(m_service->last(), "Authorization"), baseValues->s_accessToken);
    QCOMPARE(formValue(m_service->last().body, QStringLiteral("meetingIds")), meetingIds);
    if (activityId.isEmpty()) {
        QCOMPARE(result, QStringLiteral("{}"));
    } else {
        const QJsonObject activity = QJsonDocument::fromJson(result.toUtf8()).object();
        QCOMPARE(activity.value("id").toString(), activityId);
    }
}

void TestActivityRequests::admissionAnswersCarryTheCodeAndAddresses_data()
{
    QTest::addColumn<QString>("meetingId");
    QTest::addColumn<QString>("phone");
    QTest::addColumn<QString>("result");
    QTest::addColumn<bool>("shortUrl");
    QTest::addColumn<bool>("signature");

    QTest::newRow("admitted") << "14502348210934758206" << "13800138000" << "" << false << false;
    QTest::newRow("plain meeting") << "14502348210934758201" << "13000000000" << "" << false << false;
    QTest::newRow("must register") << "14502348210934758206" << "13900139001" << "005" << true << false;
    QTest::newRow("must sign") << "14502348210934758206" << "13600136003" << "030" << false << true;
    QTest::newRow("not listed") << "14502348210934758206" << "13000000000" << "010" << false << false;
    QTest::newRow("expired") << "14502348210934758211" << "13800138000" << "111" << false << false;
}

void TestActivityRequests::admissionAnswersCarryTheCodeAndAddresses()
{
    QFETCH(QString, meetingId);
    QFETCH(QString, phone);
    QFETCH(QString, result);
    QFETCH(bool, shortUrl);
    QFETCH(bool, signature);

    QCOMPARE(fetchServiceToken(), QString());
    baseValues->activityShortUrl = QStringLiteral("old-short");
    baseValues->signatureUrl = QStringLiteral("old-signature");
    baseValues->signatureId = QStringLiteral("old-id");

    QCOMPARE(approve(meetingId, phone), result);
    QCOMPARE(!baseValues->activityShortUrl.isEmpty(), shortUrl);
    QCOMPARE(!baseValues->signatureUrl.isEmpty(), signature);
    QCOMPARE(!baseValues->signatureId.isEmpty(), signature);
    if (shortUrl)
        QVERIFY(baseValues->activityShortUrl.startsWith(qs(m_service->server().baseUrl()) + QStringLiteral("/a/")));
}

void TestActivityRequests::admissionRefusalWithoutSignatureUrlStoresItEmpty()
{
    CannedServer canned(200, R"({"success":false,"errorCode":"005","errorMsg":"x","result":{"activityShortUrl":"http://a/1"}})");
    freshBaseValues(canned.baseUrl());
    baseValues->signatureUrl = QStringLiteral("old");
    QCOMPARE(approve(QStringLiteral("1"), QStringLiteral("2")), QStringLiteral("005"));
    QCOMPARE(baseValues->activityShortUrl, QStringLiteral("http://a/1"));
    QCOMPARE(baseValues->signatureUrl, QString());
    QCOMPARE(baseValues->signatureId, QString());
}

void TestActivityRequests::admissionLateAnswerOverwritesTheEmptiedValues()
{
    QScopedValueRollback<int> timeout(Waits::requestTimeoutMs, 200);
    QCOMPARE(fetchServiceToken(), QString());
    devservice::Fault slow;
    slow.delayMs = 700;
    slow.times = 1;
    m_service->server().setFault("/service/tencent-meeting/activity/checkActivityApprove", slow);
    baseValues->signatureUrl = QStringLiteral("old");

    ActivityApproveHttp http;
    QSignalSpy spy(&http, &ActivityApproveHttp::sendCheckActivityApproveResultSignal);
    http.request(QStringLiteral("14502348210934758206"), QStringLiteral("13600136003"), QStringLiteral("+86"));
    QCOMPARE(resultAt(spy, 0), QStringLiteral("error:请求超时"));
    QCOMPARE(baseValues->signatureUrl, QString());
    QCOMPARE(resultAt(spy, 1), QStringLiteral("030"));
    QVERIFY(!baseValues->signatureUrl.isEmpty());
    QVERIFY(baseValues->signatureId.startsWith(QLatin1String("SIG")));
}

void TestActivityRequests::admissionNetworkErrorEmptiesTheValues()
{
    baseValues->activityShortUrl = QStringLiteral("old");
    baseValues->signatureUrl = QStringLiteral("old");
    baseValues->signatureId = QStringLiteral("old");
    // No service token: the service answers 401.
    QCOMPARE(approve(QStringLiteral("14502348210934758206"), QStringLiteral("13600136003")),
             QStringLiteral("error:AuthenticationRequiredError"));
    QVERIFY(baseValues->activityShortUrl.isEmpty());
    QVERIFY(baseValues->signatureUrl.isEmpty());
    QVERIFY(baseValues->signatureId.isEmpty());
}

void TestActivityRequests::versionNotesListEveryNewerVersion()
{
    m_service->server().addVersion("1.1.0", "修复若干问题。");
    m_service->server().addVersion("1.2.0", "新增会议录制。");
    VeskVersionHttp http;
    QSignalSpy spy(&http, &VeskVersionHttp::sendVersionResultSignal);
    http.request();
    QCOMPARE(resultAt(spy), QString());
    QVERIFY(!hasHeaderIgnoringCase(m_service->last(), QStringLiteral("Authorization")));
    QCOMPARE(baseValues->latestVersion, QStringLiteral("V1.2.0"));
    QCOMPARE(baseValues->updateContent, QStringLiteral("V1.2.0\n新增会议录制。\nV1.1.0\n修复若干问题。\n"));
}

void TestActivityRequests::noNewerVersionLeavesBothEmpty()
{
    baseValues->latestVersion = QStringLiteral("V9");
    baseValues->updateContent = QStringLiteral("old");
    VeskVersionHttp http;
    QSignalSpy spy(&http, &VeskVersionHttp::sendVersionResultSignal);
    http.request();
    QCOMPARE(resultAt(spy), QString());
    QCOMPARE(baseValues->latestVersion, QString());
    QCOMPARE(baseValues->updateContent, QString());

    // An older installation is offered every newer release, newest first.
    baseValues->versionNo = QStringLiteral("0.9.2");
    http.request();
    QCOMPARE(resultAt(spy, 1), QString());
    QCOMPARE(baseValues->latestVersion, QStringLiteral("V1.0.0"));
    QVERIFY(baseValues->updateContent.startsWith(QLatin1String("V1.0.0\n")));
    QVERIFY(baseValues->updateContent.contains(QLatin1String("\nV0.9.5\n")));
}

void TestActivityRequests::versionAnswerWithoutListCountsAsEmpty()
{
    m_service->server().addVersion("1.2.0", "x");
    devservice::Fault wrongType;
    wrongType.wrongResultType = true;
    m_service->server().setFault("/cloud/analyze/getLastVersion", wrongType);
    VeskVersionHttp http;
    QSignalSpy spy(&http, &VeskVersionHttp::sendVersionResultSignal);
    http.request();
    QCOMPARE(resultAt(spy), QString());
    QCOMPARE(baseValues->latestVersion, QString());
}

void TestActivityRequests::startupTokenStopsAtTheFirstSuccess()
{
    fetchServiceTokenAtStartup();
    QCOMPARE(baseValues->s_accessToken.size(), 32);
    QCOMPARE(int(m_service->requests().size()), 1);
}

void TestActivityRequests::startupTokenTriesFourTimesThenGoesOn()
{
    QScopedValueRollback<int> wait(Waits::startupWaitMs, 2000);
    QScopedValueRollback<int> pause(Waits::tokenRetryPauseMs, 300);
    devservice::Fault broken;
    broken.httpStatus = 500;
    m_service->server().setFault("/service/oauth/token", broken);

    QElapsedTimer clock;
    clock.start();
    fetchServiceTokenAtStartup();
    QVERIFY(baseValues->s_accessToken.isEmpty());
    QCOMPARE(int(m_service->requests().size()), 4);
    // The pause follows every failed attempt, the fourth too: three pauses
    // and four quick answers stay well below four pauses.
    QVERIFY2(clock.elapsed() >= 4 * 300, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(clock.elapsed() < 4 * 2000);
}

void TestActivityRequests::startupTokenWaitEndsWhenTheServiceIsSilent()
{
    QScopedValueRollback<int> wait(Waits::startupWaitMs, 250);
    QScopedValueRollback<int> pause(Waits::tokenRetryPauseMs, 50);
    devservice::Fault silent;
    silent.delayMs = 3000;
    m_service->server().setFault("/service/oauth/token", silent);

    QElapsedTimer clock;
    clock.start();
    fetchServiceTokenAtStartup();
    QVERIFY(baseValues->s_accessToken.isEmpty());
    QTRY_COMPARE(int(m_service->requests().size()), 4);
    QVERIFY(clock.elapsed() >= 4 * (250 + 50) - 50);
    QVERIFY(clock.elapsed() < 3000);
}

void TestActivityRequests::startupTokenSucceedsOnALaterAttempt()
{
    QScopedValueRollback<int> pause(Waits::tokenRetryPauseMs, 50);
    devservice::Fault refused;
    refused.successFalse = true;
    refused.times = 2;
    m_service->server().setFault("/service/oauth/token", refused);

    fetchServiceTokenAtStartup();
    QCOMPARE(baseValues->s_accessToken.size(), 32);
    QCOMPARE(int(m_service->requests().size()), 3);
}

void TestActivityRequests::startupTokenAnsweredAfterTheRequestTimeOutCounts()
{
    // The service answers after the request's own time-out but inside the
    // start-up wait: the late answer still gives the token, without a
    // second attempt.
    QScopedValueRollback<int> timeout(Waits::requestTimeoutMs, 400);
    QScopedValueRollback<int> wait(Waits::startupWaitMs, 4000);
    QScopedValueRollback<int> pause(Waits::tokenRetryPauseMs, 1500);
    devservice::Fault slow;
    slow.delayMs = 700;
    slow.times = 1;
    m_service->server().setFault("/service/oauth/token", slow);

    fetchServiceTokenAtStartup();
    finishStartupRequests();
    QCOMPARE(baseValues->s_accessToken.size(), 32);
    QCOMPARE(int(m_service->requests().size()), 1);
}

void TestActivityRequests::sslSupportIsLogged()
{
    QTest::ignoreMessage(QtDebugMsg, qPrintable(QStringLiteral("QSslSocket=") + QSslSocket::sslLibraryBuildVersionString()));
    QTest::ignoreMessage(QtDebugMsg, QSslSocket::supportsSsl() ? "OpenSSL支持情况:true" : "OpenSSL支持情况:false");
    logSslSupport();
}

void TestActivityRequests::startupVersionCheckFillsLatestVersion()
{
    m_service->server().addVersion("1.3.0", "更稳定。");
    QTest::ignoreMessage(QtDebugMsg, "发现新版本:V1.3.0");
    checkLatestVersionAtStartup();
    QCOMPARE(baseValues->latestVersion, QStringLiteral("V1.3.0"));
    QCOMPARE(baseValues->updateContent, QStringLiteral("V1.3.0\n更稳定。\n"));
}

void TestActivityRequests::startupVersionCheckWithoutServiceGoesOn()
{
    QScopedValueRollback<int> wait(Waits::startupWaitMs, 300);
    devservice::Fault silent;
    silent.delayMs = 3000;
    m_service->server().setFault("/cloud/analyze/getLastVersion", silent);
    QElapsedTimer clock;
    clock.start();
    checkLatestVersionAtStartup();
    QVERIFY(clock.elapsed() < 2000);
    QVERIFY(baseValues->latestVersion.isEmpty());
}

QTEST_GUILESS_MAIN(TestActivityRequests)
#include "tst_activityrequests.moc"
