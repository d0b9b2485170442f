#pragma once

#include "widgets/borderdialog.h"

#include <QString>

struct ReminderMeeting;
class QLabel;
class QPushButton;

// "会议即将开始": a small window in the screen's bottom-right corner with
// the meeting's subject, start and number, "加入" and "忽略". It says what
// the user chose and leaves the rest to its owner.
class ReminderWindow final : public BorderDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(ReminderWindow)

public:
    explicit ReminderWindow(const ReminderMeeting &meeting, QWidget *parent = nullptr);

    QString key() const { return m_key; }
    // Bottom-right of the primary screen's free area; `slot` stacks several upwards.
    void placeInCorner(int slot);

    // The body line of the window, shared with the desktop notification.
    static QString noticeText(const ReminderMeeting &meeting);
    // Closes it without an answer (expired, moved, removed, sign-out).
    void withdraw();

signals:
    void joinClicked(QString key, QString meetingCode);
    void ignoreClicked(QString key);

public slots:
    void reject() override;

private:
    QString m_key;
    QString m_meetingCode;
    bool m_answered = false;
};
