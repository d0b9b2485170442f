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
#include <QLocale>
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

// A stored member, or the fallback when the service left it out or null.
QJsonValue storedOr(const QJsonObject &object, const QString &key, const QJsonValue &fallback)
{
    const QJsonValue value = object.value(key);
    return value.isUndefined() || value.isNull() ? fallback : value;
}

} // namespace

ScheduleMeeting::ScheduleMeeting(QString meetingCode, QWidget *parent)
    : BorderDialog(parent), ui(new Ui::ScheduleMeeting), m_meetingCode(meetingCode)
{
    ui->setupUi(this);

    const bool change = !m_meetingCode.isEmpty();
    const QString title = change ? QStringLiteral("修改会议") : QStringLiteral("预定会议");
    setUpWindow(title);
    ui->lblTitle->setText(title);
    ui->pBtnBookMeeting->setText(change ? QStringLiteral("确认修改") : QStringLiteral("预定会议"));
    setUpLooks();
    setDefaultTimes();

    m_spinner = new WaitingSpinnerWidget(this, true, true);
    m_detailRequest = new TmMtgQueryDHttp(this);
    m_createRequest = new TmMtgCreateHttp(this);
    m_maxPeopleRequest = new TmMtgMaxPeopleHttp(this);
    connect(m_detailRequest, &TmMtgQueryDHttp::sendTmMtgQueryDResultSignal, this,
            &ScheduleMeeting::tmMtgDetailResultSlot);
    connect(m_createRequest, &TmMtgCreateHttp::sendTmMtgCreateResultSignal, this,
            &ScheduleMeeting::tmMtgCreateResultSlot);
    connect(m_maxPeopleRequest, &TmMtgMaxPeopleHttp::sendTmMtgMaxPeopleResultSignal, this,
            &ScheduleMeeting::tmMtgMaxPersonSlot);

    connect(ui->pBtnClose, &QPushButton::clicked, this, &ScheduleMeeting::onCloseBtnClicked);
    connect(ui->lEditMtgName, &QLineEdit::textChanged, this, &ScheduleMeeting::comfirmBtnEnabledStatusSlot);

    connect(ui->IEditMtgStartDate, &QDateEdit::dateChanged, this, &ScheduleMeeting::onMtgStartDateChanged);
    connect(ui->wtStartTime, &VeskDateTimeComboBox::dateTimeChanged, this,
            &ScheduleMeeting::startDateTimeChangedSlot);
    connect(ui->wtEndTime, &VeskDateTimeComboBox::dateTimeChanged, this,
            &ScheduleMeeting::endDateTimeChangedSlot);

    ui->lblMtgMaxPersonCount->setTextInteractionFlags(Qt::LinksAccessibleByMouse |
                                                      Qt::LinksAccessibleByKeyboard);
    connect(ui->lblMtgMaxPersonCount, &QLabel::linkActivated, this, [this] {
        ui->lblMtgMaxPersonCount->setText(QStringLiteral("正在获取..."));
        m_maxPeopleRequest->request(baseValues->tenantInfo);
    });
    connect(ui->chkBoxSetPassword, &QCheckBox::toggled, this, &ScheduleMeeting::onSetPasswordChkBoxToggled);
    connect(ui->pBtnBookMeeting, &QPushButton::clicked, this, &ScheduleMeeting::onBookMeetingBtnClicked);

    WeMeetManager *manager = WeMeetManager::instance();
    connect(manager, &WeMeetManager::OnForcedLogoutFinishSignal, this,
            &ScheduleMeeting::wmForcedLogoutCompleteSlot);
    connect(manager, &WeMeetManager::linkJoinMeetingSignal, this, &ScheduleMeeting::onCloseBtnClicked);

    comfirmBtnEnabledStatusSlot();
    // Loading starts once the opener has placed and shown the dialog.
    connect(this, &ScheduleMeeting::ui_loaded, this, &ScheduleMeeting::loadTmMtgMaxPem, Qt::QueuedConnection);
    emit ui_loaded();
}

ScheduleMeeting::~ScheduleMeeting()
{
    delete ui;
}

// --- loading ----------------------------------------------------------------------

