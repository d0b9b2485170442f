#pragma once

#include <QObject>

class QPushButton;
class QTimer;

// The resend countdown of an SMS code button: disabled at once, then
// "60秒后重发" ... "1秒后重发" one tick apart, then "获取验证码" again.
class VerifyCodeCountdown final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(VerifyCodeCountdown)

public:
    static constexpr int seconds = 60;

    explicit VerifyCodeCountdown(QPushButton *button, QObject *parent = nullptr);

    // Disables the button; the first tick shows the full count.
    void start();
    // A failed request: the next tick gives the button back.
    void endAtNextTick();
    bool isRunning() const;

public slots:
    void tick();

private:
    QPushButton *m_button = nullptr;
    QTimer *m_timer = nullptr;
    int m_left = 0;
};
