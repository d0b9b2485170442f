#pragma once

#include "calendar/calendarfile.h"
#include "widgets/borderdialog.h"

#include <QPoint>
#include <QString>

class QPushButton;

namespace Ui {
class ShareMeeting;
}

// Shows a ready-made invitation text read-only and copies it to the
// clipboard. Callers create it without parent, show() and activateWindow().
class ShareMeeting final : public BorderDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(ShareMeeting)

public:
    explicit ShareMeeting(QString text, QWidget *parent = nullptr);
    ~ShareMeeting() override;

    QString text() const;
    // Offers "添加到日历" for this meeting; without it the dialog only copies.
    void setCalendarEvent(const CalendarEvent &event);

    // The invitation text for the Meeting SDK's invite_info JSON (empty when
    // it does not parse); the session coordinator shows it in this dialog.
    static QString sdkInvitationText(const QString &inviteInfo);

public slots:
    void onCloseBtnClicked();
    void onCopyShareInfoBtnClicked();
    void onAddToCalendarBtnClicked();
    void wmLeaveMeetingCompleteSlot(QString result);
    void wmForcedLogoutCompleteSlot();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void keepLastLinesCompany();
    void fitWholeLines();

    Ui::ShareMeeting *ui = nullptr;
    QPushButton *m_calendarButton = nullptr;
    CalendarEvent m_calendarEvent;
    bool m_linesFitted = false;
};
