// Measurements that need the client's own code in-process; each prints one
// line of figures and ends. Run by bench/*.sh, which add /usr/bin/time -v.
//
//   vesk-bench list N   home screen with N meetings: query answer -> list painted,
//                       then the mean of 40 wheel steps down the list
//   vesk-bench show N   the same home screen, left open to look at
//   vesk-bench log N    N log lines through the client's message handler
//   vesk-bench signin   one account sign-in against an in-process stand-in
//                       service and the SDK stand-in: the sign-in chain's wall time
//   vesk-bench remember COMPANY ACCOUNT PASSWORD
//                       writes User.dat in $HOME's data folder as a user who ticked
//                       "自动登录" would leave it, so the client signs in at start
#include "app/basevalues.h"
#include "app/logging.h"
#include "app/userstore.h"
#include "devservice/devservice.h"
#include "http/loginhttp.h"
#include "http/servicetokenhttp.h"
#include "meeting/homescreen.h"
#include "meetings/meetingstore.h"
#include "sdk/signinchain.h"
#include "sdk/wemeetmanager.h"
#include "session/navigator.h"
#include "widgets/loginshared.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>

namespace {

QString meetingsText(int count)
{
    QJsonArray list;
    const QDateTime base(QDate::currentDate(), QTime(8, 0));
    for (int i = 0; i < count; ++i) {
        const QDateTime start = base.addSecs(qint64(i) * 5400);
        list.append(QJsonObject{
            {"meetingCode", QString::number(735000000 + i)},
            {"meetingId", QStringLiteral("m-%1").arg(i)},
            {"subject", QStringLiteral("项目周例会 %1").arg(i)},
            {"startTime", QString::number(start.toSecsSinceEpoch())},
            {"endTime", QString::number(start.addSecs(3600).toSecsSinceEpoch())},
            {"meetingType", i % 7 == 3 ? "3" : "0"},
            {"currentHosts", QJsonArray{QJsonObject{{"userId", i % 2 ? "u_other" : "u_bench"}}}}});
    }
    return QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact));
}

int benchList(int count, bool stay)
{
    QFile qss(QStringLiteral(":/qss/style/style.qss"));
    if (qss.open(QIODevice::ReadOnly))
        qApp->setStyleSheet(QString::fromUtf8(qss.readAll()));
    baseValues = new BaseValues;
    // Nothing listens here: the screen's own first load fails at once.
    baseValues->serviceUrl = QStringLiteral("http://127.0.0.1:9/service/");
    baseValues->cloudUrl = QStringLiteral("http://127.0.0.1:9/cloud/");
    baseValues->userId = QStringLiteral("u_bench");
    const QString answer = meetingsText(count);

    auto *home = new HomeScreen;
    home->show();
    QTimer::singleShot(300, [home, answer, count, stay] {
        // The answer as the query request hands it on, read once.
        ServiceReply reply = ServiceReply::success(QJsonDocument::fromJson(answer.toUtf8()).array());
        reply.meetings = MeetingRecord::readList(reply.value.toArray());
        MeetingStore *store = Navigator::instance()->meetingStore();
        if (stay) {
            // For looking at the list by hand (or xdotool) instead of measuring.
            store->takeAnswer(reply);
            return;
        }
        QElapsedTimer clock;
        clock.start();
        store->takeAnswer(reply);
        home->repaint();
        const double buildMs = clock.nsecsElapsed() / 1e6;

        auto *list = home->findChild<QScrollArea *>(QStringLiteral("scMtgList"));
        QScrollBar *bar = list->verticalScrollBar();
        const int step = bar->singleStep() * QApplication::wheelScrollLines();
        const int steps = 40;
        clock.restart();
        for (int i = 0; i < steps; ++i) {
            bar->setValue(bar->value() + step);
            list->viewport()->repaint();
        }
        const double stepMs = clock.nsecsElapsed() / 1e6 / steps;
        std::printf("meetings %d  list build+paint %.1f ms  wheel step %.2f ms\n", count, buildMs, stepMs);
        std::fflush(stdout);
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    });
    return qApp->exec();
}

