#pragma once

#include "http/servicereply.h"

#include <QObject>
#include <QString>

#include <functional>
#include <initializer_list>

class PhoneNumEdit;
class QPushButton;
class QTimer;
class QWidget;
class TmPhoneVerifyHttp;

// The SMS code button of a window: the code request with its notices, and
// the resend countdown: disabled at once, then "60秒后重发" ... "1秒后重发"
// one tick apart, then "获取验证码" again.
class VerifyCodeCountdown final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(VerifyCodeCountdown)

public:
    static constexpr int seconds = 60;

    // Notices appear over window, which owns the countdown.
    VerifyCodeCountdown(QPushButton *button, QWidget *window);

    // A field the request cannot go without, and the notice when it is empty.
    struct Needed
    {
        QString text;
        QString noticeWhenEmpty;
    };
    // Shows the notice of the first empty field; otherwise send() asks for
    // the code and the countdown starts. Returns whether it was asked for.
    bool request(std::initializer_list<Needed> needed, const std::function<void()> &send);
    // The meeting service's code to the number in edit.
    bool requestForPhone(const PhoneNumEdit *edit, TmPhoneVerifyHttp *request);
    // The request's answer: success says so and moves typing to codeEdit; a
    // failure is shown and gives the button back at the next tick.
    void answered(const ServiceReply &reply, QWidget *codeEdit);

    // Disables the button; the first tick shows the full count.
    void start();
    // A failed request: the next tick gives the button back.
    void endAtNextTick();
    bool isRunning() const;

public slots:
    void tick();

private:
    QPushButton *m_button = nullptr;
    QWidget *m_window = nullptr;
    QTimer *m_timer = nullptr;
    int m_left = 0;
};
