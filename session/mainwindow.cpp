#include "session/mainwindow.h"

#include "app/basevalues.h"
#include "app/launchparameter.h"
#include "app/platform.h"
#include "app/userstore.h"
#include "app/waits.h"
#include "http/servicetokenhttp.h"
#include "meeting/homescreen.h"
#include "meeting/sharemeeting.h"
#include "sdk/wemeetmanager.h"
#include "session/splashselect.h"
#include "widgets/snackbar.h"
#include "widgets/twobtndlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <limits>

namespace {
const QString differentAccountText = QStringLiteral("本地已登录另一账号，请重新登录后进入会议。");
const QString joiningMeetingText = QStringLiteral("当前正在进入会议，如需进入新会议请先退出当前会议。");
const QString joinNewMeetingText = QStringLiteral("确定离开当前会议，加入新会议？");

// Renew this long before the token runs out.
constexpr qint64 refreshMarginSecs = 300;
// Never renew more often than this, however short the lifetime.
constexpr qint64 minRefreshSecs = 30;

void centreOnPrimaryScreen(QWidget *dialog)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    dialog->move((area.width() - dialog->width()) / 2, (area.height() - dialog->height()) / 2);
}
} // namespace

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    setWindowFlags(Qt::SubWindow);
    setAttribute(Qt::WA_TranslucentBackground);
    resize(1, 1);
    // Qt does not count a sub-window as a window that keeps the program
    // running: without this the run would end as soon as a screen closes
    // while only the Meeting SDK's windows are up (in a meeting). The run
    // ends when this window closes instead.
    QApplication::setQuitOnLastWindowClosed(false);

    const int interval = refreshIntervalMs(baseValues->serviceTokenExpiresIn);
    if (interval > 0) {
        m_refreshTimer = new QTimer();
        connect(m_refreshTimer, &QTimer::timeout, this, &MainWindow::refreshServiceTokenSlot);
        m_refreshTimer->start(interval);
    }
    loadLoginInfo();
    showSplashSelect();
}

MainWindow::~MainWindow()
{
    delete m_refreshTimer;
}

int MainWindow::refreshIntervalMs(int expiresInSeconds)
{
    if (expiresInSeconds <= 0)
        return 0;
    qint64 secs = qint64(expiresInSeconds) - refreshMarginSecs;
    // A lifetime of five minutes or less: renew at half of it instead of a
    // zero or negative interval.
    if (secs <= 0)
        secs = qint64(expiresInSeconds) / 2;
    // Just over five minutes would otherwise renew every few seconds.
    secs = qMax(minRefreshSecs, secs);
    return int(qMin<qint64>(secs * 1000, std::numeric_limits<int>::max()));
}

bool MainWindow::linkNamesOtherAccount(const QMap<QString, QString> &link)
{
    const QString companyCode = link.value(QStringLiteral("companycode"));
    const QString userName = link.value(QStringLiteral("username"));
    const QString phone = link.value(QStringLiteral("phone"));
    const QString countryCode = link.value(QStringLiteral("mobileCountryCode"));
    if (!companyCode.isEmpty() && !userName.isEmpty()) {
        // Links name the account; userName holds the display name, which is
        // often a person's name. Either one identifies the signed-in user.
        const QString accountName = QJsonDocument::fromJson(baseValues->loginResult.toUtf8())
                                        .object()
                                        .value(QStringLiteral("userName"))
                                        .toString();
        const bool sameUser =
            userName == baseValues->userName || (!accountName.isEmpty() && userName == accountName);
        if (companyCode != baseValues->companyCode || !sameUser)
            return true;
    }
    return !phone.isEmpty() && phone != baseValues->telephone && !countryCode.isEmpty() &&
           countryCode != baseValues->mobileCountryCode;
}

void MainWindow::showSplashSelect()
{
    auto *splash = new SplashSelect();
    connect(splash, &SplashSelect::closeSelfSignal, this, &MainWindow::closeSelfSlot);
    splash->show();
}

void MainWindow::refreshServiceTokenSlot()
{
    auto *request = new ServiceTokenHttp(this);
    connect(request, &ServiceTokenHttp::sendServiceTokenResultSignal, request, &QObject::deleteLater);
    request->request();
}

