#include "sdk/joinchain.h"
#include "sdk/logcategory.h"

#include "app/basevalues.h"
#include "app/uitexts.h"
#include "app/waits.h"
#include "http/activityapprovehttp.h"
#include "http/tmmtgsummaryhttp.h"
#include "http/tmtokenhttp.h"
#include "http/usermessage.h"
#include "sdk/admissionanswer.h"
#include "sdk/wemeetmanager.h"

#include <QDebug>
#include <QSet>
#include <QStandardPaths>
#include <QTimer>

namespace {
QSet<const JoinChain *> &allChains()
{
    static QSet<const JoinChain *> chains;
    return chains;
}
} // namespace

JoinChain::Meeting JoinChain::unattended(const QString &code, const QString &nickname)
{
    return {code, nickname, baseValues->micChosen && baseValues->micOn, false};
}

QString JoinChain::meetingUnderWay()
{
    for (const JoinChain *chain : allChains()) {
        if (chain->isRunning() && chain->m_route != Route::AdmissionWindow &&
            !chain->m_meeting.code.isEmpty())
            return chain->m_meeting.code;
    }
    return QString();
}

JoinChain::JoinChain(QObject *parent)
    : QObject(parent), m_manager(WeMeetManager::instance()), m_tokenHttp(new TmTokenHttp(this)),
      m_summaryHttp(new TmMtgSummaryHttp(this)), m_approveHttp(new ActivityApproveHttp(this)),
      m_sdkTimer(new QTimer(this))
{
    qRegisterMetaType<JoinOutcome>();
    allChains().insert(this);
    m_sdkTimer->setSingleShot(true);
    connect(m_sdkTimer, &QTimer::timeout, this, &JoinChain::onSdkTimedOut);
    connect(m_tokenHttp, &TmTokenHttp::sendTmTokenResultSignal, this, &JoinChain::onTokenResult);
    connect(m_summaryHttp, &TmMtgSummaryHttp::sendTmMtgSummaryResultSignal, this,
            &JoinChain::onSummaryResult);
    connect(m_approveHttp, &ActivityApproveHttp::sendCheckActivityApproveResultSignal, this,
            &JoinChain::onAdmissionResult);
    connect(m_manager, &WeMeetManager::OnSDKInitializeFinishSignal, this, &JoinChain::onInitialized);
    connect(m_manager, &WeMeetManager::OnSDKInitializeFailedSignal, this, &JoinChain::onInitializeFailed);
    connect(m_manager, &WeMeetManager::OnLoginFinishSignal, this, &JoinChain::onLoginFinished);
    connect(m_manager, &WeMeetManager::OnJoinMeetingFinishSignal, this, &JoinChain::onJoinFinished);
    connect(m_manager, &WeMeetManager::OnLeaveWaitingRoomFinishSignal, this, &JoinChain::onLeftWaitingRoom);
    connect(m_manager, &WeMeetManager::OnSDKErrorSignal, this, &JoinChain::onSdkError);
}

JoinChain::~JoinChain()
{
    allChains().remove(this);
}

void JoinChain::joinAsMember(const Meeting &meeting)
{
    m_route = Route::Member;
    m_meeting = meeting;
    startSummary();
}

void JoinChain::joinAsGuest(const Meeting &meeting, const QString &telephone,
                            const QString &mobileCountryCode)
{
    m_route = Route::Guest;
    m_meeting = meeting;
    m_step = Step::Token;
    m_tokenHttp->requestForGuest(baseValues->serialNo, meeting.code, meeting.nickname, telephone,
                                 mobileCountryCode, QString());
}

void JoinChain::signInAndJoin(const Meeting &meeting)
{
    m_route = baseValues->signedIn ? Route::Member : Route::Guest;
    m_meeting = meeting;
    startMeetingSdk();
}

void JoinChain::joinNow(const Meeting &meeting)
{
    m_route = Route::Member;
    m_meeting = meeting;
    startJoin();
}

