// Every button a screen shows must take a click anywhere on it: a label or
// frame laid over part of a button (the forms place title labels across the
// title-bar buttons) silently swallows clicks there. And every control a
// screen shows must be on its Tab chain, or the keyboard cannot reach it.
#include "meeting/meetingtestsupport.h"

#include "login/accountlogin.h"
#include "login/phonelogin.h"
#include "login/phonenumberpatch.h"
#include "login/qrcodelogin.h"
#include "meeting/homescreen.h"
#include "meeting/joinmeeting.h"
#include "meeting/schedulemeeting.h"
#include "meeting/sharemeeting.h"
#include "meeting/userpop.h"
#include "meeting/userrenamedlg.h"
#include "session/splashselect.h"
#include "widgets/twobtndlg.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTest>

#include <algorithm>

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

// Where Tab stops, in order, as QWidget::focusNextPrevChild walks the chain.
QList<QWidget *> tabChain(QWidget *window)
{
    QList<QWidget *> chain;
    for (QWidget *w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain()) {
        if (w->window() == window && w->isVisibleTo(window) && w->isEnabled() && !w->focusProxy() &&
            (w->focusPolicy() & Qt::TabFocus) && !chain.contains(w))
            chain << w;
    }
    return chain;
}

// The controls a mouse user can act on; parts of a combo box or a date edit
// are reached through it.
QList<QWidget *> controls(QWidget *window)
{
    QList<QWidget *> found;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (w->window() != window || !w->isVisibleTo(window) || !w->isEnabled())
            continue;
        if (qobject_cast<QComboBox *>(w->parentWidget()) ||
            qobject_cast<QAbstractSpinBox *>(w->parentWidget()))
            continue;
        auto *edit = qobject_cast<QLineEdit *>(w);
        auto *label = qobject_cast<QLabel *>(w);
        if (qobject_cast<QAbstractButton *>(w) || qobject_cast<QComboBox *>(w) ||
            qobject_cast<QAbstractSpinBox *>(w) || (edit && !edit->isReadOnly()) ||
            (label && label->text().contains(QLatin1String("href"))))
            found << w;
    }
    return found;
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

    void everyButtonTakesClicksAllOver_data() { screens(); }
    void everyButtonTakesClicksAllOver()
    {
        QFETCH(QString, screen);
        QPointer<QWidget> window = open(screen);
        if (!window)
            QSKIP("the screen handed over by itself");
        const QStringList covered = coveredButtons(window);
        window->close();
        delete window;
        QVERIFY2(covered.isEmpty(), qPrintable(covered.join(QLatin1String("; "))));
    }

    void everyControlIsOnTheTabChain_data() { screens(); }
    void everyControlIsOnTheTabChain()
    {
        QFETCH(QString, screen);
        QPointer<QWidget> window = open(screen);
        if (!window)
            QSKIP("the screen handed over by itself");
        const QList<QWidget *> chain = tabChain(window);
        QStringList unreachable;
        bool typedInto = false;
        // A group of radio buttons is one stop; the arrow keys choose within it.
        const auto groupOnChain = [&chain](QWidget *control) {
            return qobject_cast<QRadioButton *>(control) &&
                   std::any_of(chain.begin(), chain.end(), [control](QWidget *w) {
                       return qobject_cast<QRadioButton *>(w) && w->parentWidget() == control->parentWidget();
                   });
        };
        for (QWidget *control : controls(window)) {
            typedInto = typedInto || qobject_cast<QLineEdit *>(control);
            if (!chain.contains(control) && !groupOnChain(control))
                unreachable << describe(control);
        }
        // A form with fields opens with the keyboard on its chain: what is
        // typed at once is not lost.
        QWidget *start = window->focusWidget();
        const bool startsOnChain = !typedInto || (start && chain.contains(start));
        const QString startName = describe(start);
        window->close();
        delete window;
        QVERIFY2(unreachable.isEmpty(), qPrintable(unreachable.join(QLatin1String("; "))));
        QVERIFY2(startsOnChain, qPrintable(startName));
    }

private:
    static void screens()
    {
        QTest::addColumn<QString>("screen");
        for (const char *name :
             {"TwoBtnDlg two buttons", "TwoBtnDlg one button", "SplashSelect", "AccountLogin", "PhoneLogin",
              "QRCodeLogin", "PhoneNumberPatch", "HomeScreen", "ShareMeeting", "userPop", "userRenameDlg",
              "ScheduleMeeting", "JoinMeeting"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    // The screen shown, its start-up steps and first answers arrived; null
    // when it handed over to another by itself.
    static QWidget *open(const QString &screen)
    {
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
        } else if (screen == QLatin1String("ScheduleMeeting")) {
            window = new ScheduleMeeting(QString());
        } else if (screen == QLatin1String("JoinMeeting")) {
            window = new JoinMeeting(QString(), QString());
        } else {
            window = new userRenameDlg;
        }
        window->show();
        if (!QTest::qWaitForWindowExposed(window))
            return nullptr;
        // Let queued start-up steps and the first answers arrive.
        QTest::qWait(200);
        return window;
    }

private:
    devservice::Server m_server;
};

QTEST_MAIN(TestReachableButtons)
#include "tst_reachablebuttons.moc"
