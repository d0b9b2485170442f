// The sign-in and join forms worked with the keyboard alone, against the
// stand-in service and the Meeting SDK simulator: Tab walks the fields in
// order, Enter presses the form's main button exactly once, Escape closes
// dialogs but never a screen. Icon-only buttons are named for screen readers.

#include "meeting/jointestsupport.h"

#include "login/accountlogin.h"
#include "login/phonenumberpatch.h"
#include "meeting/homescreen.h"
#include "widgets/accessiblenames.h"

#include <QAccessible>
#include <QApplication>
#include <QListWidget>
#include <QTest>

using namespace jointest;

namespace {

QWidget *focused()
{
    return QApplication::focusWidget();
}

// Where a user's key goes: the focused widget, or the active window when
// nothing in it has taken the focus yet (a screen still loading).
void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget *target = focused() ? focused() : QApplication::activeWindow();
    QVERIFY2(target, "no window has the keyboard");
    QTest::keyClick(target, Qt::Key(key), modifiers);
}

// Tabs forward until the focus is on the widget, at most a round of the form.
bool tabTo(QWidget *widget)
{
    for (int i = 0; i < 20 && focused() != widget; ++i)
        press(Qt::Key_Tab);
    return focused() == widget;
}

// Active, and no other window's widget holds the focus. Under load a window
// of the run that was shown earlier can take the activation back after the
// test asked for it; ask again until the window holds it.
bool activate(QWidget *window)
{
    const auto holdsFocus = [window] {
        QWidget *focus = QApplication::focusWidget();
        return window->isActiveWindow() && (!focus || window->isAncestorOf(focus));
    };
    for (int attempt = 0; attempt < 20 && !holdsFocus(); ++attempt) {
        window->activateWindow();
        QApplication::setActiveWindow(window);
        // Not holding it yet is answered by the next attempt.
        (void)QTest::qWaitFor(holdsFocus, 250);
    }
    return holdsFocus();
}

