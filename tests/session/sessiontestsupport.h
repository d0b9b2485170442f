#pragma once

// Shared pieces of the session tests: the stand-in service on an ephemeral
// port, a session record pointing at it, the Meeting SDK simulator, and ways
// to find screens, notices and modal dialogs as a user sees them.

#include "support/testsupport.h"

#include "app/basevalues.h"
#include "app/userstore.h"
#include "devservice/devservice.h"
#include "http/servicetokenhttp.h"
#include "sdk-sim/simcontrol.h"
#include "sdk/wemeetmanager.h"
#include "session/mainwindow.h"
#include "widgets/twobtndlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMutex>
#include <QPointer>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace sessiontest {

using testsupport::answerNextDialog;
using testsupport::cancelDialogAnswers;
using testsupport::childWithText;
using testsupport::DialogAnswer;
using testsupport::LogCapture;
using testsupport::pointBaseValuesAt;
using testsupport::visibleTopLevel;
using testsupport::visibleTopLevels;

inline QString qs(const std::string &text)
{
    return QString::fromStdString(text);
}

// Test mode puts the data folders under the home folder; a home of its own
// keeps tests that run side by side from reading each other's files (the
// hand-off file above all).
inline void useOwnHomeFolder()
{
    static QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    QStandardPaths::setTestModeEnabled(true);
}

// A session record as start-up leaves it, the base URLs on the server.
inline void freshBaseValues(const devservice::Server &server)
{
    if (!baseValues)
        baseValues = new BaseValues;
    *baseValues = BaseValues();
    pointBaseValuesAt(server);
    baseValues->serialNo = QStringLiteral("0123456789abcdef0123456789abcdef");
}

// Start-up's service token, fetched for real from the stand-in.
inline bool fetchServiceToken()
{
    ServiceTokenHttp request;
    QSignalSpy spy(&request, &ServiceTokenHttp::sendServiceTokenResultSignal);
    request.request();
    return spy.wait(5000) && !baseValues->s_accessToken.isEmpty();
}

inline QString userDatPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/User.dat");
}

inline void removeUserData()
{
    QFile::remove(userDatPath());
}

// The demo account's sign-in remembered in User.dat as the sign-in screen
// leaves it; storedPassword is the value as it stands in the file.
inline void rememberAccountSignIn(const QString &autoLogin, const QString &storedPassword)
{
    QSettings settings(userDatPath(), QSettings::IniFormat);
    settings.setValue("/LOGININFO/AUTOLOGIN", autoLogin);
    settings.setValue("/LOGININFO/REMERBERPASS", "True");
    settings.setValue("/LOGININFO/TYPE", 1);
    settings.setValue("/LOGININFO/COMPANYCODE", "600888");
    settings.setValue("/LOGININFO/USERNAME", "zhangwei");
    settings.setValue("/LOGININFO/PASSWORD", storedPassword);
    settings.sync();
}

// Texts of the notices on screen.
inline QStringList noticeTexts()
{
    QStringList texts;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (!w->isVisible())
            continue;
        for (QLabel *label : w->findChildren<QLabel *>(QStringLiteral("snackbarQLabel")))
            texts << label->text();
    }
    return texts;
}

inline QLineEdit *editWithPlaceholder(QWidget *window, const QString &placeholder)
{
    for (QLineEdit *edit : window->findChildren<QLineEdit *>()) {
        if (edit->placeholderText() == placeholder)
            return edit;
    }
    return nullptr;
}

inline QAbstractButton *buttonWithToolTip(QWidget *window, const QString &tip)
{
    for (QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
        if (button->toolTip() == tip)
            return button;
    }
    return nullptr;
}

// Deletes every top-level window without closing it, so no close handler
// (sign-out, program end) runs between tests.
inline void deleteAllWindows()
{
    for (int round = 0; round < 3; ++round) {
        QList<QPointer<QWidget>> windows;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            // Screens only: menus and other popups belong to their widgets.
            if (!w->parentWidget() && (qobject_cast<QDialog *>(w) || qobject_cast<QMainWindow *>(w)))
                windows << w;
        }
        for (const QPointer<QWidget> &w : windows)
            delete w.data();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

// Fresh simulator without windows, manager back in state 0.
inline void resetSdk()
{
    WemeetSim::reset();
    WemeetSim::setHeadless(true);
    WemeetSim::setCallbackDelayMs(5);
    WeMeetManager::instance()->setState(WeMeetManager::State(0));
}

// Each test's start: the service's data and faults as shipped, no requests
// seen, a fresh simulator, no stored user, a fresh session record holding
// start-up's service token.
inline bool freshStart(devservice::Server &server)
{
    server.clearFaults();
    server.resetData();
    server.clearRequests();
    resetSdk();
    removeUserData();
    freshBaseValues(server);
    return fetchServiceToken();
}

// Writes the hand-off file with the given first line.
inline QString writeHandOff(const QString &line)
{
    const QString dir =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/VeskDesk");
    QDir().mkpath(dir);
    const QString path = dir + QStringLiteral("/VeskLiveMeeting.txt");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        file.write(line.toUtf8() + "\n");
    return path;
}

// A coordinator made and connected exactly as start-up does it.
inline MainWindow *newCoordinator()
{
    MainWindow *window = MainWindow::createConnected();
    window->move(-50, -50);
    window->show();
    return window;
}

} // namespace sessiontest
