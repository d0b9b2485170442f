// The Windows half of the platform layer, run for real. No Qt: this program
// is both the test and the helper processes it starts (the "--" modes).
// Usage: tst_wineplatform <case>; the cases are listed in main().
#include "app/platform.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <dbghelp.h>
#include <tlhelp32.h>
#include <wincrypt.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

int failures = 0;

bool check(bool ok, const char *what, int line, const std::string &context = std::string())
{
    if (!ok) {
        ++failures;
        std::printf("FAIL line %d: %s%s%s\n", line, what, context.empty() ? "" : " -- ", context.c_str());
        std::fflush(stdout);
    }
    return ok;
}
#define CHECK(condition) check((condition), #condition, __LINE__)
#define CHECK_IN(condition, context) check((condition), #condition, __LINE__, (context))

// How long a helper lives at most, so a failed test leaves nothing behind.
const DWORD helperLifetimeMs = 120000;
// How long the test waits for something that should happen at once.
const DWORD promptMs = 20000;

std::string utf8(const std::wstring &wide)
{
    if (wide.empty())
        return std::string();
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), &text[0], size, nullptr, nullptr);
    return text;
}

std::wstring selfPath()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, length);
}

std::wstring quoted(const std::wstring &text)
{
    return L"\"" + text + L"\"";
}

std::vector<std::wstring> wideArguments()
{
    int count = 0;
    LPWSTR *wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> arguments(wide, wide + count);
    LocalFree(wide);
    return arguments;
}

// Starts this program with the given arguments (already quoted as needed).
HANDLE spawn(const std::wstring &arguments, DWORD *pid = nullptr)
{
    std::wstring commandLine = quoted(selfPath()) + L" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(selfPath().c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::printf("could not start %s: error %lu\n", utf8(commandLine).c_str(), GetLastError());
        return nullptr;
    }
    CloseHandle(process.hThread);
    if (pid)
        *pid = process.dwProcessId;
    return process.hProcess;
}

std::wstring scratchFolder(const std::wstring &name)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"vesk-" + name + L"-" +
                                std::to_wstring(GetCurrentProcessId()) + L"-" +
                                std::to_wstring(GetTickCount());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

bool waitUntil(const std::function<bool()> &condition, DWORD timeoutMs = promptMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() > end)
            return false;
        Sleep(20);
    }
    return true;
}

std::vector<DWORD> childrenOf(DWORD parent)
{
    std::vector<DWORD> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return children;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID == parent && entry.th32ProcessID != parent)
            children.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return children;
}

struct Member
{
    DWORD pid;
    DWORD parent;
    HANDLE handle;
};

// The running descendants of root, parents before their children, each held
// open so its id cannot be reused and its end can be read afterwards.
std::vector<Member> holdDescendants(DWORD root)
{
    std::vector<Member> members;
    std::vector<DWORD> parents{root};
    while (!parents.empty()) {
        const DWORD parent = parents.front();
        parents.erase(parents.begin());
        for (DWORD child : childrenOf(parent)) {
            HANDLE handle = OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, child);
            if (!handle)
                continue;
            members.push_back({child, parent, handle});
            parents.push_back(child);
        }
    }
    return members;
}

// Lets go of the members; ending them first, so a failed case leaves none.
void release(std::vector<Member> &members, bool end)
{
    for (Member &member : members) {
        if (end)
            TerminateProcess(member.handle, 1);
        CloseHandle(member.handle);
    }
    members.clear();
}

bool ended(HANDLE process, DWORD timeoutMs = 0)
{
    return WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
}

DWORD exitCode(HANDLE process)
{
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process, &code);
    return code;
}

ULONGLONG exitTime(HANDLE process)
{
    FILETIME creation, exit, kernel, user;
    if (!GetProcessTimes(process, &creation, &exit, &kernel, &user))
        return 0;
    return (ULONGLONG(exit.dwHighDateTime) << 32) | exit.dwLowDateTime;
}

HANDLE memberHandle(const std::vector<Member> &members, DWORD pid, HANDLE rootHandle)
{
    for (const Member &member : members) {
        if (member.pid == pid)
            return member.handle;
    }
    return rootHandle;
}

