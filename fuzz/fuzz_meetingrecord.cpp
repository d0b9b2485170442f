// The meeting list answer as the service sends it, read into records and
// handed to the reminders the way every refresh does: times the service
// gets wrong are left out, never overflow, and however many meetings fall
// due at once only a few reminders show.

#include "fuzzsupport.h"

#include "http/meetingrecord.h"
#include "reminders/meetingreminders.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzsupport::start(argc, argv);
    return 0;
}

namespace {
// 9999-12-31 23:59:59 UTC: the last second a record may name.
constexpr qint64 lastSecond = 253402300799;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QJsonDocument document = QJsonDocument::fromJson(fuzzsupport::bytes(data, size));
    // The answer's "result", or a bare list.
    const QJsonArray list =
        document.isArray() ? document.array() : document.object().value(QStringLiteral("result")).toArray();
    const QVector<MeetingRecord> records = MeetingRecord::readList(list);
    // The list is its usable meetings, one by one, in the service's order.
    int k = 0;
    for (const QJsonValue &meeting : list) {
        const std::optional<MeetingRecord> one = MeetingRecord::read(meeting.toObject());
        if (one && (k >= records.size() || records.at(k++) != *one))
            __builtin_trap();
    }
    if (k != records.size())
        __builtin_trap();
    for (const MeetingRecord &r : records) {
        if (r.startSecs < 0 || r.endSecs < r.startSecs || r.endSecs > lastSecond)
            __builtin_trap();
    }

    // The reminders at the first meeting's start, then an hour later.
    MeetingReminders reminders;
    qint64 nowMs = records.isEmpty() ? 0 : records.first().startSecs * 1000;
    reminders.setClock([&nowMs] { return nowMs; });
    reminders.setMeetings(MeetingReminders::fromRecords(records));
    for (int step = 0; step < 2; ++step) {
        reminders.check();
        if (reminders.shown().size() > MeetingReminders::maxShown || reminders.waitingCount() < 0)
            __builtin_trap();
        nowMs += 3600 * 1000;
    }
    return 0;
}
