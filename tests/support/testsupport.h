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
void pointBaseValuesAt(const devservice::Server &server);

// Collects the debug lines written while it lives, exactly as the log
// handler gets them; the handler before it still sees every line.
class LogCapture final
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QStringList lines() const;
    void clear();
    // Some line holds the text.
    bool contains(const QString &text) const;
    // The whole line, as it goes into the log file.
    bool hasLine(const QString &line) const;

private:
    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &msg);

    mutable QMutex m_mutex;
    QStringList m_lines;
    static LogCapture *s_self;
    static QtMessageHandler s_previous;
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
#include <QImage>
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

// Answers the next TwoBtnDlg once it shows: clicks the button with
// buttonText, or the right-hand one (the left one when confirm is false)
// when buttonText is empty, and records what the dialog showed. Gives up
// after timeoutMs; cancelDialogAnswers() drops the ones still waiting.
std::shared_ptr<DialogAnswer> answerNextDialogWith(bool confirm, const QString &buttonText, int timeoutMs);
std::shared_ptr<DialogAnswer> answerNextDialog(bool confirm = true, int timeoutMs = 10000);
// Clicks the button showing buttonText, the right-hand one when it is empty.
std::shared_ptr<DialogAnswer> answerNextDialog(const QString &buttonText, int timeoutMs = 10000);
void cancelDialogAnswers();

// Types text as key presses; characters beyond ASCII arrive as text input.
void typeText(QWidget *widget, const QString &text);

// The client's style sheet, so sizes and hit areas are the shipped ones.
bool applyStyleSheet();

// Moves the pointer off the windows, so no hover looks show, and lets the
// last paints happen.
void settleForScreenshot();

// Where a screenshot run puts its pictures, for a look by eye and for the
// README: VESK_SCREENSHOT_DIR, or the fallback given to open().
class ScreenshotFolder final
{
public:
    // Makes the folder; false when it cannot.
    bool open(const QString &fallback);
    QString filePath(const QString &fileName) const;
    // Saves widget's picture as name.png, the pointer kept off it; false
    // when it could not.
    bool save(QWidget *widget, const QString &name) const;
    // Shows a framed screen in front and saves its picture as fileName,
    // then checks the frame: white content, the corner outside the shadow
    // transparent. grabbed, when given, receives the picture.
    void saveFramed(QWidget *window, const QString &fileName, QImage *grabbed = nullptr) const;

private:
    QString m_path;
};

} // namespace testsupport

#endif // QT_WIDGETS_LIB
