// A stand-in for wemeetsdk_x86.dll built the way the real library is: by a
// compiler for Microsoft's C++ ABI (clang for i686-pc-windows-msvc), with no
// C or C++ runtime. It answers the main road (initialise, sign in, join, one
// invitation, leave, sign out) and reports through every callback slot of the
// client at least once, always later and on the caller's thread through
// user32 timers, as the real library does. A client whose vtables differ from
// Microsoft's gets the wrong callback here, not only in the field.

#include "sdk/wemeetsdk.h"

// The few Windows functions used, declared here: no Windows SDK is needed.
extern "C" {
typedef void(__stdcall *TimerCallback)(void *window, unsigned int message, uintptr_t id, unsigned long time);
__declspec(dllimport) uintptr_t
    __stdcall SetTimer(void *window, uintptr_t id, unsigned int ms, TimerCallback fn);
__declspec(dllimport) int __stdcall KillTimer(void *window, uintptr_t id);
__declspec(dllimport) void __stdcall GetSystemTimeAsFileTime(uint64_t *time);
}

namespace {

constexpr unsigned int kCallbackDelayMs = 10;

enum class Call
{
    Initialize,
    SDKTokenExpired,
    SDKError,
    ShowLogsResult,
    ResetSDKState,
    Login,
    Logout,
    JumpUrlWithLoginStatus,
    JoinMeeting,
    ShowScreenCastViewResult,
    ActionResult,
    LeaveMeeting,
    InviteMeeting,
    ShowMeetingInfo
};

// One pending callback. For the two-argument callbacks `a` is the code; the
// texts point into State, which outlives the queue.
struct Event
{
    Call call;
    int32_t a;
    int32_t b;
    const char *text;
    const char *text2;
};

// A bounded text without a runtime: appends truncate.
struct Text
{
    char data[1024];
    unsigned int size;

