// Whatever the service or the Meeting SDK do, a screen never crashes, never
// stays disabled behind its busy indicator, says what went wrong within 10 s
// and keeps User.dat as it was. Every endpoint a screen sends meets every
// kind of fault; the cells are printed as a table. A new endpoint joins with
// one row in the lists endpoints() gathers, a new Meeting SDK failure with
// one in everyMeetingSdkFailureIsSaid_data().

#include "meeting/jointestsupport.h"

#include "app/waits.h"
#include "login/accountlogin.h"
#include "login/phonelogin.h"
#include "login/phonenumberpatch.h"
#include "login/qrcodelogin.h"
#include "meeting/homescreen.h"
#include "meeting/schedulemeeting.h"
#include "widgets/progressindicator.h"
#include "widgets/twobtndlg.h"
#include "widgets/waitingspinnerwidget.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QTcpServer>

#include <functional>
#include <map>

using namespace jointest;

namespace {

enum class Fault
{
    Late,
    Http500,
    Refused,
    NotJson,
    NoErrorMsg,
    WrongResultType,
    LateAfterRetry
};

const QList<QPair<Fault, QString>> &faults()
{
    static const QList<QPair<Fault, QString>> all = {
        {Fault::Late, QStringLiteral("late")},
        {Fault::Http500, QStringLiteral("HTTP 500")},
        {Fault::Refused, QStringLiteral("refused")},
        {Fault::NotJson, QStringLiteral("not JSON")},
        {Fault::NoErrorMsg, QStringLiteral("no errorMsg")},
        {Fault::WrongResultType, QStringLiteral("result type")},
        {Fault::LateAfterRetry, QStringLiteral("late, retried")},
    };
    return all;
}

const QString password = QStringLiteral("Vesk@2024");

// ctest runs the matrix as several processes at once: VESK_SHARD="k/n" keeps
// rows k, k+n, … (from 1); the test command adds up their counts.
bool inThisShard(int row)
{
    const QStringList shard = qEnvironmentVariable("VESK_SHARD").split(QLatin1Char('/'));
    const int count = shard.size() == 2 ? shard.at(1).toInt() : 0;
    return count <= 1 || row % count == shard.at(0).toInt() - 1;
}
// The demo account's phone, and a guest's phone the stand-in accepts for
// meetings that want a verified number.
const QString phone = QStringLiteral("13800138000");
const QString guestPhone = QStringLiteral("13300133005");
const QString smsSent = QStringLiteral("手机验证码已发送");

// The stand-in service, for what a user's phone sees (SMS codes, scans).
devservice::Server *service = nullptr;

// Notices shown since the user's last action: a notice is gone after
// Waits::noticeMs, what it said must still count.
QStringList &noticesSeen()
{
    static QStringList seen;
    return seen;
}

class NoticeRecorder final : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->objectName() == QLatin1String("snackbarQLabel")) {
            if (auto *label = qobject_cast<QLabel *>(watched))
                noticesSeen() << label->text();
        }
        return false;
    }
};

bool told(const QString &text)
{
    return noticesSeen().contains(text);
}

QLineEdit *edit(QWidget *screen, const QString &placeholder)
{
    return editWithPlaceholder(screen, placeholder);
}

// The account sign-in with an account typed in, ready to click.
QWidget *accountSignInTypedAs(const QString &user, const QString &pass)
{
    auto *login = new AccountLogin(QStringLiteral("1"));
    login->show();
    QTest::keyClicks(edit(login, QStringLiteral("请输入公司代码")), QStringLiteral("600888"));
    QTest::keyClicks(edit(login, QStringLiteral("请输入账号")), user);
    QTest::keyClicks(edit(login, QStringLiteral("请输入密码")), pass);
    return login;
}

// The same with the demo account.
QWidget *accountSignInTyped()
{
    return accountSignInTypedAs(QStringLiteral("zhangwei"), password);
}

QAbstractButton *signInButton(QWidget *screen)
{
    return childWithText<QAbstractButton>(screen, QStringLiteral("登录"));
}

bool homeListShown(QWidget *screen)
{
    auto *home = qobject_cast<HomeScreen *>(screen);
    if (!home)
        home = visibleTopLevel<HomeScreen>();
    if (!home)
        return false;
    auto *list = home->findChild<QScrollArea *>(QStringLiteral("scMtgList"));
    auto *empty = home->findChild<QWidget *>(QStringLiteral("emptyWidget"));
    return (list->isVisible() || empty->isVisible()) && home->isEnabled();
}

// Signed in through the account sign-in screen; the home screen it hands
// over to has loaded its list.
HomeScreen *signedInHome()
{
    QWidget *login = accountSignInTyped();
    QTest::mouseClick(signInButton(login), Qt::LeftButton);
    if (!QTest::qWaitFor([] { return homeListShown(nullptr); }, 10000))
        return nullptr;
    return visibleTopLevel<HomeScreen>();
}

QPushButton *quickButton(QWidget *home)
{
    return home->findChild<QPushButton *>(QStringLiteral("btnMtgQuick"));
}

