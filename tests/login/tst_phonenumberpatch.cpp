#include "session/sessiontestsupport.h"

#include "http/loginhttp.h"
#include "login/accountlogin.h"
#include "login/phonenumberpatch.h"
#include "login/qrcodelogin.h"
#include "meeting/homescreen.h"
#include "session/navigator.h"
#include "widgets/loginshared.h"
#include "widgets/waitingspinnerwidget.h"

#include <QCheckBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QRadioButton>

using namespace sessiontest;

// Completing the phone number of an account that has none ("wangfang" in the
// stand-in's data; here also the WeChat account).
class TestPhoneNumberPatch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void originDecidesWhatIsRemembered_data();
    void originDecidesWhatIsRemembered();
    void signInWithoutPhoneGoesThroughCompletion_data();
    void signInWithoutPhoneGoesThroughCompletion();
    void verifyCodeNeedsAreaAndNumber_data();
    void verifyCodeNeedsAreaAndNumber();
    void refusedConfirmationStaysAndForgetsAutomaticSignIn();
    void leavingOpensTheAccountSignIn_data();
    void leavingOpensTheAccountSignIn();

private:
    void signInWithoutPhone();
    PhoneNumberPatch *openPatch(int origin);
    QLineEdit *areaEdit(QWidget *patch) const;
    QLineEdit *numberEdit(QWidget *patch) const;
    bool requestCode(QWidget *patch, const QString &number);
    void complete(QWidget *patch, const QString &number);
    QStringList bodiesOf(const std::string &path) const;

    QTemporaryDir m_dir;
    std::unique_ptr<devservice::Server> m_server;
};

void TestPhoneNumberPatch::initTestCase()
{
    useOwnHomeFolder();
    QFile shipped(QStringLiteral(VESK_SOURCE_DIR "/devservice/fixtures.json"));
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    QJsonObject fixtures = QJsonDocument::fromJson(shipped.readAll()).object();
    fixtures[QStringLiteral("wechatAccount")] =
        QJsonObject{{QStringLiteral("companyCode"), "600888"}, {QStringLiteral("userName"), "wangfang"}};
    const QString path = m_dir.filePath(QStringLiteral("fixtures.json"));
    QFile copy(path);
    QVERIFY(copy.open(QIODevice::WriteOnly));
    copy.write(QJsonDocument(fixtures).toJson());
    copy.close();
    m_server = std::make_unique<devservice::Server>(path.toStdString());
    QVERIFY(m_server->start() > 0);
}

void TestPhoneNumberPatch::init()
{
    QVERIFY(freshStart(*m_server));
}

void TestPhoneNumberPatch::cleanup()
{
    deleteAllWindows();
    baseValues->signedIn = false;
}

// The session as the account sign-in leaves it before handing over here.
void TestPhoneNumberPatch::signInWithoutPhone()
{
    LoginHttp login;
    QSignalSpy answered(&login, &LoginHttp::sendLoginResultSignal);
    login.loginByAccount(QStringLiteral("600888"), QStringLiteral("wangfang"), QStringLiteral("Wang@2024"),
                         1);
    QVERIFY(answered.wait(5000));
    QCOMPARE(answered.first().first().toString(), QString());
    baseValues->accountType = 1;
    baseValues->rememberPassword = true;
    baseValues->accountCompanyCode = QStringLiteral("600888");
    baseValues->accountUserName = QStringLiteral("wangfang");
    baseValues->accountPassword = LoginShared::encodePassword(QStringLiteral("Wang@2024"));
    baseValues->phoneAccountType = 1;
    baseValues->phoneCompanyCode = QStringLiteral("600888");
    baseValues->phoneUserName = QStringLiteral("王芳");
    baseValues->phoneTelephone = QStringLiteral("13712345678");
    baseValues->openId = QStringLiteral("oWx_wangfang");
    baseValues->uid = QStringLiteral("wx20002");
    baseValues->unionId = QStringLiteral("uWx_wangfang");
}

PhoneNumberPatch *TestPhoneNumberPatch::openPatch(int origin)
{
    PhoneNumberPatch *patch = Navigator::instance()->showPhoneNumberPatch(nullptr, origin);
    QCoreApplication::processEvents();
    return patch;
}

QLineEdit *TestPhoneNumberPatch::areaEdit(QWidget *patch) const
{
    return patch->findChild<QLineEdit *>(QStringLiteral("noBorderQLineEdit"));
}

QLineEdit *TestPhoneNumberPatch::numberEdit(QWidget *patch) const
{
    return patch->findChild<QLineEdit *>(QStringLiteral("underlinePaddingQLineEdit"));
}

bool TestPhoneNumberPatch::requestCode(QWidget *patch, const QString &number)
{
    QTest::keyClicks(numberEdit(patch), number);
    QTest::mouseClick(childWithText<QPushButton>(patch, QStringLiteral("获取验证码")), Qt::LeftButton);
    return QTest::qWaitFor([] { return noticeTexts().contains(QStringLiteral("手机验证码已发送")); }, 5000);
}

