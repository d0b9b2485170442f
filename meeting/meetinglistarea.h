#pragma once

#include "http/meetingrecord.h"

#include <QDateTime>
#include <QObject>
#include <QVector>

class MeetingList;
class QLabel;
class QScrollArea;
class QWidget;
class mtgItem;

// The home screen's list area in its states: the meetings grouped by day,
// the empty state ("暂无会议记录 ~"), a failed first load that reloads on a
// click, and the quiet "列表更新于 HH:MM" line over a list kept after a
// failed refresh. The scroll bar shows only while the mouse is over the list.
class MeetingListArea final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(MeetingListArea)

public:
    MeetingListArea(QScrollArea *list, QWidget *empty, QLabel *emptyText, QObject *parent = nullptr);

    // Neither list nor empty state (while a first load runs).
    void showNothing();
    void showMeetings(const QVector<MeetingRecord> &meetings);
    void showLoadFailed();
    // The list shown is the one that arrived at this time; invalid: it is current.
    void setListAge(const QDateTime &updatedAt);
    bool showsNothing() const;
    bool showsLoadFailed() const { return m_loadFailed; }

signals:
    void retryClicked();
    // A row widget was made; it is reused for other meetings while scrolling.
    void rowCreated(mtgItem *row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showEmptyState(bool loadFailed);

    QScrollArea *m_list;
    QWidget *m_empty;
    QLabel *m_emptyText;
    QLabel *m_age = nullptr;
    MeetingList *m_meetingList = nullptr;
    bool m_loadFailed = false;
};
