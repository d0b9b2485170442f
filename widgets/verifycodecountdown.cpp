#include "widgets/verifycodecountdown.h"

#include "app/waits.h"

#include <QPushButton>
#include <QTimer>

VerifyCodeCountdown::VerifyCodeCountdown(QPushButton *button, QObject *parent)
    : QObject(parent), m_button(button), m_timer(new QTimer(this))
{
    connect(m_timer, &QTimer::timeout, this, &VerifyCodeCountdown::tick);
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
