#include "sessiontestsupport.h"

#include "app/waits.h"
#include "login/accountlogin.h"
#include "meeting/homescreen.h"
#include "session/splashselect.h"
#include "widgets/loginshared.h"
#include "widgets/waitingspinnerwidget.h"

#include <QCheckBox>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSettings>

using namespace sessiontest;

class TestAccountLogin : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void passwordStoredFormRoundTrips_data();
    void passwordStoredFormRoundTrips();
    void passwordStoredFormUsesFixedLetters();
    void malformedStoredPasswordGivesEmptyText();
    void agreementLinksNameDocumentsBesideTheProgram_data();
    void agreementLinksNameDocumentsBesideTheProgram();

    void signInButtonNeedsAllThreeFields();
    void autoLoginChecksRememberAndRememberUnchecksAuto();
    void regulatoryVersionAsksForRegulatorCode();
    void rememberedFieldsFillOnlyForTheirVersion_data();
    void rememberedFieldsFillOnlyForTheirVersion();
    void selectingTheRememberedVersionFillsItsFields();

    void signInChainReachesHomeScreen();
    void busyTextNamesTheStepInFlight_data();
    void busyTextNamesTheStepInFlight();
    void failedStepStopsWithNotice_data();
    void failedStepStopsWithNotice();
    void silentSdkInitialisationEndsWithNotice();
    void lateAnswerAfterTimeOutDoesNotCarryOn();
    void alreadyInitialisedSdkSignsInWithoutNewInitialisation();
    void rememberedAutoLoginSignsInByItself();
    void returnButtonGoesBackToStartScreen();
    void onlyLeftButtonDragsTheWindow_data();
    void onlyLeftButtonDragsTheWindow();
    void returnAfterFailedAutomaticSignInStaysOnStartScreen();

private:
    AccountLogin *openLogin(const QString &type = QStringLiteral("1"));
    void typeCredentials(AccountLogin *login, const QString &company, const QString &account,
                         const QString &password);
    void clickSignIn(AccountLogin *login);

    std::unique_ptr<devservice::Server> m_server;
};

void TestAccountLogin::initTestCase()
{
    useOwnHomeFolder();
    m_server = std::make_unique<devservice::Server>();
    QVERIFY(m_server->start() > 0);
}

void TestAccountLogin::init()
{
    QVERIFY(freshStart(*m_server));
}

void TestAccountLogin::cleanup()
{
    deleteAllWindows();
    baseValues->signedIn = false;
}

AccountLogin *TestAccountLogin::openLogin(const QString &type)
{
    auto *login = new AccountLogin(type);
    login->show();
    QCoreApplication::processEvents();
    return login;
}

void TestAccountLogin::typeCredentials(AccountLogin *login, const QString &company, const QString &account,
                                       const QString &password)
{
    QLineEdit *companyEdit = editWithPlaceholder(login, QStringLiteral("请输入公司代码"));
    if (!companyEdit)
        companyEdit = editWithPlaceholder(login, QStringLiteral("请输入部署的证监局代码"));
    QLineEdit *accountEdit = editWithPlaceholder(login, QStringLiteral("请输入账号"));
    QLineEdit *passwordEdit = editWithPlaceholder(login, QStringLiteral("请输入密码"));
    QVERIFY(companyEdit && accountEdit && passwordEdit);
    companyEdit->clear();
    accountEdit->clear();
    passwordEdit->clear();
    QTest::keyClicks(companyEdit, company);
    QTest::keyClicks(accountEdit, account);
    QTest::keyClicks(passwordEdit, password);
}

void TestAccountLogin::clickSignIn(AccountLogin *login)
{
    QAbstractButton *signIn = childWithText<QAbstractButton>(login, QStringLiteral("登录"));
    QVERIFY(signIn);
    QVERIFY(signIn->isEnabled());
    QTest::mouseClick(signIn, Qt::LeftButton);
}

void TestAccountLogin::passwordStoredFormRoundTrips_data()
{
    QTest::addColumn<QString>("password");
    QTest::newRow("ascii") << QStringLiteral("Vesk@2024");
    QTest::newRow("chinese") << QStringLiteral("密码123");
    QTest::newRow("url-unsafe base64") << QStringLiteral("?\?>>~~");
    QTest::newRow("single character") << QStringLiteral("x");
    QTest::newRow("blanks") << QStringLiteral("  a b  ");
}