// The scheduling dialog opened from a signed-in home screen, as the user
// opens it; null when it did not come.
ScheduleMeeting *openSchedule(QWidget *home)
{
    QTest::mouseClick(home->findChild<QPushButton *>(QStringLiteral("btnMtgCreate")), Qt::LeftButton);
    if (!QTest::qWaitFor([] { return visibleTopLevels<ScheduleMeeting>().size() == 1; }, 5000))
        return nullptr;
    return visibleTopLevels<ScheduleMeeting>().first();
}

QAbstractButton *bookButton(QWidget *schedule)
{
    return childWithText<QAbstractButton>(schedule, QStringLiteral("预定会议"));
}

bool roomSizeShown(QWidget *schedule)
{
    auto *label = schedule ? schedule->findChild<QLabel *>(QStringLiteral("lblMtgMaxPersonCount")) : nullptr;
    return label && label->text().endsWith(QStringLiteral("人"));
}

bool inMeeting(QWidget * = nullptr)
{
    return WemeetSim::phase() == WemeetSim::Phase::InMeeting;
}

// The SMS button, whatever its countdown shows.
QPushButton *smsButton(QWidget *screen)
{
    if (!screen)
        return nullptr;
    for (QPushButton *button : screen->findChildren<QPushButton *>()) {
        if (button->text() == QStringLiteral("获取验证码") ||
            button->text().endsWith(QStringLiteral("秒后重发")))
            return button;
    }
    return nullptr;
}

void clickSmsButton(QWidget *screen)
{
    QTest::mouseClick(smsButton(screen), Qt::LeftButton);
}

// The code was sent: the user was told so and the countdown runs (a
// failure would end it at the next tick).
bool smsCodeSent(QWidget *screen)
{
    QPushButton *button = smsButton(screen);
    return told(smsSent) && button && !button->isEnabled();
}

// Asks for an SMS code as the user does, once the button takes a click
// again, and types the code the phone received.
bool typeSmsCode(QWidget *screen, const QString &number, QLineEdit *codeField)
{
    QPushButton *button = smsButton(screen);
    if (!button || !codeField || !QTest::qWaitFor([button] { return button->isEnabled(); }, 5000))
        return false;
    noticesSeen().clear();
    QTest::mouseClick(button, Qt::LeftButton);
    if (!QTest::qWaitFor([] { return told(smsSent); }, 5000))
        return false;
    codeField->clear();
    QTest::keyClicks(codeField, qs(service->lastSmsCode(number.toStdString())));
    return true;
}

// The phone sign-in with company and the demo phone typed in, and the SMS
// code when withCode.
QWidget *phoneSignInTyped(bool withCode)
{
    PhoneLogin *login = Navigator::instance()->showPhoneLogin(nullptr, QStringLiteral("1"));
    QCoreApplication::processEvents();
    QTest::keyClicks(edit(login, QStringLiteral("请输入公司代码")), QStringLiteral("600888"));
    QTest::keyClicks(edit(login, QStringLiteral("请输入手机号")), phone);
    if (withCode && !typeSmsCode(login, phone, edit(login, QStringLiteral("请输入验证码"))))
        return nullptr;
    return login;
}

QWidget *clickSignIn(QWidget *screen)
{
    QTest::mouseClick(signInButton(screen), Qt::LeftButton);
    return screen;
}

// A new code, then the sign-in again: the first code went with the first try.
void signInWithNewCode(QWidget *login)
{
    typeSmsCode(login, phone, edit(login, QStringLiteral("请输入验证码")));
    clickSignIn(login);
}

// The account sign-in with a remembered automatic phone sign-in.
QWidget *rememberedPhoneSignIn()
{
    QSettings settings(userDatPath(), QSettings::IniFormat);
    settings.setValue("/LOGININFO/AUTOLOGIN", "2");
    settings.setValue("/LOGININFO2/TYPE", 1);
    settings.setValue("/LOGININFO2/COMPANYCODE", "600888");
    settings.setValue("/LOGININFO2/USERNAME", QStringLiteral("张伟"));
    settings.setValue("/LOGININFO2/TELEPHONE", phone);
    settings.sync();
    return Navigator::instance()->showAccountLogin(nullptr, QStringLiteral("1"));
}

QLabel *qrOverlay(QWidget *screen)
{
    return screen ? screen->findChild<QLabel *>(QStringLiteral("whiteMaskQLabel")) : nullptr;
}

QAbstractButton *refreshButton(QWidget *screen)
{
    return screen ? childWithText<QAbstractButton>(screen, QStringLiteral("重新获取二维码")) : nullptr;
}

// The code is on screen, nothing over it.
bool qrCodeShown(QWidget *screen)
{
    auto *code = screen ? screen->findChild<QLabel *>(QStringLiteral("lblQRCode")) : nullptr;
    return code && !code->pixmap(Qt::ReturnByValue).isNull() && !qrOverlay(screen)->isVisible();
}

QWidget *qrSignInShowingCode()
{
    QRCodeLogin *login = Navigator::instance()->showQRCodeLogin(nullptr, QStringLiteral("AccountLogin"));
    return QTest::qWaitFor([login] { return qrCodeShown(login); }, 5000) ? login : nullptr;
}

// What scanning the code with WeChat does.
QWidget *scanCode(QWidget *screen)
{
    service->scanWxUuid(baseValues->wxUuid.toStdString());
    return screen;
}

