// One implementation of each interface of sdk/wemeetsdk.h, for the vtable
// dumps of check-layout.sh: compiled by mingw and by clang for Microsoft's
// ABI, never linked.

#include "sdk/wemeetsdk.h"

// The records cross the boundary by address: both compilers must lay them out
// as seven pointers, and four pointers and four bytes.
constexpr unsigned int kPointer = sizeof(const char *);
static_assert(sizeof(WemeetSDKParams) == 7 * kPointer, "WemeetSDKParams");
static_assert(__builtin_offsetof(WemeetJoinParam, show_invite_button) == 4 * kPointer + 3, "WemeetJoinParam");
static_assert(sizeof(WemeetJoinParam) == 4 * kPointer + alignof(const char *), "WemeetJoinParam");

struct SdkCallbackProbe final : ISDKCallback
{
    void Initialize(int32_t, const char *) override {}
    void SDKTokenExpired(const char *) override {}
    void SDKError(int32_t, const char *) override {}
    void ShowLogsResult(int32_t, const char *) override {}
    void ResetSDKState(int32_t, const char *) override {}
} sdkCallbackProbe;

struct AuthenticationCallbackProbe final : IAuthenticationCallback
{
    void Login(int32_t, const char *) override {}
    void Logout(int32_t, int32_t, const char *) override {}
    void JumpUrlWithLoginStatus(int32_t, const char *) override {}
} authenticationCallbackProbe;

struct PreMeetingCallbackProbe final : IPreMeetingCallback
{
    void JoinMeeting(int32_t, const char *, const char *) override {}
    void ShowScreenCastViewResult(int32_t, const char *) override {}
    void ActionResult(int32_t, int32_t, const char *) override {}
} preMeetingCallbackProbe;

struct InMeetingCallbackProbe final : IInMeetingCallback
{
    void LeaveMeeting(int32_t, int32_t, const char *, const char *) override {}
    void InviteMeeting(const char *) override {}
    void ShowMeetingInfo(const char *) override {}
} inMeetingCallbackProbe;

struct AuthenticationServiceProbe final : IAuthenticationService
{
    void SetCallback(IAuthenticationCallback *) override {}
    void Login(const char *) override {}
    void Logout() override {}
} authenticationServiceProbe;

struct PreMeetingServiceProbe final : IPreMeetingService
{
    void SetCallback(IPreMeetingCallback *) override {}
    void JoinMeeting(const WemeetJoinParam &) override {}
    void ShowScreenCastView() override {}
} preMeetingServiceProbe;

struct InMeetingServiceProbe final : IInMeetingService
{
    void SetCallback(IInMeetingCallback *) override {}
    void LeaveMeeting(int32_t) override {}
    void SetMeetingSetting(int32_t, int32_t) override {}
} inMeetingServiceProbe;

struct SdkProbe final : IWemeetSDK
{
    void Initialize(const WemeetSDKParams &, ISDKCallback *) override {}
    bool IsInitialized() override { return false; }
    void Uninitialize() override {}
    IAuthenticationService *GetAuthenticationService() override { return nullptr; }
    IPreMeetingService *GetPreMeetingService() override { return nullptr; }
    IInMeetingService *GetInMeetingService() override { return nullptr; }
} sdkProbe;
