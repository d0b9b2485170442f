#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

// Notifications of the desktop beside the client's own windows: the
// freedesktop notification service over D-Bus, the tray balloon on Windows.
// One notification per key, replaced when shown again and closed with it.
// Never waits for the desktop; where there is none, nothing is shown.
class DesktopNotices final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(DesktopNotices)

public:
    explicit DesktopNotices(QObject *parent = nullptr);
    ~DesktopNotices() override;

    // Text is plain; offerJoin adds "加入" where the desktop offers actions.
    void show(const QString &key, const QString &title, const QString &text, bool offerJoin);
    void close(const QString &key);

signals:
    void joinClicked(const QString &key);

private slots:
    void actionInvoked(uint id, const QString &action);
    void notificationClosed(uint id, uint reason);

private:
    void closeId(uint id);

    // Shown notifications by key; 0 while the desktop has not answered yet.
    QHash<QString, uint> m_ids;
    // Closed before the desktop answered with their id.
    QSet<QString> m_closeOnReply;
    QString m_iconPath;
    bool m_actions = false;
    bool m_markup = true;
};