void newCodeScanned(QWidget *screen)
{
    QTest::mouseClick(refreshButton(screen), Qt::LeftButton);
    if (QTest::qWaitFor([screen] { return qrCodeShown(screen); }, 5000))
        scanCode(screen);
}

// The account without a phone number signed in: the completion screen
// with the number typed in, and the SMS code when withCode.
QWidget *completionTyped(bool withCode)
{
    clickSignIn(accountSignInTypedAs(QStringLiteral("wangfang"), QStringLiteral("Wang@2024")));
    if (!QTest::qWaitFor([] { return visibleTopLevel<PhoneNumberPatch>() != nullptr; }, 10000))
        return nullptr;
    PhoneNumberPatch *patch = visibleTopLevel<PhoneNumberPatch>();
    const QString number = QStringLiteral("13712345678");
    QTest::keyClicks(patch->findChild<QLineEdit *>(QStringLiteral("underlinePaddingQLineEdit")), number);
    if (withCode &&
        !typeSmsCode(patch, number, patch->findChild<QLineEdit *>(QStringLiteral("underlineQLineEdit"))))
        return nullptr;
    return patch;
}

QAbstractButton *confirmButton(QWidget *screen)
{
    return screen ? childWithText<QAbstractButton>(screen, QStringLiteral("确定")) : nullptr;
}

QWidget *clickConfirm(QWidget *screen)
{
    QTest::mouseClick(confirmButton(screen), Qt::LeftButton);
    return screen;
}

QAbstractButton *joinButton(QWidget *screen)
{
    return screen ? childWithText<QAbstractButton>(screen, QStringLiteral("加入会议")) : nullptr;
}

QWidget *clickJoin(QWidget *screen)
{
    QTest::mouseClick(joinButton(screen), Qt::LeftButton);
    return screen;
}

// The join dialog with a meeting number and nickname typed in, opened from
// the home screen when signed in, else from the start screen as a guest.
JoinMeeting *joinTyped(bool signedIn, const QString &number, const QString &nickname)
{
    JoinMeeting *dialog = nullptr;
    if (signedIn) {
        HomeScreen *home = signedInHome();
        dialog = home ? clickJoinOn(home, QStringLiteral("btnMtgJoin")) : nullptr;
    } else {
        SplashSelect *splash = openStartScreen();
        dialog = splash ? clickJoinOn(splash, QStringLiteral("defaultQPushButton")) : nullptr;
    }
    if (!dialog)
        return nullptr;
    const JoinForm form = formOf(dialog);
    form.number->lineEdit()->clear();
    typeText(form.number->lineEdit(), number);
    form.nickname->clear();
    typeText(form.nickname, nickname);
    return dialog;
}

// A guest joining a meeting that wants a verified phone: the verification
// window with the phone typed in, and the SMS code when withCode.
QWidget *verificationTyped(bool withCode, const QString &meeting = QStringLiteral("729364051"),
                           const QString &number = guestPhone)
{
    JoinMeeting *dialog = joinTyped(false, meeting, QStringLiteral("访客A"));
    if (!dialog)
        return nullptr;
    clickJoin(dialog);
    if (!QTest::qWaitFor([] { return visibleTopLevel<PhoneNumberVerify>() != nullptr; }, 5000))
        return nullptr;
    PhoneNumberVerify *verify = visibleTopLevel<PhoneNumberVerify>();
    QTest::keyClicks(verify->findChild<QLineEdit *>(QStringLiteral("underlinePaddingQLineEdit")), number);
    if (withCode &&
        !typeSmsCode(verify, number, verify->findChild<QLineEdit *>(QStringLiteral("underlineQLineEdit"))))
        return nullptr;
    return verify;
}

// The verification once more with a new code: the first went with the first try.
void confirmWithNewCode(QWidget *verify)
{
    typeSmsCode(verify, guestPhone, verify->findChild<QLineEdit *>(QStringLiteral("underlineQLineEdit")));
    clickConfirm(verify);
}

// A guest whose commitment letter for an activity meeting is still to be
// signed: the admission window, its code already scanned and signed.
QWidget *admissionWindowScanned()
{
    QWidget *verify = verificationTyped(true, QStringLiteral("927461035"), QStringLiteral("13600136003"));
    if (!verify)
        return nullptr;
    clickConfirm(verify);
    if (!QTest::qWaitFor([] { return visibleTopLevel<ActivityApprove>() != nullptr; }, 5000))
        return nullptr;
    ActivityApprove *approve = visibleTopLevel<ActivityApprove>();
    QNetworkAccessManager phoneBrowser;
    std::unique_ptr<QNetworkReply> page(phoneBrowser.get(QNetworkRequest(QUrl(approve->url()))));
    if (!QTest::qWaitFor([&page] { return page->isFinished(); }, 5000) ||
        page->error() != QNetworkReply::NoError)
        return nullptr;
    return approve;
}

// One service endpoint as a screen sends it.
// Rows name only the parts they need; the others keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

