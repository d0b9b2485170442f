#include "session/sessiontestsupport.h"

#include "app/waits.h"
#include "login/accountlogin.h"
#include "login/phonelogin.h"
#include "login/qrcodelogin.h"
#include "meeting/homescreen.h"
#include "session/navigator.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>

using namespace sessiontest;

namespace {

// The symbol as the user's phone sees it: the label's picture, read back
// module by module. Empty when the picture is not a clean grid.
struct Symbol
{
    int modules = 0;
    int pixelsPerModule = 0;
    QVector<QVector<bool>> dark;
    bool isDark(int x, int y) const { return dark[y][x]; }
};

Symbol readSymbol(const QImage &image)
{
    Symbol symbol;
    if (image.isNull() || image.width() != image.height())
        return symbol;
    // The top-left finder's dark border row is 7 modules wide.
    int run = 0;
    while (run < image.width() && qGray(image.pixel(run, 0)) < 128)
        ++run;
    if (run == 0 || run % 7 != 0)
        return symbol;
    const int step = run / 7;
    if (image.width() % step != 0)
        return symbol;
    symbol.pixelsPerModule = step;
    symbol.modules = image.width() / step;
    for (int y = 0; y < symbol.modules; ++y) {
        QVector<bool> row;
        for (int x = 0; x < symbol.modules; ++x) {
            const bool dark = qGray(image.pixel(x * step, y * step)) < 128;
            // No smoothing: every pixel of a module has its colour.
            for (int py = 0; py < step; ++py) {
                for (int px = 0; px < step; ++px) {
                    const QRgb pixel = image.pixel(x * step + px, y * step + py);
                    if (pixel != (dark ? qRgb(0, 0, 0) : qRgb(255, 255, 255)))
                        return Symbol();
                }
            }
            row << dark;
        }
        symbol.dark << row;
    }
    return symbol;
}

// Error-correction level bits and mask from the format information beside
// the top-left finder.
QPair<int, int> formatOf(const Symbol &s)
{
    int bits = 0;
    auto set = [&bits](int i, bool on) { bits |= (on ? 1 : 0) << i; };
    for (int i = 0; i <= 5; ++i)
        set(i, s.isDark(8, i));
    set(6, s.isDark(8, 7));
    set(7, s.isDark(8, 8));
    set(8, s.isDark(7, 8));
    for (int i = 9; i < 15; ++i)
        set(i, s.isDark(14 - i, 8));
    const int data = (bits ^ 0x5412) >> 10;
    return {data >> 3, data & 7};
}

// What a scanner reads from the picture, with the white the window leaves
// around it.
QString scan(const QImage &image)
{
    QImage padded(image.width() + 80, image.height() + 80, QImage::Format_RGB888);
    padded.fill(Qt::white);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            padded.setPixel(x + 40, y + 40, image.pixel(x, y));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("code.png"));
    if (!padded.save(path))
        return QString();
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"), {QStringLiteral("--raw"), QStringLiteral("-q"), path});
    if (!zbar.waitForFinished(10000))
        return QString();
    return QString::fromUtf8(zbar.readAllStandardOutput()).trimmed();
}

} // namespace

class TestQRCodeLogin : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void codeIsTheSignInAddress();
    void scanningSignsInAndStopsPolling();
    void failedSignInAfterScanOffersANewCode_data();
    void failedSignInAfterScanOffersANewCode();
    void pollingAsksOncePerInterval();
    void pollingStopsOnError_data();
    void pollingStopsOnError();
    void codeExpiresAndRefreshBringsANewOne();
    void codeThatCannotBeShownSaysSo_data();
    void codeThatCannotBeShownSaysSo();
    void returnGoesBackToTheOpener_data();
    void returnGoesBackToTheOpener();

private:
    QRCodeLogin *openLogin(const QString &returnTo = QStringLiteral("AccountLogin"));
    QImage codeOf(QRCodeLogin *login) const;
    bool overlayShows(QRCodeLogin *login, const QString &text) const;
    int bindingPolls() const;

    std::unique_ptr<devservice::Server> m_server;
};

void TestQRCodeLogin::initTestCase()
{
    useOwnHomeFolder();
    m_server = std::make_unique<devservice::Server>();
    QVERIFY(m_server->start() > 0);
}

void TestQRCodeLogin::init()
{
    QVERIFY(freshStart(*m_server));
}

void TestQRCodeLogin::cleanup()
{
    deleteAllWindows();
    baseValues->signedIn = false;
}

QRCodeLogin *TestQRCodeLogin::openLogin(const QString &returnTo)
{
    return Navigator::instance()->showQRCodeLogin(nullptr, returnTo);
}