void ScheduleMeeting::loadTmMtgMaxPem()
{
    if (m_meetingCode.isEmpty()) {
        ui->lEditMtgName->setText(QStringLiteral("%1预定的会议").arg(baseValues->meetingPersonName));
        ui->chkBoxSetPreJoin->setChecked(true);
        ui->chkBoxSetMuteJoin->setChecked(true);
    }
    m_spinner->setText(QStringLiteral("正在加载..."));
    m_spinner->start();
    m_maxPeopleRequest->request(baseValues->tenantInfo);
}

void ScheduleMeeting::tmMtgMaxPersonSlot(QString result, ServiceReply reply)
{
    Q_UNUSED(result)
    const bool first = !m_roomSizeAnswered;
    m_roomSizeAnswered = true;
    if (reply.succeeded())
        ui->lblMtgMaxPersonCount->setText(
            QStringLiteral("%1人").arg(QString::number(reply.value.toDouble(), 'g', 6)));
    else if (!ui->lblMtgMaxPersonCount->text().endsWith(QStringLiteral("人")))
        // A guessed figure would be taken for the company's limit.
        ui->lblMtgMaxPersonCount->setText(QStringLiteral(
            "未知，<a style='color: #006FFF; text-decoration: none' href='retry'>重新获取</a>"));
    if (!first)
        return;
    m_spinner->stop();
    if (!reply.succeeded())
        Messages::notice(this, userMessage(reply));
    // The room size is only shown; a change still needs the stored meeting.
    if (!m_meetingCode.isEmpty())
        loadTmMtgDetail();
}

void ScheduleMeeting::loadTmMtgDetail()
{
    m_spinner->setText(QStringLiteral("正在加载..."));
    m_spinner->start();
    m_detailRequest->request(baseValues->tenantInfo, m_meetingCode);
}

void ScheduleMeeting::tmMtgDetailResultSlot(QString result, ServiceReply reply)
{
    Q_UNUSED(result)
    m_spinner->stop();
    if (!reply.succeeded()) {
        Messages::notice(this, userMessage(reply));
        return;
    }
    // A second answer (after a time-out) must not undo what the user changed since.
    const QJsonArray meetings = reply.value.toArray();
    if (!m_detail.isEmpty() || meetings.isEmpty())
        return;
    m_detail = meetings.first().toObject();
    fillFromDetail();
    comfirmBtnEnabledStatusSlot();
}

void ScheduleMeeting::fillFromDetail()
{
    ui->lEditMtgName->setText(
        QStringLiteral("%1").arg(JsonRead::text(m_detail.value(QStringLiteral("subject")))));

    const std::optional<MeetingRecord> stored = MeetingRecord::read(m_detail);
    const QDateTime start = stored ? stored->start() : QDateTime();
    const QDateTime end = stored ? stored->end() : QDateTime();
    if (start.isValid()) {
        // A meeting under way began before the earliest proposal; show it as stored.
        if (start.date() < ui->IEditMtgStartDate->minimumDate())
            ui->IEditMtgStartDate->setMinimumDate(start.date());
        ui->IEditMtgStartDate->setDate(start.date());
        // The stored start stays on offer even when it has passed.
        QList<QDateTime> offered = dayTimes(start.date());
        if (!offered.contains(start))
            offered.insert(std::lower_bound(offered.begin(), offered.end(), start), start);
        ui->wtStartTime->setDateTimeList(offered);
        ui->wtStartTime->setDateTime(start);
        startDateTimeChangedSlot(start);
    }
    if (end.isValid()) {
        ui->wtEndTime->setDateTime(end);
        ui->IEditMtgEndDate->setDate(end.date());
    }

    const QJsonValue password = m_detail.value(QStringLiteral("password"));
    // A stored empty text means no password just as null does; checking the
    // box for it would refuse every save until one is typed.
    const bool hasPassword =
        !password.isNull() && !password.isUndefined() && !JsonRead::text(password).isEmpty();
    ui->chkBoxSetPassword->setChecked(hasPassword);
    ui->IEditMtgPassword->setText(hasPassword ? JsonRead::text(password) : QString());

    const QJsonObject settings = m_detail.value(QStringLiteral("settings")).toObject();
    ui->chkBoxSetWaitroom->setChecked(settings.value(QStringLiteral("autoInWaitingRoom")).toBool(false));
    ui->chkBoxSetPreJoin->setChecked(settings.value(QStringLiteral("allowInBeforeHost")).toBool(false));
    ui->chkBoxSetMuteJoin->setChecked(settings.value(QStringLiteral("muteEnableJoin")).toBool(false));
    ui->chkBoxSetWatermark->setChecked(
        settings.value(QStringLiteral("allowScreenSharedWatermark")).toBool(false));
}

