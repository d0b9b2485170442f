#pragma once

#include "calendar/calendarfile.h"
#include "meetings/meetingactions.h"

#include <functional>

class QWidget;

// What the user sees when one of the session's meeting actions ends, over
// the screen that asked (centred on the screen when none did).
namespace MeetingOutcomes {

// A join that did not end in the meeting: a notice, a message, or the
// admission window, whose success calls admitted.
void showJoin(QWidget *screen, const JoinOutcome &outcome, const std::function<void()> &admitted);

// An invitation (its window, with the listed meeting's calendar entry), a
// closed meeting, an activity page that could not be opened; failures as notices.
void show(QWidget *screen, const MeetingOutcome &outcome, const CalendarEvent &listed);

// A meeting was booked or changed: text says so, with "添加到日历" when the
// event is complete; a click adds it with the invitation as description.
void offerCalendar(QWidget *screen, MeetingActions *actions, const CalendarEvent &event, const QString &text);

} // namespace MeetingOutcomes
