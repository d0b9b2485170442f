#pragma once

#include <QString>
#include <QWidget>

class QMenu;

namespace Ui {
class mtgItem;
}

// One meeting of the list: times, subject, grouped number, a join button and
// a menu whose entries depend on who hosts it and whether it is an activity.
class mtgItem final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(mtgItem)

public:
    explicit mtgItem(QWidget *parent = nullptr);
    ~mtgItem() override;

    // isActivity is "true" or "false".
    void setUp(const QString &startTime, const QString &endTime, const QString &meetingCode,
               const QString &subject, const QString &meetingId, const QString &hostUserId,
               const QString &isActivity);

    QString meetingCode() const { return m_meetingCode; }
    QString meetingId() const { return m_meetingId; }
    QString isActivity() const { return m_isActivity; }
    // The row's menu for its current meeting, made on first use.
    QMenu *menu();

    // The form fixes the size; the list lays rows out without making them.
    static constexpr int fixedHeight = 60;

signals:
    void joinMeetingSignal(QString meetingNo);
    void mtgInviteSignal(QString meetingNo);
    void mtgChangeSignal(QString meetingNo);
    void mtgActChangeSignal(QString meetingId);
    void mtgCloseSignal(QString meetingId);

public slots:
    void onMtgJoinBtnClicked();
    void onMtgChange();
    void onMtgInvite();
    void onMtgClose();
    void onMtgActChange();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onMenuButtonPressed();
    void fillMenu();
    void onMenuHidden();

    Ui::mtgItem *ui = nullptr;
    QMenu *m_menu = nullptr; // parentless popup, owned here
    bool m_menuStale = true;
    bool m_isHost = false;
    QString m_meetingCode;
    QString m_meetingId;
    QString m_isActivity = QStringLiteral("false");
};