void TestPhoneNumberPatch::complete(QWidget *patch, const QString &number)
{
    QVERIFY(requestCode(patch, number));
    QTest::keyClicks(editWithPlaceholder(patch, QStringLiteral("请输入验证码")),
                     qs(m_server->lastSmsCode(number.toStdString())));
    auto *confirm = childWithText<QPushButton>(patch, QStringLiteral("确定"));
    QVERIFY(confirm->isEnabled());
    QTest::mouseClick(confirm, Qt::LeftButton);
}

QStringList TestPhoneNumberPatch::bodiesOf(const std::string &path) const
{
    QStringList bodies;
    for (const auto &r : m_server->requests()) {
        if (r.path == path)
            bodies << qs(r.body);
    }
    return bodies;
}

void TestPhoneNumberPatch::originDecidesWhatIsRemembered_data()
{
    QTest::addColumn<int>("origin");
    QTest::addColumn<QString>("autoLogin");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("account") << 0 << QString() << "/LOGININFO/USERNAME"
                             << "wangfang";
    QTest::newRow("account, automatic") << 1 << "1"
                                        << "/LOGININFO/USERNAME"
                                        << "wangfang";
    QTest::newRow("phone, automatic") << 2 << "2"
                                      << "/LOGININFO2/TELEPHONE"
                                      << "13712345678";
    QTest::newRow("WeChat, automatic") << 3 << "3"
                                       << "/LOGININFO3/OPENID"
                                       << "oWx_wangfang";
}

void TestPhoneNumberPatch::originDecidesWhatIsRemembered()
{
    QFETCH(int, origin);
    QFETCH(QString, autoLogin);
    QFETCH(QString, key);
    QFETCH(QString, value);
    signInWithoutPhone();
    // The Meeting SDK is not initialised yet: the sign-in goes on after it.
    QCOMPARE(WeMeetManager::instance()->state(), 0);
    PhoneNumberPatch *patch = openPatch(origin);
    QVERIFY(childWithText<QLabel>(patch, QStringLiteral("王芳")));
    complete(patch, QStringLiteral("13712345678"));
    QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<HomeScreen>(), 10000);
    QCOMPARE(WeMeetManager::instance()->state(), 2);

    const QStringList tokens = bodiesOf("/service/tencent-meeting/user/token");
    QCOMPARE(tokens.size(), 1);
    const QJsonObject body = QJsonDocument::fromJson(tokens.first().toUtf8()).object();
    QCOMPARE(body.value("telephone").toString(), QStringLiteral("13712345678"));
    QCOMPARE(body.value("mobileCountryCode").toString(), QStringLiteral("+86"));
    QCOMPARE(body.value("verifyCode").toString(), qs(m_server->lastSmsCode("13712345678")));

    QSettings settings(userDatPath(), QSettings::IniFormat);
    QCOMPARE(settings.value("/LOGININFO/AUTOLOGIN").toString(), autoLogin);
    QCOMPARE(settings.value(key).toString(), value);
    // Automatic sign-in by phone and by WeChat exclude each other.
    if (origin == 2)
        QVERIFY(!settings.contains("/LOGININFO3/OPENID"));
    if (origin == 3)
        QVERIFY(!settings.contains("/LOGININFO2/TELEPHONE"));
}

void TestPhoneNumberPatch::signInWithoutPhoneGoesThroughCompletion_data()
{
    QTest::addColumn<QString>("road");
    QTest::addColumn<QString>("autoLogin");
    QTest::newRow("account, automatic") << "account"
                                        << "1";
    QTest::newRow("QR code") << "qr" << QString();
}

