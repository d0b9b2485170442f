#pragma once

#include "support/testsupport.h"

#include "app/basevalues.h"
#include "app/waits.h"
#include "devservice/devservice.h"
#include "http/loginhttp.h"
#include "http/servicereply.h"
#include "http/servicetokenhttp.h"
#include "http/tmtokenhttp.h"
#include "meetings/meetingstore.h"
#include "sdk-sim/simcontrol.h"
#include "sdk/wemeetmanager.h"
#include "session/navigator.h"
#include "widgets/twobtndlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace meetingtest {

// Takes what the client asks the desktop to open in the browser, for as
// long as it lives.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    UrlCatcher()
    {
        for (const QString &scheme : {QStringLiteral("http"), QStringLiteral("https")})
            QDesktopServices::setUrlHandler(scheme, this, "open");
    }
    ~UrlCatcher() override
    {
        for (const QString &scheme : {QStringLiteral("http"), QStringLiteral("https")})
            QDesktopServices::unsetUrlHandler(scheme);
    }
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

// A failed request's reply, for driving a screen's result slot directly.
inline ServiceReply failedReply(ServiceReply::Outcome outcome, const QString &message,
                                QNetworkReply::NetworkError error = QNetworkReply::NoError)
{
    ServiceReply reply;
    reply.outcome = outcome;
    reply.message = message;
    reply.networkError = error;
    return reply;
}

using testsupport::answerNextDialog;
using testsupport::applyStyleSheet;
using testsupport::cancelDialogAnswers;
using testsupport::DialogAnswer;
using testsupport::findByName;
using testsupport::LogCapture;
using testsupport::pointBaseValuesAt;
using testsupport::topLevels;
using testsupport::typeText;
using testsupport::visibleTopLevels;
using testsupport::waitResult;

// Demo account of the stand-in service that hosts most of its meetings.
inline const QString companyCode = QStringLiteral("600888");
inline const QString account = QStringLiteral("zhangwei");
inline const QString password = QStringLiteral("Vesk@2024");

// Fills the session the way the account sign-in does: service token,
// service sign-in, meeting token, Meeting SDK initialisation and sign-in.
inline bool signIn(const QString &company = companyCode, const QString &user = account,
                   const QString &pass = password)
{
    ServiceTokenHttp token;
    token.request();
    if (waitResult(&token, &ServiceTokenHttp::sendServiceTokenResultSignal) == QLatin1String("<none>") ||
        baseValues->s_accessToken.isEmpty())
        return false;
    LoginHttp login;
    login.loginByAccount(company, user, pass, 1);
    const QString loginResult = waitResult(&login, &LoginHttp::sendLoginResultSignal);
    if (baseValues->gatewayAccessToken.isEmpty()) {
        qWarning() << "sign-in failed:" << loginResult;
        return false;
    }
    TmTokenHttp tmToken;
    tmToken.requestForMember(baseValues->tenantInfo, QString(), QString(), QString());
    const QString tmResult = waitResult(&tmToken, &TmTokenHttp::sendTmTokenResultSignal);
    if (!tmResult.isEmpty()) {
        qWarning() << "meeting token failed:" << tmResult;
        return false;
    }
    WeMeetManager *manager = WeMeetManager::instance();
    if (manager->state() < 1) {
        QSignalSpy init(manager, &WeMeetManager::OnSDKInitializeFinishSignal);
        WeMeetManager::initialize(baseValues->sdkId, baseValues->sdkToken,
                                  QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                                  baseValues->appName);
        if (!init.wait(5000))
            return false;
    }
    if (manager->state() < 2) {
        QSignalSpy signedIn(manager, &WeMeetManager::OnLoginFinishSignal);
        manager->login();
        if (!signedIn.wait(5000) || !signedIn.first().at(0).toString().isEmpty())
            return false;
    }
    baseValues->signedIn = true;
    return true;
}

// A test program's start: test mode, the stand-in service on its port,
// the session pointing at it, a fresh simulator answering fast, signed in.
inline bool startSignedIn(devservice::Server &server, bool headless = false)
{
    QStandardPaths::setTestModeEnabled(true);
    if (!baseValues)
        baseValues = new BaseValues;
    if (server.start() <= 0) {
        qWarning() << "stand-in service did not start";
        return false;
    }
    pointBaseValuesAt(server);
    WemeetSim::reset();
    WemeetSim::setCallbackDelayMs(1);
    if (headless)
        WemeetSim::setHeadless(true);
    return signIn();
}

// Waits until a home screen shows its meeting list or the empty notice and
// takes input again.
template <typename Home> bool waitHomeLoaded(Home *home)
{
    auto *list = home->template findChild<QScrollArea *>(QStringLiteral("scMtgList"));
    auto *empty = home->template findChild<QWidget *>(QStringLiteral("emptyWidget"));
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 8000) {
        QTest::qWait(10);
        // The session's list may show at once; its refresh is what the screen asked for.
        if ((list->isVisible() || empty->isVisible()) && home->isEnabled() &&
            !Navigator::instance()->meetingStore()->isLoading())
            return true;
    }
    return false;
}

// Triggers a menu entry by its text, as a click on it would.
inline bool triggerMenuEntry(QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == text) {
            action->trigger();
            return true;
        }
    }
    return false;
}

inline QStringList menuTexts(QMenu *menu)
{
    QStringList texts;
    for (QAction *action : menu->actions())
        texts << action->text();
    return texts;
}

// Closing a home screen signs out of the SDK; waits for that to finish.
template <typename Home> void closeHomeScreens()
{
    QSignalSpy logout(WeMeetManager::instance(), &WeMeetManager::OnLogoutFinishSignal);
    bool closed = false;
    for (Home *home : topLevels<Home>()) {
        closed = closed || home->isVisible();
        home->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (closed && logout.isEmpty())
        logout.wait(3000);
}

} // namespace meetingtest