void MainWindow::closeSelfSlot()
{
    close();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    qDebug() << "closeEvent";
    QMainWindow::closeEvent(event);
    // Only the running event loop is ended; before it runs there is none.
    if (event->isAccepted() && QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::quit();
}

void MainWindow::wmLogoutCompleteSlot()
{
    if (!baseValues->signedIn) {
        showSplashSelect();
        emit autoLoginSignal();
    } else if (baseValues->signOutRequested) {
        baseValues->signedIn = false;
        baseValues->signOutRequested = false;
        // The remembered choice is gone from User.dat; without this the
        // start screen would sign straight back in.
        baseValues->autoLogin.clear();
        showSplashSelect();
        emit autoLoginSignal();
    } else {
        WeMeetManager::instance()->uninitialize();
        killProcessTree();
    }
}

void MainWindow::wmForcedLogoutCompleteSlot()
{
    // The home screen is gone; the session is over on this device.
    baseValues->signedIn = false;
    auto *splash = new SplashSelect();
    connect(splash, &SplashSelect::closeSelfSignal, this, &MainWindow::closeSelfSlot);
    connect(this, &MainWindow::forcedLogoutSignal, splash, &SplashSelect::forcedLogoutSlot,
            Qt::UniqueConnection);
    splash->show();
    emit forcedLogoutSignal();
    disconnect(this, &MainWindow::forcedLogoutSignal, splash, &SplashSelect::forcedLogoutSlot);
}

void MainWindow::wmLeaveMeetingCompleteSlot(QString result)
{
    if (!result.isEmpty()) {
        showNotice(result);
        return;
    }
    if (baseValues->signedIn) {
        auto *home = new HomeScreen();
        home->show();
    } else {
        WeMeetManager::instance()->logout();
    }
}

void MainWindow::wmLeaveWaitingRoomCompleteSlot(QString result)
{
    if (!result.isEmpty()) {
        showNotice(result);
        return;
    }
    if (!baseValues->signedIn)
        WeMeetManager::instance()->logout();
}

void MainWindow::wmShareToMeetingCompleteSlot(QString jsonInfo)
{
    emit closeShareMeetingSignal();
    auto *share = new ShareMeeting(ShareMeeting::sdkInvitationText(jsonInfo), nullptr);
    connect(this, &MainWindow::closeShareMeetingSignal, share, &ShareMeeting::onCloseBtnClicked);
    share->show();
    share->activateWindow();
}

void MainWindow::receiveAppParameterSlot(QString appParameter)
{
    qDebug().noquote() << QStringLiteral("receiveAppParameter = %1").arg(appParameter);
    baseValues->linkInfo = parseLaunchParameter(appParameter);
    const QMap<QString, QString> &link = baseValues->linkInfo;
    const QString meetingCode = link.value(QStringLiteral("meetingCode"));
    qDebug().noquote() << QStringLiteral("baseValues.companyCode == ") + baseValues->companyCode;
    qDebug().noquote() << QStringLiteral("baseValues.userName == ") + baseValues->userName;

    if (baseValues->signedIn && linkNamesOtherAccount(link)) {
        qDebug().noquote() << differentAccountText;
        QMetaObject::invokeMethod(this, "showDifferentAccountLoginMsgSlot", Qt::QueuedConnection);
        return;
    }

    WeMeetManager *manager = WeMeetManager::instance();
    switch (manager->state()) {
    case 3:
        if (meetingCode != baseValues->pendingMeetingCode)
            QMetaObject::invokeMethod(this, "showJoiningMeetingMsgSlot", Qt::QueuedConnection);
        break;
    case 4:
        if (baseValues->currentMeetingCode.isEmpty() || baseValues->currentMeetingCode == meetingCode)
            baseValues->linkInfo.clear();
        else
            QMetaObject::invokeMethod(this, "showJoinNewMeetingMsgSlot", Qt::QueuedConnection);
        break;
    default:
        emit manager->linkJoinMeetingSignal();
        break;
    }
}

void MainWindow::showDifferentAccountLoginMsgSlot()
{
    baseValues->linkInfo.clear();
    emit WeMeetManager::instance()->avoidShowSameDialogSignal();
    showOneButtonMessage(QStringLiteral("知道了"), differentAccountText);
}

void MainWindow::showJoiningMeetingMsgSlot()
{
    baseValues->linkInfo.clear();
    emit WeMeetManager::instance()->avoidShowSameDialogSignal();
    showOneButtonMessage(QStringLiteral("知道了"), joiningMeetingText);
}

void MainWindow::showJoinNewMeetingMsgSlot()
{
    emit WeMeetManager::instance()->avoidShowSameDialogSignal();
    TwoBtnDlg dialog;
    dialog.setShowMsg(joinNewMeetingText);
    dialog.setLeftBtnTxt(QStringLiteral("取消"));
    dialog.setRightBtnTxt(QStringLiteral("确定"));
    centreOnPrimaryScreen(&dialog);
    if (dialog.exec() == QDialog::Accepted) {
        // The link stays: the home screen that the leave brings joins from it.
        WeMeetManager::instance()->leaveMeeting();
    } else {
        baseValues->linkInfo.clear();
    }
}

void MainWindow::showNotice(const QString &text)
{
    Snackbar::showMessage(text, this, Waits::noticeMs);
    // Over this window the notice would sit off screen, like the window.
    const QList<Snackbar *> notices = findChildren<Snackbar *>(QString(), Qt::FindDirectChildrenOnly);
    if (!notices.isEmpty())
        centreOnPrimaryScreen(notices.last());
}

void MainWindow::showOneButtonMessage(const QString &buttonText, const QString &message)
{
    TwoBtnDlg dialog(buttonText);
    dialog.setShowMsg(message);
    centreOnPrimaryScreen(&dialog);
    dialog.exec();
}