void TestAccountLogin::passwordStoredFormRoundTrips()
{
    QFETCH(QString, password);
    const QString stored = LoginShared::encodePassword(password);
    QVERIFY(!stored.contains(QLatin1Char('+')));
    QVERIFY(!stored.contains(QLatin1Char('/')));
    QCOMPARE(LoginShared::decodePassword(stored), password);
}

void TestAccountLogin::passwordStoredFormUsesFixedLetters()
{
    // User.dat files written by released versions must keep decoding.
    QCOMPARE(LoginShared::encodePassword(QStringLiteral("Vesk@2024")), QStringLiteral("dlZlc2tAMjAyNGs="));
    QCOMPARE(LoginShared::decodePassword(QStringLiteral("dlZlc2tAMjAyNGs=")), QStringLiteral("Vesk@2024"));
}

void TestAccountLogin::malformedStoredPasswordGivesEmptyText()
{
    QCOMPARE(LoginShared::decodePassword(QString()), QString());
    QCOMPARE(LoginShared::decodePassword(QStringLiteral("!!!not base64!!!")), QString());
    QCOMPARE(LoginShared::decodePassword(QStringLiteral("dg==")), QString()); // one letter only
}

void TestAccountLogin::agreementLinksNameDocumentsBesideTheProgram_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("file");
    QTest::newRow("licence") << "SoftwareLicense" << QStringLiteral("/软件许可及服务协议.pdf");
    QTest::newRow("privacy") << "PrivacyPolicy" << QStringLiteral("/隐私政策.pdf");
    QTest::newRow("other") << "http://example.com" << QString();
}

void TestAccountLogin::agreementLinksNameDocumentsBesideTheProgram()
{
    QFETCH(QString, link);
    QFETCH(QString, file);
    const QString expected = file.isEmpty() ? QString() : QCoreApplication::applicationDirPath() + file;
    QCOMPARE(LoginShared::agreementDocumentPath(link), expected);
    if (file.isEmpty())
        QVERIFY(!LoginShared::openAgreementDocument(link));
}

void TestAccountLogin::signInButtonNeedsAllThreeFields()
{
    AccountLogin *login = openLogin();
    QAbstractButton *signIn = childWithText<QAbstractButton>(login, QStringLiteral("登录"));
    QVERIFY(signIn);
    QVERIFY(!signIn->isEnabled());
    QTest::keyClicks(editWithPlaceholder(login, QStringLiteral("请输入公司代码")), QStringLiteral("600888"));
    QTest::keyClicks(editWithPlaceholder(login, QStringLiteral("请输入账号")), QStringLiteral("zhangwei"));
    QVERIFY(!signIn->isEnabled());
    QTest::keyClicks(editWithPlaceholder(login, QStringLiteral("请输入密码")), QStringLiteral(" "));
    QVERIFY(signIn->isEnabled()); // blanks count
    QTest::keyClick(editWithPlaceholder(login, QStringLiteral("请输入密码")), Qt::Key_Backspace);
    QVERIFY(!signIn->isEnabled());
}

void TestAccountLogin::autoLoginChecksRememberAndRememberUnchecksAuto()
{
    AccountLogin *login = openLogin();
    auto *autoBox = childWithText<QCheckBox>(login, QStringLiteral("自动登录"));
    auto *rememberBox = childWithText<QCheckBox>(login, QStringLiteral("记住密码"));
    QVERIFY(autoBox && rememberBox);
    QVERIFY(!autoBox->isChecked() && !rememberBox->isChecked());
    QTest::mouseClick(autoBox, Qt::LeftButton);
    QVERIFY(autoBox->isChecked());
    QVERIFY(rememberBox->isChecked());
    QTest::mouseClick(autoBox, Qt::LeftButton);
    QVERIFY(!autoBox->isChecked());
    QVERIFY(rememberBox->isChecked());
    QTest::mouseClick(autoBox, Qt::LeftButton);
    QTest::mouseClick(rememberBox, Qt::LeftButton);
    QVERIFY(!rememberBox->isChecked());
    QVERIFY(!autoBox->isChecked());
}

