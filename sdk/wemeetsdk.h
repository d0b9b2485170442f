#pragma once

// What the client requires of the Meeting SDK library (wemeetsdk_x86.dll on
// Windows). Only WeMeetManager uses it. Every result comes back later through
// the callback interfaces, on the GUI thread; texts are NUL-terminated UTF-8.
//
// The library is built with Microsoft's compiler and calls into the client
// by vtable slot, so every interface here must get the slots Microsoft's
// compiler gives it also under GCC (mingw, and Linux, whose layout is the
// same). No interface has a virtual destructor: GCC gives one two slots,
// Microsoft's compiler one. Nothing is ever deleted through an interface.
// tests/sdkabi compares both compilers' layouts and runs the client's side
// against a stand-in built by clang for Microsoft's ABI.

// Not <cstdint>: the stand-in is built without a C++ library.
#include <stdint.h>

#if defined(_WIN32)
#if defined(wemeetsdk_EXPORTS)
#define WEMEET_SDK_API __declspec(dllexport)
#else
#define WEMEET_SDK_API __declspec(dllimport)
#endif
#define WEMEET_SDK_CALL __cdecl
#else
#define WEMEET_SDK_API __attribute__((visibility("default")))
#define WEMEET_SDK_CALL
#endif

// Initialisation parameters. The SDK copies the texts during the call.
struct WemeetSDKParams
{
    const char *sdk_id = nullptr;
    const char *sdk_token = nullptr;
    const char *reserved_a = nullptr; // the client passes ""
    const char *reserved_b = nullptr; // the client passes ""
    const char *data_path = nullptr;  // ends in "/data/"
    const char *app_name = nullptr;
    const char *app_icon = nullptr; // absolute path of the window icon
};

// Join parameters. The SDK copies the texts during the call.
struct WemeetJoinParam
{
    const char *meeting_code = nullptr;
    const char *nickname = nullptr;
    const char *password = nullptr; // the client passes ""
    const char *join_url = nullptr; // "" when the meeting has none
    bool mic_on = false;
    bool camera_on = false;
    bool hide_meeting_window = false; // the client passes false
    bool show_invite_button = true;   // the client passes true
};

// Where the SDK's own declaration of a callback interface has its virtual
// destructor, Microsoft's compiler puts the scalar deleting destructor: slot 0,
// a thiscall taking the delete flags. This base holds that slot with a
// placeholder of the same signature, so the callbacks follow from slot 1 as
// the SDK expects; should the SDK ever call it, it deletes nothing.
class SDKCallbackBase
{
public:
    virtual void *SdkDestructorSlot(unsigned int /*flags*/) { return this; }

protected:
    ~SDKCallbackBase() = default;
};

class ISDKCallback : public SDKCallbackBase
{
public:
    virtual void Initialize(int32_t code, const char *msg) = 0;
    virtual void SDKTokenExpired(const char *token) = 0;
    virtual void SDKError(int32_t code, const char *msg) = 0;
    virtual void ShowLogsResult(int32_t code, const char *msg) = 0;
    virtual void ResetSDKState(int32_t code, const char *msg) = 0;
};

// Logout type: 1 requested by the client, 2 forced by the meeting platform.
class IAuthenticationCallback : public SDKCallbackBase
{
public:
    virtual void Login(int32_t code, const char *msg) = 0;
    virtual void Logout(int32_t type, int32_t code, const char *msg) = 0;
    virtual void JumpUrlWithLoginStatus(int32_t code, const char *msg) = 0;
};

class IPreMeetingCallback : public SDKCallbackBase
{
public:
    virtual void JoinMeeting(int32_t code, const char *msg, const char *meeting_code) = 0;
    virtual void ShowScreenCastViewResult(int32_t code, const char *msg) = 0;
    virtual void ActionResult(int32_t action, int32_t code, const char *msg) = 0;
};

class IInMeetingCallback : public SDKCallbackBase
{
public:
    virtual void LeaveMeeting(int32_t type, int32_t code, const char *msg, const char *meeting_code) = 0;
    // invite_info is a JSON object: host_name, meeting_code, subject,
    // meeting_url, begin_time, end_time (seconds since the epoch), password.
    virtual void InviteMeeting(const char *invite_info) = 0;
    virtual void ShowMeetingInfo(const char *meeting_info) = 0;
};

class IAuthenticationService
{
public:
    virtual void SetCallback(IAuthenticationCallback *callback) = 0;
    virtual void Login(const char *sso_url) = 0;
    virtual void Logout() = 0;

protected:
    ~IAuthenticationService() = default;
};

class IPreMeetingService
{
public:
    virtual void SetCallback(IPreMeetingCallback *callback) = 0;
    virtual void JoinMeeting(const WemeetJoinParam &param) = 0;
    virtual void ShowScreenCastView() = 0;

protected:
    ~IPreMeetingService() = default;
};

class IInMeetingService
{
public:
    virtual void SetCallback(IInMeetingCallback *callback) = 0;
    virtual void LeaveMeeting(int32_t type) = 0;
    virtual void SetMeetingSetting(int32_t setting, int32_t value) = 0;

protected:
    ~IInMeetingService() = default;
};

// The SDK object. Owned by the library; fetch it anew before every use.
class IWemeetSDK
{
public:
    virtual void Initialize(const WemeetSDKParams &params, ISDKCallback *callback) = 0;
    virtual bool IsInitialized() = 0;
    virtual void Uninitialize() = 0;
    virtual IAuthenticationService *GetAuthenticationService() = 0;
    virtual IPreMeetingService *GetPreMeetingService() = 0;
    virtual IInMeetingService *GetInMeetingService() = 0;

protected:
    ~IWemeetSDK() = default;
};

extern "C" {
WEMEET_SDK_API IWemeetSDK *WEMEET_SDK_CALL GetWemeetSDKInstance();
WEMEET_SDK_API void WEMEET_SDK_CALL ReleaseWemeetSDKInstance();
// Writes the version text into buffer; size -1 means the SDK's own limit of
// 20 bytes, the terminating NUL included.
WEMEET_SDK_API void WEMEET_SDK_CALL GetWemeetSDKVersion(char *buffer, int32_t size);
}
