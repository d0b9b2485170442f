#pragma once

// Control and read-back of the Meeting SDK simulator (libwemeetsdk), for
// tests and the demo. The simulator behaves as the real SDK does: results
// arrive later through the callbacks on the GUI thread, never inside the
// call. Everything here runs on the GUI thread too.
//
// Like the real SDK it shows its windows (meeting, waiting room, screen-cast
// view) from a process of its own, "wemeetsdk-windows" beside the library,
// started on the first window and ended when the SDK object is released. So
// the client's modal screens never block them and the client's process tree
// has a real child.
//
// Scripting from the environment (read when the SDK object is first
// created and again by reset()):
//
//   VESK_SDK_SIM="key=value;key=value;..."
//
//   init_fail=MSG               initialisation fails with MSG
//   login_fail=MSG              sign-in fails with MSG
//   logout_fail=MSG             requested sign-out fails with MSG
//   join_fail=MSG               every join fails with MSG
//   waiting_room=1              joins wait in the waiting room until admitted
//   admit_after_ms=N            ... and are admitted after N ms by themselves
//   forced_logout_after_ms=N    a forced sign-out N ms after each sign-in
//   sdk_error=MSG               an SDK error with MSG ...
//   sdk_error_after_ms=N        ... N ms after initialisation (default 0)
//   delay_ms=N                  every callback arrives after N ms (default 10)
//   invite_password=TEXT        password in the invitation information
//   invite_subject=TEXT         subject in the invitation information
//   headless=1                  no simulator windows and no window process
//                               (buttons still work through
//                               pressInvite()/pressLeave())
//   unavailable=1               GetWemeetSDKInstance() gives no SDK object
//   immediate=1                 callbacks arrive inside the call (delay_ms
//                               and the scripted waits aside)
//
// Keys are case-sensitive; values end at the next ';' and are read as UTF-8.
// Unknown keys are ignored with a warning. In a CMake test ENVIRONMENT
// property write the separators as "\;".

#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>

#if defined(_WIN32)
#if defined(wemeetsdk_EXPORTS)
#define WEMEET_SIM_API __declspec(dllexport)
#else
#define WEMEET_SIM_API __declspec(dllimport)
#endif
#else
#define WEMEET_SIM_API __attribute__((visibility("default")))
#endif