// --- form ---------------------------------------------------------------------------

void ScheduleMeeting::onCloseBtnClicked()
{
    close();
}

void ScheduleMeeting::wmForcedLogoutCompleteSlot()
{
    close();
}

void ScheduleMeeting::onSetPasswordChkBoxToggled(bool checked)
{
    ui->IEditMtgPassword->setVisible(checked);
    // Straight on to typing after a click on the box, not when a change loads.
    if (checked && ui->chkBoxSetPassword->hasFocus())
        ui->IEditMtgPassword->setFocus(Qt::OtherFocusReason);
    else
        ui->IEditMtgPassword->clear();
}

void ScheduleMeeting::comfirmBtnEnabledStatusSlot()
{
    ui->pBtnBookMeeting->setEnabled(!ui->lEditMtgName->text().trimmed().isEmpty() && detailLoaded());
}

QString ScheduleMeeting::validationMessage() const
{
    const QDateTime start = startDateTime();
    const QDateTime end = endDateTime();
    const QDateTime now = clock();
    if (start < now)
        return QStringLiteral("会议开始时间应大于当前时间");
    if (end < now)
        return QStringLiteral("会议结束时间应大于当前时间");
    if (start >= end)
        return QStringLiteral("会议开始时间应小于结束时间");
    if (end >= start.addDays(1))
        return QStringLiteral("会议总时长不得超出24小时");
    if (ui->chkBoxSetPassword->isChecked()) {
        const QString password = ui->IEditMtgPassword->text();
        if (password.isEmpty())
            return QStringLiteral("入会密码不能为空");
        if (!QRegularExpression(passwordPattern).match(password).hasMatch())
            return QStringLiteral("请输入4-6位数字密码");
    }
    return QString();
}

void ScheduleMeeting::onBookMeetingBtnClicked()
{
    if (!ui->pBtnBookMeeting->isEnabled())
        return;
    const QString message = validationMessage();
    if (!message.isEmpty()) {
        Messages::notice(this, message);
        return;
    }
    const QString body = requestBody();
    m_spinner->setText(QStringLiteral("正在保存..."));
    m_spinner->start();
    m_createRequest->request(baseValues->tenantInfo, body);
}

