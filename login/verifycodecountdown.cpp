#include "login/verifycodecountdown.h"

#include "app/waits.h"
#include "http/tmphoneverifyhttp.h"
#include "http/usermessage.h"
#include "widgets/messages.h"
#include "widgets/phonenumedit.h"

#include <QPushButton>
#include <QTimer>

VerifyCodeCountdown::VerifyCodeCountdown(QPushButton *button, QWidget *window)
    : QObject(window), m_button(button), m_window(window), m_timer(new QTimer(this))
{
    connect(m_timer, &QTimer::timeout, this, &VerifyCodeCountdown::tick);
}

bool VerifyCodeCountdown::request(std::initializer_list<Needed> needed, const std::function<void()> &send)
{
    for (const Needed &field : needed) {
        if (field.text.isEmpty()) {
            Messages::notice(m_window, field.noticeWhenEmpty);
            return false;
        }
    }
    send();
    start();
    return true;
}

bool VerifyCodeCountdown::requestForPhone(const PhoneNumEdit *edit, TmPhoneVerifyHttp *request)
{
    const QString number = edit->phoneNumber();
    const QString countryCode = edit->areaCode();
    return this->request(
        {{countryCode, QStringLiteral("区号不能为空")}, {number, QStringLiteral("手机号不能为空")}},
        [&] { request->request(number, QStringLiteral("+") + countryCode); });
}

void VerifyCodeCountdown::answered(const ServiceReply &reply, QWidget *codeEdit)
{
    if (reply.succeeded()) {
        Messages::notice(m_window, QStringLiteral("手机验证码已发送"));
        codeEdit->setFocus(Qt::OtherFocusReason);
        return;
    }
    endAtNextTick();
    Messages::notice(m_window, userMessage(reply));
}

void VerifyCodeCountdown::start()
{
    m_left = seconds;
    m_timer->start(Waits::verifyCodeTickMs);
    m_button->setEnabled(false);
}

void VerifyCodeCountdown::endAtNextTick()
{
    m_left = 0;
}

bool VerifyCodeCountdown::isRunning() const
{
    return m_timer->isActive();
}

void VerifyCodeCountdown::tick()
{
    if (m_left <= 0) {
        m_timer->stop();
        m_button->setText(QStringLiteral("获取验证码"));
        m_button->setEnabled(true);
        return;
    }
    m_button->setText(QStringLiteral("%1秒后重发").arg(m_left));
    --m_left;
}
