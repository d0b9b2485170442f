#include "app/platform.h"

#include <windows.h>

#include <dbghelp.h>
#include <tlhelp32.h>

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

LONG WINAPI crashHandler(EXCEPTION_POINTERS *exception)
{
    const std::wstring path = dumpFolder + L"\\VeskMeeting_" + timeStamp() + L".dmp";
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        MINIDUMP_EXCEPTION_INFORMATION info;
        info.ThreadId = GetCurrentThreadId();
        info.ExceptionPointers = exception;
        info.ClientPointers = TRUE;
        MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file, MiniDumpNormal, &info, nullptr,
                          nullptr);
        CloseHandle(file);
    }
    if (notifyUserOfCrash)
        notifyUserOfCrash();
    return EXCEPTION_EXECUTE_HANDLER;
}

bool creationTime(DWORD pid, ULONGLONG *created)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
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

} // namespace

void setPlatformLogger(void (*log)(const char *utf8Line))
{
    platformLog = log;
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
    const DWORD id = DWORD(pid);

    // Windows keeps the parent id of a process whose parent has ended, and
    // ids are reused: a process created before pid cannot be its child.
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
            if (entry.th32ParentProcessID != id || entry.th32ProcessID == id)
                continue;
            ULONGLONG childCreated = 0;
            if (knowParentAge && creationTime(entry.th32ProcessID, &childCreated) &&
                childCreated < parentCreated)
                continue;
            children.push_back(entry.th32ProcessID);
        }
        CloseHandle(snapshot);
    }
    for (DWORD child : children)
        killProcessTree(child);

    HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, id);
    if (process) {
        TerminateProcess(process, 0);
        CloseHandle(process);
    }
}

bool raiseWindowWithTitle(const std::wstring &title)
{
    HWND window = FindWindowW(nullptr, title.c_str());
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
        arguments.push_back(toCodePage(wide[i]));
    LocalFree(wide);
    return arguments;
}

int terminationRequestDescriptor()
{
    // Windows asks through the window system (WM_CLOSE, WM_ENDSESSION).
    return -1;
}

bool verifyProgramSignature(const std::string &utf8Path)
{
    // Filled in with WinVerifyTrust by the Windows layer's own change.
    (void)utf8Path;
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
