#pragma once

#include "http/servicereply.h"

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;
class WaitingSpinnerWidget;

// Where a sign-in window's chain stands, shown by its busy indicator. The
// step tells which answer is awaited: a request that timed out may still
// answer later, and such an answer must not carry the chain on.
class SignInProgress final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(SignInProgress)

public:
    // The token and the Meeting SDK steps are the SignInChain's.
    enum class Step
    {
        Idle,
        CompanyCheck,
        SignIn,
        Chain
    };

    // The busy indicator is created centred on window, disabling it while it spins.
    explicit SignInProgress(QWidget *window);

    // Starts the busy indicator with text; step's answer is awaited.
    void start(Step step, const QString &text);
    // The next request is out: the indicator spins on with text.
    void next(Step step, const QString &text);
    // Whether an answer of step is awaited; a late one is logged as dropped.
    bool expecting(Step step, const char *what) const;

    // The answers of the first half, each only when awaited. The company
    // check goes on to the service sign-in when the company is of the chosen
    // version (listedCompanyNotice: the window's wording for a listed
    // company's code); the service sign-in and the token go on when empty.
    // A false return has ended the chain with its notice.
    bool companyMatches(const QString &result, const ServiceReply &reply, int chosen,
                        const QString &listedCompanyNotice);
    bool signedInAtService(const QString &result, const ServiceReply &reply);
    bool tokenReceived(const ServiceReply &reply);

    // The field a failure of step is about: it gets the keyboard back, and
    // notices stand above the fields rather than over one of them.
    void setField(Step step, QWidget *field);

    bool isIdle() const { return m_step == Step::Idle; }
    // The chain ended: the indicator stops.
    void stop();
    // The chain ended with this notice.
    void fail(const QString &notice);
    // The Meeting SDK's sign-in answer ends the chain: empty goes on to the
    // home screen (the window's showHomeViewSlot, once this event is done),
    // anything else is the notice "登录失败，请重试！".
    void finishMeetingSdkSignIn(const QString &result);

private:
    // Ends the chain with text in a notice; failed is the step that failed.
    void failWith(Step failed, const QString &text);

    QWidget *m_window = nullptr;
    QMap<Step, QPointer<QWidget>> m_fields;
    // Had the keyboard when the chain started; disabling the window took it.
    QPointer<QWidget> m_focusAtStart;
    WaitingSpinnerWidget *m_spinner = nullptr;
    Step m_step = Step::Idle;
};
