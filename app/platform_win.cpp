#include "app/platform.h"

// Before windows.h, which would pull in the old Winsock otherwise.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <dbghelp.h>
#include <softpub.h>
#include <tlhelp32.h>
#include <wintrust.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

void (*platformLog)(const char *) = nullptr;
std::wstring dumpFolder;
void (*notifyUserOfCrash)() = nullptr;

std::wstring fromUtf8(const std::string &text)
{
    if (text.empty())
        return std::wstring();
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(size > 0 ? size : 0), L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), &wide[0], size);
    return wide;
}

std::string toCodePage(const wchar_t *wide)
{
    const int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return std::string();
    std::string text(size_t(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, -1, &text[0], size, nullptr, nullptr);
    text.resize(size_t(size - 1));
    return text;
}

std::string toUtf8(const wchar_t *wide, int length)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    std::string text(size_t(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide, length, &text[0], size, nullptr, nullptr);
    return text;
}

// A link in the system code page. Characters the code page lacks would turn
// into "?" (or a look-alike): they go as percent-escaped UTF-8 instead, which
// the link's query decoding turns back into the same characters.
std::string linkToCodePage(const wchar_t *wide)
{
    const UINT codePage = GetACP();
    if (codePage == CP_UTF8)
        return toCodePage(wide);
    std::string text;
    for (const wchar_t *c = wide; *c;) {
        const int length = IS_HIGH_SURROGATE(c[0]) && IS_LOW_SURROGATE(c[1]) ? 2 : 1;
        char bytes[8];
        BOOL usedDefault = FALSE;
        const int size = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, c, length, bytes,
                                             int(sizeof bytes), nullptr, &usedDefault);
        if (size > 0 && !usedDefault) {
            text.append(bytes, size_t(size));
        } else {
            static const char hex[] = "0123456789ABCDEF";
            for (const unsigned char byte : toUtf8(c, length)) {
                text += '%';
                text += hex[byte >> 4];
                text += hex[byte & 15];
            }
        }
        c += length;
    }
    return text;
}

void appendDigits(std::wstring &text, unsigned value, int width)
{
    wchar_t digits[8];
    for (int i = width - 1; i >= 0; --i) {
        digits[i] = wchar_t(L'0' + value % 10);
        value /= 10;
    }
    text.append(digits, size_t(width));
}

// "yyyyMMddHHmmsszzz" of the local time.
std::wstring timeStamp()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::wstring stamp;
    appendDigits(stamp, now.wYear, 4);
    appendDigits(stamp, now.wMonth, 2);
    appendDigits(stamp, now.wDay, 2);
    appendDigits(stamp, now.wHour, 2);
    appendDigits(stamp, now.wMinute, 2);
    appendDigits(stamp, now.wSecond, 2);
    appendDigits(stamp, now.wMilliseconds, 3);
    return stamp;
}

struct DumpRequest
{
    HANDLE file;
    DWORD threadId;
    EXCEPTION_POINTERS *exception;
};

DWORD WINAPI writeDump(void *parameter)
{
    const DumpRequest *request = static_cast<const DumpRequest *>(parameter);
    MINIDUMP_EXCEPTION_INFORMATION info;
    info.ThreadId = request->threadId;
    info.ExceptionPointers = request->exception;
    info.ClientPointers = TRUE;
    return MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), request->file, MiniDumpNormal, &info,
                             nullptr, nullptr)
               ? 0
               : 1;
}

// The thread that is handling a fault; 0 while none is.
volatile LONG handlingThread = 0;

LONG WINAPI crashHandler(EXCEPTION_POINTERS *exception)
{
    const DWORD self = GetCurrentThreadId();
    const LONG owner = InterlockedCompareExchange(&handlingThread, LONG(self), 0);
    if (owner == LONG(self))
        return EXCEPTION_EXECUTE_HANDLER; // a fault inside the handler: just end
    if (owner != 0) {
        // Another thread is writing the dump; the process ends when it is done.
        Sleep(INFINITE);
    }

    const std::wstring path = dumpFolder + L"\\VeskMeeting_" + timeStamp() + L".dmp";
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DumpRequest request{file, self, exception};
        // An overflowed stack has no room left for the dump writer.
        HANDLE writer = exception->ExceptionRecord->ExceptionCode == EXCEPTION_STACK_OVERFLOW
                            ? CreateThread(nullptr, 0, writeDump, &request, 0, nullptr)
                            : nullptr;
        if (writer) {
            // Bounded: a fault under the loader lock keeps a new thread from starting.
            WaitForSingleObject(writer, 60000);
            CloseHandle(writer);
        } else {
            writeDump(&request);
        }
        CloseHandle(file);
    }
    if (notifyUserOfCrash)
        notifyUserOfCrash();
    return EXCEPTION_EXECUTE_HANDLER;
}