QString ScheduleMeeting::requestBody() const
{
    const QString subject = ui->lEditMtgName->text();
    const bool needPassword = ui->chkBoxSetPassword->isChecked();
    const QJsonObject settings = m_detail.value(QStringLiteral("settings")).toObject();
    const QJsonObject live = m_detail.value(QStringLiteral("liveConfig")).toObject();
    const QJsonArray hosts = m_detail.value(QStringLiteral("currentHosts")).toArray();
    const QString recordType = JsonRead::text(settings.value(QStringLiteral("autoRecordType")));
    const bool enableRecord = !recordType.isEmpty() && recordType != QLatin1String("none");

    // A QJsonObject keeps its members in key order, which the service expects.
    QJsonObject body;
    body.insert(QStringLiteral("subject"), subject);
    MeetingRecord::writeTimes(body, startDateTime(), endDateTime());
    body.insert(QStringLiteral("needPassword"), needPassword);
    body.insert(QStringLiteral("password"), needPassword ? ui->IEditMtgPassword->text() : QString());
    body.insert(QStringLiteral("enableWaitingRoom"), ui->chkBoxSetWaitroom->isChecked());
    body.insert(QStringLiteral("enterBeforeHost"), ui->chkBoxSetPreJoin->isChecked());
    body.insert(QStringLiteral("muteEnableJoin"), ui->chkBoxSetMuteJoin->isChecked());
    body.insert(QStringLiteral("enableWatermark"), ui->chkBoxSetWatermark->isChecked());
    body.insert(QStringLiteral("id"), JsonRead::text(m_detail.value(QStringLiteral("meetingId"))));
    body.insert(QStringLiteral("meetingType"), storedOr(m_detail, QStringLiteral("meetingType"), 1));
    body.insert(QStringLiteral("host"),
                hosts.isEmpty() ? QString()
                                : JsonRead::text(hosts.first().toObject().value(QStringLiteral("userId"))));
    body.insert(QStringLiteral("enableLive"), storedOr(m_detail, QStringLiteral("enableLive"), true));
    body.insert(QStringLiteral("enableRecord"), enableRecord);
    if (enableRecord && recordType == QLatin1String("cloud"))
        body.insert(QStringLiteral("recordType"), 2);
    else if (enableRecord && recordType == QLatin1String("local"))
        body.insert(QStringLiteral("recordType"), 1);
    body.insert(QStringLiteral("enableLiveReplay"), storedOr(live, QStringLiteral("enableLiveReplay"), true));
    body.insert(QStringLiteral("enableLiveIm"), storedOr(live, QStringLiteral("enableLiveIm"), false));
    body.insert(QStringLiteral("liveSubject"),
                JsonRead::text(storedOr(live, QStringLiteral("liveSubject"), subject)));
    body.insert(QStringLiteral("liveSummary"), JsonRead::text(live.value(QStringLiteral("liveSummary"))));
    body.insert(QStringLiteral("livePassword"), JsonRead::text(live.value(QStringLiteral("livePassword"))));
    body.insert(QStringLiteral("idel"), false);

    const QJsonArray storedGuests = m_detail.value(QStringLiteral("guests")).toArray();
    QJsonArray guests;
    for (const QJsonValue &value : storedGuests) {
        const QJsonObject stored = value.toObject();
        const QString phone = JsonRead::text(stored.value(QStringLiteral("phoneNumber")));
        // Only a guest whose number fits an int can name a user; ordinary
        // mobile numbers do not, and their ids stay empty.
        QString userId;
        bool ok = false;
        const int number = phone.toInt(&ok);
        if (ok) {
            for (const QJsonValue &other : storedGuests) {
                if (JsonRead::text(other.toObject().value(QStringLiteral("nickName"))) ==
                    QString::number(number)) {
                    userId = JsonRead::text(other.toObject().value(QStringLiteral("userId")));
                    break;
                }
            }
        }
        guests.append(QJsonObject{
            {QStringLiteral("personName"), JsonRead::text(stored.value(QStringLiteral("guestName")))},
            {QStringLiteral("telephone"), phone},
            {QStringLiteral("id"), userId},
            {QStringLiteral("userId"), userId}});
    }
    body.insert(QStringLiteral("guest"), guests);
    body.insert(QStringLiteral("joinUrl"), JsonRead::text(m_detail.value(QStringLiteral("joinUrl"))));
    return QString::fromUtf8(QJsonDocument(body).toJson(QJsonDocument::Compact));
}

void ScheduleMeeting::tmMtgCreateResultSlot(QString result, ServiceReply reply)
{
    Q_UNUSED(result)
    m_spinner->stop();
    if (reply.succeeded()) {
        const QJsonObject saved = reply.value.toObject();
        CalendarEvent event;
        event.meetingCode = m_meetingCode.isEmpty()
                                ? JsonRead::text(saved.value(QStringLiteral("meetingCode")))
                                : m_meetingCode;
        QString id = JsonRead::text(m_detail.value(QStringLiteral("meetingId")));
        if (id.isEmpty())
            id = JsonRead::text(saved.value(QStringLiteral("meetingId")));
        event.uid = QStringLiteral("%1@veskmeeting").arg(id.isEmpty() ? event.meetingCode : id);
        event.subject = ui->lEditMtgName->text();
        event.start = startDateTime().toTimeZone(QTimeZone::systemTimeZone());
        event.end = endDateTime().toTimeZone(QTimeZone::systemTimeZone());
        emit meetingSavedSignal(event, m_meetingCode.isEmpty());
        emit sendTmMtgUpdatedSignal();
        // The home screen says so, with its offer of a calendar entry.
        close();
        return;
    }
    Messages::notice(this, userMessage(reply));
}