// Every member ended by the routine (exit code 0) and no later than its parent.
void checkTreeEnded(const std::vector<Member> &members, HANDLE root)
{
    CHECK(ended(root, promptMs));
    CHECK(exitCode(root) == 0);
    for (const Member &member : members) {
        const std::string who = "process " + std::to_string(member.pid);
        if (!CHECK_IN(ended(member.handle, promptMs), who))
            continue;
        CHECK_IN(exitCode(member.handle) == 0, who);
        const HANDLE parent = memberHandle(members, member.parent, root);
        CHECK_IN(exitTime(member.handle) != 0 && exitTime(member.handle) <= exitTime(parent),
                 who + " ended after its parent " + std::to_string(member.parent));
    }
}

// "yyyyMMddHHmmsszzz" of the local time now.
std::string localStamp()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u%02u%02u%02u%02u%02u%03u", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    return stamp;
}

std::string readFile(const std::wstring &path)
{
    std::string content;
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return content;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        content.append(buffer, read);
    CloseHandle(file);
    return content;
}

bool writeFile(const std::wstring &path, const std::string &content)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, content.data(), DWORD(content.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == content.size();
}

std::vector<std::wstring> filesIn(const std::wstring &folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

// ---------------------------------------------------------------- helpers

// A node of a process tree: starts two children one level lower, then waits
// to be ended.
int helperNode(int level)
{
    for (int i = 0; i < 2 && level > 0; ++i) {
        HANDLE child = spawn(L"--node " + std::to_wstring(level - 1));
        if (child)
            CloseHandle(child);
    }
    Sleep(helperLifetimeMs);
    return 2;
}

// Builds a tree below itself, waits for the test's go and ends it all with
// the routine called for this process.
int helperSelfTree(const std::wstring &goEvent)
{
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, goEvent.c_str());
    for (int i = 0; i < 2; ++i) {
        HANDLE child = spawn(L"--node 1");
        if (child)
            CloseHandle(child);
    }
    if (WaitForSingleObject(go, helperLifetimeMs) != WAIT_OBJECT_0)
        return 2;
    killProcessTree();
    return 3; // the routine came back
}

std::wstring crashMarker;

void markCrashNotified()
{
    writeFile(crashMarker, "notified");
}

// Telling the user can fail as well (a message box off the GUI thread).
void markCrashNotifiedAndFault()
{
    markCrashNotified();
    *static_cast<volatile int *>(nullptr) = 2;
}

DWORD WINAPI faultingThread(void *)
{
    writeFile(crashMarker + L".thread", std::to_string(GetCurrentThreadId()));
    *static_cast<volatile int *>(nullptr) = 1;
    return 0;
}

volatile bool deeper = true;

int overflow(volatile char *previous)
{
    volatile char frame[4096];
    frame[0] = previous ? previous[0] : 1;
    return deeper ? overflow(frame) + frame[1] : 0;
}

DWORD WINAPI overflowingThread(void *)
{
    writeFile(crashMarker + L".thread", std::to_string(GetCurrentThreadId()));
    return DWORD(overflow(nullptr));
}

int helperCrash(const std::wstring &kind, const std::wstring &folder, const std::wstring &marker)
{
    crashMarker = marker;
    installCrashHandler(utf8(folder), kind == L"notify" ? markCrashNotifiedAndFault : markCrashNotified);
    if (kind == L"thread" || kind == L"overflow") {
        HANDLE thread = CreateThread(nullptr, 0, kind == L"thread" ? faultingThread : overflowingThread,
                                     nullptr, 0, nullptr);
        WaitForSingleObject(thread, helperLifetimeMs);
        return 2;
    }
    faultingThread(nullptr);
    return 2;
}

// Writes what the layer makes of this process's command line: each argument
// followed by a zero byte.
int helperArguments(int argc, char **argv)
{
    wchar_t out[MAX_PATH];
    if (!GetEnvironmentVariableW(L"VESK_ARGUMENTS_OUT", out, MAX_PATH))
        return 2;
    std::string content;
    for (const std::string &argument : programArguments(argc, argv))
        content += argument + '\0';
    return writeFile(out, content) ? 0 : 2;
}

const wchar_t productTitle[] = L"Vesk\u4e91\u4f1a\u8bae"; // Vesk云会议

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM w, LPARAM l)
{
    if (message == WM_TIMER)
        PostQuitMessage(0);
    return DefWindowProcW(window, message, w, l);
}

