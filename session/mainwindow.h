#pragma once

#include <QMainWindow>
#include <QMap>
#include <QString>

class QTimer;

// Invisible window that lives for the whole run: renews the service token,
// opens the start screen and handles what outlives any one screen (leave,
// sign-out, forced sign-out, SDK invitations, launch links while running).
class MainWindow final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY(MainWindow)

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Interval of the service-token renewal for a token lifetime in seconds;
    // 0 when the lifetime is unknown (no renewal).
    static int refreshIntervalMs(int expiresInSeconds);
    // Whether a launch link names another account than the signed-in one:
    // company code and user name both given and either differs (the user
    // name may be the account or the display name), or phone and country
    // code both given and both differ.
    static bool linkNamesOtherAccount(const QMap<QString, QString> &link);

    // The running renewal timer, null when no lifetime was known.
    QTimer *refreshTimer() const { return m_refreshTimer; }

signals:
    void closeShareMeetingSignal();
    void forcedLogoutSignal();
    void autoLoginSignal();
    void ssoLoginSignal();

public slots:
    void wmShareToMeetingCompleteSlot(QString jsonInfo);
    void wmLeaveMeetingCompleteSlot(QString result);
    void wmLeaveWaitingRoomCompleteSlot(QString result);
    void wmForcedLogoutCompleteSlot();
    void wmLogoutCompleteSlot();
    void closeSelfSlot();
    void receiveAppParameterSlot(QString appParameter);
    void showDifferentAccountLoginMsgSlot();
    void showJoinNewMeetingMsgSlot();
    void showJoiningMeetingMsgSlot();
    void refreshServiceTokenSlot();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showSplashSelect();
    void showNotice(const QString &text);
    void showOneButtonMessage(const QString &buttonText, const QString &message);

    QTimer *m_refreshTimer = nullptr;
};