struct Endpoint
{
    QString name;
    std::string path;
    QString *(*baseUrl)(); // the configured base URL the request goes to
    // Brings the screen to where the user's action sends the request; null
    // when that failed. Runs before the fault is in place.
    std::function<QWidget *()> prepare;
    // What the user does; returns the screen that must stay usable.
    std::function<QWidget *(QWidget *prepared)> act;
    // The button the user needs again afterwards (null: none).
    std::function<QAbstractButton *(QWidget *screen)> button;
    // After a retry (act again, unless retryActs is false): the normal
    // outcome, lasting.
    std::function<bool(QWidget *screen)> succeeded;
    bool retryActs = true;
    // Where the screen rightly goes on without a message (it does not need
    // the result, or the system lets it carry on without it): what it shows
    // instead, and for which faults.
    std::function<bool(QWidget *screen)> quietOutcome;
    QList<Fault> quietFaults = {Fault::WrongResultType};
    // How the user tries again when it is not acting again.
    std::function<void(QWidget *screen)> retry;
    // Groups of User.dat the screen rightly writes; all else must stay.
    QStringList storeWrites;
};

// A row with the common parts; the rest is set by name.
Endpoint row(const QString &name, const std::string &path, QString *(*baseUrl)(),
             std::function<QWidget *()> prepare, std::function<QWidget *(QWidget *)> act,
             std::function<QAbstractButton *(QWidget *)> button, std::function<bool(QWidget *)> succeeded)
{
    Endpoint e;
    e.name = name;
    e.path = path;
    e.baseUrl = baseUrl;
    e.prepare = std::move(prepare);
    e.act = std::move(act);
    e.button = std::move(button);
    e.succeeded = std::move(succeeded);
    return e;
}

QString *serviceBase()
{
    return &baseValues->serviceUrl;
}
QString *cloudBase()
{
    return &baseValues->cloudUrl;
}
QString *idmBase()
{
    return &baseValues->idmUrl;
}

// The account sign-in, the home screen and the scheduling dialog.
QList<Endpoint> accountRows()
{
    return {
        {QStringLiteral("company check"), "/cloud/application/portCloudApplication", cloudBase,
         accountSignInTyped,
         [](QWidget *login) {
             QTest::mouseClick(signInButton(login), Qt::LeftButton);
             return login;
         },
         signInButton, [](QWidget *) { return homeListShown(nullptr); }},
        {QStringLiteral("service sign-in"), "/idm/api/user/loginByType", idmBase, accountSignInTyped,
         [](QWidget *login) {
             QTest::mouseClick(signInButton(login), Qt::LeftButton);
             return login;
         },
         signInButton, [](QWidget *) { return homeListShown(nullptr); }},
        {QStringLiteral("meeting token"), "/service/tencent-meeting/user/token", serviceBase,
         accountSignInTyped,
         [](QWidget *login) {
             QTest::mouseClick(signInButton(login), Qt::LeftButton);
             return login;
         },
         signInButton, [](QWidget *) { return homeListShown(nullptr); }},
        // The list loads when the home screen opens; a late answer fills it.
        {QStringLiteral("meeting list"), "/service/tencent-meeting/meeting/queryMeeting", serviceBase,
         [] { return static_cast<QWidget *>(signedInHome()); },
         [](QWidget *signedIn) {
             // A new home screen, as after a meeting.
             delete signedIn;
             auto *home = new HomeScreen;
             home->show();
             return static_cast<QWidget *>(home);
         },
         quickButton, homeListShown, false,
         [](QWidget *home) {
             auto *empty = home ? home->findChild<QWidget *>(QStringLiteral("emptyWidget")) : nullptr;
             return empty && empty->isVisible();
         }},
        {QStringLiteral("quick meeting"), "/service/tencent-meeting/meeting/createMeeting", serviceBase,
         [] { return static_cast<QWidget *>(signedInHome()); },
         [](QWidget *home) {
             QTest::mouseClick(home->findChild<QPushButton *>(QStringLiteral("btnMtgQuick")), Qt::LeftButton);
             return home;
         },
         quickButton, [](QWidget *) { return WemeetSim::phase() == WemeetSim::Phase::InMeeting; }},
        // The room size loads when the scheduling dialog opens; a late answer fills it.
        {QStringLiteral("room size"), "/service/tencent-meeting/meeting/getMeetingMaxPeople", serviceBase,
         [] { return static_cast<QWidget *>(signedInHome()); },
         [](QWidget *home) { return static_cast<QWidget *>(openSchedule(home)); }, bookButton, roomSizeShown,
         false},
        {QStringLiteral("schedule meeting"), "/service/tencent-meeting/meeting/createMeeting", serviceBase,
         []() -> QWidget * {
             HomeScreen *home = signedInHome();
             ScheduleMeeting *schedule = home ? openSchedule(home) : nullptr;
             if (!schedule ||
                 !QTest::qWaitFor(
                     [schedule] { return roomSizeShown(schedule) && bookButton(schedule)->isEnabled(); },
                     5000))
                 return nullptr;
             return schedule;
         },
         [](QWidget *schedule) {
             QTest::mouseClick(bookButton(schedule), Qt::LeftButton);
             return schedule;
         },
         bookButton, [](QWidget *) { return visibleTopLevels<ScheduleMeeting>().isEmpty(); }, true,
         [](QWidget *) { return visibleTopLevels<ScheduleMeeting>().isEmpty() && homeListShown(nullptr); }},
    };
}

