#include "reminders/reminderwindow.h"

#include "app/meetingcode.h"
#include "reminders/meetingreminders.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTextDocument>
#include <QVBoxLayout>

namespace {
constexpr int windowWidth = 320;
constexpr int meetingHeight = 192;
constexpr int summaryHeight = 100;
constexpr int cornerMargin = 12;
constexpr int cardGap = 8;

QString startText(const ReminderMeeting &meeting)
{
    const QDateTime start = QDateTime::fromSecsSinceEpoch(meeting.startSecs);
    // A meeting just after midnight is not today's.
    const QString format =
        start.date() == QDate::currentDate() ? QStringLiteral("hh:mm") : QStringLiteral("yyyy-MM-dd hh:mm");
    return start.toString(format);
}
} // namespace

ReminderWindow::ReminderWindow(int height) : BorderDialog(nullptr)
{
    setObjectName(QStringLiteral("reminderWindow"));
    setWindowTitle(QStringLiteral("会议即将开始"));
    // Over everything, but never taking the keyboard from what the user types in.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose);
    // Every screen is application-modal, and Qt would block this window's
    // input behind them. A group leader is blocked only by modal windows of
    // its own, and it has none. (Qt still honours the attribute; windowModality
    // has no "never blocked" value to use instead.)
    setAttribute(Qt::WA_GroupLeader);
    setDraggable(true);
    setFixedSize(windowWidth, height);

    m_content = new QWidget(this);
    m_content->setObjectName(QStringLiteral("backgroundWidget"));
    m_content->setGeometry(shadowWidth, shadowWidth, windowWidth - 2 * shadowWidth, height - 2 * shadowWidth);
    auto *layout = new QVBoxLayout(m_content);
    layout->setContentsMargins(20, 14, 20, 16);
    layout->setSpacing(6);

    auto *close = new QPushButton(m_content);
    setUpTitleButtons(nullptr, close);
    close->setIconSize(QSize(12, 12));
    close->setToolTip(QStringLiteral("关闭"));
    close->setCursor(Qt::PointingHandCursor);
    close->setAutoDefault(false);
    close->setFocusPolicy(Qt::NoFocus);
    close->setGeometry(m_content->width() - 33, 0, 33, 33);
    connect(close, &QPushButton::clicked, this, &ReminderWindow::reject);
    addLabel(QStringLiteral("size16QLabel"), QStringLiteral("会议即将开始"));
}

QLabel *ReminderWindow::addLabel(const QString &styleName, const QString &text)
{
    auto *label = new QLabel(m_content);
    label->setObjectName(styleName);
    // Subjects come from the service: never read as markup.
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    m_content->layout()->addWidget(label);
    return label;
}

ReminderWindow::ReminderWindow(const ReminderMeeting &meeting) : ReminderWindow(meetingHeight)
{
    m_key = meeting.key();
    m_meetingCode = meeting.meetingCode;

    QLabel *subject = addLabel(QStringLiteral("messageQLabel"), QString());
    subject->ensurePolished();
    const QString line = oneLine(meeting.subject);
    subject->setText(subject->fontMetrics().elidedText(line, Qt::ElideRight, m_content->width() - 40));
    subject->setToolTip(Qt::convertFromPlainText(line));
    addLabel(QStringLiteral("normalQLabel"), QStringLiteral("开始时间：%1").arg(startText(meeting)));
    addLabel(QStringLiteral("normalQLabel"),
             QStringLiteral("会议ID：%1").arg(MeetingCode::grouped(oneLine(meeting.meetingCode))))
        ->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *snooze = new QPushButton(QStringLiteral("稍后提醒"), m_content);
    snooze->setObjectName(QStringLiteral("normalQPushButton"));
    auto *join = new QPushButton(QStringLiteral("加入"), m_content);
    join->setObjectName(QStringLiteral("defaultQPushButton"));
    for (QPushButton *button : {snooze, join}) {
        button->setFixedSize(80, 30);
        button->setCursor(Qt::PointingHandCursor);
        button->setAutoDefault(false);
    }
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(snooze);
    buttons->addSpacing(12);
    buttons->addWidget(join);
    auto *layout = static_cast<QVBoxLayout *>(m_content->layout());
    layout->addStretch();
    layout->addLayout(buttons);

    connect(join, &QPushButton::clicked, this, [this] {
        m_answered = true;
        emit joinClicked(m_key, m_meetingCode);
        close();
    });
    connect(snooze, &QPushButton::clicked, this, [this] {
        m_answered = true;
        emit snoozeClicked(m_key);
        close();
    });
}

ReminderWindow *ReminderWindow::summary(int count)
{
    auto *window = new ReminderWindow(summaryHeight);
    window->setObjectName(QStringLiteral("reminderSummary"));
    window->m_countLabel = window->addLabel(QStringLiteral("normalQLabel"), QString());
    window->setCount(count);
    return window;
}

void ReminderWindow::setCount(int count)
{
    if (m_countLabel)
        m_countLabel->setText(QStringLiteral("还有 %1 个会议即将开始").arg(count));
}

void ReminderWindow::reject()
{
    // Escape and "×" mean the user has seen it and wants no more of it.
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

int ReminderWindow::placeInCorner(int above)
{
    const int room = height() - 2 * shadowWidth + cardGap;
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen || (isVisible() && !m_placedAt.isNull() && pos() != m_placedAt))
        return room;
    const QRect area = screen->availableGeometry();
    // The shadow may lie over the margin; the white card keeps its distance.
    m_placedAt = QPoint(area.right() + 1 - cornerMargin - width() + shadowWidth,
                        area.bottom() + 1 - cornerMargin - above - height() + shadowWidth);
    move(m_placedAt);
    return room;
}

int ReminderWindow::cardsThatFit()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 1;
    const int free =
        screen->availableGeometry().height() - 2 * cornerMargin - (summaryHeight - 2 * shadowWidth + cardGap);
    return free / (meetingHeight - 2 * shadowWidth + cardGap);
}

QString ReminderWindow::oneLine(const QString &text)
{
    QString line = text;
    for (QChar &c : line) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    }
    return line.simplified();
}

QString ReminderWindow::noticeText(const ReminderMeeting &meeting)
{
    return QStringLiteral("%1\n开始时间：%2\n会议ID：%3")
        .arg(oneLine(meeting.subject), startText(meeting),
             MeetingCode::grouped(oneLine(meeting.meetingCode)));
}