// A minimised top-level window titled like the product, as a first instance
// has.
int helperWindow(const std::wstring &readyEvent)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VeskTestWindow";
    RegisterClassW(&windowClass);
    // A hidden one first, above in the window order, as a closed screen may be.
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, productTitle, WS_OVERLAPPEDWINDOW, 10, 10,
                                  300, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
    HWND hidden = CreateWindowExW(0, windowClass.lpszClassName, productTitle, WS_OVERLAPPEDWINDOW, 10, 10,
                                  300, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window || !hidden)
        return 2;
    ShowWindow(window, SW_SHOWMINNOACTIVE);
    SetTimer(window, 1, helperLifetimeMs, nullptr);
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, readyEvent.c_str());
    SetEvent(ready);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}

// ---------------------------------------------------------------- cases

void processTreeEndsDeepestFirstAndNothingElse()
{
    HANDLE bystander = spawn(L"--node 0");
    DWORD rootPid = 0;
    HANDLE root = spawn(L"--node 2", &rootPid);
    if (!CHECK(bystander && root))
        return;
    std::vector<Member> members;
    // Two children with two grandchildren each.
    CHECK(waitUntil([&] {
        release(members, false);
        members = holdDescendants(rootPid);
        return members.size() == 6;
    }));

    killProcessTree(rootPid);

    checkTreeEnded(members, root);
    CHECK(!ended(bystander));
    TerminateProcess(bystander, 1);
    TerminateProcess(root, 1);
    release(members, true);
    CloseHandle(bystander);
    CloseHandle(root);
}

void processTreeOfSelfEndsWithItsChildren()
{
    const std::wstring goEvent = L"VeskTestGo" + std::to_wstring(GetCurrentProcessId());
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, goEvent.c_str());
    DWORD helperPid = 0;
    HANDLE helper = spawn(L"--self-tree " + goEvent, &helperPid);
    if (!CHECK(helper))
        return;
    std::vector<Member> members;
    CHECK(waitUntil([&] {
        release(members, false);
        members = holdDescendants(helperPid);
        return members.size() == 6;
    }));
    SetEvent(go);

    checkTreeEnded(members, helper);
    TerminateProcess(helper, 1);
    release(members, true);
    CloseHandle(helper);
    CloseHandle(go);
}