// The phone, QR-code and phone-completion sign-ins.
QList<Endpoint> signInRows()
{
    const std::string phoneSmsPath = "/idm/api/user/getVerifyCode";
    const std::string signInPath = "/idm/api/user/loginByType";
    const auto withCode = [] { return phoneSignInTyped(true); };
    const auto home = [](QWidget *) { return homeListShown(nullptr); };
    QList<Endpoint> rows;

    rows << row(QStringLiteral("phone: company check"), "/cloud/application/portCloudApplication", cloudBase,
                withCode, clickSignIn, signInButton, home);
    rows << row(
        QStringLiteral("phone: SMS code"), phoneSmsPath, idmBase, [] { return phoneSignInTyped(false); },
        [](QWidget *login) {
            clickSmsButton(login);
            return login;
        },
        smsButton, smsCodeSent);
    rows << row(QStringLiteral("phone: sign-in"), signInPath, idmBase, withCode, clickSignIn, signInButton,
                home);
    Endpoint token = row(QStringLiteral("phone: meeting token"), tokenPath, serviceBase, withCode,
                         clickSignIn, signInButton, home);
    token.retry = signInWithNewCode;
    rows << token;
    // Opening the phone sign-in signs in by itself; by hand it takes a code.
    Endpoint automatic = row(
        QStringLiteral("phone: automatic"), "/idm/api/user/simulateLogin", idmBase, rememberedPhoneSignIn,
        [](QWidget *account) {
            QTest::mouseClick(childWithText<QAbstractButton>(account, QStringLiteral("  手机登录")),
                              Qt::LeftButton);
            return static_cast<QWidget *>(visibleTopLevel<PhoneLogin>());
        },
        smsButton, home);
    automatic.retry = signInWithNewCode;
    rows << automatic;

    // The QR-code sign-in says what went wrong over the code and offers a new one.
    Endpoint code = row(
        QStringLiteral("QR: code"), "/idm/api/user/getWeixinLoginUrl", idmBase,
        [] {
            return static_cast<QWidget *>(
                Navigator::instance()->showAccountLogin(nullptr, QStringLiteral("1")));
        },
        [](QWidget *account) {
            QTest::mouseClick(buttonWithToolTip(account, QStringLiteral("扫码登录")), Qt::LeftButton);
            return static_cast<QWidget *>(visibleTopLevel<QRCodeLogin>());
        },
        refreshButton, qrCodeShown);
    code.retry = [](QWidget *login) { QTest::mouseClick(refreshButton(login), Qt::LeftButton); };
    rows << code;
    // Polls run more often than a request times out, so one late poll is
    // overtaken by the next and nothing is said; polling goes on.
    Endpoint binding = row(
        QStringLiteral("QR: binding status"), "/idm/api/user/getBindingStatus", idmBase, qrSignInShowingCode,
        [](QWidget *login) { return login; }, refreshButton, qrCodeShown);
    binding.quietFaults = {Fault::Late, Fault::LateAfterRetry};
    binding.quietOutcome = [](QWidget *login) {
        // Twenty polls on, the late one has had its answer too.
        return qrCodeShown(login) && requestsTo(*service, "/idm/api/user/getBindingStatus").size() >= 20;
    };
    rows << binding;
    for (const auto &step : {QPair<QString, std::string>{QStringLiteral("QR: sign-in by key"),
                                                         "/idm/api/user/simulateLoginByUUID"},
                             QPair<QString, std::string>{QStringLiteral("QR: meeting token"), tokenPath}}) {
        Endpoint e = row(step.first, step.second, step.second == tokenPath ? serviceBase : idmBase,
                         qrSignInShowingCode, scanCode, refreshButton, home);
        e.retry = newCodeScanned;
        rows << e;
    }

    rows << row(
        QStringLiteral("completion: SMS code"), smsPath, serviceBase, [] { return completionTyped(false); },
        [](QWidget *patch) {
            clickSmsButton(patch);
            return patch;
        },
        smsButton, smsCodeSent);
    // A failed confirmation forgets the account's automatic sign-in.
    Endpoint confirm = row(
        QStringLiteral("completion: token"), tokenPath, serviceBase, [] { return completionTyped(true); },
        clickConfirm, confirmButton, home);
    confirm.storeWrites = QStringList{QStringLiteral("LOGININFO")};
    rows << confirm;
    return rows;
}

