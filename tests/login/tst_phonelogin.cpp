#include "session/sessiontestsupport.h"

#include "app/waits.h"
#include "login/accountlogin.h"
#include "login/phonelogin.h"
#include "login/phonenumberpatch.h"
#include "login/qrcodelogin.h"
#include "login/verifycodecountdown.h"
#include "meeting/homescreen.h"
#include "session/navigator.h"
#include "widgets/waitingspinnerwidget.h"

#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QUrlQuery>

using namespace sessiontest;

class TestPhoneLogin : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void verifyCodeButtonCountsDown_data();
    void verifyCodeButtonCountsDown();
    void phoneFieldTakesDigitsOnly_data();
    void phoneFieldTakesDigitsOnly();
    void phoneSignInFromAccountSignInReachesHomeScreen();
    void failedStepStopsWithNotice_data();
    void failedStepStopsWithNotice();
    void financialVersionSwitchesBetweenTheSignIns();
    void rememberedPhoneSignInSignsInByItself();
    void escapeLeavesSignInScreensOpen_data();
    void escapeLeavesSignInScreensOpen();

private:
    PhoneLogin *openLogin(const QString &type = QStringLiteral("1"));
    void fill(PhoneLogin *login, const QString &company, const QString &phone,
              const QString &code = QString());
    QStringList bodiesOf(const std::string &path) const;

    std::unique_ptr<devservice::Server> m_server;
};

void TestPhoneLogin::initTestCase()
{
    useOwnHomeFolder();
    m_server = std::make_unique<devservice::Server>();
    QVERIFY(m_server->start() > 0);
}

void TestPhoneLogin::init()
{
    QVERIFY(freshStart(*m_server));
}

void TestPhoneLogin::cleanup()
{
    deleteAllWindows();
    baseValues->signedIn = false;
}

PhoneLogin *TestPhoneLogin::openLogin(const QString &type)
{
    PhoneLogin *login = Navigator::instance()->showPhoneLogin(nullptr, type);
    QCoreApplication::processEvents();
    return login;
}

void TestPhoneLogin::fill(PhoneLogin *login, const QString &company, const QString &phone,
                          const QString &code)
{
    QLineEdit *companyEdit = editWithPlaceholder(login, QStringLiteral("请输入公司代码"));
    if (!companyEdit)
        companyEdit = editWithPlaceholder(login, QStringLiteral("请输入部署的证监局代码"));
    QLineEdit *phoneEdit = editWithPlaceholder(login, QStringLiteral("请输入手机号"));
    QLineEdit *codeEdit = editWithPlaceholder(login, QStringLiteral("请输入验证码"));
    QVERIFY(companyEdit && phoneEdit && codeEdit);
    companyEdit->clear();
    phoneEdit->clear();
    codeEdit->clear();
    QTest::keyClicks(companyEdit, company);
    QTest::keyClicks(phoneEdit, phone);
    QTest::keyClicks(codeEdit, code);
}

QStringList TestPhoneLogin::bodiesOf(const std::string &path) const
{
    QStringList bodies;
    for (const auto &r : m_server->requests()) {
        if (r.path == path)
            bodies << qs(r.body);
    }
    return bodies;
}

void TestPhoneLogin::verifyCodeButtonCountsDown_data()
{
    QTest::addColumn<QString>("phone");
    QTest::addColumn<int>("tickMs");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("notice");

    QStringList full;
    for (int left = 60; left >= 1; --left)
        full << QStringLiteral("%1秒后重发").arg(left);
    full << QStringLiteral("获取验证码");
    QTest::newRow("sent") << "13800138000" << 5 << full << QStringLiteral("手机验证码已发送");
    // The refusal arrives before the first tick, which then gives the button back.
    QTest::newRow("refused") << "13300000000" << 400 << QStringList{QStringLiteral("获取验证码")}
                             << QStringLiteral("该手机号未在本公司注册");
}

void TestPhoneLogin::verifyCodeButtonCountsDown()
{
    QFETCH(QString, phone);
    QFETCH(int, tickMs);
    QFETCH(QStringList, texts);
    QFETCH(QString, notice);
    QScopedValueRollback<int> tick(Waits::verifyCodeTickMs, tickMs);

    PhoneLogin *login = openLogin();
    fill(login, QStringLiteral("600888"), phone);
    auto *button = childWithText<QPushButton>(login, QStringLiteral("获取验证码"));
    QVERIFY(button);
    auto *clock = login->findChild<VerifyCodeCountdown *>()->findChild<QTimer *>();
    QStringList seen;
    QList<bool> enabled;
    connect(clock, &QTimer::timeout, this, [&] {
        seen << button->text();
        enabled << button->isEnabled();
    });
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(!button->isEnabled());

    QTRY_VERIFY_WITH_TIMEOUT(seen.contains(QStringLiteral("获取验证码")), 5000);
    QCOMPARE(seen, texts);
    QVERIFY(button->isEnabled());
    QCOMPARE(enabled.count(true), 1); // only at the end
    QVERIFY(noticeTexts().contains(notice));
    QCOMPARE(bodiesOf("/idm/api/user/getVerifyCode"),
             QStringList{"companyCode=600888&userName=" + phone + "&appId=video_meeting&sendSms=true"});
}

