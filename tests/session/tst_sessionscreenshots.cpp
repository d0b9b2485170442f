// Pictures of the start screen and the account sign-in screen with the
// application style sheet, for looking at and for the README. Run under
// Xvfb when it is there (see CMakeLists.txt), offscreen otherwise.

#include "sessiontestsupport.h"

#include "login/accountlogin.h"
#include "session/splashselect.h"

#include <QCheckBox>
#include <QDir>
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
    QString m_dir;
};

void TestSessionScreenshots::initTestCase()
{
    useOwnHomeFolder();
    Q_INIT_RESOURCE(resources);
    QVERIFY(testsupport::applyStyleSheet());
    qApp->setFont(QFont(QStringLiteral("Microsoft YaHei")));
    m_dir = qEnvironmentVariable("VESK_SCREENSHOT_DIR",
                                 QStringLiteral(VESK_BIN_DIR) + QStringLiteral("/../screenshots"));
    QVERIFY(QDir().mkpath(m_dir));
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
    window->show();
    window->raise();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QTest::qWait(200);
    const QImage image = window->grab().toImage();
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), window->size());
    const QString path = m_dir + QLatin1Char('/') + name;
    QVERIFY(image.save(path));
    qInfo().noquote() << "screenshot" << QDir::cleanPath(path);
    // The content rectangle is white and the corner outside the shadow is
    // left transparent, so the frame is drawn as it should be.
    QCOMPARE(image.pixelColor(window->width() / 2, 12), QColor(Qt::white));
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
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