// The join dialog and the admission windows over it.
QList<Endpoint> joinRows()
{
    // A join that goes ahead is remembered: nickname, choices, history.
    // A join remembers the number and switches, and the home screen it
    // closes remembers its place.
    const QStringList joinRemembered = {QStringLiteral("USERINFO"), QStringLiteral("MEETINGINFO"),
                                        QStringLiteral("WINDOW")};
    QList<Endpoint> rows;

    rows << row(
        QStringLiteral("join: guest token"), tokenPath, serviceBase,
        [] {
            return static_cast<QWidget *>(
                joinTyped(false, QStringLiteral("482915736"), QStringLiteral("访客A")));
        },
        clickJoin, joinButton, inMeeting);
    // Without the summary the join goes ahead: it only decides whether to ask
    // for admission first.
    Endpoint summary = row(
        QStringLiteral("join: summary"), "/service/tencent-meeting/meeting/meetingSummary", serviceBase,
        [] {
            return static_cast<QWidget *>(
                joinTyped(true, QStringLiteral("482915736"), QStringLiteral("张伟")));
        },
        clickJoin, joinButton, inMeeting);
    for (const auto &f : faults())
        summary.quietFaults << f.first;
    summary.quietOutcome = inMeeting;
    summary.storeWrites = joinRemembered;
    rows << summary;
    // An admission answer that admits needs no result: the join goes ahead.
    // With the service stopped the summary fails first, and the join goes
    // ahead without asking for admission, as above.
    Endpoint admission = row(
        QStringLiteral("join: admission"), approvePath, serviceBase,
        [] {
            return static_cast<QWidget *>(
                joinTyped(true, QStringLiteral("927461035"), QStringLiteral("张伟")));
        },
        clickJoin, joinButton, inMeeting);
    admission.quietFaults << Fault::Refused;
    admission.quietOutcome = inMeeting;
    admission.storeWrites = joinRemembered;
    rows << admission;

    rows << row(
        QStringLiteral("verify: SMS code"), smsPath, serviceBase, [] { return verificationTyped(false); },
        [](QWidget *verify) {
            clickSmsButton(verify);
            return verify;
        },
        smsButton, smsCodeSent);
    rows << row(
        QStringLiteral("verify: token"), tokenPath, serviceBase, [] { return verificationTyped(true); },
        clickConfirm, confirmButton, inMeeting);
    Endpoint verified = row(
        QStringLiteral("verify: admission"), approvePath, serviceBase, [] { return verificationTyped(true); },
        clickConfirm, confirmButton, inMeeting);
    verified.retry = confirmWithNewCode;
    verified.quietOutcome = inMeeting;
    verified.storeWrites = joinRemembered;
    rows << verified;

    Endpoint window = row(QStringLiteral("admission window"), approvePath, serviceBase,
                          admissionWindowScanned, clickJoin, joinButton, inMeeting);
    window.quietOutcome = inMeeting;
    window.storeWrites = joinRemembered;
    rows << window;
    return rows;
}

const QList<Endpoint> &endpoints()
{
    static const QList<Endpoint> all = accountRows() + signInRows() + joinRows();
    return all;
}

// What a user sees of a failure: a notice, a message dialog, or the QR-code
// sign-in's word over the code.
bool messageShown()
{
    if (!noticeTexts().isEmpty())
        return true;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (!w->isVisible())
            continue;
        if (qobject_cast<TwoBtnDlg *>(w))
            return true;
        if (QLabel *overlay = qrOverlay(w); overlay && overlay->isVisible())
            return true;
    }
    return false;
}

// The user reads the message dialogs on screen and closes them.
void acknowledgeMessages()
{
    if (visibleTopLevels<TwoBtnDlg>().isEmpty())
        return;
    auto answer = answerNextDialog();
    (void)QTest::qWaitFor([&answer] { return answer->answered; }, 2000);
}

// Empty when the screen can be used again, otherwise what is wrong.
QString unusable(QWidget *screen, const std::function<QAbstractButton *(QWidget *)> &button)
{
    if (!screen)
        return QStringLiteral("screen gone");
    if (!screen->isVisible())
        return QStringLiteral("screen hidden");
    if (!screen->isEnabled())
        return QStringLiteral("screen disabled");
    for (WaitingSpinnerWidget *spinner : screen->findChildren<WaitingSpinnerWidget *>()) {
        if (spinner->isSpinning() || spinner->isVisible())
            return QStringLiteral("still busy");
    }
    for (ProgressIndicator *progress : screen->findChildren<ProgressIndicator *>()) {
        if (progress->isAnimated())
            return QStringLiteral("still loading");
    }
    if (button) {
        QAbstractButton *b = button(screen);
        if (!b || !b->isVisible())
            return QStringLiteral("button missing");
        if (!b->isEnabled())
            return QStringLiteral("button disabled");
    }
    return QString();
}

// User.dat as it stands: the bytes, and the values by key.
struct Store
{
    QByteArray bytes;
    QMap<QString, QVariant> values;
};

Store readStore()
{
    Store store;
    QFile file(userDatPath());
    store.bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    QSettings settings(userDatPath(), QSettings::IniFormat);
    settings.setIniCodec("UTF-8");
    for (const QString &key : settings.allKeys())
        store.values.insert(key, settings.value(key));
    return store;
}

// Empty when User.dat holds what it held, but for the groups the outcome
// rightly writes.
QString storeChange(const Store &before, const QStringList &writes)
{
    const Store now = readStore();
    if (now.bytes == before.bytes)
        return QString();
    const auto kept = [&writes](QMap<QString, QVariant> values) {
        for (const QString &group : writes) {
            for (const QString &key : values.keys())
                if (key.startsWith(group + QLatin1Char('/')))
                    values.remove(key);
        }
        return values;
    };
    return !writes.isEmpty() && kept(before.values) == kept(now.values) ? QString()
                                                                        : QStringLiteral("User.dat changed");
}

// A loopback port nobody listens on.
int closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const int port = probe.serverPort();
    probe.close();
    return port;
}

// Cells of one table in the order they ran: row, column, outcome ("held" or
// what failed).
using Table = QList<QPair<QString, std::map<QString, QString>>>;

void record(Table &table, const QString &row, const QString &column, const QString &outcome)
{
    for (auto &existing : table) {
        if (existing.first == row) {
            existing.second[column] = outcome;
            return;
        }
    }
    table.append({row, {{column, outcome}}});
}