void TestPhoneLogin::phoneFieldTakesDigitsOnly_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("digits") << "13800138000"
                            << "13800138000";
    QTest::newRow("letters between") << "138ab0013c8000"
                                     << "13800138000";
    QTest::newRow("country prefix and blanks") << "+86 138-0013-8000"
                                               << "8613800138000";
    QTest::newRow("chinese") << QStringLiteral("一三八") << "";
}

void TestPhoneLogin::phoneFieldTakesDigitsOnly()
{
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    PhoneLogin *login = openLogin();
    QLineEdit *phoneEdit = editWithPlaceholder(login, QStringLiteral("请输入手机号"));
    testsupport::typeText(phoneEdit, typed);
    QCOMPARE(phoneEdit->text(), kept);
}

void TestPhoneLogin::phoneSignInFromAccountSignInReachesHomeScreen()
{
    AccountLogin *account = Navigator::instance()->showAccountLogin(nullptr, QStringLiteral("1"));
    QCoreApplication::processEvents();
    account->move(140, 60);
    QTest::mouseClick(childWithText<QPushButton>(account, QStringLiteral("  手机登录")), Qt::LeftButton);
    PhoneLogin *login = visibleTopLevel<PhoneLogin>();
    QVERIFY(login);
    QCOMPARE(login->pos(), QPoint(140, 60));
    QVERIFY(childWithText<QRadioButton>(login, QStringLiteral("企业版"))->isChecked());
    QTRY_VERIFY(!visibleTopLevel<AccountLogin>());

    fill(login, QStringLiteral("600888"), QStringLiteral("13800138000"));
    QTest::mouseClick(childWithText<QPushButton>(login, QStringLiteral("获取验证码")), Qt::LeftButton);
    QTRY_VERIFY(noticeTexts().contains(QStringLiteral("手机验证码已发送")));
    const QString code = qs(m_server->lastSmsCode("13800138000"));
    QTest::keyClicks(editWithPlaceholder(login, QStringLiteral("请输入验证码")), code);
    auto *signIn = childWithText<QPushButton>(login, QStringLiteral("登录"));
    QVERIFY(signIn->isEnabled());
    QTest::mouseClick(signIn, Qt::LeftButton);

    QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<HomeScreen>(), 10000);
    QVERIFY(baseValues->signedIn);
    QCOMPARE(WeMeetManager::instance()->state(), 2);
    QCOMPARE(bodiesOf("/idm/api/user/loginByType"),
             QStringList{"type=1&appId=video_meeting&companyCode=600888&mobile=13800138000&verifyCode=" +
                         code + "&loginType=1"});
    // Automatic sign-in is never offered here, so nothing stays remembered.
    QSettings settings(userDatPath(), QSettings::IniFormat);
    QVERIFY(!settings.contains("/LOGININFO/AUTOLOGIN"));
    QVERIFY(!settings.contains("/LOGININFO2/TELEPHONE"));
}

void TestPhoneLogin::failedStepStopsWithNotice_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("company");
    QTest::addColumn<QString>("phone");
    QTest::addColumn<QString>("notice");
    QTest::newRow("company not enabled") << "企业版"
                                         << "000999"
                                         << "13500135004" << QStringLiteral("该公司未开通服务");
    QTest::newRow("listed company as regulator")
        << "监管版"
        << "600888"
        << "13800138000" << QStringLiteral("该公司代码为上市公司代码，请选择企业版登录");
    QTest::newRow("regulator as listed company")
        << "企业版"
        << "ZJ3100"
        << "13700137002" << QStringLiteral("该公司代码为证监局代码，请选择监管版登录");
    QTest::newRow("financial as listed company")
        << "企业版"
        << "FIN8801"
        << "13600136003" << QStringLiteral("该公司代码为金融版代码，请选择金融版登录");
    QTest::newRow("wrong code") << "企业版"
                                << "600888"
                                << "13800138000" << QStringLiteral("验证码错误或已失效");
}