void JoinChain::verifyGuest(const QString &meetingCode, const QString &nickname, const QString &telephone,
                            const QString &mobileCountryCode, const QString &verifyCode)
{
    m_route = Route::PhoneCheck;
    m_meeting = {meetingCode, nickname, false, false};
    m_verifiedPhone = telephone;
    m_verifiedCountryCode = mobileCountryCode;
    m_step = Step::Token;
    m_tokenHttp->requestForGuest(baseValues->serialNo, meetingCode, nickname, telephone, mobileCountryCode,
                                 verifyCode);
}

void JoinChain::checkAdmission(const QString &meetingId, const QString &telephone,
                               const QString &mobileCountryCode)
{
    m_route = Route::AdmissionWindow;
    startAdmission(meetingId, telephone, mobileCountryCode);
}

bool JoinChain::abandon()
{
    const bool joinGivenUp = m_step == Step::Join && m_manager->state() == WeMeetManager::Joining;
    m_step = Step::Idle;
    m_sdkTimer->stop();
    if (!joinGivenUp)
        return false;
    // The SDK's late answer must not find a waiting screen.
    baseValues->pendingMeetingCode.clear();
    m_manager->setState(WeMeetManager::SignedIn);
    // A guest's SDK session is undone quietly: the screen beneath stays.
    if (!baseValues->signedIn)
        m_manager->logoutQuietly();
    return true;
}

// --- steps -----------------------------------------------------------------------

void JoinChain::startMeetingSdk()
{
    m_step = Step::MeetingSdk;
    m_sdkTimer->start(Waits::sdkResponseMs);
    if (m_manager->isInitialized()) {
        m_manager->login();
        return;
    }
    WeMeetManager::initialize(baseValues->sdkId, baseValues->sdkToken,
                              QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                              baseValues->appName);
}

void JoinChain::startSummary()
{
    m_step = Step::Summary;
    m_summaryHttp->request(m_meeting.code);
}

void JoinChain::startAdmission(const QString &meetingId, const QString &telephone,
                               const QString &mobileCountryCode)
{
    m_step = Step::Admission;
    m_approveHttp->request(meetingId, telephone, mobileCountryCode);
}

void JoinChain::startJoin()
{
    m_step = Step::Join;
    emit joining();
    m_manager->joinMeeting(m_meeting.code, m_meeting.nickname, m_meeting.micOn, m_meeting.cameraOn,
                           baseValues->joinUrl);
}

// --- answers ---------------------------------------------------------------------

void JoinChain::onTokenResult(const QString &, const ServiceReply &reply)
{
    if (m_step != Step::Token) {
        qCDebug(lcSdk) << "join: late meeting-service token answer ignored";
        return;
    }
    if (!reply.succeeded()) {
        finish(JoinOutcome::Kind::Notice, userMessage(reply));
        return;
    }
    const QString status = baseValues->loginStatus;
    if (m_route == Route::PhoneCheck && status == QLatin1String("1")) {
        startAdmission(baseValues->meetingId, m_verifiedPhone, m_verifiedCountryCode);
        return;
    }
    if (m_route == Route::Guest && status == QLatin1String("2")) {
        finish(JoinOutcome::Kind::VerifyPhone);
        return;
    }
    if (m_route == Route::Guest && status == QLatin1String("1")) {
        startMeetingSdk();
        return;
    }
    if (m_route == Route::Guest && status == QLatin1String("4")) {
        finish(JoinOutcome::Kind::MembersOnly, UiText::guestsNotAdmitted);
        return;
    }
    // Neither ready nor verifiable: nothing would ever end the wait.
    qCDebug(lcSdk).noquote() << QStringLiteral("guest token loginStatus %1: join not possible").arg(status);
    finish(JoinOutcome::Kind::Notice, UiText::joinSignInFailed);
}

void JoinChain::onInitialized()
{
    if (m_step == Step::MeetingSdk)
        m_manager->login();
}

void JoinChain::onInitializeFailed(const QString &message)
{
    if (m_step != Step::MeetingSdk)
        return;
    qCDebug(lcSdk).noquote() << "join: Meeting SDK initialisation failed:" << message;
    finish(JoinOutcome::Kind::Notice, UiText::joinSignInFailed);
}