void printTable(const QString &title, const Table &rows, const QStringList &columns)
{
    int held = 0, tried = 0;
    QString text = QStringLiteral("\n%1\n%2").arg(title).arg(QString(), -22);
    for (const QString &c : columns)
        text += QStringLiteral(" | %1").arg(c, -16);
    for (const auto &row : rows) {
        text += QStringLiteral("\n%1").arg(row.first, -22);
        for (const QString &c : columns) {
            const auto cell = row.second.find(c);
            const QString outcome = cell == row.second.end() ? QStringLiteral("-") : cell->second;
            if (cell != row.second.end()) {
                ++tried;
                held += outcome == QLatin1String("held");
            }
            text += QStringLiteral(" | %1").arg(outcome, -16);
        }
    }
    printf("%s\n%s: %d/%d cells held\n", qPrintable(text), qPrintable(title), held, tried);
    fflush(stdout);
}

} // namespace

Q_DECLARE_METATYPE(Fault)

class TestFaultMatrix : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void everyEndpointSurvivesEveryFault_data();
    void everyEndpointSurvivesEveryFault();
    void everyMeetingSdkFailureIsSaid_data();
    void everyMeetingSdkFailureIsSaid();

private:
    QString runServiceCell(const Endpoint &endpoint, Fault fault);
    std::unique_ptr<devservice::Server> m_server;
    NoticeRecorder m_notices;
    Table m_serviceCells;
    Table m_sdkCells;
};

void TestFaultMatrix::initTestCase()
{
    useOwnHomeFolder();
    m_server = std::make_unique<devservice::Server>();
    QVERIFY(m_server->start() > 0);
    service = m_server.get();
    qApp->installEventFilter(&m_notices);
    keepRunOpen();
}

void TestFaultMatrix::init()
{
    QVERIFY(freshStart(*m_server));
}

void TestFaultMatrix::cleanup()
{
    cancelDialogAnswers();
    WeMeetManager *manager = WeMeetManager::instance();
    if (WemeetSim::phase() == WemeetSim::Phase::InMeeting) {
        QSignalSpy left(manager, &WeMeetManager::OnLeaveMeetingFinishSignal);
        WemeetSim::pressLeave();
        left.wait(3000);
    }
    deleteAllWindows();
    baseValues->signedIn = false;
}

void TestFaultMatrix::cleanupTestCase()
{
    QStringList columns;
    for (const auto &f : faults())
        columns << f.second;
    printTable(QStringLiteral("fault matrix, service endpoints"), m_serviceCells, columns);
    printTable(QStringLiteral("fault matrix, Meeting SDK"), m_sdkCells,
               {QStringLiteral("account sign-in"), QStringLiteral("quick meeting")});
}

void TestFaultMatrix::everyEndpointSurvivesEveryFault_data()
{
    QTest::addColumn<int>("endpoint");
    QTest::addColumn<Fault>("fault");
    for (int e = 0; e < endpoints().size(); ++e) {
        if (!inThisShard(e))
            continue;
        for (const auto &f : faults())
            QTest::newRow(qPrintable(endpoints().at(e).name + QStringLiteral(" / ") + f.second))
                << e << f.first;
    }
}

QString TestFaultMatrix::runServiceCell(const Endpoint &endpoint, Fault fault)
{
    QScopedValueRollback<int> timeout(Waits::requestTimeoutMs);
    QScopedValueRollback<int> notice(Waits::noticeMs, 300);
    // In the proportions of the real waits: a QR poll well within a time-out,
    // an SMS countdown well beyond a late answer.
    QScopedValueRollback<int> poll(Waits::qrPollMs, 100);
    QScopedValueRollback<int> tick(Waits::verifyCodeTickMs, 50);
    QScopedValueRollback<QString> base(*endpoint.baseUrl());
    // The way to the screen asks the service at the client's own time-out: on a
    // loaded machine 300 ms lost it a token now and then.
    QWidget *prepared = endpoint.prepare();
    if (!prepared)
        return QStringLiteral("no screen");
    Waits::requestTimeoutMs = 300;
    // What the way there said is no answer to the fault.
    (void)QTest::qWaitFor([] { return !messageShown(); }, 5000);
    m_server->clearRequests();

    devservice::Fault f;
    switch (fault) {
    case Fault::Late:
    case Fault::LateAfterRetry:
        f.delayMs = 1500;
        f.times = 1;
        break;
    case Fault::Http500:
        f.httpStatus = 500;
        break;
    case Fault::Refused:
        *endpoint.baseUrl() = QStringLiteral("http://127.0.0.1:%1/").arg(closedPort());
        break;
    case Fault::NotJson:
        f.nonJson = true;
        break;
    case Fault::NoErrorMsg:
        f.successFalse = true;
        f.withErrorMsg = false;
        break;
    case Fault::WrongResultType:
        f.wrongResultType = true;
        break;
    }
    if (fault != Fault::Refused)
        m_server->setFault(endpoint.path, f);

    LogCapture log;
    const Store storeBefore = readStore();
    const auto neverSent = [&] {
        return fault != Fault::Refused && requestsTo(*m_server, endpoint.path).isEmpty();
    };
    noticesSeen().clear();
    QPointer<QWidget> screen = endpoint.act(prepared);
    if (endpoint.quietOutcome && endpoint.quietFaults.contains(fault)) {
        if (!QTest::qWaitFor([&] { return endpoint.quietOutcome(screen); }, 10000))
            return QStringLiteral("nothing shown");
        if (neverSent())
            return QStringLiteral("never sent");
        const QString changed = storeChange(storeBefore, endpoint.storeWrites);
        return changed.isEmpty() ? QStringLiteral("held") : changed;
    }
    if (!QTest::qWaitFor(messageShown, 10000))
        return QStringLiteral("no message");
    if (neverSent())
        return QStringLiteral("never sent");
    if (const QString changed = storeChange(storeBefore, endpoint.storeWrites); !changed.isEmpty())
        return changed;
    // Busy indicators stop with the message or right after it.
    QString problem;
    (void)QTest::qWaitFor([&] { return (problem = unusable(screen, endpoint.button)).isEmpty(); }, 2000);
    if (!problem.isEmpty())
        return problem;

    if (fault == Fault::LateAfterRetry) {
        // The late answer comes after the time-out: a retry, or the late
        // answer itself, gets the user where they wanted to go, once.
        const bool retried = endpoint.retryActs || endpoint.retry;
        acknowledgeMessages();
        noticesSeen().clear();
        if (endpoint.retry)
            endpoint.retry(screen);
        else if (endpoint.retryActs)
            endpoint.act(screen);
        if (!QTest::qWaitFor([&] { return endpoint.succeeded(screen); }, 10000))
            return QStringLiteral("retry failed");
        // The late answer is either dropped or gone with the screen that
        // asked; either way the user ends where the retry took them, once.
        if (retried &&
            !QTest::qWaitFor(
                [&] { return screen.isNull() || log.contains(QStringLiteral("late answer dropped")); },
                10000))
            return QStringLiteral("late answer pending");
        if (!endpoint.succeeded(screen) || visibleTopLevels<HomeScreen>().size() > 1)
            return QStringLiteral("late answer used");
    }
    return QStringLiteral("held");
}

