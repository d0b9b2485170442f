#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVector>

class QScrollArea;
class QWidget;
class dateItem;
class mtgItem;

// What one list row shows, as display texts.
struct MeetingRowData
{
    QString startTime;
    QString endTime;
    QString meetingCode;
    QString subject;
    QString meetingId;
    QString hostUserId;
    QString isActivity; // "true" or "false"
};

// What one day header shows.
struct DayHeaderData
{
    QString date;
    QString weekDay;
    QString today;
};

// The meeting list inside a scroll area. Every header and row has its place
// in the content widget from the start, but only those in view (plus a
// margin) exist as widgets; scrolling moves widgets that leave the view to
// the entries that come into it, so a list of thousands costs what a screen
// of it costs.
class MeetingList final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(MeetingList)

public:
    explicit MeetingList(QScrollArea *area, QObject *parent = nullptr);
    ~MeetingList() override;

    // Extra height kept built above and below the view.
    static constexpr int margin = 120;

    void clear();
    void addHeader(const DayHeaderData &header);
    void addRow(const MeetingRowData &row);
    // Puts a new content widget into the scroll area and builds what is in view.
    void show();

    int rowCount() const { return m_rows.size(); }
    int headerCount() const { return m_headers.size(); }

signals:
    // A row widget was made; it is reused for other meetings while scrolling.
    void rowCreated(mtgItem *row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Entry
    {
        int y;
        int height;
        int index; // into m_headers or m_rows
        bool header;
    };

    void layOut();
    QWidget *widgetFor(const Entry &entry);
    void release(int entry);

    QScrollArea *m_area;
    QWidget *m_viewport = nullptr;
    QPointer<QWidget> m_content;
    QVector<Entry> m_entries;
    QVector<DayHeaderData> m_headers;
    QVector<MeetingRowData> m_rows;
    int m_bottom = 0; // bottom edge of the last entry
    bool m_afterHeader = false;
    QHash<int, QWidget *> m_live; // entry index -> widget
    QVector<dateItem *> m_freeHeaders;
    QVector<mtgItem *> m_freeRows;
};