int countRequests(const devservice::Server &server, const std::string &path)
{
    return requestsTo(server, path).size();
}

} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(startJoinTests(m_server));
        AccessibleNames::install(qApp);
    }
    void init() { QVERIFY(freshJoinTest(m_server)); }
    void cleanup()
    {
        endJoinTest();
        baseValues->signedIn = false;
    }

    void accountSignInWithTheKeyboard()
    {
        AccountLogin *login = Navigator::instance()->showAccountLogin(nullptr, QStringLiteral("1"));
        QVERIFY(login);
        QPointer<AccountLogin> guard(login);
        QVERIFY(activate(login));
        QLineEdit *company = editWithPlaceholder(login, QStringLiteral("请输入公司代码"));
        QLineEdit *account = editWithPlaceholder(login, QStringLiteral("请输入账号"));
        QLineEdit *password = editWithPlaceholder(login, QStringLiteral("请输入密码"));
        QVERIFY(company && account && password);

        // Escape on a sign-in screen leaves it where it is.
        press(Qt::Key_Escape);
        QVERIFY(login->isVisible());

        // The fields follow one another in reading order.
        QVERIFY(tabTo(company));
        QTest::keyClicks(focused(), QStringLiteral("600888"));
        press(Qt::Key_Tab);
        QCOMPARE(focused(), account);
        QTest::keyClicks(focused(), QStringLiteral("zhangwei"));
        press(Qt::Key_Tab);
        QCOMPARE(focused(), password);
        QTest::keyClicks(focused(), QStringLiteral("Vesk@2024"));
        QCOMPARE(company->text(), QStringLiteral("600888"));
        QCOMPARE(account->text(), QStringLiteral("zhangwei"));

        press(Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<HomeScreen>(), 10000);
        QTRY_VERIFY(guard.isNull());
        QCOMPARE(WeMeetManager::instance()->state(), 2);
        // One press, one sign-in.
        QCOMPARE(countRequests(m_server, "/idm/api/user/loginByType"), 1);
        QCOMPARE(countRequests(m_server, "/cloud/application/portCloudApplication"), 1);

        // Escape never hides the home screen.
        HomeScreen *home = visibleTopLevel<HomeScreen>();
        QVERIFY(activate(home));
        press(Qt::Key_Escape);
        QVERIFY(home->isVisible());
    }

    void joinWithTheKeyboard_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("joins");
        QTest::newRow("Enter in the nickname joins once") << int(Qt::Key_Return) << true;
        QTest::newRow("keypad Enter joins once") << int(Qt::Key_Enter) << true;
        QTest::newRow("Escape closes without a request") << int(Qt::Key_Escape) << false;
    }
    void joinWithTheKeyboard()
    {
        QFETCH(int, key);
        QFETCH(bool, joins);
        SplashSelect *splash = openStartScreen();
        QVERIFY(splash);
        QVERIFY(activate(splash));
        press(Qt::Key_Escape);
        QVERIFY(splash->isVisible());

        JoinMeeting *dialog = Navigator::instance()->openJoinMeeting(splash, QString(), QString());
        QVERIFY(dialog);
        QPointer<JoinMeeting> guard(dialog);
        QVERIFY(activate(dialog));
        const JoinForm form = formOf(dialog);
        QVERIFY(form.complete());

        QVERIFY(tabTo(form.number));
        QTest::keyClicks(focused(), QStringLiteral("482915736"));
        press(Qt::Key_Tab);
        QCOMPARE(focused(), form.nickname);
        press(Qt::Key_A, Qt::ControlModifier);
        typeText(form.nickname, QStringLiteral("键盘访客"));
        QCOMPARE(form.nickname->text(), QStringLiteral("键盘访客"));
        press(key);

        QTRY_VERIFY(guard.isNull() || !guard->isVisible());
        if (joins) {
            QTRY_COMPARE_WITH_TIMEOUT(WeMeetManager::instance()->state(), 4, 8000);
            QCOMPARE(WemeetSim::lastJoin().meetingCode, QStringLiteral("482915736"));
            QCOMPARE(WemeetSim::lastJoin().nickname, QStringLiteral("键盘访客"));
        } else {
            QVERIFY(splash->isVisible());
            QVERIFY(WeMeetManager::instance()->state() < 3);
        }
        QCOMPARE(countRequests(m_server, tokenPath), joins ? 1 : 0);
    }

    // Picking an area code with Enter stays in the list's hands; Enter in
    // the code field then confirms the form.
    void enterInTheAreaListOnlyPicksTheCode()
    {
        PhoneNumberPatch *patch = Navigator::instance()->showPhoneNumberPatch(nullptr, 1);
        QVERIFY(patch);
        QVERIFY(activate(patch));
        auto *area = patch->findChild<QLineEdit *>(QStringLiteral("noBorderQLineEdit"));
        auto *number = patch->findChild<QLineEdit *>(QStringLiteral("underlinePaddingQLineEdit"));
        auto *list = patch->findChild<QListWidget *>(QStringLiteral("phoneAreaCodeQListWidget"));
        QLineEdit *code = editWithPlaceholder(patch, QStringLiteral("请输入验证码"));
        auto *confirm = childWithText<QPushButton>(patch, QStringLiteral("确定"));
        QVERIFY(area && number && list && code && confirm);
        QTest::keyClicks(number, QStringLiteral("13712345678"));
        QTest::keyClicks(code, QStringLiteral("123456"));
        QVERIFY(confirm->isEnabled());
        QSignalSpy pressed(confirm, &QPushButton::clicked);

        area->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(list->isVisible());
        press(Qt::Key_Down);
        QCOMPARE(focused(), list);
        press(Qt::Key_Down);
        const QString picked = list->currentItem()->data(Qt::WhatsThisRole).toString();
        QVERIFY(!picked.isEmpty());
        press(Qt::Key_Return);
        QCOMPARE(area->text(), picked);
        QVERIFY(!list->isVisible());
        QCOMPARE(pressed.count(), 0);

        code->setFocus(Qt::TabFocusReason);
        press(Qt::Key_Return);
        QCOMPARE(pressed.count(), 1);
    }

    void iconButtonsAreNamedAfterTheirToolTips()
    {
        AccountLogin *login = Navigator::instance()->showAccountLogin(nullptr, QStringLiteral("1"));
        QVERIFY(login);
        QStringList named;
        for (const QString &tip : {QStringLiteral("返回"), QStringLiteral("最小化"), QStringLiteral("关闭"),
                                   QStringLiteral("扫码登录")}) {
            QAbstractButton *button = buttonWithToolTip(login, tip);
            QVERIFY2(button, qPrintable(tip));
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(button);
            QVERIFY(iface);
            QCOMPARE(iface->text(QAccessible::Name), tip);
        }
        // A button with words of its own keeps them as its name.
        QAbstractButton *signIn = childWithText<QAbstractButton>(login, QStringLiteral("登录"));
        QVERIFY(signIn);
        QCOMPARE(signIn->accessibleName(), QString());

        // A changed tool tip renames; a name a form chose stays.
        QAbstractButton *close = buttonWithToolTip(login, QStringLiteral("关闭"));
        close->setToolTip(QStringLiteral("关闭窗口"));
        QCOMPARE(close->accessibleName(), QStringLiteral("关闭窗口"));
        QAbstractButton *minimise = buttonWithToolTip(login, QStringLiteral("最小化"));
        minimise->setAccessibleName(QStringLiteral("缩小"));
        minimise->setToolTip(QStringLiteral("最小化窗口"));
        QCOMPARE(minimise->accessibleName(), QStringLiteral("缩小"));
    }

private:
    devservice::Server m_server;
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
