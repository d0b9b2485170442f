#include "widgets/messages.h"

#include "app/waits.h"
#include "widgets/snackbar.h"
#include "widgets/twobtndlg.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLayout>
#include <QPointer>
#include <QScreen>

namespace {

void place(TwoBtnDlg *dialog, QWidget *asker)
{
    dialog->adjustSize();
    QRect area;
    if (asker && asker->isVisible()) {
        area = asker->window()->frameGeometry();
        // Wider than its window it would stand out over whatever is beside it.
        const int width = area.width();
        if (dialog->width() > width) {
            QLayout *layout = dialog->layout();
            const int height =
                layout && layout->hasHeightForWidth() ? layout->totalHeightForWidth(width) : dialog->height();
            dialog->resize(width, qMax(height, dialog->minimumHeight()));
        }
    } else if (const QScreen *screen = QGuiApplication::primaryScreen())
        area = screen->geometry();
    if (area.isValid())
        dialog->move(area.center() - QPoint(dialog->width() / 2, dialog->height() / 2));
}

TwoBtnDlg *present(TwoBtnDlg *dialog, QWidget *asker, std::function<void(bool)> answered)
{
    // Deleted with its asker (as a child) or once answered, never on a stack
    // that a nested event loop could leave behind.
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<QWidget> guard(asker);
    const bool hadAsker = asker != nullptr;
    QObject::connect(dialog, &QDialog::finished, dialog, [guard, hadAsker, answered](int code) {
        if (hadAsker && !guard)
            return;
        if (answered)
            answered(code == QDialog::Accepted);
    });
    place(dialog, asker);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}

} // namespace

namespace Messages {

TwoBtnDlg *tell(QWidget *asker, const QString &message, const QString &buttonText, std::function<void()> done)
{
    auto *dialog = new TwoBtnDlg(buttonText, asker);
    dialog->setShowMsg(message);
    return present(dialog, asker, [done](bool) {
        if (done)
            done();
    });
}

TwoBtnDlg *ask(QWidget *asker, const QString &message, const QString &cancelText, const QString &confirmText,
               std::function<void(bool confirmed)> answered)
{
    auto *dialog = new TwoBtnDlg(asker);
    dialog->setShowMsg(message);
    dialog->setLeftBtnTxt(cancelText);
    dialog->setRightBtnTxt(confirmText);
    return present(dialog, asker, std::move(answered));
}

void notice(QWidget *asker, const QString &text)
{
    Snackbar::showMessage(text, asker, Waits::noticeMs);
}

void noticeIn(QWidget *asker, const QString &text, const QRect &area)
{
    Snackbar::showMessageIn(text, asker, area, Waits::noticeMs);
}

namespace {

void dismiss(bool questions)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        auto *dialog = qobject_cast<TwoBtnDlg *>(window);
        if (dialog && dialog->isVisible() && dialog->isQuestion() == questions)
            dialog->closeBtnDlgSlot();
    }
}

} // namespace

void dismissQuestions()
{
    dismiss(true);
}

void dismissMessages()
{
    dismiss(false);
}

void noticeAfterClose(QWidget *asker, const QString &text)
{
    // Over the window that is in front once the asker is gone: a notice of
    // its own would be stacked below a modal screen by the window manager.
    QWidget *under = nullptr;
    const QRect place = asker && asker->isVisible() ? asker->frameGeometry() : QRect();
    int overlap = -1;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window == asker || !window->isVisible() || !qobject_cast<QDialog *>(window) ||
            qobject_cast<Snackbar *>(window) || qobject_cast<TwoBtnDlg *>(window) ||
            window->windowFlags().testFlag(Qt::Popup))
            continue;
        const QRect shared = window->frameGeometry() & place;
        const int area = place.isNull() ? 0 : shared.width() * shared.height();
        if (area > overlap) {
            overlap = area;
            under = window;
        }
    }
    if (under) {
        Snackbar::showMessage(text, under, Waits::noticeMs);
        return;
    }
    Snackbar::showMessageOver(text, place, Waits::noticeMs);
}

void noticeWithAction(QWidget *asker, const QString &text, const QString &actionText,
                      std::function<void()> action)
{
    QPointer<QWidget> guard(asker);
    Snackbar::showMessageWithAction(text, actionText, asker, [guard, action] {
        if (guard && action)
            action();
    });
}

} // namespace Messages