void TestAccountLogin::regulatoryVersionAsksForRegulatorCode()
{
    AccountLogin *login = openLogin();
    auto *regulatory = childWithText<QRadioButton>(login, QStringLiteral("监管版"));
    QTest::mouseClick(regulatory, Qt::LeftButton);
    QVERIFY(editWithPlaceholder(login, QStringLiteral("请输入部署的证监局代码")));
    QTest::mouseClick(childWithText<QRadioButton>(login, QStringLiteral("企业版")), Qt::LeftButton);
    QVERIFY(editWithPlaceholder(login, QStringLiteral("请输入公司代码")));
}

void TestAccountLogin::rememberedFieldsFillOnlyForTheirVersion_data()
{
    QTest::addColumn<QString>("openedWith");
    QTest::addColumn<QString>("autoLogin");
    QTest::addColumn<bool>("filled");
    QTest::newRow("same version, remembered") << "1"
                                              << "" << true;
    QTest::newRow("same version, automatic") << "1"
                                             << "1" << true;
    QTest::newRow("other version") << "2"
                                   << "1" << false;
}

void TestAccountLogin::rememberedFieldsFillOnlyForTheirVersion()
{
    QFETCH(QString, openedWith);
    QFETCH(QString, autoLogin);
    QFETCH(bool, filled);
    {
        QSettings settings(userDatPath(), QSettings::IniFormat);
        settings.setValue("/LOGININFO/REMERBERPASS", "True");
        settings.setValue("/LOGININFO/TYPE", 1);
        settings.setValue("/LOGININFO/COMPANYCODE", "600888");
        settings.setValue("/LOGININFO/USERNAME", "zhangwei");
        settings.setValue("/LOGININFO/PASSWORD", LoginShared::encodePassword("Vesk@2024"));
        if (!autoLogin.isEmpty())
            settings.setValue("/LOGININFO/AUTOLOGIN", autoLogin);
    }
    AccountLogin *login = openLogin(openedWith);
    auto *autoBox = childWithText<QCheckBox>(login, QStringLiteral("自动登录"));
    auto *rememberBox = childWithText<QCheckBox>(login, QStringLiteral("记住密码"));
    QLineEdit *password = editWithPlaceholder(login, QStringLiteral("请输入密码"));
    QLineEdit *account = editWithPlaceholder(login, QStringLiteral("请输入账号"));
    if (filled) {
        QCOMPARE(account->text(), QStringLiteral("zhangwei"));
        QCOMPARE(password->text(), QStringLiteral("Vesk@2024"));
        QVERIFY(rememberBox->isChecked());
        QCOMPARE(autoBox->isChecked(), autoLogin == QLatin1String("1"));
        QVERIFY(childWithText<QRadioButton>(login, QStringLiteral("企业版"))->isChecked());
    } else {
        QVERIFY(account->text().isEmpty());
        QVERIFY(password->text().isEmpty());
        QVERIFY(!rememberBox->isChecked());
        QVERIFY(!autoBox->isChecked());
        QVERIFY(childWithText<QRadioButton>(login, QStringLiteral("监管版"))->isChecked());
    }
}

void TestAccountLogin::selectingTheRememberedVersionFillsItsFields()
{
    // The start screen always opens the "企业版"; a remembered regulator's
    // sign-in comes back when that version is chosen, and goes again.
    {
        QSettings settings(userDatPath(), QSettings::IniFormat);
        settings.setValue("/LOGININFO/AUTOLOGIN", "1");
        settings.setValue("/LOGININFO/REMERBERPASS", "True");
        settings.setValue("/LOGININFO/TYPE", 2);
        settings.setValue("/LOGININFO/COMPANYCODE", "ZJ3100");
        settings.setValue("/LOGININFO/USERNAME", "chenjing");
        settings.setValue("/LOGININFO/PASSWORD", LoginShared::encodePassword("Chen@2024"));
    }
    AccountLogin *login = openLogin(QStringLiteral("1"));
    QLineEdit *account = editWithPlaceholder(login, QStringLiteral("请输入账号"));
    auto *autoBox = childWithText<QCheckBox>(login, QStringLiteral("自动登录"));
    QVERIFY(account->text().isEmpty());
    QTest::mouseClick(childWithText<QRadioButton>(login, QStringLiteral("监管版")), Qt::LeftButton);
    QCOMPARE(editWithPlaceholder(login, QStringLiteral("请输入部署的证监局代码"))->text(),
             QStringLiteral("ZJ3100"));
    QCOMPARE(account->text(), QStringLiteral("chenjing"));
    QCOMPARE(editWithPlaceholder(login, QStringLiteral("请输入密码"))->text(), QStringLiteral("Chen@2024"));
    QVERIFY(autoBox->isChecked());
    QTest::mouseClick(childWithText<QRadioButton>(login, QStringLiteral("企业版")), Qt::LeftButton);
    QVERIFY(account->text().isEmpty());
    QVERIFY(!autoBox->isChecked());
    // Opened for another version, the remembered automatic sign-in does not
    // start with empty fields.
    for (const auto &r : m_server->requests())
        QVERIFY2(r.path != "/cloud/application/portCloudApplication", "signed in with empty fields");
}

