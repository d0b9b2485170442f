#include "meetings/meetingactions.h"
#include "meetings/logcategory.h"

#include "app/basevalues.h"
#include "app/launchparameter.h"
#include "app/uitexts.h"
#include "http/actmtgdetailhttp.h"
#include "http/tmmtgcreatehttp.h"
#include "http/tmmtgdeletehttp.h"
#include "http/tmmtginvitehttp.h"
#include "http/usermessage.h"
#include "meeting/invitationtext.h"
#include "meetings/meetingstore.h"

#include <QDebug>
#include <QDesktopServices>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QUrl>

namespace {
// One answer per request object; a late second answer after a time-out goes with it.
template <typename Http, typename Signal, typename Handler>
Http *oneShot(QObject *owner, Signal signal, Handler handler)
{
    auto *request = new Http(owner);
    QObject::connect(request, signal, owner,
                     [handler](const QString &, const ServiceReply &reply) { handler(reply); });
    QObject::connect(request, signal, request, &QObject::deleteLater);
    return request;
}
} // namespace

MeetingActions::MeetingActions(MeetingStore *store, QObject *parent)
    : QObject(parent), m_store(store), m_chain(new JoinChain(this))
{
    qRegisterMetaType<MeetingOutcome>();
    connect(m_chain, &JoinChain::joining, this, &MeetingActions::joining);
    connect(m_chain, &JoinChain::finished, this, &MeetingActions::onJoinFinished);
}

MeetingActions::~MeetingActions() = default;

// --- joining ---------------------------------------------------------------------

bool MeetingActions::join(const QString &meetingCode, bool unattended)
{
    if (m_chain->isRunning())
        return meetingCode == m_chain->meeting().code;
    startJoin(meetingCode, unattended, false);
    return true;
}

void MeetingActions::joinAdmitted()
{
    m_chain->joinNow(m_meeting);
}

void MeetingActions::startJoin(const QString &meetingCode, bool unattended, bool direct)
{
    m_meeting = unattended ? JoinChain::unattended(meetingCode, baseValues->meetingPersonName)
                           : JoinChain::Meeting{meetingCode, baseValues->meetingPersonName, baseValues->micOn,
                                                baseValues->cameraOn};
    emit joinStarted();
    if (direct)
        m_chain->joinNow(m_meeting);
    else
        m_chain->joinAsMember(m_meeting);
}

void MeetingActions::onJoinFinished(const JoinOutcome &outcome)
{
    // The meeting the chain joined, whatever was asked for meanwhile.
    if (outcome.kind == JoinOutcome::Kind::Joined)
        baseValues->currentMeetingCode = m_chain->meeting().code;
    emit joinFinished(outcome);
}

void MeetingActions::quickMeeting(bool unattended)
{
    m_creating = true;
    m_unattended = unattended;
    auto *request = oneShot<TmMtgCreateHttp>(this, &TmMtgCreateHttp::sendTmMtgCreateResultSignal,
                                             [this](const ServiceReply &reply) { onCreated(reply); });
    const QJsonObject body{{QStringLiteral("meetingType"), 1}};
    request->request(baseValues->tenantInfo,
                     QString::fromUtf8(QJsonDocument(body).toJson(QJsonDocument::Compact)));
}

void MeetingActions::abandonJoin()
{
    m_creating = false;
    m_chain->abandon();
}

void MeetingActions::onCreated(const ServiceReply &reply)
{
    if (!m_creating)
        return; // given up meanwhile
    m_creating = false;
    if (!reply.succeeded()) {
        emit joinFinished({JoinOutcome::Kind::Notice, userMessage(reply)});
        return;
    }
    QString meetingCode;
    QString joinUrl;
    if (reply.value.isObject()) {
        meetingCode = reply.text(QStringLiteral("meetingCode"));
        joinUrl = reply.text(QStringLiteral("joinUrl"));
    } else if (QRegularExpression(QStringLiteral("^\\d+$")).match(reply.value.toString()).hasMatch()) {
        // The service may answer with the bare meeting number.
        meetingCode = reply.value.toString();
    }
    if (meetingCode.isEmpty()) {
        // Joining an empty number can only fail; say so instead of trying.
        emit joinFinished({JoinOutcome::Kind::Notice, QStringLiteral("快速会议创建失败")});
        return;
    }
    // The user's own new meeting belongs in the list.
    m_store->refresh();
    baseValues->joinUrl = joinUrl;
    startJoin(meetingCode, m_unattended, true);
}

