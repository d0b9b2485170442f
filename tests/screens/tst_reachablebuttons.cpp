// Every button a screen shows must take a click anywhere on it: a label or
// frame laid over part of a button (the forms place title labels across the
// title-bar buttons) silently swallows clicks there.
#include "meeting/meetingtestsupport.h"

#include "login/accountlogin.h"
#include "login/phonelogin.h"
#include "login/phonenumberpatch.h"
#include "login/qrcodelogin.h"
#include "meeting/homescreen.h"
#include "meeting/sharemeeting.h"
#include "meeting/userpop.h"
#include "meeting/userrenamedlg.h"
#include "session/splashselect.h"
#include "widgets/twobtndlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QTest>

using namespace meetingtest;

namespace {

QString describe(const QWidget *w)
{
    if (!w)
        return QStringLiteral("nothing");
    QString text = QString::fromLatin1(w->metaObject()->className()) + QLatin1Char('#') + w->objectName();
    if (auto *b = qobject_cast<const QAbstractButton *>(w))
        text += QLatin1String(" \"") + (b->text().isEmpty() ? b->toolTip() : b->text()) + QLatin1Char('"');
    return text;
}

// The part of a widget its ancestors do not clip away (a row scrolled half
// out of a list), in window coordinates.
QRect unclippedRect(const QWidget *widget, const QWidget *window)
{
    QRect r(widget->mapTo(window, QPoint()), widget->size());
    for (const QWidget *p = widget->parentWidget(); p && p != window; p = p->parentWidget())
        r &= QRect(p->mapTo(window, QPoint()), p->size());
    return r & window->rect();
}

// Points near each corner and the centre of what can be seen of a button.
QList<QPoint> samplePoints(const QAbstractButton *button, QWidget *window)
{
    const QRect r = unclippedRect(button, window);
    if (r.width() < 4 || r.height() < 4)
        return {};
    const int dx = qMin(3, r.width() / 4);
    const int dy = qMin(3, r.height() / 4);
    return {r.center(), r.topLeft() + QPoint(dx, dy), r.topRight() + QPoint(-dx, dy),
            r.bottomLeft() + QPoint(dx, -dy), r.bottomRight() + QPoint(-dx, -dy)};
}

// Lists the buttons of window that some other widget covers in part.
QStringList coveredButtons(QWidget *window)
{
    QStringList covered;
    for (QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
        if (!button->isVisibleTo(window))
            continue;
        for (const QPoint &p : samplePoints(button, window)) {
            QWidget *hit = window->childAt(p);
            if (hit != button && !button->isAncestorOf(hit)) {
                covered << describe(button) + QLatin1String(" under ") + describe(hit);
                break;
            }
        }
    }
    return covered;
}

} // namespace

class TestReachableButtons : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(startSignedIn(m_server, true));
        applyStyleSheet();
    }

    void everyButtonTakesClicksAllOver_data()
    {
        QTest::addColumn<QString>("screen");
        for (const char *name :
             {"TwoBtnDlg two buttons", "TwoBtnDlg one button", "SplashSelect", "AccountLogin", "PhoneLogin",
              "QRCodeLogin", "PhoneNumberPatch", "HomeScreen", "ShareMeeting", "userPop", "userRenameDlg"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void everyButtonTakesClicksAllOver()
    {
        QFETCH(QString, screen);
        QPointer<QWidget> window;
        if (screen == QLatin1String("TwoBtnDlg two buttons")) {
            auto *dlg = new TwoBtnDlg;
            dlg->setShowMsg(QStringLiteral("确定离开当前会议，加入新会议？"));
            window = dlg;
        } else if (screen == QLatin1String("TwoBtnDlg one button")) {
            auto *dlg = new TwoBtnDlg(QStringLiteral("知道了"));
            dlg->setShowMsg(QStringLiteral("本地已登录另一账号，请重新登录后进入会议。"));
            window = dlg;
        } else if (screen == QLatin1String("SplashSelect")) {
            window = new SplashSelect;
        } else if (screen == QLatin1String("AccountLogin")) {
            window = new AccountLogin(QStringLiteral("1"));
        } else if (screen == QLatin1String("PhoneLogin")) {
            window = new PhoneLogin(QStringLiteral("1"));
        } else if (screen == QLatin1String("QRCodeLogin")) {
            window = new QRCodeLogin(QStringLiteral("AccountLogin"));
        } else if (screen == QLatin1String("PhoneNumberPatch")) {
            window = new PhoneNumberPatch(0);
        } else if (screen == QLatin1String("HomeScreen")) {
            window = new HomeScreen;
        } else if (screen == QLatin1String("ShareMeeting")) {
            window = new ShareMeeting(QStringLiteral("张伟 邀请您加入Vesk会议"));
        } else if (screen == QLatin1String("userPop")) {
            window = new userPop;
        } else {
            window = new userRenameDlg;
        }
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        // Let queued start-up steps and the first answers arrive.
        QTest::qWait(200);
        if (!window)
            QSKIP("the screen handed over by itself");
        const QStringList covered = coveredButtons(window);
        window->close();
        delete window;
        QVERIFY2(covered.isEmpty(), qPrintable(covered.join(QLatin1String("; "))));
    }

private:
    devservice::Server m_server;
};

QTEST_MAIN(TestReachableButtons)
#include "tst_reachablebuttons.moc"