int benchLog(int count)
{
    ensureDataFolder();
    const QDateTime now = QDateTime::currentDateTime();
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < count; ++i)
        writeLogLine(QtDebugMsg, QStringLiteral("TmMtgQueryHttp error:请求超时 %1").arg(i), now);
    const double seconds = clock.nsecsElapsed() / 1e9;
    std::printf("log lines %d  %.0f lines/s\n", count, count / seconds);
    QFile::remove(logFilePath(now.date()));
    return 0;
}

// Waits in the event loop for one emission of a result signal.
template <typename Sender, typename Signal> QString waitFor(Sender *sender, Signal signal)
{
    QEventLoop loop;
    QString result = QStringLiteral("<none>");
    QObject::connect(sender, signal, &loop, [&](const QString &r) {
        result = r;
        loop.quit();
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
    return result;
}

int benchSignIn()
{
    devservice::Server server;
    if (server.start() <= 0)
        return 1;
    baseValues = new BaseValues;
    baseValues->serviceUrl = QString::fromStdString(server.serviceUrl());
    baseValues->cloudUrl = QString::fromStdString(server.cloudUrl());
    baseValues->idmUrl = QString::fromStdString(server.idmUrl());

    QElapsedTimer clock;
    clock.start();
    ServiceTokenHttp token;
    token.request();
    waitFor(&token, &ServiceTokenHttp::sendServiceTokenResultSignal);
    const double tokenMs = clock.nsecsElapsed() / 1e6;
    clock.restart();
    LoginHttp login;
    login.loginByAccount(QStringLiteral("600888"), QStringLiteral("zhangwei"), QStringLiteral("Vesk@2024"),
                         1);
    waitFor(&login, &LoginHttp::sendLoginResultSignal);
    const double loginMs = clock.nsecsElapsed() / 1e6;

    clock.restart();
    SignInChain chain;
    QString result = QStringLiteral("<none>");
    QEventLoop loop;
    QObject::connect(&chain, &SignInChain::tokenAnswered, &chain, [&](const QString &answer) {
        if (answer.isEmpty() && baseValues->loginStatus == QLatin1String("1"))
            chain.signInToMeetingSdk();
        else {
            result = answer;
            loop.quit();
        }
    });
    QObject::connect(&chain, &SignInChain::meetingSdkFinished, &loop, [&](const QString &answer) {
        result = answer;
        loop.quit();
    });
    chain.requestMemberToken(baseValues->tenantInfo, QString(), QString(), QString());
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
    const double chainMs = clock.nsecsElapsed() / 1e6;
    std::printf("sign-in  service token %.1f ms  account sign-in %.1f ms  sign-in chain %.1f ms  (%s)\n",
                tokenMs, loginMs, chainMs, result.isEmpty() ? "signed in" : qPrintable(result));
    WeMeetManager::instance()->logout();
    return result.isEmpty() ? 0 : 1;
}

int benchRemember(const QStringList &args)
{
    QCoreApplication::setApplicationName(QStringLiteral("VeskMeeting"));
    ensureDataFolder();
    baseValues = new BaseValues;
    baseValues->rememberPassword = true;
    baseValues->accountType = 1;
    baseValues->accountCompanyCode = args.at(2);
    baseValues->accountUserName = args.at(3);
    baseValues->accountPassword = LoginShared::encodePassword(args.at(4));
    saveAccountLogin(true);
    std::printf("%s\n", qPrintable(userDataPath()));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(resources);
    // The client's own data folder below the bench's private HOME.
    if (app.arguments().size() > 4 && app.arguments().at(1) == QLatin1String("remember"))
        return benchRemember(app.arguments());
    // Never the user's own data folder.
    QStandardPaths::setTestModeEnabled(true);
    const QStringList args = app.arguments();
    const int count = args.size() > 2 ? args.at(2).toInt() : 0;
    if (args.size() > 2 && args.at(1) == QLatin1String("list"))
        return benchList(count, false);
    if (args.size() > 2 && args.at(1) == QLatin1String("show"))
        return benchList(count, true);
    if (args.size() > 2 && args.at(1) == QLatin1String("log"))
        return benchLog(count);
    if (args.size() > 1 && args.at(1) == QLatin1String("signin"))
        return benchSignIn();
    std::fprintf(stderr,
                 "usage: vesk-bench list N | show N | log N | signin | remember COMPANY ACCOUNT PASSWORD\n");
    return 2;
}