void TestPhoneLogin::failedStepStopsWithNotice()
{
    QFETCH(QString, version);
    QFETCH(QString, company);
    QFETCH(QString, phone);
    QFETCH(QString, notice);
    PhoneLogin *login = openLogin();
    QTest::mouseClick(childWithText<QRadioButton>(login, version), Qt::LeftButton);
    fill(login, company, phone, QStringLiteral("000000"));
    QTest::mouseClick(childWithText<QPushButton>(login, QStringLiteral("登录")), Qt::LeftButton);
    QTRY_VERIFY2_WITH_TIMEOUT(noticeTexts().contains(notice), qPrintable(noticeTexts().join('|')), 5000);
    QVERIFY(!login->findChild<WaitingSpinnerWidget *>()->isVisible());
    QVERIFY(login->isEnabled());
    QVERIFY(!visibleTopLevel<HomeScreen>());
}

void TestPhoneLogin::financialVersionSwitchesBetweenTheSignIns()
{
    // "金融版" on the account sign-in goes to the phone sign-in ...
    AccountLogin *account = Navigator::instance()->showAccountLogin(nullptr, QStringLiteral("1"));
    QCoreApplication::processEvents();
    QTest::mouseClick(childWithText<QRadioButton>(account, QStringLiteral("金融版")), Qt::LeftButton);
    PhoneLogin *login = visibleTopLevel<PhoneLogin>();
    QVERIFY(login);
    QTRY_VERIFY(!visibleTopLevel<AccountLogin>());
    QVERIFY(childWithText<QRadioButton>(login, QStringLiteral("金融版"))->isChecked());

    // ... which stays when it is chosen there ...
    QTest::mouseClick(childWithText<QRadioButton>(login, QStringLiteral("监管版")), Qt::LeftButton);
    QVERIFY(editWithPlaceholder(login, QStringLiteral("请输入部署的证监局代码")));
    QTest::mouseClick(childWithText<QRadioButton>(login, QStringLiteral("金融版")), Qt::LeftButton);
    QVERIFY(editWithPlaceholder(login, QStringLiteral("请输入公司代码")));
    QCOMPARE(visibleTopLevels<PhoneLogin>().size(), 1);

    // ... and "账号登录" with it checked opens the account sign-in without
    // bouncing straight back.
    QTest::mouseClick(childWithText<QPushButton>(login, QStringLiteral("  账号登录")), Qt::LeftButton);
    QTRY_VERIFY(!visibleTopLevel<PhoneLogin>());
    account = visibleTopLevel<AccountLogin>();
    QVERIFY(account);
    QVERIFY(childWithText<QRadioButton>(account, QStringLiteral("金融版"))->isChecked());
}

void TestPhoneLogin::rememberedPhoneSignInSignsInByItself()
{
    {
        QSettings settings(userDatPath(), QSettings::IniFormat);
        settings.setValue("/LOGININFO/AUTOLOGIN", "2");
        settings.setValue("/LOGININFO2/TYPE", 1);
        settings.setValue("/LOGININFO2/COMPANYCODE", "600888");
        settings.setValue("/LOGININFO2/USERNAME", QStringLiteral("张伟"));
        settings.setValue("/LOGININFO2/TELEPHONE", "13800138000");
    }
    openLogin();
    QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<HomeScreen>(), 10000);
    const QStringList bodies = bodiesOf("/idm/api/user/simulateLogin");
    QCOMPARE(bodies.size(), 1);
    QCOMPARE(QUrl::fromPercentEncoding(bodies.first().toUtf8()),
             QStringLiteral("appId=video_meeting&companyCode=600888&userId=张伟"));
}

void TestPhoneLogin::escapeLeavesSignInScreensOpen_data()
{
    QTest::addColumn<QString>("screen");
    QTest::newRow("account") << "account";
    QTest::newRow("phone") << "phone";
    QTest::newRow("QR code") << "qr";
    QTest::newRow("phone completion") << "patch";
}

void TestPhoneLogin::escapeLeavesSignInScreensOpen()
{
    QFETCH(QString, screen);
    Navigator *navigator = Navigator::instance();
    QWidget *window = nullptr;
    if (screen == QLatin1String("account"))
        window = navigator->showAccountLogin(nullptr, QStringLiteral("1"));
    else if (screen == QLatin1String("phone"))
        window = navigator->showPhoneLogin(nullptr, QStringLiteral("1"));
    else if (screen == QLatin1String("qr"))
        window = navigator->showQRCodeLogin(nullptr, QStringLiteral("AccountLogin"));
    else
        window = navigator->showPhoneNumberPatch(nullptr, 0);
    QPointer<QWidget> guard(window);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QTest::keyClick(window->focusWidget() ? window->focusWidget() : window, Qt::Key_Escape);
    QCoreApplication::processEvents();
    QVERIFY(guard);
    QVERIFY(window->isVisible());
}

QTEST_MAIN(TestPhoneLogin)
#include "tst_phonelogin.moc"
