#include "session/sessionrecovery.h"
#include "session/logcategory.h"

#include "app/basevalues.h"
#include "app/uitexts.h"
#include "http/loginhttp.h"
#include "http/servicetokenhttp.h"
#include "http/sessionwatch.h"
#include "http/tmtokenhttp.h"
#include "session/navigator.h"
#include "widgets/loginshared.h"

#include <QDebug>

SessionRecovery::SessionRecovery(QObject *parent) : QObject(parent)
{
    m_serviceToken = new ServiceTokenHttp(this);
    m_login = new LoginHttp(this);
    m_meetingToken = new TmTokenHttp(this);
    connect(m_serviceToken, &ServiceTokenHttp::sendServiceTokenResultSignal, this,
            [this](const QString &, const ServiceReply &reply) { serviceTokenAnswered(reply); });
    connect(m_login, &LoginHttp::sendLoginResultSignal, this,
            [this](const QString &, const ServiceReply &reply) { signInAnswered(reply); });
    connect(m_meetingToken, &TmTokenHttp::sendTmTokenResultSignal, this,
            [this](const QString &, const ServiceReply &reply) { meetingTokenAnswered(reply); });
    connect(SessionWatch::instance(), &SessionWatch::lost, this, &SessionRecovery::start);
}

SessionRecovery::Road SessionRecovery::rememberedRoad()
{
    const BaseValues &v = *baseValues;
    // The phone road copies the session's user name; the other roads only
    // share the company with it.
    if (v.autoLogin == QLatin1String("2") && !v.phoneUserName.isEmpty() && v.phoneUserName == v.userName)
        return Road::Phone;
    if (v.autoLogin == QLatin1String("3") && !v.openId.isEmpty())
        return Road::WeChat;
    if (v.rememberPassword && !v.accountPassword.isEmpty() && !v.accountUserName.isEmpty() &&
        v.accountCompanyCode.compare(v.companyCode, Qt::CaseInsensitive) == 0)
        return Road::Password;
    return Road::None;
}

void SessionRecovery::start()
{
    if (m_step != Step::Idle)
        return;
    qCDebug(lcSession) << "session lost: renewing the client token";
    m_userName = baseValues->signedIn ? baseValues->userName : QString();
    m_step = Step::ServiceToken;
    m_serviceToken->request();
}

void SessionRecovery::serviceTokenAnswered(const ServiceReply &reply)
{
    if (m_step != Step::ServiceToken)
        return;
    if (!reply.succeeded()) {
        // The service is down rather than forgetful; the screens say so.
        qCDebug(lcSession) << "session lost: no new client token";
        m_step = Step::Idle;
        return;
    }
    if (m_userName.isEmpty() || !baseValues->signedIn) {
        // A guest only needed the client token.
        succeeded();
        return;
    }
    // Once per loss: a sign-in the service forgets at once again would
    // otherwise run in circles.
    const Road road = m_silentTried ? Road::None : rememberedRoad();
    m_silentTried = true;
    m_step = Step::SignIn;
    switch (road) {
    case Road::Password:
        qCDebug(lcSession) << "session lost: signing in again with the remembered password";
        m_login->loginByAccount(baseValues->accountCompanyCode, baseValues->accountUserName,
                                LoginShared::decodePassword(baseValues->accountPassword),
                                baseValues->accountType);
        break;
    case Road::Phone:
        qCDebug(lcSession) << "session lost: signing in again with the remembered phone sign-in";
        m_login->simulateLogin(baseValues->phoneCompanyCode, baseValues->phoneUserName);
        break;
    case Road::WeChat:
        qCDebug(lcSession) << "session lost: signing in again with the remembered WeChat sign-in";
        m_login->autoLoginByOpenId(baseValues->openId, baseValues->uid, baseValues->unionId);
        break;
    case Road::None:
        giveUp(UiText::sessionLost);
        break;
    }
}

void SessionRecovery::signInAnswered(const ServiceReply &reply)
{
    if (m_step != Step::SignIn)
        return;
    if (!reply.succeeded() || baseValues->userName != m_userName || !baseValues->signedIn) {
        giveUp(reply.succeeded() ? UiText::sessionLost
                                 : QStringLiteral("%1（%2）").arg(UiText::sessionLost, reply.message));
        return;
    }
    m_step = Step::MeetingToken;
    m_meetingToken->requestForMember(baseValues->tenantInfo, baseValues->telephone,
                                     baseValues->mobileCountryCode, QString());
}

void SessionRecovery::meetingTokenAnswered(const ServiceReply &reply)
{
    if (m_step != Step::MeetingToken)
        return;
    if (!reply.succeeded() || baseValues->loginStatus != QLatin1String("1")) {
        giveUp(UiText::sessionLost);
        return;
    }
    succeeded();
}

void SessionRecovery::succeeded()
{
    qCDebug(lcSession) << "session renewed";
    m_step = Step::Idle;
    m_silentTried = false;
    emit SessionWatch::instance()->renewed();
}

void SessionRecovery::giveUp(const QString &why)
{
    qCDebug(lcSession).noquote() << "session lost: the user signs in again:" << why;
    m_step = Step::Idle;
    m_silentTried = false;
    if (baseValues->signedIn)
        Navigator::instance()->signInAgain(why);
}