    void clear()
    {
        size = 0;
        data[0] = '\0';
    }
    void add(char c)
    {
        if (size + 1 < sizeof(data)) {
            data[size++] = c;
            data[size] = '\0';
        }
    }
    void add(const char *s)
    {
        for (; s && *s; ++s)
            add(*s);
    }
    void addJson(const char *s)
    {
        add('"');
        addEscaped(s);
        add('"');
    }
    void addEscaped(const char *s)
    {
        for (; s && *s; ++s) {
            const unsigned char c = static_cast<unsigned char>(*s);
            if (c == '"' || c == '\\') {
                add('\\');
                add(*s);
            } else if (c < 0x20) {
                const char hex[] = "0123456789abcdef";
                add("\\u00");
                add(hex[c >> 4]);
                add(hex[c & 15]);
            } else {
                add(*s);
            }
        }
    }
    void addNumber(uint32_t n)
    {
        char digits[10];
        int count = 0;
        do {
            digits[count++] = char('0' + n % 10);
            n /= 10;
        } while (n);
        while (count)
            add(digits[--count]);
    }
};

// Everything lives in zero-initialised statics: there is no runtime to run
// constructors or destructors.
constexpr int kQueueSize = 32;
struct State
{
    ISDKCallback *sdkCallback;
    IAuthenticationCallback *authCallback;
    IPreMeetingCallback *preCallback;
    IInMeetingCallback *inCallback;
    bool initialized;
    bool signedIn;
    bool inMeeting;
    Text token;
    Text meetingCode;
    Text invite;
    Text meetingInfo;
    Event queue[kQueueSize];
    int head;
    int count;
    uintptr_t timer;
};
State g;

void stopTimer()
{
    if (g.timer)
        KillTimer(nullptr, g.timer);
    g.timer = 0;
}

void deliver(const Event &e)
{
    switch (e.call) {
    case Call::Initialize:
        if (g.sdkCallback)
            g.sdkCallback->Initialize(e.a, e.text);
        break;
    case Call::SDKTokenExpired:
        if (g.sdkCallback)
            g.sdkCallback->SDKTokenExpired(e.text);
        break;
    case Call::SDKError:
        if (g.sdkCallback)
            g.sdkCallback->SDKError(e.a, e.text);
        break;
    case Call::ShowLogsResult:
        if (g.sdkCallback)
            g.sdkCallback->ShowLogsResult(e.a, e.text);
        break;
    case Call::ResetSDKState:
        if (g.sdkCallback)
            g.sdkCallback->ResetSDKState(e.a, e.text);
        break;
    case Call::Login:
        if (g.authCallback)
            g.authCallback->Login(e.a, e.text);
        break;
    case Call::Logout:
        if (g.authCallback)
            g.authCallback->Logout(e.a, e.b, e.text);
        break;
    case Call::JumpUrlWithLoginStatus:
        if (g.authCallback)
            g.authCallback->JumpUrlWithLoginStatus(e.a, e.text);
        break;
    case Call::JoinMeeting:
        if (g.preCallback)
            g.preCallback->JoinMeeting(e.a, e.text, e.text2);
        break;
    case Call::ShowScreenCastViewResult:
        if (g.preCallback)
            g.preCallback->ShowScreenCastViewResult(e.a, e.text);
        break;
    case Call::ActionResult:
        if (g.preCallback)
            g.preCallback->ActionResult(e.a, e.b, e.text);
        break;
    case Call::LeaveMeeting:
        if (g.inCallback)
            g.inCallback->LeaveMeeting(e.a, e.b, e.text, e.text2);
        break;
    case Call::InviteMeeting:
        if (g.inCallback)
            g.inCallback->InviteMeeting(e.text);
        break;
    case Call::ShowMeetingInfo:
        if (g.inCallback)
            g.inCallback->ShowMeetingInfo(e.text);
        break;
    }
}

// One callback per timer tick, taken off the queue before it runs: the client
// may call the SDK again from inside it.
void __stdcall onTimer(void *, unsigned int, uintptr_t, unsigned long)
{
    if (g.count == 0) {
        stopTimer();
        return;
    }
    const Event e = g.queue[g.head];
    g.head = (g.head + 1) % kQueueSize;
    if (--g.count == 0)
        stopTimer();
    deliver(e);
}

void post(Call call, int32_t a, int32_t b = 0, const char *text = "", const char *text2 = "")
{
    if (g.count == kQueueSize)
        return; // a client this far behind gets no more answers
    g.queue[(g.head + g.count) % kQueueSize] = Event{call, a, b, text, text2};
    ++g.count;
    if (!g.timer)
        g.timer = SetTimer(nullptr, 0, kCallbackDelayMs, onTimer);
}

bool empty(const char *s)
{
    return !s || !*s;
}

uint32_t secondsSinceEpoch()
{
    uint64_t ticks = 0; // 100 ns since 1601
    GetSystemTimeAsFileTime(&ticks);
    // Shift-and-subtract: a 64-bit division would call the runtime.
    const uint64_t divisor = 10000000;
    uint64_t seconds = 0;
    uint64_t rest = 0;
    for (int bit = 63; bit >= 0; --bit) {
        rest = (rest << 1) | ((ticks >> bit) & 1);
        if (rest >= divisor) {
            rest -= divisor;
            seconds |= uint64_t(1) << bit;
        }
    }
    return uint32_t(seconds - 11644473600ULL);
}

class AuthenticationService final : public IAuthenticationService
{
public:
    void SetCallback(IAuthenticationCallback *callback) override { g.authCallback = callback; }
    void Login(const char *sso_url) override
    {
        if (!g.initialized || empty(sso_url)) {
            post(Call::Login, 2001, 0, "not initialised or no sign-in address");
            return;
        }
        g.signedIn = true;
        post(Call::Login, 0);
        post(Call::JumpUrlWithLoginStatus, 0);
    }
    void Logout() override
    {
        if (!g.signedIn) {
            post(Call::Logout, 1, 2002, "not signed in");
            return;
        }
        g.signedIn = false;
        post(Call::Logout, 1, 0);
    }
};

class PreMeetingService final : public IPreMeetingService
{
public:
    void SetCallback(IPreMeetingCallback *callback) override { g.preCallback = callback; }
    void JoinMeeting(const WemeetJoinParam &param) override
    {
        g.meetingCode.clear();
        g.meetingCode.add(param.meeting_code);
        if (!g.initialized || g.inMeeting || empty(param.meeting_code)) {
            post(Call::JoinMeeting, 3001, 0, "cannot join now", g.meetingCode.data);
            return;
        }
        g.inMeeting = true;
        post(Call::JoinMeeting, 0, 0, "", g.meetingCode.data);

        g.meetingInfo.clear();
        g.meetingInfo.add("{\"meeting_code\":");
        g.meetingInfo.addJson(param.meeting_code);
        g.meetingInfo.add('}');
        post(Call::ShowMeetingInfo, 0, 0, g.meetingInfo.data);
        post(Call::ActionResult, 0, 0);

        // The invitation the user would ask for inside the meeting.
        const uint32_t begin = secondsSinceEpoch();
        Text &t = g.invite;
        t.clear();
        t.add("{\"host_name\":");
        t.addJson(param.nickname);
        t.add(",\"meeting_code\":");
        t.addJson(param.meeting_code);
        t.add(",\"subject\":\"");
        t.addEscaped(param.nickname);
        t.add("的会议\",\"meeting_url\":");
        if (empty(param.join_url)) {
            t.add("\"https://meeting.vesk.example/j/");
            t.addEscaped(param.meeting_code);
            t.add('"');
        } else {
            t.addJson(param.join_url);
        }
        t.add(",\"begin_time\":");
        t.addNumber(begin);
        t.add(",\"end_time\":");
        t.addNumber(begin + 3600);
        t.add(",\"password\":\"\"}");
        post(Call::InviteMeeting, 0, 0, t.data);
    }
    void ShowScreenCastView() override { post(Call::ShowScreenCastViewResult, g.initialized ? 0 : 5001); }
};

class InMeetingService final : public IInMeetingService
{
public:
    void SetCallback(IInMeetingCallback *callback) override { g.inCallback = callback; }
    void LeaveMeeting(int32_t type) override
    {
        if (!g.inMeeting) {
            post(Call::LeaveMeeting, type, 4001, "not in a meeting", g.meetingCode.data);
            return;
        }
        g.inMeeting = false;
        post(Call::LeaveMeeting, type, 0, "", g.meetingCode.data);
    }
    void SetMeetingSetting(int32_t, int32_t) override {}
};

AuthenticationService g_auth;
PreMeetingService g_pre;
InMeetingService g_in;

void reset()
{
    stopTimer();
    g.count = 0;
    g.initialized = g.signedIn = g.inMeeting = false;
}

class Sdk final : public IWemeetSDK
{
public:
    void Initialize(const WemeetSDKParams &params, ISDKCallback *callback) override
    {
        g.sdkCallback = callback;
        if (empty(params.sdk_id) || empty(params.sdk_token) || empty(params.data_path)) {
            post(Call::Initialize, 1001, 0, "sdk id, token or data path missing");
            return;
        }
        g.initialized = true;
        g.token.clear();
        g.token.add(params.sdk_token);
        post(Call::Initialize, 0);
        // The reports a healthy session sends now and then, once each with
        // success, so that every slot is called on the main road.
        post(Call::ShowLogsResult, 0);
        post(Call::SDKError, 0);
        post(Call::ResetSDKState, 0);
        post(Call::SDKTokenExpired, 0, 0, g.token.data);
    }
    bool IsInitialized() override { return g.initialized; }
    void Uninitialize() override { reset(); }
    IAuthenticationService *GetAuthenticationService() override { return &g_auth; }
    IPreMeetingService *GetPreMeetingService() override { return &g_pre; }
    IInMeetingService *GetInMeetingService() override { return &g_in; }
};

Sdk g_sdk;

} // namespace

extern "C" {

IWemeetSDK *WEMEET_SDK_CALL GetWemeetSDKInstance()
{
    return &g_sdk;
}

void WEMEET_SDK_CALL ReleaseWemeetSDKInstance()
{
    reset();
    g.sdkCallback = nullptr;
    g.authCallback = nullptr;
    g.preCallback = nullptr;
    g.inCallback = nullptr;
}

void WEMEET_SDK_CALL GetWemeetSDKVersion(char *buffer, int32_t size)
{
    if (!buffer || size == 0)
        return;
    const unsigned int limit = (size < 0 || size > 20) ? 20 : unsigned(size);
    const char version[] = "3.6.0.532-msvc";
    static_assert(sizeof(version) <= 20, "version text must fit the caller's buffer");
    unsigned int n = 0;
    for (; n + 1 < limit && version[n]; ++n)
        buffer[n] = version[n];
    buffer[n] = '\0';
}
}
