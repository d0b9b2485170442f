#include "meetings/meetingstore.h"
#include "meetings/logcategory.h"

#include "app/basevalues.h"
#include "app/waits.h"
#include "http/httphelper.h"
#include "http/sessionwatch.h"
#include "http/tmmtgqueryhttp.h"

#include <QDebug>
#include <QTimer>

MeetingStore::MeetingStore(QObject *parent) : QObject(parent), m_timer(new QTimer(this))
{
    qRegisterMetaType<ServiceReply>();
    newQuery();
    connect(m_timer, &QTimer::timeout, this, &MeetingStore::refresh);
    // What failed with the lost session may have been the list.
    connect(SessionWatch::instance(), &SessionWatch::renewed, this, &MeetingStore::refresh);
    connect(ServiceReachability::instance(), &ServiceReachability::reachableAgain, this, [this] {
        if (m_running && m_stale && !m_loading)
            refresh();
    });
}

MeetingStore::~MeetingStore() = default;

void MeetingStore::newQuery()
{
    // A new request object: an answer still out for the last one is never heard.
    delete m_query;
    m_query = new TmMtgQueryHttp(this);
    connect(m_query, &TmMtgQueryHttp::sendTmMtgQueryResultSignal, this,
            [this](const QString &, const ServiceReply &reply) { takeAnswer(reply); });
}

void MeetingStore::start()
{
    if (m_running)
        return;
    m_running = true;
    refresh();
}

void MeetingStore::stop()
{
    m_running = false;
    if (m_loading)
        newQuery();
    m_loading = false;
    m_again = false;
    m_stale = false;
    m_timer->stop();
    m_updatedAt = QDateTime();
    if (m_meetings.isEmpty())
        return;
    m_meetings.clear();
    emit meetingsChanged();
}

void MeetingStore::refresh()
{
    if (!m_running)
        return;
    if (m_loading) {
        m_again = true;
        return;
    }
    m_loading = true;
    // The next timed refresh counts from this one.
    m_timer->start(Waits::meetingListRefreshMs);
    m_query->request(baseValues->tenantInfo);
}

void MeetingStore::takeAnswer(const ServiceReply &reply)
{
    m_loading = false;
    m_stale = !reply.succeeded();
    if (reply.succeeded()) {
        const bool first = !hasList();
        m_updatedAt = QDateTime::currentDateTime();
        if (first || reply.meetings != m_meetings) {
            m_meetings = reply.meetings;
            emit meetingsChanged();
        }
    } else {
        qCDebug(lcMeetings).noquote() << "meeting list not refreshed, the last list stays:" << reply.message;
    }
    emit refreshFinished(reply);
    if (m_again) {
        m_again = false;
        refresh();
    }
}

std::optional<MeetingRecord> MeetingStore::byCode(const QString &meetingCode) const
{
    MeetingRecord wanted;
    wanted.meetingCode = meetingCode;
    const QString code = wanted.plainCode();
    if (code.isEmpty())
        return std::nullopt;
    for (const MeetingRecord &meeting : m_meetings) {
        if (meeting.plainCode() == code)
            return meeting;
    }
    return std::nullopt;
}

std::optional<MeetingRecord> MeetingStore::byId(const QString &meetingId) const
{
    if (meetingId.isEmpty())
        return std::nullopt;
    for (const MeetingRecord &meeting : m_meetings) {
        if (meeting.meetingId == meetingId)
            return meeting;
    }
    return std::nullopt;
}