void JoinChain::onLoginFinished(const QString &result)
{
    if (m_step != Step::MeetingSdk)
        return;
    m_sdkTimer->stop();
    if (!result.isEmpty()) {
        finish(JoinOutcome::Kind::Notice, UiText::joinSignInFailed);
        return;
    }
    if (m_route == Route::Member)
        startSummary();
    else
        startJoin();
}

void JoinChain::onSummaryResult(const QString &, const ServiceReply &reply)
{
    if (m_step != Step::Summary)
        return;
    // Without the summary the join goes ahead: it only decides whether to
    // ask for admission first.
    if (!reply.succeeded() || !isActivityMeeting(baseValues->meetingType)) {
        startJoin();
        return;
    }
    startAdmission(baseValues->meetingId, baseValues->telephone, baseValues->mobileCountryCode);
}

void JoinChain::onAdmissionResult(const QString &result, const ServiceReply &reply)
{
    if (m_step != Step::Admission)
        return;
    // The phone check and the admission window tell a request that never
    // reached the service as it is, not as a refused admission.
    const bool unanswered = !reply.succeeded() && reply.outcome != ServiceReply::Refused;
    if (unanswered && (m_route == Route::PhoneCheck || m_route == Route::AdmissionWindow)) {
        finish(JoinOutcome::Kind::Notice, userMessage(reply));
        return;
    }
    if (m_route == Route::AdmissionWindow) {
        if (reply.succeeded())
            finish(JoinOutcome::Kind::Admitted);
        else
            finish(JoinOutcome::Kind::Notice, QStringLiteral("请先扫码完成所有入会验证！"));
        return;
    }
    const AdmissionAnswer answer = readAdmissionAnswer(result);
    switch (answer.next) {
    case AdmissionAnswer::Next::Join:
        if (m_route == Route::PhoneCheck)
            finish(JoinOutcome::Kind::Admitted);
        else
            startJoin();
        break;
    case AdmissionAnswer::Next::Approve:
        finish(JoinOutcome::Kind::Approve, answer.url);
        break;
    case AdmissionAnswer::Next::Refuse:
        finish(JoinOutcome::Kind::Refused, answer.message);
        break;
    }
}

void JoinChain::onJoinFinished(const QString &result)
{
    if (m_step != Step::Join)
        return;
    if (result.isEmpty()) {
        finish(JoinOutcome::Kind::Joined);
        return;
    }
    qCDebug(lcSdk).noquote() << "join failed:" << result;
    // A guest's SDK session is undone quietly: the screen beneath stays.
    if (!baseValues->signedIn)
        m_manager->logoutQuietly();
    finish(JoinOutcome::Kind::JoinFailed, result);
}

void JoinChain::onLeftWaitingRoom(const QString &result)
{
    if (m_step != Step::Join)
        return;
    if (!result.isEmpty()) {
        emit finished({JoinOutcome::Kind::Notice, result});
        return;
    }
    finish(JoinOutcome::Kind::LeftWaitingRoom);
}

void JoinChain::onSdkError(const QString &message)
{
    if (m_step != Step::MeetingSdk && m_step != Step::Join)
        return;
    qCDebug(lcSdk).noquote() << "join: Meeting SDK error:" << message;
    if (m_step == Step::Join) {
        // The join may still be answered; the screen only says so.
        emit finished({JoinOutcome::Kind::Notice, UiText::joinSdkError});
        return;
    }
    finish(JoinOutcome::Kind::Notice, UiText::joinSdkError);
}

void JoinChain::onSdkTimedOut()
{
    if (m_step != Step::MeetingSdk)
        return;
    qCDebug(lcSdk) << "join: Meeting SDK did not answer within" << Waits::sdkResponseMs << "ms";
    finish(JoinOutcome::Kind::Notice, UiText::joinSignInFailed);
}

void JoinChain::finish(JoinOutcome::Kind kind, const QString &text)
{
    m_step = Step::Idle;
    m_sdkTimer->stop();
    emit finished({kind, text});
}
