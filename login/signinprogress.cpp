#include "login/signinprogress.h"
#include "login/logcategory.h"

#include "app/uitexts.h"
#include "http/usermessage.h"
#include "login/versionchoice.h"
#include "widgets/messages.h"
#include "widgets/waitingspinnerwidget.h"

#include <QDebug>
#include <QLineEdit>

SignInProgress::SignInProgress(QWidget *window)
    : QObject(window), m_window(window), m_spinner(new WaitingSpinnerWidget(window, true, true))
{
}

void SignInProgress::setField(Step step, QWidget *field)
{
    m_fields.insert(step, field);
}

void SignInProgress::start(Step step, const QString &text)
{
    m_focusAtStart = m_window->focusWidget();
    m_step = step;
    m_spinner->setText(text);
    m_spinner->start();
}

void SignInProgress::next(Step step, const QString &text)
{
    m_step = step;
    m_spinner->setText(text);
}

bool SignInProgress::expecting(Step step, const char *what) const
{
    if (m_step == step)
        return true;
    qCDebug(lcLogin).noquote() << QLatin1String(m_window->metaObject()->className()) +
                                      QLatin1String(": late or unexpected answer ignored:")
                               << what;
    return false;
}

bool SignInProgress::companyMatches(const QString &result, const ServiceReply &reply, int chosen,
                                    const QString &listedCompanyNotice)
{
    if (!expecting(Step::CompanyCheck, "company check"))
        return false;
    if (!reply.succeeded()) {
        fail(userMessage(reply));
        return false;
    }
    const VersionChoice::CompanyCheck check =
        VersionChoice::readCompanyCheck(result, chosen, listedCompanyNotice);
    if (!check.matches) {
        fail(check.notice);
        return false;
    }
    next(Step::SignIn, UiText::signingInAccount);
    return true;
}

bool SignInProgress::signedInAtService(const QString &result, const ServiceReply &reply)
{
    if (!expecting(Step::SignIn, "service sign-in"))
        return false;
    if (!reply.succeeded()) {
        qCDebug(lcLogin).noquote() << QStringLiteral("loginResult err: ") + result;
        fail(userMessage(reply));
        return false;
    }
    return true;
}

bool SignInProgress::tokenReceived(const ServiceReply &reply)
{
    if (!expecting(Step::Chain, "meeting-service token"))
        return false;
    if (!reply.succeeded()) {
        fail(userMessage(reply));
        return false;
    }
    return true;
}

void SignInProgress::stop()
{
    m_step = Step::Idle;
    m_spinner->stop();
}

void SignInProgress::fail(const QString &notice)
{
    failWith(m_step, notice);
}

void SignInProgress::finishMeetingSdkSignIn(const QString &result)
{
    if (result.isEmpty()) {
        stop();
        QMetaObject::invokeMethod(m_window, "showHomeViewSlot", Qt::QueuedConnection);
    } else {
        failWith(m_step, UiText::loginFailed);
    }
}

void SignInProgress::failWith(Step failed, const QString &text)
{
    stop();
    QWidget *field = m_fields.value(failed);
    if (!field || !field->isVisible())
        field = m_focusAtStart;
    if (field && field->isVisible() && field->isEnabled()) {
        field->setFocus(Qt::OtherFocusReason);
        if (auto *edit = qobject_cast<QLineEdit *>(field))
            edit->selectAll();
    }
    int top = m_window->height();
    for (const QPointer<QWidget> &known : qAsConst(m_fields)) {
        if (known && known->isVisible())
            top = qMin(top, known->mapTo(m_window, QPoint(0, 0)).y());
    }
    if (top < m_window->height())
        Messages::noticeIn(m_window, text, QRect(0, 0, m_window->width(), top));
    else
        Messages::notice(m_window, text);
}
