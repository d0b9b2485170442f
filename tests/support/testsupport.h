#pragma once

// Helpers every test area shares: a session record pointing at the stand-in
// service, the debug lines written, waiting for a request's result, and
// finding and typing into widgets the way a user sees them.

#include "app/basevalues.h"
#include "app/waits.h"
#include "devservice/devservice.h"

#include <QMutex>
#include <QMutexLocker>
#include <QSignalSpy>
#include <QStringList>
#include <QtGlobal>

namespace testsupport {

// Sets the client's own values and points the base URLs at the server.
inline void pointBaseValuesAt(const devservice::Server &server)
{
    if (!baseValues)
        baseValues = new BaseValues;
    baseValues->appName = QStringLiteral("Vesk云会议");
    baseValues->versionNo = QStringLiteral("1.0.0");
    baseValues->clientId = QStringLiteral("3b9e07c4d2a15f68");
    baseValues->clientSecret = QStringLiteral("a81d5e2f3b9e07c4d2a15f6870c4b1e9");
    baseValues->serviceUrl = QString::fromStdString(server.serviceUrl());
    baseValues->serviceVmUrl = QStringLiteral("video-meeting/");
    baseValues->cloudUrl = QString::fromStdString(server.cloudUrl());
    baseValues->idmUrl = QString::fromStdString(server.idmUrl());
}

// Collects the debug lines written while it lives, exactly as the log
// handler gets them; the handler before it still sees every line.
class LogCapture final
{
public:
    LogCapture()
    {
        s_self = this;
        s_previous = qInstallMessageHandler(&LogCapture::handler);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(s_previous);
        s_self = nullptr;
    }
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QStringList lines() const
    {
        QMutexLocker locker(&m_mutex);
        return m_lines;
    }
    void clear()
    {
        QMutexLocker locker(&m_mutex);
        m_lines.clear();
    }
    // Some line holds the text.
    bool contains(const QString &text) const
    {
        QMutexLocker locker(&m_mutex);
        for (const QString &line : m_lines) {
            if (line.contains(text))
                return true;
        }
        return false;
    }
    // The whole line, as it goes into the log file.
    bool hasLine(const QString &line) const
    {
        QMutexLocker locker(&m_mutex);
        return m_lines.contains(line);
    }

private:
    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &msg)
    {
        if (s_self) {
            QMutexLocker locker(&s_self->m_mutex);
            s_self->m_lines << msg;
        }
        if (s_previous)
            s_previous(type, context, msg);
    }

    mutable QMutex m_mutex;
    QStringList m_lines;
    static inline LogCapture *s_self = nullptr;
    static inline QtMessageHandler s_previous = nullptr;
};

// Waits for one result of a request signal; returns it, or "<none>".
template <typename Request, typename Signal> QString waitResult(Request *request, Signal signal)
{
    QSignalSpy spy(request, signal);
    if (!spy.wait(Waits::requestTimeoutMs + 2000))
        return QStringLiteral("<none>");
    return spy.takeFirst().at(0).toString();
}

} // namespace testsupport

// The widget helpers, for tests built with Qt Widgets.
#ifdef QT_WIDGETS_LIB

#include "widgets/twobtndlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace testsupport {

// Every top-level window of type T.
template <typename T> QList<T *> topLevels()
{
    QList<T *> found;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *t = qobject_cast<T *>(w))
            found << t;
    return found;
}

template <typename T> QList<T *> visibleTopLevels()
{
    QList<T *> found;
    for (T *t : topLevels<T>())
        if (t->isVisible())
            found << t;
    return found;
}

template <typename T> T *visibleTopLevel()
{
    const QList<T *> found = visibleTopLevels<T>();
    return found.isEmpty() ? nullptr : found.first();
}

// The child with that object name; with textOrTip, the one showing that
// text or tool tip.
template <typename T = QWidget>
T *findByName(QWidget *root, const QString &objectName, const QString &textOrTip = QString())
{
    const auto all = root->findChildren<T *>(objectName);
    for (T *w : all) {
        if (textOrTip.isEmpty())
            return w;
        if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            if (button->text() == textOrTip || button->toolTip() == textOrTip)
                return w;
        } else if (auto *label = qobject_cast<QLabel *>(w)) {
            if (label->text() == textOrTip || label->toolTip() == textOrTip)
                return w;
        } else if (w->toolTip() == textOrTip) {
            return w;
        }
    }
    return nullptr;
}

