#include "meeting/meetingoutcomes.h"

#include "app/basevalues.h"
#include "app/uitexts.h"
#include "app/waits.h"
#include "calendar/calendarexport.h"
#include "meeting/activityapprove.h"
#include "meeting/sharemeeting.h"
#include "session/navigator.h"
#include "widgets/messages.h"
#include "widgets/snackbar.h"

#include <memory>

namespace MeetingOutcomes {

void showJoin(QWidget *screen, const JoinOutcome &outcome, const std::function<void()> &admitted)
{
    switch (outcome.kind) {
    case JoinOutcome::Kind::JoinFailed:
        Snackbar::showMessage(outcome.text, screen, Waits::noticeMs);
        break;
    case JoinOutcome::Kind::Approve: {
        ActivityApprove *approve =
            Navigator::instance()->openActivityApprove(screen, outcome.text, baseValues->meetingId,
                                                       baseValues->telephone, baseValues->mobileCountryCode);
        QObject::connect(approve, &ActivityApprove::sendWmSdkInitSignal, approve, admitted);
        break;
    }
    case JoinOutcome::Kind::Refused:
        Messages::tell(screen, outcome.text, UiText::ok);
        break;
    case JoinOutcome::Kind::Notice:
        Messages::notice(screen, outcome.text);
        break;
    default:
        break;
    }
}

void show(QWidget *screen, const MeetingOutcome &outcome, const CalendarEvent &listed)
{
    using Action = MeetingOutcome::Action;
    switch (outcome.action) {
    case Action::Invite:
        if (outcome.succeeded) {
            CalendarEvent event = listed;
            event.url = outcome.link;
            Navigator::instance()->openInvitation(outcome.text, screen)->setCalendarEvent(event);
        } else
            Snackbar::showMessage(outcome.text, screen, Waits::noticeMs);
        break;
    case Action::Close:
        if (outcome.succeeded)
            Messages::notice(screen, outcome.text);
        else
            Snackbar::showMessage(outcome.text, nullptr, Waits::noticeMs);
        break;
    case Action::ActivityPage:
    case Action::CalendarText:
        if (!outcome.succeeded && !outcome.text.isEmpty())
            Messages::notice(screen, outcome.text);
        break;
    }
}

void offerCalendar(QWidget *screen, MeetingActions *actions, const CalendarEvent &event, const QString &text)
{
    if (!CalendarExport::isComplete(event)) {
        Messages::notice(screen, text);
        return;
    }
    Messages::noticeWithAction(screen, text, QStringLiteral("添加到日历"), [screen, actions, event] {
        auto connection = std::make_shared<QMetaObject::Connection>();
        *connection = QObject::connect(actions, &MeetingActions::finished, screen,
                                       [screen, event, connection](const MeetingOutcome &outcome) {
                                           if (outcome.action != MeetingOutcome::Action::CalendarText ||
                                               outcome.meeting != event.meetingCode)
                                               return;
                                           QObject::disconnect(*connection);
                                           if (!outcome.succeeded)
                                               return;
                                           // The description is the invitation exactly as "复制" gives it.
                                           CalendarEvent complete = event;
                                           complete.description = outcome.text;
                                           complete.url = outcome.link;
                                           CalendarExport::addToCalendar(screen, complete);
                                       });
        actions->fetchCalendarText(event.meetingCode);
    });
}

} // namespace MeetingOutcomes
