#include "sdk/signinchain.h"
#include "sdk/logcategory.h"

#include "app/basevalues.h"
#include "app/uitexts.h"
#include "app/waits.h"
#include "http/tmtokenhttp.h"
#include "sdk/wemeetmanager.h"

#include <QDebug>
#include <QStandardPaths>
#include <QTimer>

SignInChain::SignInChain(QObject *parent)
    : QObject(parent), m_manager(WeMeetManager::instance()), m_tokenHttp(new TmTokenHttp(this))
{
    m_sdkTimer = new QTimer(this);
    m_sdkTimer->setSingleShot(true);
    connect(m_sdkTimer, &QTimer::timeout, this, &SignInChain::onTimedOut);
    connect(m_tokenHttp, &TmTokenHttp::sendTmTokenResultSignal, this, &SignInChain::onTokenResult);
    connect(m_manager, &WeMeetManager::OnSDKInitializeFinishSignal, this, &SignInChain::onInitialized);
    connect(m_manager, &WeMeetManager::OnSDKInitializeFailedSignal, this, &SignInChain::onInitializeFailed);
    connect(m_manager, &WeMeetManager::OnLoginFinishSignal, this, &SignInChain::onLoginFinished);
    connect(m_manager, &WeMeetManager::OnSDKErrorSignal, this, &SignInChain::onSdkError);
}

SignInChain::~SignInChain()
{
    // A sign-in still on its way must not leave the SDK signed in once this
    // screen is gone: the manager outlives us, so undo it from there.
    if ((m_step == Step::MeetingSdk || m_undoLateSignIn) && m_loginSent) {
        WeMeetManager *manager = m_manager;
        auto *watch = new QObject(manager);
        // Only our own answer, which comes first; a much later sign-in is
        // another screen's.
        QTimer::singleShot(4 * Waits::sdkResponseMs, watch, &QObject::deleteLater);
        connect(manager, &WeMeetManager::OnLoginFinishSignal, watch, [manager, watch](const QString &result) {
            if (result.isEmpty() && !baseValues->signedIn) {
                qCDebug(lcSdk) << "Meeting SDK sign-in arrived after its screen closed; signing out again";
                manager->logoutQuietly();
            }
            watch->deleteLater();
        });
    }
}

void SignInChain::requestMemberToken(const QString &tenantInfo, const QString &telephone,
                                     const QString &mobileCountryCode, const QString &verifyCode)
{
    m_step = Step::Token;
    m_tokenHttp->requestForMember(tenantInfo, telephone, mobileCountryCode, verifyCode);
}

void SignInChain::signInToMeetingSdk()
{
    m_step = Step::MeetingSdk;
    m_undoLateSignIn = false;
    m_loginSent = false;
    m_sdkTimer->start(Waits::sdkResponseMs);
    if (m_manager->isInitialized()) {
        m_loginSent = true;
        m_manager->login();
    } else {
        WeMeetManager::initialize(baseValues->sdkId, baseValues->sdkToken,
                                  QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                                  baseValues->appName);
    }
}

void SignInChain::abandon()
{
    if (m_step == Step::MeetingSdk && m_loginSent)
        m_undoLateSignIn = true;
    m_step = Step::Idle;
    m_sdkTimer->stop();
}

void SignInChain::onTokenResult(const QString &result, const ServiceReply &reply)
{
    if (m_step != Step::Token) {
        qCDebug(lcSdk) << "sign-in: late meeting-service token answer ignored";
        return;
    }
    m_step = Step::Idle;
    emit tokenAnswered(result, reply);
}

void SignInChain::onInitialized()
{
    if (m_step != Step::MeetingSdk)
        return;
    m_loginSent = true;
    m_manager->login();
}

void SignInChain::onInitializeFailed(const QString &message)
{
    if (m_step != Step::MeetingSdk)
        return;
    qCDebug(lcSdk).noquote() << "sign-in: Meeting SDK initialisation failed:" << message;
    finish(UiText::loginFailed);
}

void SignInChain::onLoginFinished(const QString &result)
{
    if (m_step != Step::MeetingSdk) {
        if (m_undoLateSignIn) {
            m_undoLateSignIn = false;
            if (!result.isEmpty())
                return;
            qCDebug(lcSdk) << "sign-in: Meeting SDK sign-in arrived after the sign-in gave up; signing out";
            m_manager->logoutQuietly();
        }
        return;
    }
    if (result.isEmpty()) {
        baseValues->signedIn = true;
        finish(QString());
    } else {
        finish(UiText::loginFailed);
    }
}

void SignInChain::onSdkError(const QString &message)
{
    // An error of a guest preparation while nobody signs in is no failed sign-in.
    if (m_step != Step::MeetingSdk)
        return;
    qCDebug(lcSdk).noquote() << "sign-in: Meeting SDK error:" << message;
    m_undoLateSignIn = m_loginSent;
    finish(UiText::loginFailed);
}

void SignInChain::onTimedOut()
{
    if (m_step != Step::MeetingSdk)
        return;
    qCDebug(lcSdk) << "sign-in: Meeting SDK did not answer within" << Waits::sdkResponseMs << "ms";
    m_undoLateSignIn = m_loginSent;
    finish(UiText::loginFailed);
}

void SignInChain::finish(const QString &result)
{
    m_step = Step::Idle;
    m_sdkTimer->stop();
    emit meetingSdkFinished(result);
}
