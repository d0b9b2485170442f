#pragma once

#include "widgets/borderdialog.h"

#include <QPoint>
#include <QString>

struct ReminderMeeting;
class QLabel;

// "会议即将开始": a small window in the screen's bottom-right corner with
// the meeting's subject, start and number, "稍后提醒", "加入" and a "×". It
// says what the user chose and leaves the rest to its owner. The summary
// form stands above the others and counts the reminders that found no room.
//
// It takes clicks while an application-modal screen is open: it is a
// notification beside the client's screens, not one of them.
class ReminderWindow final : public BorderDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(ReminderWindow)

public:
    explicit ReminderWindow(const ReminderMeeting &meeting);
    // "还有 N 个会议即将开始".
    static ReminderWindow *summary(int count);
    void setCount(int count);

    // Empty for the summary.
    QString key() const { return m_key; }
    // Bottom-right of the primary screen's free area, lifted by `above`
    // pixels of cards below it; a window the user dragged stays where it is.
    // Returns the room it takes in the stack.
    int placeInCorner(int above);

    // How many meeting reminders and the summary fit in the primary screen's height.
    static int cardsThatFit();
    // The body of the window, shared with the desktop notification.
    static QString noticeText(const ReminderMeeting &meeting);
    // Service text on one line: line breaks and other control characters as spaces.
    static QString oneLine(const QString &text);
    // Closes it without an answer (expired, moved, removed, sign-out).
    void withdraw();

signals:
    void joinClicked(QString key, QString meetingCode);
    void snoozeClicked(QString key);
    // "×" or Escape.
    void ignoreClicked(QString key);

public slots:
    void reject() override;

private:
    explicit ReminderWindow(int height);
    QLabel *addLabel(const QString &styleName, const QString &text);

    QWidget *m_content = nullptr;
    QLabel *m_countLabel = nullptr;
    QString m_key;
    QString m_meetingCode;
    QPoint m_placedAt;
    bool m_answered = false;
};
