#include "app/calendarfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimeZone>

#include <libical/ical.h>

#include <memory>

namespace {

struct ComponentFree
{
    void operator()(icalcomponent *component) const { icalcomponent_free(component); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

// On Windows libical's zone data ships beside the program, not where its
// build put it; without it every calendar file would fall back to UTC.
void useZoneDataBesideProgram()
{
#ifdef _WIN32
    static const bool done = [] {
        const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/zoneinfo");
        set_zone_directory(QDir::toNativeSeparators(folder).toLocal8Bit().constData());
        return true;
    }();
    (void)done;
#endif
}

// The zone libical knows for the meeting's time, null for UTC or an unknown zone.
icaltimezone *zoneFor(const QDateTime &time)
{
    useZoneDataBesideProgram();
    const QTimeZone zone = time.timeSpec() == Qt::TimeZone ? time.timeZone() : QTimeZone::systemTimeZone();
    const QByteArray id = zone.id();
    if (id.isEmpty() || id == "UTC" || time.timeSpec() == Qt::UTC)
        return nullptr;
    return icaltimezone_get_builtin_timezone(id.constData());
}

icalproperty *timeProperty(icalproperty *(*make)(struct icaltimetype), const QDateTime &time,
                           icaltimezone *zone, const QByteArray &tzid)
{
    const time_t seconds = time_t(time.toSecsSinceEpoch());
    if (!zone)
        return make(icaltime_from_timet_with_zone(seconds, 0, icaltimezone_get_utc_timezone()));
    // The wall-clock time of the zone, written with its TZID.
    struct icaltimetype local = icaltime_from_timet_with_zone(seconds, 0, zone);
    local.zone = zone;
    icalproperty *property = make(local);
    icalproperty_remove_parameter_by_kind(property, ICAL_TZID_PARAMETER);
    icalproperty_add_parameter(property, icalparameter_new_tzid(tzid.constData()));
    return property;
}

QString text(const char *value)
{
    return value ? QString::fromUtf8(value) : QString();
}

QDateTime readTime(struct icaltimetype time)
{
    if (icaltime_is_null_time(time))
        return QDateTime();
    const icaltimezone *zone = time.zone ? time.zone : icaltimezone_get_utc_timezone();
    return QDateTime::fromSecsSinceEpoch(qint64(icaltime_as_timet_with_zone(time, zone)));
}

QString groupedCode(const QString &code)
{
    // The same groups as the list shows; kept here so the core needs no screen code.
    const int n = code.size();
    QList<int> cuts;
    if (n >= 4 && n <= 6)
        cuts = {3};
    else if (n >= 7 && n <= 10)
        cuts = {3, 6};
    else if (n == 11)
        cuts = {3, 7};
    else if (n >= 12)
        cuts = {4, 8};
    QString grouped = code;
    for (int i = cuts.size() - 1; i >= 0; --i)
        grouped.insert(cuts.at(i), QStringLiteral("  "));
    return grouped;
}

} // namespace

bool CalendarEvent::operator==(const CalendarEvent &other) const
{
    return uid == other.uid && start.toSecsSinceEpoch() == other.start.toSecsSinceEpoch() &&
           end.toSecsSinceEpoch() == other.end.toSecsSinceEpoch() && subject == other.subject &&
           description == other.description && meetingCode == other.meetingCode;
}

namespace CalendarFile {

QByteArray toICalendar(const CalendarEvent &event)
{
    Component calendar(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_prodid("-//Vesk//VeskMeeting//ZH"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_method(ICAL_METHOD_PUBLISH));

    icaltimezone *zone = zoneFor(event.start);
    QByteArray tzid;
    if (zone) {
        // Calendar programs need the zone's rules, and know it by its plain
        // IANA name rather than libical's prefixed one.
        if (icalcomponent *vtimezone = icaltimezone_get_component(zone)) {
            tzid = icaltimezone_get_location(zone);
            icalcomponent *copy = icalcomponent_new_clone(vtimezone);
            if (icalproperty *id = icalcomponent_get_first_property(copy, ICAL_TZID_PROPERTY))
                icalproperty_set_tzid(id, tzid.constData());
            icalcomponent_add_component(calendar.get(), copy);
        } else {
            zone = nullptr;
        }
    }

    icalcomponent *vevent = icalcomponent_new(ICAL_VEVENT_COMPONENT);
    icalcomponent_add_property(vevent, icalproperty_new_uid(event.uid.toUtf8().constData()));
    icalcomponent_add_property(
        vevent, icalproperty_new_dtstamp(icaltime_from_timet_with_zone(
                    time_t(QDateTime::currentSecsSinceEpoch()), 0, icaltimezone_get_utc_timezone())));
    icalcomponent_add_property(vevent, timeProperty(icalproperty_new_dtstart, event.start, zone, tzid));
    icalcomponent_add_property(vevent, timeProperty(icalproperty_new_dtend, event.end, zone, tzid));
    icalcomponent_add_property(vevent, icalproperty_new_summary(event.subject.toUtf8().constData()));
    icalcomponent_add_property(vevent, icalproperty_new_description(event.description.toUtf8().constData()));
    if (!event.meetingCode.isEmpty()) {
        const QString location = QStringLiteral("Vesk云会议 会议号：%1").arg(groupedCode(event.meetingCode));
        icalcomponent_add_property(vevent, icalproperty_new_location(location.toUtf8().constData()));
        icalproperty *code = icalproperty_new_x(event.meetingCode.toUtf8().constData());
        icalproperty_set_x_name(code, "X-VESK-MEETING-CODE");
        icalcomponent_add_property(vevent, code);
    }
    icalcomponent_add_component(calendar.get(), vevent);

    char *ical = icalcomponent_as_ical_string_r(calendar.get());
    const QByteArray result(ical);
    icalmemory_free_buffer(ical);
    return result;
}

CalendarEvent parse(const QByteArray &text)
{
    CalendarEvent event;
    Component calendar(icalparser_parse_string(text.constData()));
    if (!calendar)
        return event;
    icalcomponent *vevent = icalcomponent_isa(calendar.get()) == ICAL_VEVENT_COMPONENT
                                ? calendar.get()
                                : icalcomponent_get_first_component(calendar.get(), ICAL_VEVENT_COMPONENT);
    if (!vevent)
        return event;
    event.uid = ::text(icalcomponent_get_uid(vevent));
    event.subject = ::text(icalcomponent_get_summary(vevent));
    event.description = ::text(icalcomponent_get_description(vevent));
    // Resolved against the calendar's own VTIMEZONE.
    event.start = readTime(icalcomponent_get_dtstart(vevent));
    event.end = readTime(icalcomponent_get_dtend(vevent));
    for (icalproperty *p = icalcomponent_get_first_property(vevent, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(vevent, ICAL_X_PROPERTY)) {
        if (qstrcmp(icalproperty_get_x_name(p), "X-VESK-MEETING-CODE") == 0)
            event.meetingCode = ::text(icalproperty_get_x(p));
    }
    return event;
}

QString pathFor(const CalendarEvent &event)
{
    QString name = event.meetingCode.isEmpty() ? event.uid : event.meetingCode;
    // Only what is safe in a file name on every system.
    name.replace(QRegularExpression(QStringLiteral("[^0-9A-Za-z_-]")), QStringLiteral("_"));
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/VeskMeeting_%1.ics").arg(name);
}

bool write(const CalendarEvent &event, const QString &path, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    const QByteArray ical = toICalendar(event);
    if (!(parse(ical) == event))
        return fail(QStringLiteral("the calendar text does not read back"));
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    if (file.write(ical) != ical.size()) {
        file.cancelWriting();
        return fail(file.errorString());
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace CalendarFile