void TestAccountLogin::signInChainReachesHomeScreen()
{
    AccountLogin *login = openLogin();
    QPointer<AccountLogin> guard(login);
    typeCredentials(login, QStringLiteral("600888"), QStringLiteral("zhangwei"), QStringLiteral("Vesk@2024"));
    QTest::mouseClick(childWithText<QCheckBox>(login, QStringLiteral("自动登录")), Qt::LeftButton);
    clickSignIn(login);

    QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<HomeScreen>(), 10000);
    QVERIFY(baseValues->signedIn);
    QTRY_VERIFY(guard.isNull()); // handed over and gone
    QCOMPARE(WeMeetManager::instance()->state(), 2);
    QCOMPARE(WemeetSim::initRecord().sdkId, QStringLiteral("1400713254"));
    QCOMPARE(WemeetSim::loginAddress(), baseValues->ssoUrl + baseValues->idToken);

    // The chain talked to the service in its order.
    QStringList paths;
    for (const auto &r : m_server->requests())
        paths << qs(r.path);
    const int check = paths.indexOf("/cloud/application/portCloudApplication");
    const int signIn = paths.indexOf("/idm/api/user/loginByType");
    const int token = paths.indexOf("/service/tencent-meeting/user/token");
    QVERIFY(check >= 0 && check < signIn && signIn < token);

    // Automatic sign-in chosen: remembered with the password in stored form.
    QSettings settings(userDatPath(), QSettings::IniFormat);
    QCOMPARE(settings.value("/LOGININFO/AUTOLOGIN").toString(), QStringLiteral("1"));
    QCOMPARE(settings.value("/LOGININFO/REMERBERPASS").toString(), QStringLiteral("True"));
    QCOMPARE(settings.value("/LOGININFO/COMPANYCODE").toString(), QStringLiteral("600888"));
    QCOMPARE(settings.value("/LOGININFO/USERNAME").toString(), QStringLiteral("zhangwei"));
    QCOMPARE(LoginShared::decodePassword(settings.value("/LOGININFO/PASSWORD").toString()),
             QStringLiteral("Vesk@2024"));
    QCOMPARE(settings.value("/LOGININFO/TYPE").toInt(), 1);
}

void TestAccountLogin::busyTextNamesTheStepInFlight_data()
{
    QTest::addColumn<QString>("slowPath");
    QTest::addColumn<QString>("busyText");
    QTest::newRow("company check") << "/cloud/application/portCloudApplication"
                                   << QStringLiteral("公司代码校验...");
    QTest::newRow("service sign-in") << "/idm/api/user/loginByType" << QStringLiteral("正在登录帐号...");
    QTest::newRow("meeting token") << "/service/tencent-meeting/user/token"
                                   << QStringLiteral("正在登录云会议...");
}

void TestAccountLogin::busyTextNamesTheStepInFlight()
{
    QFETCH(QString, slowPath);
    QFETCH(QString, busyText);
    devservice::Fault slow;
    slow.delayMs = 1500;
    m_server->setFault(slowPath.toStdString(), slow);
    AccountLogin *login = openLogin();
    typeCredentials(login, QStringLiteral("600888"), QStringLiteral("zhangwei"), QStringLiteral("Vesk@2024"));
    clickSignIn(login);
    auto *spinner = login->findChild<WaitingSpinnerWidget *>();
    QVERIFY(spinner);
    QTRY_COMPARE_WITH_TIMEOUT(spinner->text(), busyText, 3000);
    QVERIFY(spinner->isVisible());
    QVERIFY(!login->isEnabled()); // no second chain while one runs
    QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<HomeScreen>(), 10000);
}

