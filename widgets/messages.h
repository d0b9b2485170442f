#pragma once

#include <QString>

#include <functional>

class QRect;
class QWidget;
class TwoBtnDlg;

// Messages and notices that can never outlive or crash the screen that asked
// for them: nothing runs a nested event loop, a message closes with its
// asker, and its answer reaches the caller only while the asker exists.
// Every function takes the asker first, then the message, then the buttons.
// A null asker centres the message on the primary screen.
namespace Messages {

// One-button message ("温馨提示"); done runs when it is acknowledged.
TwoBtnDlg *tell(QWidget *asker, const QString &message, const QString &buttonText,
                std::function<void()> done = {});

// Two-button question: answered(true) for the confirming (right) button,
// answered(false) for the cancelling one or a close. Not called at all when
// the asker is gone first.
TwoBtnDlg *ask(QWidget *asker, const QString &message, const QString &cancelText, const QString &confirmText,
               std::function<void(bool confirmed)> answered);

// Open questions are dismissed as cancelled (a launch link asks to join, or
// the meeting they were about was left).
void dismissQuestions();
// Open one-button messages are dismissed: another one of their kind follows.
void dismissMessages();

// Short notice centred over the asker's window (Waits::noticeMs).
void notice(QWidget *asker, const QString &text);
// The same, centred in area (asker's coordinates) so the rest stays in view.
void noticeIn(QWidget *asker, const QString &text, const QRect &area);

// The word after a success that closes the asker: a notice of its own,
// where the asker was.
void noticeAfterClose(QWidget *asker, const QString &text);

// A notice with a link after its text; action runs when the link is
// clicked, and only while the asker exists.
void noticeWithAction(QWidget *asker, const QString &text, const QString &actionText,
                      std::function<void()> action);

} // namespace Messages
