// Pictures of the phone and QR-code sign-ins and the phone-number completion
// with the application style sheet, for looking at and for the README. Run
// under Xvfb when it is there (see CMakeLists.txt), offscreen otherwise.

#include "session/sessiontestsupport.h"

#include "app/waits.h"
#include "login/phonelogin.h"
#include "login/phonenumberpatch.h"
#include "login/qrcodelogin.h"
#include "session/navigator.h"

#include <QPushButton>
#include <QScopedValueRollback>

using namespace sessiontest;

class TestLoginScreenshots : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void phoneSignIn();
    void qrCodeSignIn();
    void qrCodeExpired();
    void qrCodeScanned();
    void phoneNumberCompletion();

private:
    testsupport::ScreenshotFolder m_shots;
    std::unique_ptr<devservice::Server> m_server;
};

void TestLoginScreenshots::initTestCase()
{
    useOwnHomeFolder();
    Q_INIT_RESOURCE(resources);
    QVERIFY(testsupport::applyStyleSheet());
    qApp->setFont(QFont(QStringLiteral("Microsoft YaHei")));
    QVERIFY(m_shots.open(QStringLiteral(VESK_BIN_DIR "/../screenshots")));
    m_server = std::make_unique<devservice::Server>();
    QVERIFY(m_server->start() > 0);
}

void TestLoginScreenshots::init()
{
    QVERIFY(freshStart(*m_server));
    baseValues->appName = QStringLiteral("Vesk云会议");
}

void TestLoginScreenshots::cleanup()
{
    deleteAllWindows();
}

void TestLoginScreenshots::phoneSignIn()
{
    PhoneLogin *login = Navigator::instance()->showPhoneLogin(nullptr, QStringLiteral("1"));
    QTest::keyClicks(editWithPlaceholder(login, QStringLiteral("请输入公司代码")), QStringLiteral("600888"));
    QTest::keyClicks(editWithPlaceholder(login, QStringLiteral("请输入手机号")),
                     QStringLiteral("13800138000"));
    auto *button = childWithText<QPushButton>(login, QStringLiteral("获取验证码"));
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(button->text() == QStringLiteral("60秒后重发"), 3000);
    m_shots.saveFramed(login, QStringLiteral("phone-sign-in.png"));
}

void TestLoginScreenshots::qrCodeSignIn()
{
    QRCodeLogin *login = Navigator::instance()->showQRCodeLogin(nullptr, QStringLiteral("AccountLogin"));
    QTRY_VERIFY_WITH_TIMEOUT(
        !login->findChild<QLabel *>(QStringLiteral("lblQRCode"))->pixmap(Qt::ReturnByValue).isNull(), 5000);
    m_shots.saveFramed(login, QStringLiteral("qr-sign-in.png"));
}

void TestLoginScreenshots::qrCodeExpired()
{
    QScopedValueRollback<int> expiry(Waits::qrExpiryMs, 300);
    QRCodeLogin *login = Navigator::instance()->showQRCodeLogin(nullptr, QStringLiteral("AccountLogin"));
    QTRY_VERIFY_WITH_TIMEOUT(childWithText<QPushButton>(login, QStringLiteral("重新获取二维码"))->isVisible(),
                             5000);
    m_shots.saveFramed(login, QStringLiteral("qr-sign-in-expired.png"));
}

void TestLoginScreenshots::qrCodeScanned()
{
    QScopedValueRollback<int> poll(Waits::qrPollMs, 50);
    devservice::Fault slow;
    slow.delayMs = 3000;
    m_server->setFault("/idm/api/user/simulateLoginByUUID", slow);
    QRCodeLogin *login = Navigator::instance()->showQRCodeLogin(nullptr, QStringLiteral("AccountLogin"));
    QTRY_VERIFY_WITH_TIMEOUT(!baseValues->wxUuid.isEmpty(), 5000);
    QVERIFY(m_server->scanWxUuid(baseValues->wxUuid.toStdString()));
    QTRY_VERIFY_WITH_TIMEOUT(childWithText<QLabel>(login, QStringLiteral("扫码完成"))->isVisible(), 5000);
    m_shots.saveFramed(login, QStringLiteral("qr-sign-in-scanned.png"));
}

void TestLoginScreenshots::phoneNumberCompletion()
{
    baseValues->personName = QStringLiteral("王芳");
    PhoneNumberPatch *patch = Navigator::instance()->showPhoneNumberPatch(nullptr, 0);
    QTest::keyClicks(patch->findChild<QLineEdit *>(QStringLiteral("underlinePaddingQLineEdit")),
                     QStringLiteral("13712345678"));
    m_shots.saveFramed(patch, QStringLiteral("phone-number-completion.png"));
}

QTEST_MAIN(TestLoginScreenshots)
#include "tst_loginscreenshots.moc"