void TestAccountLogin::failedStepStopsWithNotice_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("company");
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("faultPath");
    QTest::addColumn<int>("faultStatus");
    QTest::addColumn<QString>("sdkScript");
    QTest::addColumn<QString>("notice");

    const QString ok = QStringLiteral("Vesk@2024");
    QTest::newRow("company not enabled") << "企业版"
                                         << "000999"
                                         << "zhaolei"
                                         << "Zhao@2024"
                                         << "" << 0 << "" << QStringLiteral("该公司未开通服务");
    QTest::newRow("unknown company") << "企业版"
                                     << "123456"
                                     << "nobody"
                                     << "x"
                                     << "" << 0 << "" << QStringLiteral("公司代码不存在");
    QTest::newRow("listed company as regulator")
        << "监管版"
        << "600888"
        << "zhangwei" << ok << "" << 0 << "" << QStringLiteral("该公司代码为上市公司，请选择企业版登录");
    QTest::newRow("regulator as listed company")
        << "企业版"
        << "ZJ3100"
        << "chenjing"
        << "Chen@2024"
        << "" << 0 << "" << QStringLiteral("该公司代码为证监局代码，请选择监管版登录");
    QTest::newRow("financial as listed company")
        << "企业版"
        << "FIN8801"
        << "liuyang"
        << "Liu@2024"
        << "" << 0 << "" << QStringLiteral("该公司代码为金融版代码，请选择金融版登录");
    QTest::newRow("wrong password") << "企业版"
                                    << "600888"
                                    << "zhangwei"
                                    << "wrong"
                                    << "" << 0 << "" << QStringLiteral("用户名或密码错误");
    QTest::newRow("company check service down")
        << "企业版"
        << "600888"
        << "zhangwei" << ok << "/cloud/application/portCloudApplication" << 500 << ""
        << QStringLiteral("服务器繁忙，请稍后再试");
    QTest::newRow("sign-in service down") << "企业版"
                                          << "600888"
                                          << "zhangwei" << ok << "/idm/api/user/loginByType" << 503 << ""
                                          << QStringLiteral("服务器繁忙，请稍后再试");
    QTest::newRow("token service down") << "企业版"
                                        << "600888"
                                        << "zhangwei" << ok << "/service/tencent-meeting/user/token" << 500
                                        << "" << QStringLiteral("服务器繁忙，请稍后再试");
    QTest::newRow("company check times out") << "企业版"
                                             << "600888"
                                             << "zhangwei" << ok << "/cloud/application/portCloudApplication"
                                             << -1 << "" << QStringLiteral("服务器响应超时，请稍后重试");
    QTest::newRow("meeting SDK refuses sign-in")
        << "企业版"
        << "600888"
        << "zhangwei" << ok << "" << 0 << "login_fail=账号异常" << QStringLiteral("登录失败，请重试！");
    QTest::newRow("meeting SDK error")
        << "企业版"
        << "600888"
        << "zhangwei" << ok << "" << 0 << "sdk_error=内部错误;sdk_error_after_ms=0;login_fail=x"
        << QStringLiteral("登录失败，请重试！");
}

