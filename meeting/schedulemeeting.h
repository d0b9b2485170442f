#pragma once

#include "calendar/calendarfile.h"
#include "http/servicereply.h"
#include "widgets/borderdialog.h"

#include <QDate>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <functional>

class TmMtgCreateHttp;
class TmMtgMaxPeopleHttp;
class TmMtgQueryDHttp;
class WaitingSpinnerWidget;

class QCalendarWidget;

namespace Ui {
class ScheduleMeeting;
}

// Schedules a new meeting (empty meeting code) or changes an existing one.
// Shows the room size the user may book, fills the form from the service's
// detail when changing, checks times and password, and sends one create
// request. On success it tells its opener through sendTmMtgUpdatedSignal()
// and closes.
class ScheduleMeeting final : public BorderDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(ScheduleMeeting)

public:
    explicit ScheduleMeeting(QString meetingCode, QWidget *parent = nullptr);
    ~ScheduleMeeting() override;

    // The local time the dialog works from; tests replace it.
    static inline std::function<QDateTime()> clock = &QDateTime::currentDateTime;

    // The proposed start for a given moment: the next half or full hour.
    static QDateTime defaultStart(const QDateTime &now);
    // The 48 half-hour times of a day, 00:00 to 23:30.
    static QList<QDateTime> dayTimes(const QDate &date);
    static void styleCalendar(QCalendarWidget *calendar);
    // The ends offered for a start: start + 30 minutes up to start + 24 hours.
    static QList<QDateTime> endCandidates(const QDateTime &start);

    QString meetingCode() const { return m_meetingCode; }

signals:
    void ui_loaded();
    void sendTmMtgUpdatedSignal();
    // The meeting as booked or changed (no description), for the notice that
    // offers it to the calendar.
    void meetingSavedSignal(CalendarEvent event, bool created);

public slots:
    void onCloseBtnClicked();
    void onSetPasswordChkBoxToggled(bool checked);
    void onMtgStartDateChanged(QDate date);
    void loadTmMtgMaxPem();
    void loadTmMtgDetail();
    void tmMtgDetailResultSlot(QString result, ServiceReply reply);
    void tmMtgCreateResultSlot(QString result, ServiceReply reply);
    void tmMtgMaxPersonSlot(QString result, ServiceReply reply);
    void comfirmBtnEnabledStatusSlot();
    void onBookMeetingBtnClicked();
    void wmForcedLogoutCompleteSlot();
    void startDateTimeChangedSlot(QDateTime datetime);
    void endDateTimeChangedSlot(QDateTime datetime);

private:
    // What a meeting password may be: four to six digits.
    static inline const QString passwordPattern = QStringLiteral("^\\d{4,6}$");
    void setUpLooks();
    void setDefaultTimes();
    void fillFromDetail();
    QDateTime startDateTime() const;
    QDateTime endDateTime() const;
    // The text of the first failed check, empty when the form may be sent.
    QString validationMessage() const;
    QString requestBody() const;
    // A change is only sent once the stored meeting is known: without it the
    // body would lack the id and the service would create a second meeting.
    bool detailLoaded() const { return m_meetingCode.isEmpty() || !m_detail.isEmpty(); }

    Ui::ScheduleMeeting *ui = nullptr;
    QString m_meetingCode;
    QJsonObject m_detail;
    TmMtgQueryDHttp *m_detailRequest = nullptr;
    TmMtgCreateHttp *m_createRequest = nullptr;
    TmMtgMaxPeopleHttp *m_maxPeopleRequest = nullptr;
    WaitingSpinnerWidget *m_spinner = nullptr;
    // A room-size answer arriving after its time-out result must not load
    // the detail a second time.
    bool m_roomSizeAnswered = false;
};