MeetingActions::LinkRequest MeetingActions::followLink()
{
    QMap<QString, QString> &link = baseValues->linkInfo;
    if (link.isEmpty())
        return LinkRequest::None;
    const QString meetingCode = link.value(QStringLiteral("meetingCode"));
    // The same account rule as for a link handed over while running.
    const bool otherAccount = linkNamesOtherAccount(link);
    link.clear();
    if (otherAccount) {
        qCDebug(lcMeetings).noquote() << UiText::differentAccount;
        return LinkRequest::OtherAccount;
    }
    if (!meetingCode.isEmpty()) {
        join(meetingCode, true);
        return LinkRequest::Join;
    }
    m_creating = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_creating) // not given up meanwhile
                quickMeeting(true);
        },
        Qt::QueuedConnection);
    return LinkRequest::QuickMeeting;
}

// --- invitation, close, activity page --------------------------------------------

void MeetingActions::invite(const QString &meetingCode)
{
    oneShot<TmMtgInviteHttp>(this, &TmMtgInviteHttp::sendTmMtgInviteResultSignal,
                             [this, meetingCode](const ServiceReply &reply) {
                                 onInvitation(MeetingOutcome::Action::Invite, meetingCode, reply);
                             })
        ->request(baseValues->tenantInfo, meetingCode);
}

void MeetingActions::fetchCalendarText(const QString &meetingCode)
{
    oneShot<TmMtgInviteHttp>(this, &TmMtgInviteHttp::sendTmMtgInviteResultSignal,
                             [this, meetingCode](const ServiceReply &reply) {
                                 onInvitation(MeetingOutcome::Action::CalendarText, meetingCode, reply);
                             })
        ->request(baseValues->tenantInfo, meetingCode);
}

void MeetingActions::onInvitation(MeetingOutcome::Action action, const QString &meetingCode,
                                  const ServiceReply &reply)
{
    MeetingOutcome outcome{action, reply.succeeded(), QString(), meetingCode, QString()};
    if (!reply.succeeded()) {
        qCDebug(lcMeetings).noquote() << QStringLiteral("会议邀请信息取得失败：%1").arg(reply.message);
        outcome.text = QStringLiteral("会议邀请信息取得失败");
    } else {
        outcome.text = InvitationText::fromServiceData(reply.value.toObject());
        outcome.link = reply.text(QStringLiteral("onlineAddress"));
        const QString rootNum = reply.text(QStringLiteral("rootNum"));
        if (!rootNum.isEmpty())
            outcome.meeting = rootNum;
    }
    emit finished(outcome);
}

void MeetingActions::close(const QString &meetingId)
{
    oneShot<TmMtgDeleteHttp>(this, &TmMtgDeleteHttp::sendTmMtgDeleteResultSignal,
                             [this, meetingId](const ServiceReply &reply) {
                                 // Closed or not, the list says what the service holds now.
                                 m_store->refresh();
                                 emit finished(
                                     {MeetingOutcome::Action::Close, reply.succeeded(),
                                      reply.succeeded() ? QStringLiteral("会议已关闭") : userMessage(reply),
                                      meetingId, QString()});
                             })
        ->request(baseValues->tenantInfo, meetingId);
}

void MeetingActions::openActivityPage(const QString &meetingId)
{
    oneShot<ActMtgDetailHttp>(
        this, &ActMtgDetailHttp::sendActMtgDetailResultSignal,
        [this, meetingId](const ServiceReply &reply) { onActivityDetail(meetingId, reply); })
        ->request(meetingId);
}

void MeetingActions::onActivityDetail(const QString &meetingId, const ServiceReply &reply)
{
    MeetingOutcome outcome{MeetingOutcome::Action::ActivityPage, false, QString(), meetingId, QString()};
    if (!reply.succeeded()) {
        outcome.text = userMessage(reply);
        emit finished(outcome);
        return;
    }
    if (reply.value.toObject().isEmpty()) {
        // Nothing to open and nothing the user could do about it.
        emit finished(outcome);
        return;
    }
    // Tokens and tenant data may hold "&", "=" or "+": encode them so the page gets them intact.
    auto enc = [](const QString &v) { return QString::fromLatin1(QUrl::toPercentEncoding(v)); };
    QString url = baseValues->serviceUrl;
    url += QStringLiteral("ui/interact/backHome/activityManagementDetail/activityBasicInfor?");
    url += QStringLiteral("activityId=%1").arg(enc(reply.text(QStringLiteral("id"))));
    url += QStringLiteral("&businessType=01");
    url += QStringLiteral("&fileViewPath=");
    url += QStringLiteral("&enterpriseAccessToken=%1").arg(enc(baseValues->accessToken));
    url += QStringLiteral("&enterpriseApiUrl=%1").arg(enc(baseValues->interfaceUrl));
    url += QStringLiteral("&access_token=%1").arg(enc(baseValues->gatewayAccessToken));
    url += QStringLiteral("&tenant_info=%1").arg(enc(baseValues->tenantInfo));
    url += QStringLiteral("&spm=%1").arg(QStringLiteral("00.01.0035.0001"));
    QDesktopServices::openUrl(QUrl(url));
    outcome.succeeded = true;
    outcome.text = url;
    emit finished(outcome);
}
