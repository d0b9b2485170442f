// The client's side of the SDK boundary, built by mingw as the client is, run
// under Wine against the stand-in SDK built for Microsoft's ABI
// (sdk-sim/msvc). Walks the main road the way WeMeetManager does and checks
// that each callback arrives in its own slot with its own arguments, later
// (never inside a call into the SDK) and on this, the GUI, thread.

#include "sdk/wemeetsdk.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string g_log;
DWORD g_guiThread = 0;
bool g_inSdkCall = false;

void record(std::string line)
{
    if (GetCurrentThreadId() != g_guiThread)
        line += " [not on the GUI thread]";
    if (g_inSdkCall)
        line += " [inside the SDK call]";
    g_log += line + "\n";
}

std::string str(const char *s)
{
    return s ? s : "(null)";
}

std::string num(int32_t n)
{
    return std::to_string(n);
}

// Every call into the SDK goes through here, so a callback made during one
// shows in the log.
template <typename F> void sdkCall(F f)
{
    g_inSdkCall = true;
    f(GetWemeetSDKInstance());
    g_inSdkCall = false;
}

const WemeetJoinParam kJoin{"123456789", "张三", "", "", true, false, false, true};

struct Sdk final : ISDKCallback
{
    void Initialize(int32_t code, const char *msg) override
    {
        record("Initialize " + num(code) + " " + str(msg));
        bool initialized = false;
        sdkCall([&](IWemeetSDK *sdk) {
            initialized = sdk->IsInitialized();
            sdk->GetInMeetingService()->SetMeetingSetting(1, 0);
            sdk->GetInMeetingService()->SetMeetingSetting(0, 1);
            sdk->GetAuthenticationService()->Login("https://sso.vesk.example/login?token=id-token");
        });
        record(initialized ? "IsInitialized yes" : "IsInitialized no");
    }
    void SDKTokenExpired(const char *token) override { record("SDKTokenExpired " + str(token)); }
    void SDKError(int32_t code, const char *msg) override
    {
        record("SDKError " + num(code) + " " + str(msg));
    }
    void ShowLogsResult(int32_t code, const char *msg) override
    {
        record("ShowLogsResult " + num(code) + " " + str(msg));
    }
    void ResetSDKState(int32_t code, const char *msg) override
    {
        record("ResetSDKState " + num(code) + " " + str(msg));
    }
} g_sdk;

struct Auth final : IAuthenticationCallback
{
    void Login(int32_t code, const char *msg) override
    {
        record("Login " + num(code) + " " + str(msg));
        sdkCall([](IWemeetSDK *sdk) { sdk->GetPreMeetingService()->JoinMeeting(kJoin); });
    }
    void Logout(int32_t type, int32_t code, const char *msg) override
    {
        record("Logout " + num(type) + " " + num(code) + " " + str(msg));
        bool initialized = true;
        sdkCall([&](IWemeetSDK *sdk) {
            sdk->Uninitialize();
            initialized = sdk->IsInitialized();
        });
        record(initialized ? "IsInitialized yes" : "IsInitialized no");
        ReleaseWemeetSDKInstance();
        PostQuitMessage(0);
    }
    void JumpUrlWithLoginStatus(int32_t code, const char *msg) override
    {
        record("JumpUrlWithLoginStatus " + num(code) + " " + str(msg));
    }
} g_auth;

struct PreMeeting final : IPreMeetingCallback
{
    void JoinMeeting(int32_t code, const char *msg, const char *meetingCode) override
    {
        record("JoinMeeting " + num(code) + " " + str(msg) + " " + str(meetingCode));
    }
    void ShowScreenCastViewResult(int32_t code, const char *msg) override
    {
        record("ShowScreenCastViewResult " + num(code) + " " + str(msg));
        sdkCall([](IWemeetSDK *sdk) { sdk->GetInMeetingService()->LeaveMeeting(0); });
    }
    void ActionResult(int32_t action, int32_t code, const char *msg) override
    {
        record("ActionResult " + num(action) + " " + num(code) + " " + str(msg));
    }
} g_preMeeting;

struct InMeeting final : IInMeetingCallback
{
    void LeaveMeeting(int32_t type, int32_t code, const char *msg, const char *meetingCode) override
    {
        record("LeaveMeeting " + num(type) + " " + num(code) + " " + str(msg) + " " + str(meetingCode));
        sdkCall([](IWemeetSDK *sdk) { sdk->GetAuthenticationService()->Logout(); });
    }
    void InviteMeeting(const char *info) override
    {
        // The times in it are the stand-in's clock: keep the fixed part.
        const std::string json = str(info);
        record("InviteMeeting " + json.substr(0, json.find(",\"begin_time\"")));
        sdkCall([](IWemeetSDK *sdk) { sdk->GetPreMeetingService()->ShowScreenCastView(); });
    }
    void ShowMeetingInfo(const char *info) override { record("ShowMeetingInfo " + str(info)); }
} g_inMeeting;

void CALLBACK onTimeout(HWND, UINT, UINT_PTR, DWORD)
{
    PostQuitMessage(2);
}

const char kExpected[] = "Version 3.6.0.532-msvc\n"
                         "Initialize 0 \n"
                         "IsInitialized yes\n"
                         "ShowLogsResult 0 \n"
                         "SDKError 0 \n"
                         "ResetSDKState 0 \n"
                         "SDKTokenExpired sdk-token\n"
                         "Login 0 \n"
                         "JumpUrlWithLoginStatus 0 \n"
                         "JoinMeeting 0  123456789\n"
                         "ShowMeetingInfo {\"meeting_code\":\"123456789\"}\n"
                         "ActionResult 0 0 \n"
                         "InviteMeeting {\"host_name\":\"张三\",\"meeting_code\":\"123456789\",\"subject\":"
                         "\"张三的会议\",\"meeting_url\":\"https://meeting.vesk.example/j/123456789\"\n"
                         "ShowScreenCastViewResult 0 \n"
                         "LeaveMeeting 0 0  123456789\n"
                         "Logout 1 0 \n"
                         "IsInitialized no\n";

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2 || std::string(argv[1]) != "mainRoad") {
        std::printf("usage: sdkdriver mainRoad\n");
        return 1;
    }
    g_guiThread = GetCurrentThreadId();

    char version[20];
    std::memset(version, 'x', sizeof(version));
    GetWemeetSDKVersion(version, -1);
    record("Version " + std::string(version, strnlen(version, sizeof(version))));

    const WemeetSDKParams params{"sdk-id",         "sdk-token",   "",           "",
                                 "C:/users/data/", "VeskMeeting", "C:/logo.ico"};
    sdkCall([&](IWemeetSDK *sdk) {
        sdk->GetAuthenticationService()->SetCallback(&g_auth);
        sdk->GetPreMeetingService()->SetCallback(&g_preMeeting);
        sdk->GetInMeetingService()->SetCallback(&g_inMeeting);
        sdk->Initialize(params, &g_sdk);
    });

    // The road takes about 20 timer ticks; a lost callback ends it here.
    SetTimer(nullptr, 0, 20000, onTimeout);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);

    std::printf("%s", g_log.c_str());
    if (g_log != kExpected) {
        std::printf("FAIL: the callbacks differ from the main road%s; expected:\n%s",
                    msg.wParam == 2 ? " (timed out)" : "", kExpected);
        return 1;
    }
    std::printf("PASS: the main road through every callback slot\n");
    return 0;
}
