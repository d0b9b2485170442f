#pragma once

#include "http/servicereply.h"

#include <QObject>
#include <QString>

class QTimer;
class TmTokenHttp;
class WeMeetManager;

// The second half of every sign-in, shared by the sign-in screens: the
// meeting-service token, then the Meeting SDK initialisation (when needed)
// and sign-in. A screen owns one, reacts to tokenAnswered (its loginStatus
// branches are its own) and calls signInToMeetingSdk for loginStatus "1".
//
// Late answers of an earlier step are ignored. The Meeting SDK gets
// Waits::sdkResponseMs to answer; a failed initialisation ends the chain at
// once. A Meeting SDK sign-in that succeeds after the chain gave up (time-out,
// abandon(), destruction) is undone, so the SDK is never signed in behind a
// sign-in form.
class SignInChain final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(SignInChain)

public:
    explicit SignInChain(QObject *parent = nullptr);
    ~SignInChain() override;

    // Sends TmTokenHttp::requestForMember; the answer comes as tokenAnswered.
    void requestMemberToken(const QString &tenantInfo, const QString &telephone,
                            const QString &mobileCountryCode, const QString &verifyCode);
    // After a successful token answer with loginStatus "1". The answer comes
    // as meetingSdkFinished.
    void signInToMeetingSdk();
    // The screen gives up on this sign-in (closed, returned, restarted).
    void abandon();
    bool isRunning() const { return m_step != Step::Idle; }

    TmTokenHttp *tokenRequest() const { return m_tokenHttp; }

signals:
    void tokenAnswered(QString result, ServiceReply reply);
    // Empty: signed in (baseValues->signedIn is set). Otherwise the notice
    // to show ("登录失败，请重试！").
    void meetingSdkFinished(QString result);

private:
    enum class Step
    {
        Idle,
        Token,
        MeetingSdk
    };

    void onTokenResult(const QString &result, const ServiceReply &reply);
    void onInitialized();
    void onInitializeFailed(const QString &message);
    void onLoginFinished(const QString &result);
    void onSdkError(const QString &message);
    void onTimedOut();
    void finish(const QString &result);

    WeMeetManager *m_manager = nullptr;
    TmTokenHttp *m_tokenHttp = nullptr;
    QTimer *m_sdkTimer = nullptr;
    Step m_step = Step::Idle;
    // Gave up while a Meeting SDK sign-in was on its way.
    bool m_undoLateSignIn = false;
    // The Meeting SDK sign-in itself was asked for (not only the initialisation).
    bool m_loginSent = false;
};