bool creationTime(DWORD pid, ULONGLONG *created)
{
    // The limited right also opens elevated processes, such as an installer.
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process)
        return false;
    FILETIME creation, exit, kernel, user;
    const BOOL ok = GetProcessTimes(process, &creation, &exit, &kernel, &user);
    CloseHandle(process);
    if (!ok)
        return false;
    *created = (ULONGLONG(creation.dwHighDateTime) << 32) | creation.dwLowDateTime;
    return true;
}

struct WindowSearch
{
    const std::wstring *title;
    HWND visible;
    HWND hidden;
};

// FindWindowW ignores case; the title must match exactly. A visible window
// wins over a hidden one with the same title, which would not come forward.
BOOL CALLBACK matchWindowTitle(HWND window, LPARAM parameter)
{
    auto *search = reinterpret_cast<WindowSearch *>(parameter);
    const int length = GetWindowTextLengthW(window);
    if (length != int(search->title->size()))
        return TRUE;
    std::wstring text(size_t(length) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(window, &text[0], length + 1)));
    if (text != *search->title)
        return TRUE;
    if (IsWindowVisible(window)) {
        search->visible = window;
        return FALSE;
    }
    if (!search->hidden)
        search->hidden = window;
    return TRUE;
}

// Ends id after its descendants. ancestors holds the ids above it, so a
// parent id left behind by an ended process and reused cannot lead round in
// a circle.
void endProcessTree(DWORD id, std::vector<DWORD> &ancestors)
{
    // Windows keeps the parent id of a process whose parent has ended, and
    // ids are reused: a process created before id cannot be its child.
    ULONGLONG parentCreated = 0;
    const bool knowParentAge = creationTime(id, &parentCreated);

    std::vector<DWORD> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        if (platformLog)
            platformLog("killProcessTree: process snapshot failed");
    } else {
        PROCESSENTRY32W entry;
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
            if (entry.th32ParentProcessID != id || entry.th32ProcessID == id ||
                std::find(ancestors.begin(), ancestors.end(), entry.th32ProcessID) != ancestors.end())
                continue;
            ULONGLONG childCreated = 0;
            if (knowParentAge && creationTime(entry.th32ProcessID, &childCreated) &&
                childCreated < parentCreated)
                continue;
            children.push_back(entry.th32ProcessID);
        }
        CloseHandle(snapshot);
    }
    ancestors.push_back(id);
    for (DWORD child : children)
        endProcessTree(child, ancestors);
    ancestors.pop_back();

    HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, id);
    if (process) {
        TerminateProcess(process, 0);
        CloseHandle(process);
    }
}

} // namespace

void setPlatformLogger(void (*log)(const char *utf8Line))
{
    platformLog = log;
}

void writePlatformLog(const std::string &utf8Line)
{
    if (platformLog)
        platformLog(utf8Line.c_str());
}

void installCrashHandler(const std::string &dataFolder, void (*notifyUser)())
{
    dumpFolder = fromUtf8(dataFolder);
    notifyUserOfCrash = notifyUser;
    SetUnhandledExceptionFilter(crashHandler);
}

void setCrashReporterExecutable(const std::string &path)
{
    // The exception filter tells the user itself.
    (void)path;
}

void killProcessTree(long long pid)
{
    if (pid == -1)
        pid = (long long)GetCurrentProcessId();
    // Id 0 is the idle process, which is its own parent.
    if (pid <= 0 || pid > 0xFFFFFFFFLL)
        return;
    std::vector<DWORD> ancestors;
    endProcessTree(DWORD(pid), ancestors);
}

bool raiseWindowWithTitle(const std::wstring &title)
{
    if (title.empty())
        return false;
    WindowSearch search{&title, nullptr, nullptr};
    EnumWindows(matchWindowTitle, reinterpret_cast<LPARAM>(&search));
    const HWND window = search.visible ? search.visible : search.hidden;
    if (!window)
        return false;
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
    return true;
}

std::vector<std::string> programArguments(int argc, char **argv)
{
    int count = 0;
    LPWSTR *wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide)
        return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i)
        arguments.push_back(i == 0 ? toCodePage(wide[i]) : linkToCodePage(wide[i]));
    LocalFree(wide);
    return arguments;
}

