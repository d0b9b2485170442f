#include "meeting/meetinglist.h"

#include "meeting/dateitem.h"
#include "meeting/mtgitem.h"

#include <QEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>

MeetingList::MeetingList(QScrollArea *area, QObject *parent) : QObject(parent), m_area(area)
{
    connect(m_area->verticalScrollBar(), &QScrollBar::valueChanged, this, &MeetingList::layOut);
    m_viewport = m_area->viewport();
    m_viewport->installEventFilter(this);
}

MeetingList::~MeetingList() = default;

void MeetingList::clear()
{
    m_entries.clear();
    m_headers.clear();
    m_rows.clear();
    m_bottom = 0;
    m_afterHeader = false;
}

// The first header sits at the top, later ones 20 pixels below the row before.
void MeetingList::addHeader(const DayHeaderData &header)
{
    const int y = m_entries.isEmpty() ? 0 : m_bottom + 20;
    m_entries.append({y, dateItem::fixedHeight, m_headers.size(), true});
    m_headers.append(header);
    m_bottom = y + dateItem::fixedHeight;
    m_afterHeader = true;
}

// A day's first row sits 24 pixels below its header, later rows 25 below the row before.
void MeetingList::addRow(const MeetingRowData &row)
{
    const int y = m_bottom + (m_afterHeader ? 24 : 25);
    m_entries.append({y, mtgItem::fixedHeight, m_rows.size(), false});
    m_rows.append(row);
    m_bottom = y + mtgItem::fixedHeight;
    m_afterHeader = false;
}

void MeetingList::show()
{
    // The old content goes with its widgets; nothing of it is reused.
    m_live.clear();
    m_freeHeaders.clear();
    m_freeRows.clear();
    m_content = new QWidget;
    m_content->setObjectName(QStringLiteral("backgroundWidget"));
    m_content->setMinimumSize(373, m_bottom);
    m_content->resize(m_area->size());
    m_area->setWidget(m_content);
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layOut();
}

bool MeetingList::eventFilter(QObject *watched, QEvent *event)
{
    // Compared by the pointer taken at the start: while the scroll area is
    // being destroyed its viewport() must not be called any more.
    if (event->type() == QEvent::Resize && watched == m_viewport)
        layOut();
    return QObject::eventFilter(watched, event);
}

void MeetingList::layOut()
{
    if (!m_content || m_area->widget() != m_content)
        return;
    const int top = m_area->verticalScrollBar()->value() - margin;
    const int bottom = m_area->verticalScrollBar()->value() + m_area->viewport()->height() + margin;
    // Entries are in y order: the first one reaching below top starts the range.
    const auto first = std::lower_bound(m_entries.cbegin(), m_entries.cend(), top,
                                        [](const Entry &e, int y) { return e.y + e.height <= y; });
    const int from = int(first - m_entries.cbegin());
    int to = from;
    while (to < m_entries.size() && m_entries.at(to).y < bottom)
        ++to;

    // Free the widgets that left the range first, so entering entries reuse them.
    const QList<int> live = m_live.keys();
    for (int entry : live)
        if (entry < from || entry >= to)
            release(entry);
    for (int i = from; i < to; ++i) {
        if (m_live.contains(i))
            continue;
        QWidget *widget = widgetFor(m_entries.at(i));
        widget->move(0, m_entries.at(i).y);
        widget->show();
        m_live.insert(i, widget);
    }
}

QWidget *MeetingList::widgetFor(const Entry &entry)
{
    if (entry.header) {
        dateItem *header = m_freeHeaders.isEmpty() ? new dateItem(m_content) : m_freeHeaders.takeLast();
        const DayHeaderData &data = m_headers.at(entry.index);
        header->setUp(data.date, data.weekDay, data.today);
        return header;
    }
    mtgItem *row = nullptr;
    if (m_freeRows.isEmpty()) {
        row = new mtgItem(m_content);
        emit rowCreated(row);
    } else {
        row = m_freeRows.takeLast();
    }
    const MeetingRowData &data = m_rows.at(entry.index);
    row->setUp(data.startTime, data.endTime, data.meetingCode, data.subject, data.meetingId, data.hostUserId,
               data.isActivity);
    return row;
}

void MeetingList::release(int entry)
{
    QWidget *widget = m_live.take(entry);
    widget->hide();
    if (m_entries.at(entry).header)
        m_freeHeaders.append(static_cast<dateItem *>(widget));
    else
        m_freeRows.append(static_cast<mtgItem *>(widget));
}
