#include "calendar/calendarfile.h"

#include "app/meetingcode.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimeZone>

#include <libical/ical.h>

#include <functional>
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

// The zone a time of the file is read in: libical's own zone of that TZID
// where it has one (the file's VTIMEZONE was written from it), whose rules it
// expands once per run instead of once per read.
const icaltimezone *readZone(struct icaltimetype time)
{
    if (!time.zone)
        return icaltimezone_get_utc_timezone();
    useZoneDataBesideProgram();
    const char *tzid = icaltimezone_get_tzid(const_cast<icaltimezone *>(time.zone));
    if (icaltimezone *known = tzid ? icaltimezone_get_builtin_timezone(tzid) : nullptr)
        return known;
    return time.zone;
}

QDateTime readTime(struct icaltimetype time)
{
    if (icaltime_is_null_time(time))
        return QDateTime();
    return QDateTime::fromSecsSinceEpoch(qint64(icaltime_as_timet_with_zone(time, readZone(time))));
}

QByteArray utf8(const QString &text)
{
    return text.toUtf8();
}

QString withoutControls(QString text, bool keepLineBreaks)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : qAsConst(text)) {
        if (c == QLatin1Char('\n'))
            kept += keepLineBreaks ? c : QLatin1Char(' ');
        else if (c == QLatin1Char('\t') || c.category() != QChar::Other_Control)
            kept += c;
    }
    return kept;
}

icaltimetype utcTime(const QDateTime &time)
{
    return icaltime_from_timet_with_zone(time_t(time.toSecsSinceEpoch()), 0, icaltimezone_get_utc_timezone());
}

bool sameMeeting(const CalendarEvent &a, const CalendarEvent &b)
{
    return a.uid == b.uid && a.start.toSecsSinceEpoch() == b.start.toSecsSinceEpoch() &&
           a.end.toSecsSinceEpoch() == b.end.toSecsSinceEpoch() && a.subject == b.subject &&
           a.description == b.description && a.meetingCode == b.meetingCode && a.url == b.url;
}

// What libical's restriction check finds wrong; it leaves an X-LIC-ERROR
// property wherever it finds a fault.
QStringList restrictionProblems(icalcomponent *calendar)
{
    icalrestriction_check(calendar);
    QStringList found;
    const std::function<void(icalcomponent *)> collect = [&](icalcomponent *c) {
        for (icalproperty *p = icalcomponent_get_first_property(c, ICAL_XLICERROR_PROPERTY); p;
             p = icalcomponent_get_next_property(c, ICAL_XLICERROR_PROPERTY))
            found << ::text(icalproperty_get_xlicerror(p));
        for (icalcomponent *sub = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT); sub;
             sub = icalcomponent_get_next_component(c, ICAL_ANY_COMPONENT))
            collect(sub);
    };
    collect(calendar);
    return found;
}

// The first VEVENT below calendar.
CalendarEvent readEvent(icalcomponent *calendar)
{
    CalendarEvent event;
    icalcomponent *vevent = icalcomponent_isa(calendar) == ICAL_VEVENT_COMPONENT
                                ? calendar
                                : icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
    if (!vevent)
        return event;
    event.uid = ::text(icalcomponent_get_uid(vevent));
    event.subject = ::text(icalcomponent_get_summary(vevent));
    event.description = ::text(icalcomponent_get_description(vevent));
    event.start = readTime(icalcomponent_get_dtstart(vevent));
    event.end = readTime(icalcomponent_get_dtend(vevent));
    event.sequence = icalcomponent_get_sequence(vevent);
    if (icalproperty *url = icalcomponent_get_first_property(vevent, ICAL_URL_PROPERTY))
        event.url = ::text(icalproperty_get_url(url));
    if (icalproperty *modified = icalcomponent_get_first_property(vevent, ICAL_LASTMODIFIED_PROPERTY))
        event.lastModified = readTime(icalproperty_get_lastmodified(modified));
    for (icalproperty *p = icalcomponent_get_first_property(vevent, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(vevent, ICAL_X_PROPERTY)) {
        if (qstrcmp(icalproperty_get_x_name(p), "X-VESK-MEETING-CODE") == 0)
            event.meetingCode = ::text(icalproperty_get_x(p));
    }
    return event;
}

} // namespace

bool CalendarEvent::operator==(const CalendarEvent &other) const
{
    return sameMeeting(*this, other) && sequence == other.sequence &&
           lastModified.toSecsSinceEpoch() == other.lastModified.toSecsSinceEpoch();
}

