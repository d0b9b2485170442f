#include "support/testsupport.h"

#include <QCursor>
#include <QDir>
#include <QPixmap>

namespace testsupport {

namespace {
QList<QTimer *> &pendingAnswers()
{
    static QList<QTimer *> timers;
    return timers;
}

} // namespace

// Answers the next TwoBtnDlg once it shows: clicks the button with
// buttonText, or the right-hand one (the left one when confirm is false)
// when buttonText is empty, and records what the dialog showed. Gives up
// after timeoutMs; cancelDialogAnswers() drops the ones still waiting.
std::shared_ptr<DialogAnswer> answerNextDialogWith(bool confirm, const QString &buttonText, int timeoutMs)
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

std::shared_ptr<DialogAnswer> answerNextDialog(bool confirm, int timeoutMs)
{
    return answerNextDialogWith(confirm, QString(), timeoutMs);
}

// Clicks the button showing buttonText, the right-hand one when it is empty.
std::shared_ptr<DialogAnswer> answerNextDialog(const QString &buttonText, int timeoutMs)
{
    return answerNextDialogWith(true, buttonText, timeoutMs);
}

void cancelDialogAnswers()
{
    for (QTimer *timer : pendingAnswers()) {
        timer->stop();
        timer->deleteLater();
    }
    pendingAnswers().clear();
}

// Types text as key presses; characters beyond ASCII arrive as text input.
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80 && c.isPrint())
            QTest::keyClick(widget, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// The client's style sheet, so sizes and hit areas are the shipped ones.
bool applyStyleSheet()
{
    QFile qss(QStringLiteral(":/qss/style/style.qss"));
    if (!qss.open(QIODevice::ReadOnly))
        return false;
    qApp->setStyleSheet(QString::fromUtf8(qss.readAll()));
    return true;
}

void settleForScreenshot()
{
    QCursor::setPos(QPoint(1270, 790));
    QTest::qWait(200);
}

bool ScreenshotFolder::open(const QString &fallback)
{
    m_path = qEnvironmentVariable("VESK_SCREENSHOT_DIR", fallback);
    return QDir().mkpath(m_path);
}

QString ScreenshotFolder::filePath(const QString &fileName) const
{
    return QDir(m_path).filePath(fileName);
}

bool ScreenshotFolder::save(QWidget *widget, const QString &name) const
{
    settleForScreenshot();
    const QPixmap shot = widget->grab();
    return !shot.isNull() && shot.save(filePath(name + QStringLiteral(".png")));
}

void ScreenshotFolder::saveFramed(QWidget *window, const QString &fileName, QImage *grabbed) const
{
    const QString path = filePath(fileName);
    window->show();
    window->raise();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QTest::qWait(200);
    const QImage image = window->grab().toImage();
    QVERIFY(!image.isNull());
    if (grabbed)
        *grabbed = image;
    QVERIFY(image.save(path));
    qInfo().noquote() << "screenshot" << QDir::cleanPath(path);
    QCOMPARE(image.pixelColor(window->width() / 2, 12), QColor(Qt::white));
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
}

} // namespace testsupport
