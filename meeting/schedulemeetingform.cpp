// The booking form's looks and its times: the day, the half-hour start
// and the end choices that follow it.
#include "meeting/schedulemeeting.h"
#include "ui_schedulemeeting.h"

#include "app/basevalues.h"
#include "http/jsonread.h"
#include "http/meetingrecord.h"
#include "http/tmmtgcreatehttp.h"
#include "http/tmmtgmaxpeoplehttp.h"
#include "http/tmmtgquerydhttp.h"
#include "http/usermessage.h"
#include "sdk/wemeetmanager.h"
#include "widgets/focuswheel.h"
#include "widgets/messages.h"
#include "widgets/waitingspinnerwidget.h"

#include <QCalendarWidget>
#include <QColor>
#include <QEvent>
#include <QIcon>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QLayout>
#include <QLocale>
#include <QPalette>
#include <QPushButton>
#include <QRegExp>
#include <QRegExpValidator>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStyle>
#include <QTextCharFormat>
#include <QTimeEdit>
#include <QTimeZone>
#include <QToolButton>

#include <algorithm>

namespace {

// Days outside the calendar's range in grey, as the rest of the product
// shows what cannot be chosen.
class OutOfRangeGrey final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            auto *calendar = static_cast<QCalendarWidget *>(watched);
            calendar->setDateTextFormat(QDate(), QTextCharFormat());
            QTextCharFormat outside;
            outside.setForeground(QColor(0xBB, 0xBB, 0xBB));
            // The pop-up shows at most six weeks around the month in view.
            const QDate first = calendar->minimumDate();
            const QDate last = calendar->maximumDate();
            for (QDate day = first.addDays(-42); day < first; day = day.addDays(1))
                calendar->setDateTextFormat(day, outside);
            for (QDate day = last.addDays(1); day <= last.addDays(42) && day.year() < 9000;
                 day = day.addDays(1))
                calendar->setDateTextFormat(day, outside);
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void ScheduleMeeting::setUpLooks()
{
    ui->lblTitle->setObjectName(QStringLiteral("messageQLabel"));
    ui->pBtnClose->setObjectName(QStringLiteral("titlePushButton"));
    // The title spans the window and lies over the close button.
    ui->pBtnClose->raise();
    ui->splitLineTop->setObjectName(QStringLiteral("titleSplitLine"));
    ui->splitLineBottom->setObjectName(QStringLiteral("titleSplitLine"));

    auto *bar = new QScrollBar(Qt::Vertical, ui->scrollArea);
    bar->setObjectName(QStringLiteral("shareInfoQScrollBar"));
    ui->scrollArea->setVerticalScrollBar(bar);
    ui->scrollAreaWidgetContents->setObjectName(QStringLiteral("backgroundWidget"));

    const QString sectionStyle = QStringLiteral("QLabel{color: #333333;font-size: 14px;}");
    for (QLabel *label : {ui->lblMtgName, ui->lblMtgStartTime, ui->lblMtgEndTime, ui->lblMtgMaxPerson,
                          ui->lblMtgPassword, ui->lblMtgSetting})
        label->setStyleSheet(sectionStyle);
    ui->lblMtgMaxPersonCount->setStyleSheet(QStringLiteral("QLabel{color: #666666;font-size: 14px;}"));
    ui->lblMtgMaxPersonTips->setStyleSheet(
        QStringLiteral("QLabel{color: #003A85;background: #D9EAFF;padding: 10px;font-size: 14px;"
                       "border: 1px solid #D9EAFF;border-radius: 4px;}"));

    ui->lEditMtgName->setObjectName(QStringLiteral("normalQLineEdit"));
    ui->IEditMtgPassword->setObjectName(QStringLiteral("underlineQLineEdit"));
    ui->IEditMtgPassword->setValidator(new QRegExpValidator(QRegExp(passwordPattern), ui->IEditMtgPassword));
    ui->IEditMtgPassword->clear();
    ui->IEditMtgPassword->hide();
    ui->pBtnBookMeeting->setObjectName(QStringLiteral("defaultQPushButton"));

    // The form names the pickers; the style sheet knows them by their class name.
    ui->wtStartTime->setObjectName(QStringLiteral("VeskDateTimeComboBox"));
    ui->wtEndTime->setObjectName(QStringLiteral("VeskDateTimeComboBox"));
    ui->wtStartTime->setShowDuration(false);
    ui->wtEndTime->setShowDuration(true);

    // The scroll area showed its contents while the form was built, so they
    // were polished under their form names; the style names need a fresh polish.
    QList<QWidget *> renamed{ui->scrollAreaWidgetContents};
    renamed += ui->scrollAreaWidgetContents->findChildren<QWidget *>();
    for (QWidget *widget : renamed) {
        widget->style()->unpolish(widget);
        widget->style()->polish(widget);
    }

    // The pickers stand last in the form; the keyboard meets them beside
    // their dates.
    QList<QWidget *> chain{ui->lEditMtgName, ui->IEditMtgStartDate};
    for (VeskDateTimeComboBox *picker : {ui->wtStartTime, ui->wtEndTime}) {
        for (QWidget *part : picker->findChildren<QWidget *>()) {
            if (qobject_cast<QTimeEdit *>(part) || qobject_cast<QPushButton *>(part))
                chain << part;
        }
        if (picker == ui->wtStartTime)
            chain << ui->IEditMtgEndDate;
    }
    chain << ui->chkBoxSetPassword << ui->IEditMtgPassword << ui->chkBoxSetWaitroom << ui->chkBoxSetPreJoin
          << ui->chkBoxSetMuteJoin << ui->chkBoxSetWatermark << ui->pBtnBookMeeting;
    for (int i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain.at(i - 1), chain.at(i));

    // Month and weekday names in the calendar pop-ups match the rest of the client.
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    for (QDateEdit *edit : {ui->IEditMtgStartDate, ui->IEditMtgEndDate}) {
        edit->setLocale(chinese);
        QCalendarWidget *calendar = edit->calendarWidget();
        calendar->setLocale(chinese);
        calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
        styleCalendar(calendar);
        FocusWheel::install(edit);
    }
}

// The pop-up in the product's looks: framed (it opens over the white form),
// a plain white bar with arrows in its text colour (the stock ones are
// green), days in the form's type size, those that cannot be booked grey.
void ScheduleMeeting::styleCalendar(QCalendarWidget *calendar)
{
    calendar->setStyleSheet(
        QStringLiteral("QCalendarWidget QWidget#qt_calendar_navigationbar { background-color: #FFFFFF;"
                       " border-bottom: 1px solid #EEEEEE; }"
                       "QCalendarWidget QToolButton { color: #333333; background: transparent; border: none;"
                       " font-size: 14px; padding: 2px 6px; }"
                       "QCalendarWidget QToolButton:hover { color: #006FFF; }"
                       "QCalendarWidget QAbstractItemView { selection-background-color: #006FFF;"
                       " selection-color: #FFFFFF; outline: none; }"
                       "QCalendarWidget QAbstractItemView:disabled { color: #BBBBBB; }"));
    // A font, not a style sheet size: the pop-up's height is taken from it.
    QFont days = calendar->font();
    days.setPixelSize(13);
    calendar->setFont(days);
    const std::pair<const char *, QString> arrows[] = {{"qt_calendar_prevmonth", QStringLiteral("‹")},
                                                       {"qt_calendar_nextmonth", QStringLiteral("›")}};
    for (const auto &[name, text] : arrows) {
        if (auto *button = calendar->findChild<QToolButton *>(QLatin1String(name))) {
            button->setIcon(QIcon());
            button->setText(text);
            button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        }
    }
    // A frame where the pop-up opens over the white form: the pop-up window
    // shows one pixel of its own background around the calendar, counted in
    // the size it asks for.
    if (QWidget *popup = calendar->parentWidget(); popup && popup->layout()) {
        popup->layout()->setContentsMargins(1, 1, 1, 1);
        QPalette frame = popup->palette();
        frame.setColor(QPalette::Window, QColor(0xD9, 0xD9, 0xD9));
        popup->setPalette(frame);
        popup->setAutoFillBackground(true);
    }
    // The range changes with the other date; it is read when the pop-up shows.
    calendar->installEventFilter(new OutOfRangeGrey(calendar));
}

// --- times ----------------------------------------------------------------------

QDateTime ScheduleMeeting::defaultStart(const QDateTime &now)
{
    const QDateTime hour(now.date(), QTime(now.time().hour(), 0));
    return hour.addSecs(now.time().minute() < 30 ? 1800 : 3600);
}

QList<QDateTime> ScheduleMeeting::dayTimes(const QDate &date)
{
    // Today's half-hours that have passed cannot be booked.
    const QDateTime earliest = defaultStart(clock());
    QList<QDateTime> times;
    for (int i = 0; i < 48; ++i) {
        const QDateTime time(date, QTime(i / 2, (i % 2) * 30));
        if (time >= earliest || date > earliest.date())
            times << time;
    }
    return times;
}

QList<QDateTime> ScheduleMeeting::endCandidates(const QDateTime &start)
{
    QList<QDateTime> ends;
    for (int i = 1; i <= 48; ++i)
        ends << start.addSecs(i * 1800);
    return ends;
}

void ScheduleMeeting::setDefaultTimes()
{
    const QDateTime start = defaultStart(clock());
    ui->IEditMtgStartDate->setMinimumDate(start.date());
    ui->IEditMtgStartDate->setDate(start.date());
    ui->wtStartTime->setDateTimeList(dayTimes(start.date()));
    ui->wtStartTime->setDateTime(start);

    const QList<QDateTime> ends = endCandidates(start);
    ui->wtEndTime->setDateTimeList(ends);
    ui->wtEndTime->setDateTime(ends.first());
    ui->IEditMtgEndDate->setDateRange(start.date(), start.date().addDays(1));
    ui->IEditMtgEndDate->setDate(ends.first().date());
}

QDateTime ScheduleMeeting::startDateTime() const
{
    const QTime time = ui->wtStartTime->dateTime().time();
    return QDateTime(ui->IEditMtgStartDate->date(), QTime(time.hour(), time.minute()));
}

QDateTime ScheduleMeeting::endDateTime() const
{
    const QTime time = ui->wtEndTime->dateTime().time();
    return QDateTime(ui->IEditMtgEndDate->date(), QTime(time.hour(), time.minute()));
}

void ScheduleMeeting::startDateTimeChangedSlot(QDateTime datetime)
{
    const QDateTime start(ui->IEditMtgStartDate->date(),
                          QTime(datetime.time().hour(), datetime.time().minute()));
    const QList<QDateTime> ends = endCandidates(start);
    ui->IEditMtgEndDate->setDate(ends.first().date());
    ui->wtEndTime->setDateTimeList(ends);
    ui->wtEndTime->setDateTime(ends.first());
}

void ScheduleMeeting::onMtgStartDateChanged(QDate date)
{
    // Today offers only the times still ahead; another day all of them.
    const QTime chosen = ui->wtStartTime->dateTime().time();
    QList<QDateTime> times = dayTimes(date);
    if (!times.isEmpty()) {
        ui->wtStartTime->setDateTimeList(times);
        const QDateTime same(date, chosen);
        ui->wtStartTime->setDateTime(same >= times.first() ? same : times.first());
    }
    ui->IEditMtgEndDate->setDateRange(date, date.addDays(1));
    startDateTimeChangedSlot(ui->wtStartTime->dateTime());
}

void ScheduleMeeting::endDateTimeChangedSlot(QDateTime datetime)
{
    ui->IEditMtgEndDate->setDate(datetime.date());
}
