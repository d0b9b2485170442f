// Pictures of the start screen and the account sign-in screen with the
// application style sheet, for looking at and for the README. Run under
// Xvfb when it is there (see CMakeLists.txt), offscreen otherwise.

#include "sessiontestsupport.h"

#include "login/accountlogin.h"
#include "session/splashselect.h"

#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QRadioButton>

using namespace sessiontest;

class TestSessionScreenshots : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void startScreen();
    void accountSignIn();
    void accountSignInFilled();

private:
    void save(QWidget *window, const QString &name);
    testsupport::ScreenshotFolder m_shots;
};

void TestSessionScreenshots::initTestCase()
{
    useOwnHomeFolder();
    Q_INIT_RESOURCE(resources);
    QVERIFY(testsupport::applyStyleSheet());
    qApp->setFont(QFont(QStringLiteral("Microsoft YaHei")));
    QVERIFY(m_shots.open(QStringLiteral(VESK_BIN_DIR "/../screenshots")));
}

void TestSessionScreenshots::init()
{
    resetSdk();
    removeUserData();
    if (!baseValues)
        baseValues = new BaseValues;
    *baseValues = BaseValues();
    baseValues->appName = QStringLiteral("Vesk云会议");
    baseValues->versionNo = QStringLiteral("1.0.0");
    // Credentials in hand, so the start screen has nothing to wait for.
    baseValues->s_accessToken = QStringLiteral("token");
    baseValues->sdkId = QStringLiteral("1400713254");
    baseValues->sdkToken = QStringLiteral("sdk-token");
}

void TestSessionScreenshots::cleanup()
{
    deleteAllWindows();
}

void TestSessionScreenshots::save(QWidget *window, const QString &name)
{
    QImage image;
    m_shots.saveFramed(window, name, &image);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(image.size(), window->size());
}

void TestSessionScreenshots::startScreen()
{
    auto *splash = new SplashSelect();
    QTRY_VERIFY(WemeetSim::initRecord().received);
    save(splash, QStringLiteral("start-screen.png"));
}

void TestSessionScreenshots::accountSignIn()
{
    auto *login = new AccountLogin(QStringLiteral("1"));
    save(login, QStringLiteral("account-sign-in.png"));
}

void TestSessionScreenshots::accountSignInFilled()
{
    auto *login = new AccountLogin(QStringLiteral("1"));
    login->show();
    QTest::keyClicks(editWithPlaceholder(login, QStringLiteral("请输入公司代码")), QStringLiteral("600888"));
    QTest::keyClicks(editWithPlaceholder(login, QStringLiteral("请输入账号")), QStringLiteral("zhangwei"));
    QTest::keyClicks(editWithPlaceholder(login, QStringLiteral("请输入密码")), QStringLiteral("Vesk@2024"));
    QTest::mouseClick(childWithText<QCheckBox>(login, QStringLiteral("记住密码")), Qt::LeftButton);
    save(login, QStringLiteral("account-sign-in-filled.png"));
}

QTEST_MAIN(TestSessionScreenshots)
#include "tst_sessionscreenshots.moc"
