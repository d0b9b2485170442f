#pragma once

#include "sdk/wemeetsdk.h"

#include <QObject>
#include <QString>

// The one bridge to the Meeting SDK: turns the client's requests into SDK
// calls, keeps the SDK session state and re-emits the SDK's callbacks as
// signals whose payload is empty on success or the SDK's message.
class WeMeetManager final : public QObject,
                            public ISDKCallback,
                            public IAuthenticationCallback,
                            public IPreMeetingCallback,
                            public IInMeetingCallback
{
    Q_OBJECT
    Q_DISABLE_COPY(WeMeetManager)

public:
    // The SDK session; the values are the ones the log and older callers know.
    enum State : int
    {
        NotInitialized = 0,
        Initialized = 1, // nobody signed in
        SignedIn = 2,    // not in a meeting
        Joining = 3,     // join requested, includes the waiting room
        InMeeting = 4
    };
    Q_ENUM(State)

    static WeMeetManager *instance();

    State state() const;
    void setState(State state);

    // Version text of the loaded SDK library, for the start-up log.
    static QString sdkVersion();

    static void initialize(QString sdkId, QString sdkToken, QString dataDir, QString appName);
    bool isInitialized();
    void joinMeeting(QString meetingCode, QString nickname, bool micOn, bool cameraOn, QString joinUrl);
    void leaveMeeting();
    void login();
    void logout();
    // Signs out without telling the coordinator: undoes a sign-in that
    // nobody waits for any more.
    void logoutQuietly();
    // A requested sign-out has not been answered yet.
    bool isLogoutPending() const { return m_logoutPending; }
    // Stops waiting for a sign-out answer that did not come.
    void forgetPendingLogout() { m_logoutPending = false; }
    void showScreenCastView();
    // Called once after the event loop has ended.
    void uninitialize();

signals:
    void OnSDKInitializeFinishSignal();
    void OnLoginFinishSignal(QString result);
    void OnJoinMeetingFinishSignal(QString result);
    void OnLeaveMeetingFinishSignal(QString result);
    void OnLeaveWaitingRoomFinishSignal(QString result);
    void OnLogoutFinishSignal();
    void OnForcedLogoutFinishSignal();
    void OnShareToMeetingFinishSignal(QString result);
    void linkJoinMeetingSignal();
    void avoidShowSameDialogSignal();
    void OnSDKErrorSignal(QString result);
    // Not part of the SDK's own signal set: an initialisation or a requested
    // sign-out that the SDK reported as failed (the caller must not wait on).
    void OnSDKInitializeFailedSignal(QString result);
    void OnLogoutFailedSignal(QString result);

public:
    // ISDKCallback
    void Initialize(int32_t code, const char *msg) override;
    void SDKTokenExpired(const char *token) override;
    void SDKError(int32_t code, const char *msg) override;
    void ShowLogsResult(int32_t code, const char *msg) override;
    void ResetSDKState(int32_t code, const char *msg) override;

    // IAuthenticationCallback
    void Login(int32_t code, const char *msg) override;
    void Logout(int32_t type, int32_t code, const char *msg) override;
    void JumpUrlWithLoginStatus(int32_t code, const char *msg) override;

    // IPreMeetingCallback
    void JoinMeeting(int32_t code, const char *msg, const char *meeting_code) override;
    void ShowScreenCastViewResult(int32_t code, const char *msg) override;
    void ActionResult(int32_t action, int32_t code, const char *msg) override;

    // IInMeetingCallback
    void LeaveMeeting(int32_t type, int32_t code, const char *msg, const char *meeting_code) override;
    void InviteMeeting(const char *invite_info) override;
    void ShowMeetingInfo(const char *meeting_info) override;

private:
    WeMeetManager() = default;

    State m_state = NotInitialized;
    int m_quietLogouts = 0;
    bool m_logoutPending = false;
};