QImage TestQRCodeLogin::codeOf(QRCodeLogin *login) const
{
    auto *label = login->findChild<QLabel *>(QStringLiteral("lblQRCode"));
    const QPixmap pixmap = label ? label->pixmap(Qt::ReturnByValue) : QPixmap();
    return pixmap.isNull() ? QImage() : pixmap.toImage().convertToFormat(QImage::Format_RGB32);
}

bool TestQRCodeLogin::overlayShows(QRCodeLogin *login, const QString &text) const
{
    auto *mask = login->findChild<QFrame *>(QStringLiteral("blackMaskQFrame"));
    auto *label = login->findChild<QLabel *>(QStringLiteral("whiteMaskQLabel"));
    auto *refresh = childWithText<QPushButton>(login, QStringLiteral("重新获取二维码"));
    return mask && label && refresh && mask->isVisible() && label->isVisible() && refresh->isVisible() &&
           label->text() == text;
}

int TestQRCodeLogin::bindingPolls() const
{
    int count = 0;
    for (const auto &r : m_server->requests())
        count += r.path == "/idm/api/user/getBindingStatus";
    return count;
}

void TestQRCodeLogin::codeIsTheSignInAddress()
{
    // Opened from the account sign-in's corner button.
    AccountLogin *account = Navigator::instance()->showAccountLogin(nullptr, QStringLiteral("1"));
    QCoreApplication::processEvents();
    QTest::mouseClick(buttonWithToolTip(account, QStringLiteral("扫码登录")), Qt::LeftButton);
    QRCodeLogin *login = visibleTopLevel<QRCodeLogin>();
    QVERIFY(login);

    QTRY_VERIFY_WITH_TIMEOUT(!codeOf(login).isNull(), 5000);
    const Symbol symbol = readSymbol(codeOf(login));
    QCOMPARE(symbol.modules, 37); // version 5
    QVERIFY(symbol.pixelsPerModule >= 3);
    const QPair<int, int> format = formatOf(symbol);
    QCOMPARE(format.first, 2);  // level H
    QCOMPARE(format.second, 2); // mask 2
    QVERIFY(baseValues->wxLoginUrl.contains(QStringLiteral("/wx/")));
    QCOMPARE(scan(codeOf(login)), baseValues->wxLoginUrl);
    QVERIFY(!overlayShows(login, QStringLiteral("二维码失效")));
}

void TestQRCodeLogin::scanningSignsInAndStopsPolling()
{
    QScopedValueRollback<int> poll(Waits::qrPollMs, 50);
    // Slow enough to see the scan confirmed before the home screen.
    devservice::Fault slow;
    slow.delayMs = 400;
    m_server->setFault("/idm/api/user/simulateLoginByUUID", slow);
    QRCodeLogin *login = openLogin();
    QTRY_VERIFY_WITH_TIMEOUT(!codeOf(login).isNull(), 5000);
    QTRY_VERIFY(bindingPolls() >= 2);

    // Scanning: the phone opens the address in the code.
    QNetworkAccessManager phone;
    std::unique_ptr<QNetworkReply> page(phone.get(QNetworkRequest(QUrl(scan(codeOf(login))))));
    QSignalSpy pageLoaded(page.get(), &QNetworkReply::finished);
    QVERIFY(pageLoaded.wait(5000));
    QCOMPARE(page->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);

    QTRY_VERIFY_WITH_TIMEOUT(childWithText<QLabel>(login, QStringLiteral("扫码完成"))->isVisible(), 5000);
    const int pollsAtScan = bindingPolls();
    QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<HomeScreen>(), 10000);
    QVERIFY(baseValues->signedIn);
    QCOMPARE(WeMeetManager::instance()->state(), 2);
    QCOMPARE(baseValues->userName, QStringLiteral("张伟"));
    // At most the poll already on its way when the scan was seen.
    QVERIFY(bindingPolls() <= pollsAtScan + 1);
    // The (hidden) automatic sign-in stays off: nothing remembered.
    QSettings settings(userDatPath(), QSettings::IniFormat);
    QVERIFY(!settings.contains("/LOGININFO/AUTOLOGIN"));
    QVERIFY(!settings.contains("/LOGININFO3/OPENID"));
}

void TestQRCodeLogin::failedSignInAfterScanOffersANewCode_data()
{
    QTest::addColumn<QString>("faultPath");
    QTest::addColumn<QString>("sdkScript");
    QTest::addColumn<QString>("notice");
    QTest::newRow("sign-in by key refused") << "/idm/api/user/simulateLoginByUUID" << QString() << QString();
    QTest::newRow("token refused") << "/service/tencent-meeting/user/token" << QString() << QString();
    QTest::newRow("Meeting SDK refuses")
        << QString() << QStringLiteral("login_fail=账号异常") << QStringLiteral("登录失败，请重试！");
}

