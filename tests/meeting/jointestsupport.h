#pragma once

// Driving the join dialog and the admission windows as a user: the start
// screen or home screen beneath, the form's fields, and what went over the
// wire or into User.dat.

#include "session/sessiontestsupport.h"

#include "meeting/activityapprove.h"
#include "meeting/joinmeeting.h"
#include "meeting/phonenumberverify.h"
#include "session/navigator.h"
#include "session/splashselect.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>

namespace jointest {

using namespace sessiontest;
using testsupport::applyStyleSheet;
using testsupport::childWithText;
using testsupport::findByName;
using testsupport::typeText;
using testsupport::visibleTopLevel;

// The navigator ends the run when no window of its own is left; a test run
// keeps one open (a plain widget, so deleteAllWindows() leaves it alone).
inline void keepRunOpen()
{
    static QWidget *keeper = [] {
        auto *w = new QWidget;
        w->setGeometry(-400, -400, 10, 10);
        w->show();
        Navigator::instance()->track(w);
        return w;
    }();
    Q_UNUSED(keeper);
}

// The fixture of the join tests. Once: a home folder of their own, the
// stand-in started, the client's looks and a run that stays open.
inline bool startJoinTests(devservice::Server &server)
{
    useOwnHomeFolder();
    if (server.start() <= 0)
        return false;
    applyStyleSheet();
    keepRunOpen();
    return true;
}

// Each test's start: as start-up leaves things, with the serial number read.
inline bool freshJoinTest(devservice::Server &server)
{
    if (!freshStart(server))
        return false;
    loadSerialNo();
    return true;
}

// Each test's end: no answers waiting for a dialog, no windows left.
inline void endJoinTest()
{
    testsupport::cancelDialogAnswers();
    deleteAllWindows();
}

struct JoinForm
{
    QComboBox *number = nullptr;
    QLineEdit *nickname = nullptr;
    QCheckBox *mic = nullptr;
    QCheckBox *camera = nullptr;
    QPushButton *join = nullptr;

    bool complete() const { return number && nickname && mic && camera && join; }
};

inline JoinForm formOf(QWidget *dialog)
{
    JoinForm form;
    form.number = dialog->findChild<QComboBox *>();
    form.nickname = dialog->findChild<QLineEdit *>(QStringLiteral("normalQLineEdit"));
    form.mic = childWithText<QCheckBox>(dialog, QStringLiteral("入会开启麦克风"));
    form.camera = childWithText<QCheckBox>(dialog, QStringLiteral("入会开启摄像头"));
    form.join = childWithText<QPushButton>(dialog, QStringLiteral("加入会议"));
    return form;
}

// The start screen as start-up opens it, once its guest preparation of the
// Meeting SDK is done.
inline SplashSelect *openStartScreen()
{
    SplashSelect *splash = Navigator::instance()->showStartScreen(nullptr);
    QElapsedTimer timer;
    timer.start();
    while (WeMeetManager::instance()->state() < 1 && timer.elapsed() < 8000)
        QTest::qWait(10);
    return WeMeetManager::instance()->state() >= 1 ? splash : nullptr;
}

// Clicks the screen's "加入会议" and returns the dialog that opens.
inline JoinMeeting *clickJoinOn(QWidget *screen, const QString &buttonName)
{
    auto *button = findByName<QAbstractButton>(screen, buttonName);
    if (!button)
        return nullptr;
    QTest::mouseClick(button, Qt::LeftButton);
    return visibleTopLevel<JoinMeeting>();
}

// The join dialog a guest opens from the start screen.
inline JoinMeeting *openJoinFromStartScreen()
{
    SplashSelect *splash = openStartScreen();
    return splash ? clickJoinOn(splash, QStringLiteral("defaultQPushButton")) : nullptr;
}

// Types number and nickname (replacing what the fields hold) and clicks join.
inline void fillAndJoin(const JoinForm &form, const QString &number, const QString &nickname)
{
    form.number->lineEdit()->clear();
    typeText(form.number->lineEdit(), number);
    form.nickname->clear();
    typeText(form.nickname, nickname);
    QTest::mouseClick(form.join, Qt::LeftButton);
}

inline QList<devservice::LoggedRequest> requestsTo(const devservice::Server &server, const std::string &path)
{
    QList<devservice::LoggedRequest> found;
    for (const devservice::LoggedRequest &r : server.requests())
        if (r.path == path)
            found << r;
    return found;
}

inline const std::string tokenPath = "/service/tencent-meeting/user/token";
inline const std::string smsPath = "/service/tencent-meeting/user/getVerifyCode";
inline const std::string approvePath = "/service/tencent-meeting/activity/checkActivityApprove";

inline QJsonObject jsonBody(const devservice::LoggedRequest &request)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(request.body)).object();
}

// Codes of the remembered history, newest first.
inline QStringList historyCodes()
{
    QSettings settings(userDatPath(), QSettings::IniFormat);
    settings.setIniCodec("UTF-8");
    const QJsonArray list =
        QJsonDocument::fromJson(settings.value("/USERINFO/HISMEETLST").toString().toUtf8())
            .object()
            .value(QStringLiteral("list"))
            .toArray();
    QStringList codes;
    for (const QJsonValue &entry : list)
        codes << entry.toObject().value(QStringLiteral("code")).toString();
    return codes;
}

// Writes a history of entries (code, time) newest first, names "会议<code>".
inline void writeHistory(const QList<QPair<QString, QString>> &entries)
{
    QJsonArray list;
    for (const auto &entry : entries)
        list.append(
            QJsonObject{{"code", entry.first}, {"name", "会议" + entry.first}, {"time", entry.second}});
    QSettings settings(userDatPath(), QSettings::IniFormat);
    settings.setIniCodec("UTF-8");
    settings.setValue(
        "/USERINFO/HISMEETLST",
        QString::fromUtf8(QJsonDocument(QJsonObject{{"list", list}}).toJson(QJsonDocument::Compact)));
    settings.sync();
}

} // namespace jointest