namespace WemeetSim {

// What Initialize was given, as UTF-8 texts; null pointers read as "".
struct InitRecord
{
    bool received = false;
    QString sdkId;
    QString sdkToken;
    QString reservedA;
    QString reservedB;
    QString dataPath;
    QString appName;
    QString iconPath;
    bool callbackSet = false;
    // Texts given as null pointers rather than as empty texts.
    QStringList nullTexts;
};

// What the last JoinMeeting was given.
struct JoinRecord
{
    bool received = false;
    QString meetingCode;
    QString nickname;
    QString password;
    QString joinUrl;
    bool joinUrlNull = false;
    bool passwordNull = false;
    bool micOn = false;
    bool cameraOn = false;
    bool hideMeetingWindow = false;
    bool showInviteButton = false;
};

// SDK session as the simulator sees it. A guest may join without signing in,
// so Waiting and InMeeting say nothing about the sign-in: see signedIn().
enum class Phase
{
    NotInitialized,
    Initialized,
    SignedIn,
    Waiting,
    InMeeting
};

class WindowHost;

// One of the simulator's windows as its window process last reported it.
// Owned by the simulator; valid until the window closes.
class WEMEET_SIM_API SimWindow
{
public:
    QString objectName() const { return m_objectName; } // "simMeetingWindow", ...
    QString windowTitle() const { return m_title; }
    // On screen; reported a moment after the window was opened.
    bool isVisible() const { return m_visible; }
    // Text and visibility of a named label or button of the window
    // ("simMeetingCodeLabel", "simLeaveButton", ...); empty / false when the
    // window has no such child.
    QString text(const QString &child) const { return m_children.value(child).first; }
    bool isChildVisible(const QString &child) const { return m_children.value(child).second; }
    // A user's mouse click on a button of the window, done in the window
    // process; what it causes arrives later.
    void click(const QString &button);
    // The title bar's close button.
    void close();

private:
    friend class WindowHost;
    WindowHost *m_host = nullptr;
    int m_id = 0; // 0: not open
    bool m_visible = false;
    QString m_objectName;
    QString m_title;
    QMap<QString, QPair<QString, bool>> m_children;
};

// --- scripting --------------------------------------------------------------
// Back to a fresh SDK: closes the windows, drops pending callbacks, clears
// every failure and record, then applies VESK_SDK_SIM again.
WEMEET_SIM_API void reset();
// Applies a script in the VESK_SDK_SIM syntax on top of the current settings.
WEMEET_SIM_API void applyScript(const QString &script);

// An empty message clears the failure.
WEMEET_SIM_API void setInitFailure(const QString &message, int code = 1001);
WEMEET_SIM_API void setLoginFailure(const QString &message, int code = 2001);
WEMEET_SIM_API void setLogoutFailure(const QString &message, int code = 2002);
WEMEET_SIM_API void setJoinFailure(const QString &message, int code = 3001);
WEMEET_SIM_API void setWaitingRoom(bool on);
WEMEET_SIM_API void setAdmitAfterMs(int ms);        // < 0: only by admit()
WEMEET_SIM_API void setForcedLogoutAfterMs(int ms); // < 0: never
WEMEET_SIM_API void setCallbackDelayMs(int ms);
WEMEET_SIM_API int callbackDelayMs();
WEMEET_SIM_API void setInviteFields(const QString &subject, const QString &password,
                                    const QString &hostName = QString());
WEMEET_SIM_API void setHeadless(bool on);
// No SDK object at all, as when the library cannot start.
WEMEET_SIM_API void setUnavailable(bool on);
// Answers inside the call instead of after the callback delay.
WEMEET_SIM_API void setImmediate(bool on);

// --- actions ----------------------------------------------------------------
// Lets the pending join in; false when nobody is waiting.
WEMEET_SIM_API bool admit();
// The platform signs the user out (Logout type 2); false when not signed in.
WEMEET_SIM_API bool triggerForcedLogout();
// SDKError with the given code and message.
WEMEET_SIM_API void raiseSdkError(int code, const QString &message);
// ResetSDKState with the given code and message.
WEMEET_SIM_API void raiseResetSdkState(int code, const QString &message);
// SDKTokenExpired with the current token.
WEMEET_SIM_API void raiseTokenExpired();
// The "邀请" and "离开会议" buttons of the meeting window (or "离开等候室"
// of the waiting room), clicked as a user does; false outside a meeting (or,
// for leave, outside a meeting and the waiting room).
WEMEET_SIM_API bool pressInvite();
WEMEET_SIM_API bool pressLeave();

// --- read-back --------------------------------------------------------------
WEMEET_SIM_API Phase phase();
// Signed in with an address (a guest in a meeting without sign-in is not).
WEMEET_SIM_API bool signedIn();
WEMEET_SIM_API InitRecord initRecord();
WEMEET_SIM_API QString loginAddress();       // last sign-in address
WEMEET_SIM_API QStringList loginAddresses(); // every one, in order
WEMEET_SIM_API JoinRecord lastJoin();
WEMEET_SIM_API QList<QPair<int, int>> meetingSettings(); // SetMeetingSetting calls
// Every SDK call in order: "SetCallback:auth", "SetCallback:premeeting",
// "SetCallback:inmeeting", "Initialize", "IsInitialized", "Uninitialize",
// "SetMeetingSetting:1,0", "Login", "Logout", "JoinMeeting", "LeaveMeeting:0",
// "ShowScreenCastView", "Release", "Version".
WEMEET_SIM_API QStringList calls();
WEMEET_SIM_API void clearCalls();
WEMEET_SIM_API int releaseCount();
// Callbacks scheduled but not yet delivered.
WEMEET_SIM_API int pendingCallbacks();
// The simulator's windows, or null when not open.
WEMEET_SIM_API SimWindow *meetingWindow();     // "simMeetingWindow"
WEMEET_SIM_API SimWindow *waitingRoomWindow(); // "simWaitingRoomWindow"
WEMEET_SIM_API SimWindow *screenCastWindow();  // "simScreenCastWindow"
// Process id of the window process; 0 when none runs.
WEMEET_SIM_API qint64 windowProcessId();

} // namespace WemeetSim