void TestQRCodeLogin::failedSignInAfterScanOffersANewCode()
{
    QFETCH(QString, faultPath);
    QFETCH(QString, sdkScript);
    QFETCH(QString, notice);
    QScopedValueRollback<int> poll(Waits::qrPollMs, 50);
    if (!faultPath.isEmpty()) {
        devservice::Fault down;
        down.httpStatus = 500;
        m_server->setFault(faultPath.toStdString(), down);
    }
    if (!sdkScript.isEmpty())
        WemeetSim::applyScript(sdkScript);
    QRCodeLogin *login = openLogin();
    QTRY_VERIFY_WITH_TIMEOUT(!baseValues->wxUuid.isEmpty(), 5000);
    QVERIFY(m_server->scanWxUuid(baseValues->wxUuid.toStdString()));

    QTRY_VERIFY_WITH_TIMEOUT(overlayShows(login, QStringLiteral("登录失败")), 5000);
    QVERIFY(!childWithText<QLabel>(login, QStringLiteral("扫码完成"))->isVisible());
    QVERIFY(login->isEnabled());
    if (!notice.isEmpty())
        QVERIFY(noticeTexts().contains(notice));
    QVERIFY(!visibleTopLevel<HomeScreen>());
    QVERIFY(!baseValues->signedIn);

    m_server->clearFaults();
    WemeetSim::applyScript(QString());
    QTest::mouseClick(childWithText<QPushButton>(login, QStringLiteral("重新获取二维码")), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!overlayShows(login, QStringLiteral("登录失败")) && !codeOf(login).isNull(),
                             5000);
}

void TestQRCodeLogin::pollingAsksOncePerInterval()
{
    QScopedValueRollback<int> poll(Waits::qrPollMs, 100);
    QRCodeLogin *login = openLogin();
    QTRY_VERIFY_WITH_TIMEOUT(!codeOf(login).isNull(), 5000);
    QTRY_VERIFY(bindingPolls() >= 1);
    QElapsedTimer clock;
    clock.start();
    QTRY_VERIFY_WITH_TIMEOUT(bindingPolls() >= 6, 5000);
    QVERIFY2(clock.elapsed() >= 400, qPrintable(QString::number(clock.elapsed())));
    for (const auto &r : m_server->requests()) {
        if (r.path == "/idm/api/user/getBindingStatus")
            QCOMPARE(qs(r.body), QStringLiteral("uuid=") + baseValues->wxUuid);
    }
}

void TestQRCodeLogin::pollingStopsOnError_data()
{
    QTest::addColumn<bool>("successFalse");
    QTest::addColumn<int>("httpStatus");
    QTest::addColumn<QString>("notice");
    QTest::newRow("refused") << true << 0 << QStringLiteral("模拟的服务错误");
    QTest::newRow("service down") << false << 500 << QStringLiteral("服务器繁忙，请稍后再试");
}

void TestQRCodeLogin::pollingStopsOnError()
{
    QFETCH(bool, successFalse);
    QFETCH(int, httpStatus);
    QFETCH(QString, notice);
    QScopedValueRollback<int> poll(Waits::qrPollMs, 50);
    devservice::Fault fault;
    fault.successFalse = successFalse;
    fault.httpStatus = httpStatus;
    m_server->setFault("/idm/api/user/getBindingStatus", fault);
    QRCodeLogin *login = openLogin();
    QTRY_VERIFY_WITH_TIMEOUT(noticeTexts().contains(notice), 5000);
    QVERIFY(overlayShows(login, QStringLiteral("二维码失效")));
    const int polls = bindingPolls();
    QTest::qWait(10 * Waits::qrPollMs);
    QVERIFY(bindingPolls() <= polls + 1);
}

