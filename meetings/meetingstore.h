#pragma once

#include "http/meetingrecord.h"
#include "http/servicereply.h"

#include <QDateTime>
#include <QObject>
#include <QVector>

#include <optional>

class QTimer;
class TmMtgQueryHttp;

// The signed-in user's meetings for the whole session, the one copy of the
// list: the home screen's rows, the reminders, calendar export and the
// coordinator's id look-ups all read it.
//
// start() at sign-in loads the list and asks again every
// Waits::meetingListRefreshMs, when the service answers again after being
// unreachable, and whenever someone calls refresh() (after the user's own
// create, change or close). A failed refresh keeps the last good list.
// stop() at sign-out forgets it.
//
// meetingsChanged() comes when the list held differs from the one before
// (the first list always); refreshFinished() after every answer, good or not.
class MeetingStore final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(MeetingStore)

public:
    explicit MeetingStore(QObject *parent = nullptr);
    ~MeetingStore() override;

    void start();
    void stop();
    bool isRunning() const { return m_running; }
    // Asks the service now; one request at a time (a refresh asked for
    // while one is out follows it).
    void refresh();
    bool isLoading() const { return m_loading; }

    const QVector<MeetingRecord> &meetings() const { return m_meetings; }
    // A list has arrived since start().
    bool hasList() const { return m_updatedAt.isValid(); }
    // When the list held arrived (local time); invalid before the first.
    QDateTime updatedAt() const { return m_updatedAt; }
    // The last refresh failed: the list held is older than it should be.
    bool isStale() const { return m_stale; }
    // A list answer as the query request hands it on: the store's own
    // requests end here, benches and screen tests hand it answers of theirs.
    void takeAnswer(const ServiceReply &reply);

    // By meeting number (blanks and dashes ignored) or meeting id.
    std::optional<MeetingRecord> byCode(const QString &meetingCode) const;
    std::optional<MeetingRecord> byId(const QString &meetingId) const;

signals:
    void meetingsChanged();
    void refreshFinished(const ServiceReply &reply);

private:
    void newQuery();

    TmMtgQueryHttp *m_query = nullptr;
    QTimer *m_timer = nullptr;
    QVector<MeetingRecord> m_meetings;
    QDateTime m_updatedAt;
    bool m_running = false;
    bool m_loading = false;
    bool m_again = false;
    bool m_stale = false;
};
