#pragma once

// Inside of the Meeting SDK simulator. Not for the client; tests use
// simcontrol.h.

#include "sdk-sim/simcontrol.h"
#include "sdk/wemeetsdk.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

namespace WemeetSim {

// Scripted behaviour; survives the release of the SDK object.
struct Config
{
    QString initFailure;
    int initFailureCode = 1001;
    QString loginFailure;
    int loginFailureCode = 2001;
    QString logoutFailure;
    int logoutFailureCode = 2002;
    QString joinFailure;
    int joinFailureCode = 3001;
    bool waitingRoom = false;
    int admitAfterMs = -1;
    int forcedLogoutAfterMs = -1;
    QString sdkError;
    int sdkErrorAfterMs = 0;
    int delayMs = 10;
    QString inviteSubject;
    QString invitePassword;
    QString inviteHostName;
    bool headless = false;
    bool unavailable = false;
    bool immediate = false;
};

// What the simulator was given; survives the release of the SDK object.
struct Records
{
    InitRecord init;
    QStringList loginAddresses;
    JoinRecord join;
    QList<QPair<int, int>> settings;
    QStringList calls;
    int releases = 0;
};

Config &config();
Records &records();

class SimSdk;

class SimAuthService final : public IAuthenticationService
{
public:
    explicit SimAuthService(SimSdk *sdk) : m_sdk(sdk) {}
    void SetCallback(IAuthenticationCallback *callback) override;
    void Login(const char *sso_url) override;
    void Logout() override;

    IAuthenticationCallback *callback = nullptr;

private:
    SimSdk *m_sdk;
};

class SimPreMeetingService final : public IPreMeetingService
{
public:
    explicit SimPreMeetingService(SimSdk *sdk) : m_sdk(sdk) {}
    void SetCallback(IPreMeetingCallback *callback) override;
    void JoinMeeting(const WemeetJoinParam &param) override;
    void ShowScreenCastView() override;

    IPreMeetingCallback *callback = nullptr;

private:
    SimSdk *m_sdk;
};

class SimInMeetingService final : public IInMeetingService
{
public:
    explicit SimInMeetingService(SimSdk *sdk) : m_sdk(sdk) {}
    void SetCallback(IInMeetingCallback *callback) override;
    void LeaveMeeting(int32_t type) override;
    void SetMeetingSetting(int32_t setting, int32_t value) override;

    IInMeetingCallback *callback = nullptr;

private:
    SimSdk *m_sdk;
};

// The one SDK object, living on the GUI thread.
class SimSdk final : public QObject, public IWemeetSDK
{
public:
    SimSdk();
    ~SimSdk() override;

    static SimSdk *current(); // null when none is created
    static SimSdk *obtain();  // creates it on first use
    static void release();
    static void discard(); // as release(), but not counted

    void Initialize(const WemeetSDKParams &params, ISDKCallback *callback) override;
    bool IsInitialized() override;
    void Uninitialize() override;
    IAuthenticationService *GetAuthenticationService() override { return &m_auth; }
    IPreMeetingService *GetPreMeetingService() override { return &m_pre; }
    IInMeetingService *GetInMeetingService() override { return &m_in; }

    // Runs fn after the callback delay, unless the SDK is uninitialised or
    // released first.
    void later(std::function<void()> fn, int delayMs = -1);
    int pending() const { return m_pending; }

    void doLogin(const QByteArray &address);
    void doLogout();
    void doJoin(const JoinRecord &join);
    void doShowScreenCast();
    void doLeave(int type);
    void doInvite();
    bool doAdmit();
    bool doForcedLogout();
    void doSdkError(int code, const QByteArray &msg);
    void doResetSdkState(int code, const QByteArray &msg);
    void doTokenExpired();

    void setMic(bool on);
    void setCamera(bool on);
    // What the user did in one of the simulator's windows.
    void windowAction(int kind, const QString &action, bool on);

    Phase phase = Phase::NotInitialized;
    // Signed in with an address; a guest may meet without.
    bool signedIn = false;

private:
    void enterMeeting();
    void closeMeetingWindows();
    void endSession();
    WindowHost *windows() const;

    SimAuthService m_auth{this};
    SimPreMeetingService m_pre{this};
    SimInMeetingService m_in{this};
    ISDKCallback *m_sdkCallback = nullptr;
    QByteArray m_sdkToken;
    quint64 m_generation = 0;
    int m_pending = 0;
    QTimer m_forcedLogoutTimer;
    QTimer m_admitTimer;

    // The meeting in hand (waiting room or joined).
    JoinRecord m_meeting;
    QDateTime m_joinedAt;
};

} // namespace WemeetSim