void TestAccountLogin::failedStepStopsWithNotice()
{
    QFETCH(QString, version);
    QFETCH(QString, company);
    QFETCH(QString, account);
    QFETCH(QString, password);
    QFETCH(QString, faultPath);
    QFETCH(int, faultStatus);
    QFETCH(QString, sdkScript);
    QFETCH(QString, notice);

    QScopedValueRollback<int> timeout(Waits::requestTimeoutMs, 300);
    if (!faultPath.isEmpty()) {
        devservice::Fault fault;
        if (faultStatus < 0)
            fault.delayMs = 1500;
        else
            fault.httpStatus = faultStatus;
        m_server->setFault(faultPath.toStdString(), fault);
    }
    if (!sdkScript.isEmpty())
        WemeetSim::applyScript(sdkScript);

    AccountLogin *login = openLogin();
    QTest::mouseClick(childWithText<QRadioButton>(login, version), Qt::LeftButton);
    typeCredentials(login, company, account, password);
    LogCapture log;
    clickSignIn(login);

    QTRY_VERIFY2_WITH_TIMEOUT(noticeTexts().contains(notice), qPrintable(noticeTexts().join('|')), 5000);
    const bool serviceSignInFailed =
        notice == QStringLiteral("用户名或密码错误") || faultPath.endsWith(QStringLiteral("loginByType"));
    // The log keeps the result string itself; the user reads it in words.
    const QString result = faultStatus == 503 ? QStringLiteral("ServiceUnavailableError") : notice;
    if (serviceSignInFailed)
        QVERIFY(log.hasLine(QStringLiteral("loginResult err: ") + result));
    auto *spinner = login->findChild<WaitingSpinnerWidget *>();
    QVERIFY(!spinner->isVisible());
    QVERIFY(login->isEnabled());
    QVERIFY(login->isVisible());
    QVERIFY(!visibleTopLevel<HomeScreen>());
    QVERIFY(!baseValues->signedIn);
    // Fields stay for another try.
    QCOMPARE(editWithPlaceholder(login, QStringLiteral("请输入账号"))->text(), account);
}

void TestAccountLogin::silentSdkInitialisationEndsWithNotice()
{
    // The SDK reports a failed initialisation to nobody; the screen must not spin forever.
    QScopedValueRollback<int> wait(Waits::sdkResponseMs, 500);
    WemeetSim::setInitFailure(QStringLiteral("初始化失败"));
    AccountLogin *login = openLogin();
    typeCredentials(login, QStringLiteral("600888"), QStringLiteral("zhangwei"), QStringLiteral("Vesk@2024"));
    clickSignIn(login);
    QTRY_VERIFY_WITH_TIMEOUT(noticeTexts().contains(QStringLiteral("登录失败，请重试！")), 5000);
    QVERIFY(login->isEnabled());
    QVERIFY(!login->findChild<WaitingSpinnerWidget *>()->isVisible());
}

void TestAccountLogin::lateAnswerAfterTimeOutDoesNotCarryOn()
{
    // The time-out is shown; the real answer that follows must not sign the
    // user in behind their back.
    QScopedValueRollback<int> timeout(Waits::requestTimeoutMs, 300);
    devservice::Fault slow;
    slow.delayMs = 1000;
    slow.times = 1;
    m_server->setFault("/cloud/application/portCloudApplication", slow);
    LogCapture log;
    AccountLogin *login = openLogin();
    typeCredentials(login, QStringLiteral("600888"), QStringLiteral("zhangwei"), QStringLiteral("Vesk@2024"));
    clickSignIn(login);
    QTRY_VERIFY_WITH_TIMEOUT(noticeTexts().contains(QStringLiteral("服务器响应超时，请稍后重试")), 3000);
    // The late answer itself must come and be turned away.
    QTRY_VERIFY_WITH_TIMEOUT(log.contains(QStringLiteral("late or unexpected answer ignored")), 5000);
    for (const auto &r : m_server->requests())
        QVERIFY2(r.path != "/idm/api/user/loginByType", "carried on after the time-out");
    QVERIFY(!visibleTopLevel<HomeScreen>());
    QVERIFY(login->isEnabled());

    // A new try goes through.
    clickSignIn(login);
    QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<HomeScreen>(), 10000);
}

void TestAccountLogin::alreadyInitialisedSdkSignsInWithoutNewInitialisation()
{
    QSignalSpy initialised(WeMeetManager::instance(), &WeMeetManager::OnSDKInitializeFinishSignal);
    baseValues->sdkId = QStringLiteral("1400713254");
    baseValues->sdkToken = QStringLiteral("sdk-9d31c07ab4e25f68");
    WeMeetManager::initialize(baseValues->sdkId, baseValues->sdkToken, QDir::tempPath(), baseValues->appName);
    QVERIFY(initialised.wait(3000));
    WemeetSim::clearCalls();

    AccountLogin *login = openLogin();
    typeCredentials(login, QStringLiteral("600888"), QStringLiteral("zhangwei"), QStringLiteral("Vesk@2024"));
    clickSignIn(login);
    QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<HomeScreen>(), 10000);
    QVERIFY(!WemeetSim::calls().contains(QStringLiteral("Initialize")));
    QVERIFY(WemeetSim::calls().contains(QStringLiteral("Login")));
}

