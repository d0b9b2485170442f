#include "meeting/meetinglistarea.h"

#include "meeting/meetinglist.h"
#include "meeting/mtgitem.h"

#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>

MeetingListArea::MeetingListArea(QScrollArea *list, QWidget *empty, QLabel *emptyText, QObject *parent)
    : QObject(parent), m_list(list), m_empty(empty), m_emptyText(emptyText)
{
    m_emptyText->setObjectName(QStringLiteral("tipQLabel"));
    // Room for the rich text of a failed load, which a 16-pixel label cuts off.
    m_emptyText->setGeometry(0, 141, m_emptyText->width(), 22);
    m_empty->resize(m_empty->width(), 163);

    auto *bar = new QScrollBar(Qt::Vertical, m_list);
    bar->setObjectName(QStringLiteral("shareInfoQScrollBar"));
    m_list->setVerticalScrollBar(bar);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->installEventFilter(this);

    // Above the list, between the action labels and its first row.
    m_age = new QLabel(m_list->parentWidget());
    m_age->setObjectName(QStringLiteral("tipQLabel"));
    m_age->setTextFormat(Qt::PlainText);
    m_age->setAlignment(Qt::AlignCenter);
    m_age->setGeometry(0, m_list->y() - 22, m_list->width(), 18);
    m_age->hide();

    m_meetingList = new MeetingList(m_list, this);
    connect(m_meetingList, &MeetingList::rowCreated, this, &MeetingListArea::rowCreated);
    // A failed load reloads on a click anywhere on its empty state.
    QList<QWidget *> emptyParts = m_empty->findChildren<QWidget *>();
    emptyParts << m_empty;
    for (QWidget *w : emptyParts)
        w->installEventFilter(this);
    showNothing();
}

void MeetingListArea::showNothing()
{
    m_list->hide();
    m_empty->hide();
}

bool MeetingListArea::showsNothing() const
{
    return m_list->isHidden() && m_empty->isHidden();
}

void MeetingListArea::showMeetings(const QVector<MeetingRecord> &meetings)
{
    showNothing();
    if (meetings.isEmpty()) {
        showEmptyState(false);
        return;
    }
    m_loadFailed = false;
    const QLocale chinese(QLocale::Chinese);
    const QDate today = QDate::currentDate();
    QDate previousDate;
    m_meetingList->clear();
    for (const MeetingRecord &meeting : meetings) {
        const QDateTime start = meeting.start();
        // Whole dates, so one day of two different years never shares a header.
        if (m_meetingList->headerCount() == 0 || start.date() != previousDate) {
            previousDate = start.date();
            m_meetingList->addHeader(
                {QStringLiteral("%1月%2日").arg(start.date().month()).arg(start.date().day()),
                 chinese.toString(start, QStringLiteral("ddd")),
                 start.date() == today ? QStringLiteral("今天") : QString()});
        }
        m_meetingList->addRow({start.toString(QStringLiteral("hh:mm")),
                               meeting.end().toString(QStringLiteral("hh:mm")), meeting.meetingCode,
                               meeting.subject, meeting.meetingId, meeting.hostUserId,
                               meeting.isActivity ? QStringLiteral("true") : QStringLiteral("false")});
    }
    m_meetingList->show();
    m_list->show();
}

void MeetingListArea::showLoadFailed()
{
    showNothing();
    showEmptyState(true);
}

void MeetingListArea::setListAge(const QDateTime &updatedAt)
{
    m_age->setText(QStringLiteral("列表更新于 %1").arg(updatedAt.toString(QStringLiteral("HH:mm"))));
    m_age->setVisible(updatedAt.isValid());
}

void MeetingListArea::showEmptyState(bool loadFailed)
{
    m_loadFailed = loadFailed;
    m_emptyText->setText(loadFailed
                             ? QStringLiteral("加载失败，<span style=\"color:#006FFF;\">点击重试</span>")
                             : QStringLiteral("暂无会议记录 ~"));
    if (loadFailed)
        m_empty->setCursor(Qt::PointingHandCursor);
    else
        m_empty->unsetCursor();
    m_empty->show();
}

bool MeetingListArea::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list) {
        if (event->type() == QEvent::Enter || event->type() == QEvent::Leave) {
            m_list->setVerticalScrollBarPolicy(event->type() == QEvent::Enter ? Qt::ScrollBarAsNeeded
                                                                              : Qt::ScrollBarAlwaysOff);
            return true;
        }
        return false;
    }
    if (!m_loadFailed)
        return false;
    const bool press = event->type() == QEvent::MouseButtonPress;
    const bool release = event->type() == QEvent::MouseButtonRelease;
    auto *mouse = (press || release) ? static_cast<QMouseEvent *>(event) : nullptr;
    if (!mouse || mouse->button() != Qt::LeftButton)
        return false;
    if (release && m_empty->rect().contains(static_cast<QWidget *>(watched)->mapTo(m_empty, mouse->pos())))
        emit retryClicked();
    return true;
}
