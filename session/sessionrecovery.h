#pragma once

#include "http/servicereply.h"

#include <QObject>
#include <QString>

class LoginHttp;
class ServiceTokenHttp;
class TmTokenHttp;

// Mends a session the service forgot (restart, deploy, expiry): a new
// client token, then once a silent sign-in with what the user asked the
// client to remember. Where that is not possible or is refused, the user
// is taken to the sign-in screen with the account filled in; a form with
// unsaved input asks first.
class SessionRecovery final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(SessionRecovery)

public:
    explicit SessionRecovery(QObject *parent = nullptr);

    // The remembered way back in for the signed-in account, if any.
    enum class Road
    {
        None,
        Password,
        Phone,
        WeChat
    };
    static Road rememberedRoad();

private:
    enum class Step
    {
        Idle,
        ServiceToken,
        SignIn,
        MeetingToken
    };

    void start();
    void serviceTokenAnswered(const ServiceReply &reply);
    void signInAnswered(const ServiceReply &reply);
    void meetingTokenAnswered(const ServiceReply &reply);
    void succeeded();
    void giveUp(const QString &why);

    ServiceTokenHttp *m_serviceToken = nullptr;
    LoginHttp *m_login = nullptr;
    TmTokenHttp *m_meetingToken = nullptr;
    Step m_step = Step::Idle;
    // Whose session this is: an answer after a sign-out or for someone
    // else must not bring the old one back.
    QString m_userName;
    bool m_silentTried = false;
};