void TestFaultMatrix::everyEndpointSurvivesEveryFault()
{
    QFETCH(int, endpoint);
    QFETCH(Fault, fault);
    const Endpoint &e = endpoints().at(endpoint);
    QString column;
    for (const auto &f : faults())
        if (f.first == fault)
            column = f.second;
    const QString outcome = runServiceCell(e, fault);
    record(m_serviceCells, e.name, column, outcome);
    QVERIFY2(outcome == QLatin1String("held"), qPrintable(outcome));
}

void TestFaultMatrix::everyMeetingSdkFailureIsSaid_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("joining");
    int index = 0;
    const auto row = [&index](const QString &failure, const QString &script, bool joining) {
        if (!inThisShard(index++))
            return;
        QTest::newRow(
            qPrintable(failure + (joining ? QStringLiteral(" / join") : QStringLiteral(" / sign-in"))))
            << failure << script << joining;
    };
    row(QStringLiteral("initialisation fails"), QStringLiteral("init_fail=初始化失败"), false);
    row(QStringLiteral("sign-in refused"), QStringLiteral("login_fail=账号异常"), false);
    row(QStringLiteral("SDK error"), QStringLiteral("sdk_error=内部错误;sdk_error_after_ms=0;login_fail=x"),
        false);
    row(QStringLiteral("no answer at all"), QStringLiteral("delay_ms=600000"), false);
    row(QStringLiteral("join refused"), QStringLiteral("join_fail=会议不存在"), true);
    row(QStringLiteral("no answer at all"), QStringLiteral("delay_ms=600000"), true);
}

void TestFaultMatrix::everyMeetingSdkFailureIsSaid()
{
    QFETCH(QString, failure);
    QFETCH(QString, script);
    QFETCH(bool, joining);
    QScopedValueRollback<int> sdkWait(Waits::sdkResponseMs, 500);
    QScopedValueRollback<int> spinnerWait(Waits::spinnerFallbackMs, 500);
    QScopedValueRollback<int> notice(Waits::noticeMs, 300);

    QString outcome;
    QPointer<QWidget> screen;
    std::function<QAbstractButton *(QWidget *)> button;
    if (joining) {
        screen = signedInHome();
        button = quickButton;
    } else {
        screen = accountSignInTyped();
        button = signInButton;
    }
    if (!screen) {
        outcome = QStringLiteral("no screen");
    } else {
        WemeetSim::applyScript(script);
        if (joining)
            QTest::mouseClick(button(screen), Qt::LeftButton);
        else
            QTest::mouseClick(signInButton(screen), Qt::LeftButton);
        if (!QTest::qWaitFor(messageShown, 10000)) {
            outcome = QStringLiteral("no message");
        } else {
            (void)QTest::qWaitFor([&] { return (outcome = unusable(screen, button)).isEmpty(); }, 2000);
            if (outcome.isEmpty())
                outcome = QStringLiteral("held");
        }
    }
    record(m_sdkCells, failure, joining ? QStringLiteral("quick meeting") : QStringLiteral("account sign-in"),
           outcome);
    QVERIFY2(outcome == QLatin1String("held"), qPrintable(outcome));
}

QTEST_MAIN(TestFaultMatrix)
#include "tst_faultmatrix.moc"