// The first child of type T showing exactly that text.
template <typename T> T *childWithText(QWidget *root, const QString &text)
{
    for (T *child : root->findChildren<T *>()) {
        if (child->text() == text)
            return child;
    }
    return nullptr;
}

// What the answering helper saw of a message dialog.
struct DialogAnswer
{
    bool answered = false;
    QString message;
    QString button;      // the right-hand button's text
    QStringList buttons; // every button it showed
};

inline QList<QTimer *> &pendingAnswers()
{
    static QList<QTimer *> timers;
    return timers;
}

// Answers the next TwoBtnDlg once it shows: clicks the button with
// buttonText, or the right-hand one (the left one when confirm is false)
// when buttonText is empty, and records what the dialog showed. Gives up
// after timeoutMs; cancelDialogAnswers() drops the ones still waiting.
inline std::shared_ptr<DialogAnswer> answerNextDialogWith(bool confirm, const QString &buttonText,
                                                          int timeoutMs)
{
    auto answer = std::make_shared<DialogAnswer>();
    auto *timer = new QTimer;
    timer->setInterval(10);
    pendingAnswers() << timer;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(timer, &QTimer::timeout, [timer, confirm, buttonText, answer, started, timeoutMs] {
        auto finish = [timer] {
            timer->stop();
            pendingAnswers().removeAll(timer);
            timer->deleteLater();
        };
        if (started->elapsed() > timeoutMs) {
            finish();
            return;
        }
        auto *dialog = qobject_cast<TwoBtnDlg *>(QApplication::activeModalWidget());
        if (!dialog) {
            for (TwoBtnDlg *d : visibleTopLevels<TwoBtnDlg>())
                dialog = d;
        }
        if (!dialog)
            return;
        finish();
        answer->answered = true;
        answer->message = dialog->findChild<QLabel *>(QStringLiteral("messageQLabel"))->text();
        auto *right = dialog->findChild<QAbstractButton *>(QStringLiteral("defaultQPushButton"));
        auto *left = dialog->findChild<QAbstractButton *>(QStringLiteral("normalQPushButton"));
        answer->button = right->text();
        QAbstractButton *target = nullptr;
        for (QAbstractButton *button : dialog->findChildren<QAbstractButton *>()) {
            if (!button->isVisible())
                continue;
            answer->buttons << button->text();
            if (!buttonText.isEmpty() && button->text() == buttonText)
                target = button;
        }
        if (buttonText.isEmpty())
            target = confirm ? right : left;
        if (target)
            QTest::mouseClick(target, Qt::LeftButton);
        else
            dialog->reject();
    });
    timer->start();
    return answer;
}

inline std::shared_ptr<DialogAnswer> answerNextDialog(bool confirm = true, int timeoutMs = 10000)
{
    return answerNextDialogWith(confirm, QString(), timeoutMs);
}

// Clicks the button showing buttonText, the right-hand one when it is empty.
inline std::shared_ptr<DialogAnswer> answerNextDialog(const QString &buttonText, int timeoutMs = 10000)
{
    return answerNextDialogWith(true, buttonText, timeoutMs);
}

inline void cancelDialogAnswers()
{
    for (QTimer *timer : pendingAnswers()) {
        timer->stop();
        timer->deleteLater();
    }
    pendingAnswers().clear();
}

// Types text as key presses; characters beyond ASCII arrive as text input.
inline void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80 && c.isPrint())
            QTest::keyClick(widget, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// The client's style sheet, so sizes and hit areas are the shipped ones.
inline bool applyStyleSheet()
{
    QFile qss(QStringLiteral(":/qss/style/style.qss"));
    if (!qss.open(QIODevice::ReadOnly))
        return false;
    qApp->setStyleSheet(QString::fromUtf8(qss.readAll()));
    return true;
}

} // namespace testsupport

#endif // QT_WIDGETS_LIB