bool isDumpName(const std::wstring &name, std::string *stamp)
{
    const std::wstring prefix = L"VeskMeeting_", suffix = L".dmp";
    if (name.size() != prefix.size() + 17 + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    stamp->clear();
    for (size_t i = prefix.size(); i < prefix.size() + 17; ++i) {
        if (name[i] < L'0' || name[i] > L'9')
            return false;
        *stamp += char(name[i]);
    }
    return true;
}

void unhandledFaultWritesDumpAndTellsUser()
{
    struct Case
    {
        const char *name;
        const wchar_t *kind;
        const wchar_t *folder; // below the scratch folder; null: a folder that does not exist
        DWORD exceptionCode;
    };
    const Case cases[] = {
        {"main thread", L"main", L"data", EXCEPTION_ACCESS_VIOLATION},
        {"other thread", L"thread", L"data", EXCEPTION_ACCESS_VIOLATION},
        {"Chinese data folder", L"main", L"\u7528\u6237 \u6570\u636e", EXCEPTION_ACCESS_VIOLATION},
        {"stack overflow", L"overflow", L"data", EXCEPTION_STACK_OVERFLOW},
        {"missing data folder", L"main", nullptr, EXCEPTION_ACCESS_VIOLATION},
        {"fault while telling the user", L"notify", L"data", EXCEPTION_ACCESS_VIOLATION},
    };
    for (const Case &c : cases) {
        const std::string name = c.name;
        const std::wstring scratch = scratchFolder(L"crash");
        const std::wstring folder = scratch + L"\\" + (c.folder ? c.folder : L"missing");
        if (c.folder)
            CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring marker = scratch + L"\\notified";

        const std::string before = localStamp();
        HANDLE helper =
            spawn(L"--crash " + std::wstring(c.kind) + L" " + quoted(folder) + L" " + quoted(marker));
        if (!CHECK_IN(helper, name))
            continue;
        const bool helperEnded = CHECK_IN(ended(helper, promptMs * 3), name);
        const std::string after = localStamp();
        CHECK_IN(exitCode(helper) == c.exceptionCode,
                 name + ", exit code " + std::to_string(exitCode(helper)));
        TerminateProcess(helper, 1);
        CloseHandle(helper);
        if (!helperEnded)
            continue;
        CHECK_IN(readFile(marker) == "notified", name + ": the user was not told");

        const std::vector<std::wstring> files = filesIn(folder);
        if (!c.folder) {
            CHECK_IN(files.empty(), name);
            continue;
        }
        if (!CHECK_IN(files.size() == 1, name + ", files: " + std::to_string(files.size())))
            continue;
        std::string stamp;
        CHECK_IN(isDumpName(files[0], &stamp), name + ": " + utf8(files[0]));
        CHECK_IN(before <= stamp && stamp <= after, name + ": " + before + " <= " + stamp + " <= " + after);

        const std::string dump = readFile(folder + L"\\" + files[0]);
        if (!CHECK_IN(dump.compare(0, 4, "MDMP") == 0, name))
            continue;
        MINIDUMP_DIRECTORY *directory = nullptr;
        void *stream = nullptr;
        ULONG size = 0;
        const bool hasException = MiniDumpReadDumpStream(const_cast<char *>(dump.data()), ExceptionStream,
                                                         &directory, &stream, &size) &&
                                  size >= sizeof(MINIDUMP_EXCEPTION_STREAM);
        if (!CHECK_IN(hasException, name + ": no exception stream"))
            continue;
        const auto *exception = static_cast<const MINIDUMP_EXCEPTION_STREAM *>(stream);
        CHECK_IN(exception->ExceptionRecord.ExceptionCode == c.exceptionCode, name);
        CHECK_IN(std::to_string(exception->ThreadId) == readFile(marker + L".thread"),
                 name + ": dump names thread " + std::to_string(exception->ThreadId));
    }
}

void linkOnCommandLineArrivesInCodePage()
{
    // The product runs on Chinese Windows; the runner starts Wine so.
    if (!CHECK_IN(GetACP() == 936,
                  "system code page " + std::to_string(GetACP()) + ", start Wine with LC_ALL=zh_CN.UTF-8"))
        return;
    struct Case
    {
        const char *name;
        const wchar_t *arguments;
        std::vector<std::string> expected; // without the program path
    };
    // 云会议 and 张 三 in code page 936.
    const std::string cloudMeeting = "\xd4\xc6\xbb\xe1\xd2\xe9";
    const std::string zhangSan = "\xd5\xc5 \xc8\xfd";
    const std::vector<Case> cases = {
        {"quoted link",
         L"\"vesk://meeting?meetingCode=123456789&name=%E5%BC%A0%E4%B8%89&companycode=\u4e91\u4f1a\u8bae\"",
         {"vesk://meeting?meetingCode=123456789&name=%E5%BC%A0%E4%B8%89&companycode=" + cloudMeeting}},
        {"bare link",
         L"vesk://meeting?name=\u4e91\u4f1a\u8bae&phone=%2B8613800000000",
         {"vesk://meeting?name=" + cloudMeeting + "&phone=%2B8613800000000"}},
        {"link with a blank", L"\"vesk://meeting?name=\u5f20 \u4e09\"", {"vesk://meeting?name=" + zhangSan}},
        {"characters outside the code page",
         L"\"vesk://meeting?name=\uae40%20\U0001F600\"",
         {"vesk://meeting?name=%EA%B9%80%20%F0%9F%98%80"}},
        // Three or more arguments: the start-up sees no launch parameter.
        {"link and one more word",
         L"\"vesk://meeting?meetingCode=1\" extra",
         {"vesk://meeting?meetingCode=1", "extra"}},
        {"link and two more words",
         L"vesk://meeting?meetingCode=1 a \"b c\"",
         {"vesk://meeting?meetingCode=1", "a", "b c"}},
        {"nothing", L"", {}},
    };
    const std::wstring scratch = scratchFolder(L"arguments");
    for (const Case &c : cases) {
        const std::string name = c.name;
        const std::wstring out = scratch + L"\\arguments";
        DeleteFileW(out.c_str());
        SetEnvironmentVariableW(L"VESK_ARGUMENTS_OUT", out.c_str());
        HANDLE helper = spawn(std::wstring(L"--arguments ") + c.arguments);
        SetEnvironmentVariableW(L"VESK_ARGUMENTS_OUT", nullptr);
        if (!CHECK_IN(helper && ended(helper, promptMs) && exitCode(helper) == 0, name))
            continue;
        CloseHandle(helper);

        std::vector<std::string> got;
        const std::string content = readFile(out);
        for (size_t start = 0, end; (end = content.find('\0', start)) != std::string::npos; start = end + 1)
            got.push_back(content.substr(start, end - start));
        // The helper sees its own mode word after the program path.
        if (!CHECK_IN(got.size() == c.expected.size() + 2 && got[1] == "--arguments",
                      name + ", arguments: " + std::to_string(got.size())))
            continue;
        CHECK_IN(!got[0].empty(), name);
        for (size_t i = 0; i < c.expected.size(); ++i)
            CHECK_IN(got[i + 2] == c.expected[i], name + ": got \"" + got[i + 2] + "\"");
    }
}

struct OwnerSearch
{
    DWORD pid;
    HWND found;
};

BOOL CALLBACK matchOwner(HWND window, LPARAM parameter)
{
    auto *search = reinterpret_cast<OwnerSearch *>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->pid || !IsWindowVisible(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND visibleWindowOfProcess(DWORD pid)
{
    OwnerSearch search{pid, nullptr};
    EnumWindows(matchOwner, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void windowLookupNeedsTheExactTitle()
{
    const std::wstring readyName = L"VeskTestWindowReady" + std::to_wstring(GetCurrentProcessId());
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, readyName.c_str());
    DWORD pid = 0;
    HANDLE helper = spawn(L"--window " + readyName, &pid);
    if (!CHECK(helper && WaitForSingleObject(ready, promptMs) == WAIT_OBJECT_0))
        return;
    const HWND window = visibleWindowOfProcess(pid);
    CHECK(window && IsIconic(window));

    struct Case
    {
        const char *name;
        std::wstring title;
        bool found;
    };
    const std::wstring title = productTitle;
    const Case cases[] = {
        {"other case", L"VESK\u4e91\u4f1a\u8bae", false},
        {"shorter", title.substr(0, title.size() - 1), false},
        {"longer", title + L" ", false},
        {"empty", L"", false},
        {"exact", title, true},
    };
    for (const Case &c : cases)
        CHECK_IN(raiseWindowWithTitle(c.title) == c.found, c.name);
    CHECK(!IsIconic(window));
    CHECK(GetForegroundWindow() == window);

    TerminateProcess(helper, 0);
    CHECK(ended(helper, promptMs));
    CHECK_IN(!raiseWindowWithTitle(title), "window closed");
    CloseHandle(helper);
    CloseHandle(ready);
}

bool copyWithFlippedByte(const std::wstring &from, const std::wstring &to)
{
    std::string content = readFile(from);
    if (content.size() < 8192)
        return false;
    // Inside the code, far from the headers and the signature at the end.
    content[content.size() / 3] ^= 0x5a;
    return writeFile(to, content);
}

// The signed copy and its certificate come from the runner (openssl,
// osslsigncode). Wine does not hold an untrusted root against a signature, so
// the certificate is made a trusted root first, as a release's chain is.
void onlySoundSignaturesPass()
{
    wchar_t signedProgram[MAX_PATH] = {}, certificatePath[MAX_PATH] = {};
    GetEnvironmentVariableW(L"VESK_SIGNED_PROGRAM", signedProgram, MAX_PATH);
    GetEnvironmentVariableW(L"VESK_SIGNING_CERTIFICATE", certificatePath, MAX_PATH);
    if (!CHECK_IN(*signedProgram && *certificatePath,
                  "the runner passes a signed program and its certificate"))
        return;

    const std::wstring scratch = scratchFolder(L"signature");
    const std::wstring unsignedCopy = scratch + L"\\\u4f1a\u8bae\u7a0b\u5e8f.exe"; // 会议程序.exe
    const std::wstring tampered = scratch + L"\\tampered.exe";
    CHECK(CopyFileW(selfPath().c_str(), unsignedCopy.c_str(), FALSE));
    CHECK(copyWithFlippedByte(signedProgram, tampered));

    const std::string der = readFile(certificatePath);
    HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
    PCCERT_CONTEXT trusted = nullptr;
    if (!CHECK(root && CertAddEncodedCertificateToStore(
                           root, X509_ASN_ENCODING, reinterpret_cast<const BYTE *>(der.data()),
                           DWORD(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, &trusted)))
        return;

    struct Case
    {
        const char *name;
        std::wstring path;
        bool accepted;
    };
    std::wstring qtStylePath = signedProgram;
    for (wchar_t &c : qtStylePath)
        c = c == L'\\' ? L'/' : c;
    const std::wstring notAProgram = scratch + L"\\notes.exe";
    writeFile(notAProgram, "MZ but not a program");
    const Case cases[] = {
        {"signed", signedProgram, true},
        {"signed, path with forward slashes as Qt writes it", qtStylePath, true},
        {"not a program", notAProgram, false},
        {"signed, changed afterwards", tampered, false},
        {"unsigned", selfPath(), false},
        {"unsigned with a Chinese name", unsignedCopy, false},
        {"missing file", scratch + L"\\missing.exe", false},
        {"empty path", L"", false},
    };
    for (const Case &c : cases) {
        std::string why;
        CHECK_IN(verifyProgramSignature(utf8(c.path), &why) == c.accepted, c.name);
        // A refusal says why, for the update's log line.
        CHECK_IN(c.accepted == why.empty(), c.name);
    }

    CertDeleteCertificateFromStore(trusted);
    CertCloseStore(root, 0);
}

// A connection open in the process, as Qt's HTTP connections are, gets its
// send delay turned off; a listening socket is not touched.
void tcpConnectionsSendAtOnce()
{
    WSADATA data;
    if (!CHECK(WSAStartup(MAKEWORD(2, 2), &data) == 0))
        return;
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    CHECK(bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
    CHECK(listen(listener, 1) == 0);
    CHECK(getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) == 0);
    const SOCKET client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    CHECK(connect(client, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
    const SOCKET server = accept(listener, nullptr, nullptr);
    CHECK(server != INVALID_SOCKET);

    auto noDelay = [](SOCKET s) {
        BOOL on = FALSE;
        int size = sizeof on;
        return getsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<char *>(&on), &size) == 0 && on;
    };
    CHECK(!noDelay(client));
    sendTcpWritesAtOnce();
    CHECK(noDelay(client));
    CHECK(noDelay(server));
    closesocket(server);
    closesocket(client);
    closesocket(listener);
    WSACleanup();
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::wstring> arguments = wideArguments();
    const std::wstring mode = arguments.size() > 1 ? arguments[1] : std::wstring();
    if (mode == L"--node" && arguments.size() == 3)
        return helperNode(std::stoi(arguments[2]));
    if (mode == L"--self-tree" && arguments.size() == 3)
        return helperSelfTree(arguments[2]);
    if (mode == L"--crash" && arguments.size() == 5)
        return helperCrash(arguments[2], arguments[3], arguments[4]);
    if (mode == L"--arguments")
        return helperArguments(argc, argv);
    if (mode == L"--window" && arguments.size() == 3)
        return helperWindow(arguments[2]);

    setPlatformLogger([](const char *line) { std::printf("platform: %s\n", line); });
    const struct
    {
        const wchar_t *name;
        void (*run)();
    } cases[] = {
        {L"processTree", processTreeEndsDeepestFirstAndNothingElse},
        {L"processTreeOfSelf", processTreeOfSelfEndsWithItsChildren},
        {L"crashDump", unhandledFaultWritesDumpAndTellsUser},
        {L"commandLine", linkOnCommandLineArrivesInCodePage},
        {L"windowLookup", windowLookupNeedsTheExactTitle},
        {L"programSignature", onlySoundSignaturesPass},
        {L"tcpNoDelay", tcpConnectionsSendAtOnce},
    };
    for (const auto &c : cases) {
        if (mode != c.name)
            continue;
        c.run();
        std::printf("%s %s\n", failures ? "FAIL" : "PASS", utf8(c.name).c_str());
        return failures ? 1 : 0;
    }
    std::printf("unknown case \"%s\"\n", utf8(mode).c_str());
    return 1;
}