void TestAccountLogin::rememberedAutoLoginSignsInByItself()
{
    rememberAccountSignIn(QStringLiteral("1"), LoginShared::encodePassword("Vesk@2024"));
    openLogin();
    QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<HomeScreen>(), 10000);
    QVERIFY(baseValues->signedIn);
    QCOMPARE(baseValues->userName, QStringLiteral("张伟"));
}

void TestAccountLogin::returnButtonGoesBackToStartScreen()
{
    AccountLogin *login = openLogin();
    QPointer<AccountLogin> guard(login);
    login->move(123, 77);
    QAbstractButton *back = buttonWithToolTip(login, QStringLiteral("返回"));
    QVERIFY(back);
    QTest::mouseClick(back, Qt::LeftButton);
    SplashSelect *splash = visibleTopLevel<SplashSelect>();
    QVERIFY(splash);
    QCOMPARE(splash->pos(), QPoint(123, 77));
    QTRY_VERIFY(guard.isNull());
}

void TestAccountLogin::returnAfterFailedAutomaticSignInStaysOnStartScreen()
{
    rememberAccountSignIn(QStringLiteral("1"), LoginShared::encodePassword("changed"));
    AccountLogin *login = openLogin();
    QTRY_VERIFY_WITH_TIMEOUT(noticeTexts().contains(QStringLiteral("用户名或密码错误")), 5000);
    QTRY_VERIFY(login->isEnabled());
    m_server->clearRequests();
    QTest::mouseClick(buttonWithToolTip(login, QStringLiteral("返回")), Qt::LeftButton);
    QVERIFY(visibleTopLevel<SplashSelect>());
    // The start screen goes on with the guest preparation instead.
    // The guest preparation comes after the decision not to sign in.
    QTRY_VERIFY_WITH_TIMEOUT(WemeetSim::initRecord().received, 5000);
    QVERIFY(visibleTopLevel<SplashSelect>());
    QVERIFY(!visibleTopLevel<AccountLogin>());
    for (const auto &r : m_server->requests())
        QVERIFY2(r.path != "/cloud/application/portCloudApplication", "signed in again by itself");
}

void TestAccountLogin::onlyLeftButtonDragsTheWindow_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("moves");
    QTest::newRow("sign-in, left") << "sign-in" << int(Qt::LeftButton) << true;
    QTest::newRow("sign-in, right") << "sign-in" << int(Qt::RightButton) << false;
    QTest::newRow("start, left") << "start" << int(Qt::LeftButton) << true;
    QTest::newRow("start, right") << "start" << int(Qt::RightButton) << false;
}

void TestAccountLogin::onlyLeftButtonDragsTheWindow()
{
    QFETCH(QString, screen);
    QFETCH(int, button);
    QFETCH(bool, moves);
    QWidget *window = screen == QLatin1String("start") ? static_cast<QWidget *>(new SplashSelect())
                                                       : static_cast<QWidget *>(openLogin());
    window->show();
    window->move(100, 100);
    QTRY_COMPARE(window->pos(), QPoint(100, 100));
    const auto pressed = Qt::MouseButton(button);
    const QPoint inside(200, 20);
    QMouseEvent press(QEvent::MouseButtonPress, inside, window->mapToGlobal(inside), pressed, pressed,
                      Qt::NoModifier);
    QApplication::sendEvent(window, &press);
    const QPoint target = window->mapToGlobal(inside) + QPoint(40, 30);
    QMouseEvent drag(QEvent::MouseMove, inside + QPoint(40, 30), target, Qt::NoButton, pressed,
                     Qt::NoModifier);
    QApplication::sendEvent(window, &drag);
    QMouseEvent release(QEvent::MouseButtonRelease, inside + QPoint(40, 30), target, pressed, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(window, &release);
    QTRY_COMPARE(window->pos(), moves ? QPoint(140, 130) : QPoint(100, 100));
}

QTEST_MAIN(TestAccountLogin)
#include "tst_accountlogin.moc"