void TestPhoneNumberPatch::signInWithoutPhoneGoesThroughCompletion()
{
    QFETCH(QString, road);
    QFETCH(QString, autoLogin);
    if (road == QLatin1String("account")) {
        AccountLogin *login = Navigator::instance()->showAccountLogin(nullptr, QStringLiteral("1"));
        QCoreApplication::processEvents();
        QTest::keyClicks(editWithPlaceholder(login, QStringLiteral("请输入公司代码")),
                         QStringLiteral("600888"));
        QTest::keyClicks(editWithPlaceholder(login, QStringLiteral("请输入账号")),
                         QStringLiteral("wangfang"));
        QTest::keyClicks(editWithPlaceholder(login, QStringLiteral("请输入密码")),
                         QStringLiteral("Wang@2024"));
        QTest::mouseClick(childWithText<QCheckBox>(login, QStringLiteral("自动登录")), Qt::LeftButton);
        QTest::mouseClick(childWithText<QPushButton>(login, QStringLiteral("登录")), Qt::LeftButton);
    } else {
        QRCodeLogin *login = Navigator::instance()->showQRCodeLogin(nullptr, QStringLiteral("AccountLogin"));
        QTRY_VERIFY_WITH_TIMEOUT(!baseValues->wxLoginUrl.isEmpty(), 5000);
        QNetworkAccessManager phone;
        std::unique_ptr<QNetworkReply> page(phone.get(QNetworkRequest(QUrl(baseValues->wxLoginUrl))));
        QSignalSpy scanned(page.get(), &QNetworkReply::finished);
        QVERIFY(scanned.wait(5000));
        Q_UNUSED(login);
    }
    QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<PhoneNumberPatch>(), 10000);
    PhoneNumberPatch *patch = visibleTopLevel<PhoneNumberPatch>();
    QTRY_VERIFY(!visibleTopLevel<AccountLogin>() && !visibleTopLevel<QRCodeLogin>());
    QVERIFY(patch->isEnabled());
    complete(patch, QStringLiteral("13712345678"));
    QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<HomeScreen>(), 10000);
    QVERIFY(baseValues->signedIn);
    QSettings settings(userDatPath(), QSettings::IniFormat);
    QCOMPARE(settings.value("/LOGININFO/AUTOLOGIN").toString(), autoLogin);
}

void TestPhoneNumberPatch::verifyCodeNeedsAreaAndNumber_data()
{
    QTest::addColumn<bool>("clearArea");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("notice");
    QTest::newRow("no area code") << true << "13712345678" << QStringLiteral("区号不能为空");
    QTest::newRow("no number") << false << "" << QStringLiteral("手机号不能为空");
    QTest::newRow("both") << false << "13712345678" << QStringLiteral("手机验证码已发送");
}

void TestPhoneNumberPatch::verifyCodeNeedsAreaAndNumber()
{
    QFETCH(bool, clearArea);
    QFETCH(QString, number);
    QFETCH(QString, notice);
    signInWithoutPhone();
    PhoneNumberPatch *patch = openPatch(0);
    if (clearArea)
        areaEdit(patch)->clear();
    QTest::keyClicks(numberEdit(patch), number);
    QTest::mouseClick(childWithText<QPushButton>(patch, QStringLiteral("获取验证码")), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(noticeTexts().contains(notice), 5000);
    int requests = 0;
    for (const auto &r : m_server->requests()) {
        if (r.path == "/service/tencent-meeting/user/getVerifyCode") {
            ++requests;
            // The plus sign travels encoded.
            QVERIFY2(qs(r.query).contains(QStringLiteral("&telephone=13712345678&mobileCountryCode=%2B86")),
                     r.query.c_str());
        }
    }
    QCOMPARE(requests, notice == QStringLiteral("手机验证码已发送") ? 1 : 0);
}

void TestPhoneNumberPatch::refusedConfirmationStaysAndForgetsAutomaticSignIn()
{
    signInWithoutPhone();
    rememberAccountSignIn(QStringLiteral("1"), baseValues->accountPassword);
    PhoneNumberPatch *patch = openPatch(1);
    QVERIFY(requestCode(patch, QStringLiteral("13712345678")));
    QTest::keyClicks(editWithPlaceholder(patch, QStringLiteral("请输入验证码")), QStringLiteral("000000"));
    QTest::mouseClick(childWithText<QPushButton>(patch, QStringLiteral("确定")), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(noticeTexts().contains(QStringLiteral("验证码错误或已失效")), 5000);
    QVERIFY(patch->isVisible());
    QVERIFY(patch->isEnabled());
    QVERIFY(!patch->findChild<WaitingSpinnerWidget *>()->isVisible());
    QVERIFY(!visibleTopLevel<HomeScreen>());
    QSettings settings(userDatPath(), QSettings::IniFormat);
    QVERIFY(!settings.contains("/LOGININFO/AUTOLOGIN"));
    QCOMPARE(settings.value("/LOGININFO/USERNAME").toString(), QStringLiteral("wangfang"));
}

void TestPhoneNumberPatch::leavingOpensTheAccountSignIn_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("return") << QStringLiteral("返回");
    QTest::newRow("close") << QStringLiteral("关闭");
}

void TestPhoneNumberPatch::leavingOpensTheAccountSignIn()
{
    QFETCH(QString, button);
    PhoneNumberPatch *patch = openPatch(0);
    patch->move(70, 30);
    QTest::mouseClick(buttonWithToolTip(patch, button), Qt::LeftButton);
    AccountLogin *login = visibleTopLevel<AccountLogin>();
    QVERIFY(login);
    QCOMPARE(login->pos(), QPoint(70, 30));
    QVERIFY(childWithText<QRadioButton>(login, QStringLiteral("企业版"))->isChecked());
    QTRY_VERIFY(!visibleTopLevel<PhoneNumberPatch>());
}

QTEST_MAIN(TestPhoneNumberPatch)
#include "tst_phonenumberpatch.moc"