void TestQRCodeLogin::codeExpiresAndRefreshBringsANewOne()
{
    QScopedValueRollback<int> poll(Waits::qrPollMs, 50);
    QScopedValueRollback<int> expiry(Waits::qrExpiryMs, 1000);
    QRCodeLogin *login = openLogin();
    QTRY_VERIFY_WITH_TIMEOUT(!codeOf(login).isNull(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(overlayShows(login, QStringLiteral("二维码失效")), 5000);
    const int polls = bindingPolls();
    QTest::qWait(10 * Waits::qrPollMs);
    QVERIFY(bindingPolls() <= polls + 1); // polling stopped

    // A new code, shown while an older expiry is still pending: a failed poll
    // ends the first code early, and the refresh answers late.
    QTest::mouseClick(childWithText<QPushButton>(login, QStringLiteral("重新获取二维码")), Qt::LeftButton);
    QTRY_VERIFY(!codeOf(login).isNull() && !overlayShows(login, QStringLiteral("二维码失效")));
    devservice::Fault refused;
    refused.successFalse = true;
    refused.times = 1;
    m_server->setFault("/idm/api/user/getBindingStatus", refused);
    QTRY_VERIFY_WITH_TIMEOUT(overlayShows(login, QStringLiteral("二维码失效")), 5000);
    const QString firstUuid = baseValues->wxUuid;
    const QString firstAddress = scan(codeOf(login));
    devservice::Fault late;
    late.delayMs = 700;
    late.times = 1;
    m_server->setFault("/idm/api/user/getWeixinLoginUrl", late);
    QTest::mouseClick(childWithText<QPushButton>(login, QStringLiteral("重新获取二维码")), Qt::LeftButton);
    QVERIFY(!overlayShows(login, QStringLiteral("二维码失效")));
    QTRY_VERIFY_WITH_TIMEOUT(baseValues->wxUuid != firstUuid, 5000);
    QElapsedTimer shown;
    shown.start();
    QVERIFY(!overlayShows(login, QStringLiteral("二维码失效")));
    QCOMPARE(scan(codeOf(login)), baseValues->wxLoginUrl);
    QVERIFY(baseValues->wxLoginUrl != firstAddress);
    QTRY_VERIFY_WITH_TIMEOUT(bindingPolls() > 0 && m_server->requests().back().body ==
                                                       "uuid=" + baseValues->wxUuid.toStdString(),
                             5000);

    QTRY_VERIFY_WITH_TIMEOUT(overlayShows(login, QStringLiteral("二维码失效")), 5000);
    QVERIFY2(shown.elapsed() >= 750, qPrintable(QString::number(shown.elapsed())));
}

void TestQRCodeLogin::codeThatCannotBeShownSaysSo_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("service down") << QString();
    // 200 characters: beyond what a version-5 symbol at level H holds.
    QTest::newRow("address too long")
        << QStringLiteral("http://127.0.0.1/wx/") + QString(180, QLatin1Char('a'));
}

void TestQRCodeLogin::codeThatCannotBeShownSaysSo()
{
    QFETCH(QString, address);
    QScopedValueRollback<int> poll(Waits::qrPollMs, 50);
    if (address.isEmpty()) {
        devservice::Fault down;
        down.httpStatus = 500;
        m_server->setFault("/idm/api/user/getWeixinLoginUrl", down);
    }
    QRCodeLogin *login = openLogin();
    if (!address.isEmpty()) {
        QTRY_VERIFY_WITH_TIMEOUT(!codeOf(login).isNull(), 5000);
        login->findChild<QLabel *>(QStringLiteral("lblQRCode"))->clear();
        m_server->clearRequests();
        // The service's answer, with an address that does not fit.
        baseValues->wxLoginUrl = address;
        login->LoginWxUrlResultSlot(QString());
    }
    QTRY_VERIFY_WITH_TIMEOUT(overlayShows(login, QStringLiteral("二维码获取失败")), 5000);
    QVERIFY(codeOf(login).isNull());
    if (!address.isEmpty()) {
        QTest::qWait(5 * Waits::qrPollMs);
        QCOMPARE(bindingPolls(), 0); // nothing to poll for
    }
}

void TestQRCodeLogin::returnGoesBackToTheOpener_data()
{
    QTest::addColumn<QString>("returnTo");
    QTest::addColumn<QString>("button");
    QTest::newRow("account, return") << "AccountLogin" << QStringLiteral("返回");
    QTest::newRow("nothing named") << "" << QStringLiteral("返回");
    QTest::newRow("phone, corner") << "PhoneLogin" << QStringLiteral("手机登录");
}

void TestQRCodeLogin::returnGoesBackToTheOpener()
{
    QFETCH(QString, returnTo);
    QFETCH(QString, button);
    QRCodeLogin *login = openLogin(returnTo);
    login->move(90, 40);
    QTRY_VERIFY_WITH_TIMEOUT(!codeOf(login).isNull(), 5000);
    QTest::mouseClick(buttonWithToolTip(login, button), Qt::LeftButton);
    QWidget *back = returnTo == QLatin1String("PhoneLogin")
                        ? static_cast<QWidget *>(visibleTopLevel<PhoneLogin>())
                        : static_cast<QWidget *>(visibleTopLevel<AccountLogin>());
    QVERIFY(back);
    QCOMPARE(back->pos(), QPoint(90, 40));
    QVERIFY(childWithText<QRadioButton>(back, QStringLiteral("企业版"))->isChecked());
    QTRY_VERIFY(!visibleTopLevel<QRCodeLogin>());
}

QTEST_MAIN(TestQRCodeLogin)
#include "tst_qrcodelogin.moc"