int openPrivateForAppend(const std::string &)
{
    // The profile folders are private already; QFile opens it.
    return -1;
}

void sendTcpWritesAtOnce()
{
    // Windows lists no socket handles of a process: try the handle values a
    // process of this size uses (the lowest free value is handed out first).
    for (UINT_PTR value = 4; value < 0x1000; value += 4) {
        const SOCKET socket = SOCKET(value);
        int type = 0;
        int length = sizeof type;
        if (getsockopt(socket, SOL_SOCKET, SO_TYPE, reinterpret_cast<char *>(&type), &length) != 0 ||
            type != SOCK_STREAM)
            continue;
        sockaddr_storage address = {};
        length = sizeof address;
        if (getsockname(socket, reinterpret_cast<sockaddr *>(&address), &length) != 0 ||
            (address.ss_family != AF_INET && address.ss_family != AF_INET6))
            continue;
        const BOOL on = TRUE;
        setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char *>(&on), sizeof on);
    }
}

std::string instanceChannelFolder(const std::string &)
{
    return std::string();
}

bool holdInstanceMarker(const std::string &utf8Name)
{
    static HANDLE held = nullptr;
    if (held)
        return true;
    const std::wstring name = L"Local\\" + fromUtf8(utf8Name);
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    if (!mutex)
        return false;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return false;
    }
    // Kept open until the process ends.
    held = mutex;
    return true;
}

int terminationRequestDescriptor()
{
    // Windows asks through the window system (WM_CLOSE, WM_ENDSESSION).
    return -1;
}

namespace {

// WinVerifyTrust's answers that an installer meets in practice.
std::string signatureRefusal(LONG status)
{
    switch (static_cast<unsigned long>(status)) {
    case 0x800B0100UL: // TRUST_E_NOSIGNATURE
        return "it carries no signature";
    case 0x80096010UL: // TRUST_E_BAD_DIGEST
        return "it was changed after it was signed";
    case 0x800B0109UL: // CERT_E_UNTRUSTEDROOT
        return "its certificate leads to no trusted root";
    case 0x800B010AUL: // CERT_E_CHAINING
        return "its certificate chain is incomplete";
    case 0x800B0101UL: // CERT_E_EXPIRED
        return "its certificate has expired";
    case 0x800B0111UL: // TRUST_E_EXPLICIT_DISTRUST
        return "its signer is distrusted on this computer";
    case 0x800B0003UL: // TRUST_E_SUBJECT_FORM_UNKNOWN
        return "it is not a file that can be signed";
    case 0x80092026UL: // CRYPT_E_SECURITY_SETTINGS
        return "the computer's security settings forbid it";
    default:
        break;
    }
    char line[64];
    wsprintfA(line, "WinVerifyTrust answered 0x%08lX", static_cast<unsigned long>(status));
    return line;
}

} // namespace

bool verifyProgramSignature(const std::string &utf8Path, std::string *why)
{
    const std::wstring path = fromUtf8(utf8Path);
    if (path.empty()) {
        if (why)
            *why = "no file named";
        return false;
    }
    WINTRUST_FILE_INFO file = {};
    file.cbStruct = sizeof file;
    file.pcwszFilePath = path.c_str();

    WINTRUST_DATA trust = {};
    trust.cbStruct = sizeof trust;
    trust.dwUIChoice = WTD_UI_NONE;
    // The whole chain must lead to a trusted root. No revocation lists:
    // fetching them needs the network while the update waits on the answer.
    trust.fdwRevocationChecks = WTD_REVOKE_NONE;
    trust.dwProvFlags = WTD_REVOCATION_CHECK_NONE;
    trust.dwUnionChoice = WTD_CHOICE_FILE;
    trust.pFile = &file;
    trust.dwStateAction = WTD_STATEACTION_VERIFY;

    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const LONG status = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &trust);
    trust.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &trust);

    if (status == ERROR_SUCCESS)
        return true;
    const std::string refusal = signatureRefusal(status);
    if (why)
        *why = refusal;
    if (platformLog)
        platformLog(("program signature refused: " + refusal + " " + utf8Path).c_str());
    return false;
}

bool createPrivateFolder(const std::string &utf8Path)
{
    const std::wstring path = fromUtf8(utf8Path);
    if (CreateDirectoryW(path.c_str(), nullptr))
        return true;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool createPrivateFile(const std::string &utf8Path)
{
    const std::wstring path = fromUtf8(utf8Path);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}
