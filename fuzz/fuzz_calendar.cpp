// Calendar export of a meeting whose subject, invitation text, number and
// join link come from the service: whatever they hold, the file passes
// libical's own check and reads back as the meeting it was written from.
// An input's fields are separated by 0x1f; its first byte picks the start.

#include "fuzzsupport.h"

#include "calendar/calendarfile.h"

#include <QTimeZone>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzsupport::start(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const QList<QByteArray> fields = fuzzsupport::bytes(data + 1, size - 1).split('\x1f');
    auto field = [&fields](int i) { return i < fields.size() ? QString::fromUtf8(fields.at(i)) : QString(); };

    // The zone's rules are the same block in every file and cost most of a
    // run: one input in eight has them, the rest are in UTC.
    static const QTimeZone shanghai("Asia/Shanghai");
    static const QTimeZone utc = QTimeZone::utc();
    CalendarEvent event;
    event.uid = field(0) + QStringLiteral("@veskmeeting");
    event.subject = field(1);
    event.description = field(2);
    event.meetingCode = field(3);
    event.url = field(4);
    event.start = QDateTime(QDate(2026, 1, 1).addDays(data[0]), QTime(9, 30), data[0] % 8 ? utc : shanghai);
    event.end = event.start.addSecs(data[0] % 2 ? 1800 : 86400);
    event.sequence = data[0] % 3;
    event.lastModified = QDateTime(QDate(2026, 12, 9), QTime(12, 0), Qt::UTC);

    // As the export writes it: cleaned first.
    const CalendarEvent written = CalendarFile::cleaned(event);
    const QByteArray text = CalendarFile::toICalendar(written);
    QStringList problems;
    const CalendarEvent read = CalendarFile::parse(text, &problems);
    if (!problems.isEmpty())
        __builtin_trap();
    // An empty uid is left out of the file; anything else comes back whole.
    if (!written.uid.isEmpty() && !(read == written))
        __builtin_trap();
    return 0;
}