namespace CalendarFile {

CalendarEvent cleaned(const CalendarEvent &event)
{
    CalendarEvent clean = event;
    clean.uid = withoutControls(event.uid, false).trimmed();
    clean.subject = withoutControls(event.subject, false).trimmed();
    // Calendar readers drop the blanks around a value (line breaks are
    // escaped and stay): written as it will be read.
    clean.description = withoutControls(event.description, true);
    auto blank = [&clean](int i) {
        const QChar c = clean.description.at(i);
        return c.isSpace() && c != QLatin1Char('\n');
    };
    int end = clean.description.size();
    while (end > 0 && blank(end - 1))
        --end;
    int begin = 0;
    while (begin < end && blank(begin))
        ++begin;
    clean.description = clean.description.mid(begin, end - begin);
    clean.meetingCode = withoutControls(event.meetingCode, false).trimmed();
    clean.url = withoutControls(event.url, false).trimmed();
    return clean;
}

QByteArray toICalendar(const CalendarEvent &event)
{
    Component calendar(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_prodid("-//Vesk//VeskMeeting//ZH"));

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
    icalcomponent_add_property(vevent, icalproperty_new_uid(utf8(event.uid).constData()));
    icalcomponent_add_property(vevent, icalproperty_new_dtstamp(utcTime(QDateTime::currentDateTimeUtc())));
    icalcomponent_add_property(vevent, icalproperty_new_sequence(event.sequence));
    if (event.lastModified.isValid())
        icalcomponent_add_property(vevent, icalproperty_new_lastmodified(utcTime(event.lastModified)));
    icalcomponent_add_property(vevent, timeProperty(icalproperty_new_dtstart, event.start, zone, tzid));
    icalcomponent_add_property(vevent, timeProperty(icalproperty_new_dtend, event.end, zone, tzid));
    // libical refuses a property without a value: a meeting without a subject
    // or an invitation text leaves it out.
    if (!event.subject.isEmpty())
        icalcomponent_add_property(vevent, icalproperty_new_summary(utf8(event.subject).constData()));
    if (!event.description.isEmpty())
        icalcomponent_add_property(vevent, icalproperty_new_description(utf8(event.description).constData()));
    if (!event.url.isEmpty())
        icalcomponent_add_property(vevent, icalproperty_new_url(utf8(event.url).constData()));
    if (!event.meetingCode.isEmpty()) {
        const QString location =
            QStringLiteral("Vesk云会议 会议号：%1").arg(MeetingCode::grouped(event.meetingCode));
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

CalendarEvent parse(const QByteArray &text, QStringList *problems)
{
    Component calendar(icalparser_parse_string(text.constData()));
    if (!calendar) {
        if (problems)
            *problems = QStringList{QStringLiteral("not an iCalendar text")};
        return CalendarEvent();
    }
    const CalendarEvent event = readEvent(calendar.get());
    // After the event is read: the check adds X-LIC-ERROR properties.
    if (problems)
        *problems = restrictionProblems(calendar.get());
    return event;
}

QStringList problems(const QByteArray &text)
{
    QStringList found;
    parse(text, &found);
    return found;
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
    CalendarEvent clean = cleaned(event);
    // Written again: the same event, one revision on when the meeting changed.
    QFile previous(path);
    const CalendarEvent last =
        previous.open(QIODevice::ReadOnly) ? parse(previous.read(1 << 20)) : CalendarEvent();
    previous.close();
    if (!last.uid.isEmpty() && last.uid == clean.uid) {
        const bool changed = !sameMeeting(last, clean);
        clean.sequence = changed ? last.sequence + 1 : last.sequence;
        clean.lastModified =
            changed || !last.lastModified.isValid() ? QDateTime::currentDateTimeUtc() : last.lastModified;
    } else {
        clean.sequence = 0;
        clean.lastModified = QDateTime::currentDateTimeUtc();
    }
    const QByteArray ical = toICalendar(clean);
    QStringList faults;
    if (!(parse(ical, &faults) == clean))
        return fail(QStringLiteral("the calendar text does not read back"));
    if (!faults.isEmpty())
        return fail(faults.join(QStringLiteral("; ")));
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(ical) != ical.size()) {
        file.cancelWriting();
        return fail(file.errorString());
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace CalendarFile
