#include "meeting/reminderwindow.h"

#include "app/meetingreminders.h"
#include "meeting/invitationtext.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr int windowWidth = 320;
constexpr int windowHeight = 176;
constexpr int cornerMargin = 12;

QString startText(const ReminderMeeting &meeting)
{
    const QDateTime start = QDateTime::fromSecsSinceEpoch(meeting.startSecs);
    // A meeting just after midnight is not today's.
    const QString format =
        start.date() == QDate::currentDate() ? QStringLiteral("hh:mm") : QStringLiteral("yyyy-MM-dd hh:mm");
    return start.toString(format);
}
} // namespace

ReminderWindow::ReminderWindow(const ReminderMeeting &meeting, QWidget *parent)
    : BorderDialog(parent), m_key(meeting.key()), m_meetingCode(meeting.meetingCode)
{
    setObjectName(QStringLiteral("reminderWindow"));
    setWindowTitle(QStringLiteral("会议即将开始"));
    // Over everything, but never taking the keyboard from what the user types in.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose);
    setDraggable(true);
    setFixedSize(windowWidth, windowHeight);

    auto *content = new QWidget(this);
    content->setObjectName(QStringLiteral("backgroundWidget"));
    content->setGeometry(shadowWidth, shadowWidth, windowWidth - 2 * shadowWidth,
                         windowHeight - 2 * shadowWidth);
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(6);

    auto *title = new QLabel(QStringLiteral("会议即将开始"), content);
    title->setObjectName(QStringLiteral("size16QLabel"));
    auto *subject = new QLabel(content);
    subject->setObjectName(QStringLiteral("messageQLabel"));
    subject->ensurePolished();
    const int room = content->width() - 40;
    subject->setText(subject->fontMetrics().elidedText(meeting.subject, Qt::ElideRight, room));
    subject->setToolTip(meeting.subject);
    auto *start = new QLabel(QStringLiteral("开始时间：%1").arg(startText(meeting)), content);
    start->setObjectName(QStringLiteral("normalQLabel"));
    auto *code = new QLabel(
        QStringLiteral("会议ID：%1").arg(InvitationText::groupMeetingCode(meeting.meetingCode)), content);
    code->setObjectName(QStringLiteral("normalQLabel"));
    code->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *ignore = new QPushButton(QStringLiteral("忽略"), content);
    ignore->setObjectName(QStringLiteral("normalQPushButton"));
    auto *join = new QPushButton(QStringLiteral("加入"), content);
    join->setObjectName(QStringLiteral("defaultQPushButton"));
    for (QPushButton *button : {ignore, join}) {
        button->setFixedSize(72, 30);
        button->setCursor(Qt::PointingHandCursor);
        button->setAutoDefault(false);
    }
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ignore);
    buttons->addSpacing(12);
    buttons->addWidget(join);

    layout->addWidget(title);
    layout->addWidget(subject);
    layout->addWidget(start);
    layout->addWidget(code);
    layout->addStretch();
    layout->addLayout(buttons);

    connect(join, &QPushButton::clicked, this, [this] {
        m_answered = true;
        emit joinClicked(m_key, m_meetingCode);
        close();
    });
    connect(ignore, &QPushButton::clicked, this, &ReminderWindow::reject);
}

void ReminderWindow::reject()
{
    // Escape and closing mean the same as "忽略".
    if (!m_answered) {
        m_answered = true;
        emit ignoreClicked(m_key);
    }
    BorderDialog::reject();
}

void ReminderWindow::withdraw()
{
    m_answered = true;
    close();
}

void ReminderWindow::placeInCorner(int slot)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // The shadow may lie over the margin; the white card keeps its distance.
    const int step = height() - 2 * shadowWidth + 8;
    move(area.right() + 1 - cornerMargin - width() + shadowWidth,
         area.bottom() + 1 - cornerMargin - slot * step - height() + shadowWidth);
}

QString ReminderWindow::noticeText(const ReminderMeeting &meeting)
{
    return QStringLiteral("%1\n开始时间：%2\n会议ID：%3")
        .arg(meeting.subject, startText(meeting), InvitationText::groupMeetingCode(meeting.meetingCode));
}
