#include "app/platform.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <execinfo.h>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

extern char **environ;

namespace {

void (*platformLog)(const char *) = nullptr;

void logLine(const std::string &line)
{
    if (platformLog)
        platformLog(line.c_str());
}

// ---------------------------------------------------------------------------
// Crash handler. A signal handler may only make async-signal-safe calls, so
// everything it needs is prepared when it is installed, and the user is told
// by a second copy of the executable started as the crash reporter.

constexpr int crashSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
constexpr char reporterVariable[] = "VESK_CRASH_REPORTER=";

char dumpFolder[PATH_MAX];
char executable[PATH_MAX];
// The handler cannot ask for the time zone (localtime takes a lock), so the
// offset, and the next clock change with the offset after it, are looked up
// when it is installed: a dump written after a summer-time change is still
// named in local time.
long utcOffsetSeconds = 0;
long long nextOffsetChange = 0; // seconds since 1970; 0: none within a year
long offsetAfterChange = 0;
char reporterEnv[] = "VESK_CRASH_REPORTER=1";
char *reporterEnvp[1024];
char alternateStack[64 * 1024];
volatile sig_atomic_t crashing = 0;

// A fixed buffer filled without allocating.
struct Text
{
    char data[PATH_MAX + 256];
    size_t length = 0;

    void add(const char *s)
    {
        while (*s && length + 1 < sizeof data)
            data[length++] = *s++;
        data[length] = '\0';
    }
    void addNumber(unsigned long long value, int width = 0, int base = 10)
    {
        char digits[32];
        int count = 0;
        do {
            digits[count++] = "0123456789abcdef"[value % base];
            value /= base;
        } while (value && count < 32);
        while (count < width && count < 32)
            digits[count++] = '0';
        while (count > 0 && length + 1 < sizeof data)
            data[length++] = digits[--count];
        data[length] = '\0';
    }
};

void writeAll(int fd, const Text &text)
{
    size_t done = 0;
    while (done < text.length) {
        const ssize_t n = write(fd, text.data + done, text.length - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += size_t(n);
    }
}

const char *signalName(int sig)
{
    switch (sig) {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGBUS:
        return "SIGBUS";
    case SIGILL:
        return "SIGILL";
    case SIGFPE:
        return "SIGFPE";
    case SIGABRT:
        return "SIGABRT";
    default:
        return "signal";
    }
}

// Days since 1970-01-01 to a calendar date, by arithmetic alone.
void civilFromDays(long long z, long long &year, unsigned &month, unsigned &day)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = doy - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = (long long)yoe + era * 400 + (month <= 2);
}

void addTimeStamp(Text &text)
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const bool changed = nextOffsetChange && (long long)now.tv_sec >= nextOffsetChange;
    const long long local = (long long)now.tv_sec + (changed ? offsetAfterChange : utcOffsetSeconds);
    long long days = local / 86400;
    long long seconds = local % 86400;
    if (seconds < 0) {
        seconds += 86400;
        --days;
    }
    long long year = 0;
    unsigned month = 0, day = 0;
    civilFromDays(days, year, month, day);
    text.addNumber((unsigned long long)year, 4);
    text.addNumber(month, 2);
    text.addNumber(day, 2);
    text.addNumber((unsigned long long)seconds / 3600, 2);
    text.addNumber((unsigned long long)seconds / 60 % 60, 2);
    text.addNumber((unsigned long long)seconds % 60, 2);
    text.addNumber((unsigned long long)now.tv_nsec / 1000000, 3);
}

void writeDump(int sig, siginfo_t *info)
{
    Text path;
    path.add(dumpFolder);
    path.add("/VeskMeeting_");
    addTimeStamp(path);
    path.add(".dmp");
    const int fd = open(path.data, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return;

    Text report;
    report.add("VeskMeeting crash report\nsignal: ");
    report.addNumber((unsigned long long)sig);
    report.add(" (");
    report.add(signalName(sig));
    report.add(")\n");
    if (info && info->si_code <= 0) {
        // Sent by another process (kill, raise, abort): no faulting address.
        report.add("sent by process: ");
        report.addNumber((unsigned long long)info->si_pid);
    } else {
        report.add("code: ");
        report.addNumber((unsigned long long)(info ? (unsigned)info->si_code : 0u));
        report.add("\naddress: 0x");
        report.addNumber((unsigned long long)(uintptr_t)(info ? info->si_addr : nullptr), 0, 16);
    }
    report.add("\nprocess: ");
    report.addNumber((unsigned long long)getpid());
    report.add("\nbacktrace:\n");
    writeAll(fd, report);

    void *frames[128];
    const int count = backtrace(frames, 128);
    backtrace_symbols_fd(frames, count, fd);
    close(fd);
}

long offsetAt(time_t moment)
{
    tm local{};
    return localtime_r(&moment, &local) ? local.tm_gmtoff : 0;
}

// Starts the executable again as the crash reporter and waits until the user
// has closed its box.
void runReporter()
{
    if (!executable[0])
        return;
    size_t n = 0;
    for (char **e = environ; e && *e && n + 2 < sizeof reporterEnvp / sizeof reporterEnvp[0]; ++e) {
        if (strncmp(*e, reporterVariable, sizeof reporterVariable - 1) != 0)
            reporterEnvp[n++] = *e;
    }
    reporterEnvp[n++] = reporterEnv;
    reporterEnvp[n] = nullptr;
    char *argv[] = {executable, nullptr};

    // vfork runs no fork handlers, which may wait on locks the crashed thread
    // holds. AddressSanitizer's vfork clears the shadow of the whole stack,
    // which faults on the signal stack: its builds fork.
#if defined(__SANITIZE_ADDRESS__)
    const pid_t child = fork();
#else
    const pid_t child = vfork();
#endif
    if (child == 0) {
        execve(executable, argv, reporterEnvp);
        _exit(127);
    }
    if (child < 0)
        return;
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

void crashSignalHandler(int sig, siginfo_t *info, void *)
{
    if (!crashing) {
        crashing = 1;
        writeDump(sig, info);
        runReporter();
    }
    // The handler was reset to the default: end the process with the signal.
    signal(sig, SIG_DFL);
    raise(sig);
}

// ---------------------------------------------------------------------------
// Termination requests through a self-pipe.

int terminationPipe[2] = {-1, -1};

void terminationHandler(int)
{
    const int saved = errno;
    const char byte = 1;
    if (write(terminationPipe[1], &byte, 1) < 0) {
    }
    errno = saved;
}

// ---------------------------------------------------------------------------
// Process tree.

// Parent id from /proc/<pid>/stat; the command name in parentheses may itself
// hold blanks and parentheses, so the fields are read after the last ")".
long long parentOf(const char *pid)
{
    std::ifstream stat(std::string("/proc/") + pid + "/stat");
    std::string content((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t close = content.rfind(')');
    if (close == std::string::npos)
        return -1;
    char state = 0;
    long long parent = -1;
    if (sscanf(content.c_str() + close + 1, " %c %lld", &state, &parent) != 2)
        return -1;
    return parent;
}

bool childrenOf(long long pid, std::vector<long long> &children)
{
    DIR *dir = opendir("/proc");
    if (!dir)
        return false;
    while (dirent *entry = readdir(dir)) {
        const char *name = entry->d_name;
        if (!*name || strspn(name, "0123456789") != strlen(name))
            continue;
        const long long child = atoll(name);
        if (child != pid && parentOf(name) == pid)
            children.push_back(child);
    }
    closedir(dir);
    return true;
}

// ---------------------------------------------------------------------------
// X11 window lookup.

std::string utf8FromWide(const std::wstring &text)
{
    std::string out;
    for (const wchar_t wc : text) {
        const auto c = static_cast<uint32_t>(wc);
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x110000) {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

int ignoreXError(Display *, XErrorEvent *)
{
    return 0;
}

// A property of 8-bit items as bytes; false when the window lacks it.
bool readTextProperty(Display *display, Window window, Atom property, Atom &type, std::string &bytes)
{
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 4096, False, AnyPropertyType, &type, &format, &count,
                           &remaining, &data) != Success ||
        !data)
        return false;
    const bool ok = format == 8;
    if (ok)
        bytes.assign(reinterpret_cast<const char *>(data), count);
    XFree(data);
    return ok;
}

// _NET_WM_NAME in UTF-8, else WM_NAME in whatever encoding it carries.
bool windowTitle(Display *display, Window window, std::string &title)
{
    Atom type = None;
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    if (readTextProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), type, title) &&
        type == utf8)
        return true;
    XTextProperty name{};
    if (!XGetWMName(display, window, &name) || !name.value)
        return false;
    bool found = false;
    if (name.encoding == utf8 || name.encoding == XA_STRING) {
        const std::string raw(reinterpret_cast<const char *>(name.value), name.nitems);
        if (name.encoding == utf8) {
            title = raw;
        } else { // Latin-1
            title.clear();
            for (const unsigned char c : raw) {
                if (c < 0x80) {
                    title += char(c);
                } else {
                    title += char(0xC0 | (c >> 6));
                    title += char(0x80 | (c & 0x3F));
                }
            }
        }
        found = true;
    } else {
        char **list = nullptr;
        int count = 0;
        if (Xutf8TextPropertyToTextList(display, &name, &list, &count) >= Success && list && count > 0) {
            title = list[0];
            found = true;
        }
        if (list)
            XFreeStringList(list);
    }
    XFree(name.value);
    return found;
}

// Shown, or minimised by a window manager (ICCCM WM_STATE IconicState).
bool isShownOrMinimised(Display *display, Window window)
{
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable)
        return true;
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char *data = nullptr;
    bool iconic = false;
    if (XGetWindowProperty(display, window, wmState, 0, 2, False, wmState, &type, &format, &count, &remaining,
                           &data) == Success &&
        data) {
        iconic = format == 32 && count >= 1 && reinterpret_cast<const long *>(data)[0] == IconicState;
        XFree(data);
    }
    return iconic;
}

std::vector<Window> childrenOf(Display *display, Window parent)
{
    Window root = 0, parentOfParent = 0, *children = nullptr;
    unsigned int count = 0;
    std::vector<Window> result;
    if (XQueryTree(display, parent, &root, &parentOfParent, &children, &count) && children)
        result.assign(children, children + count);
    if (children)
        XFree(children);
    return result;
}

// The windows a user sees as windows: the window manager's client list when
// it keeps one, else the root's children and, under a reparenting window
// manager, the client windows inside their frames.
std::vector<Window> topLevelWindows(Display *display)
{
    const Window root = DefaultRootWindow(display);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char *data = nullptr;
    std::vector<Window> windows;
    if (XGetWindowProperty(display, root, XInternAtom(display, "_NET_CLIENT_LIST", False), 0, 65536, False,
                           XA_WINDOW, &type, &format, &count, &remaining, &data) == Success &&
        data) {
        if (format == 32) {
            const auto *ids = reinterpret_cast<const unsigned long *>(data);
            windows.assign(ids, ids + count);
        }
        XFree(data);
    }
    if (!windows.empty())
        return windows;
    for (const Window window : childrenOf(display, root)) {
        windows.push_back(window);
        for (const Window inner : childrenOf(display, window))
            windows.push_back(inner);
    }
    return windows;
}

Window findTopLevelWindow(Display *display, const std::string &title)
{
    for (const Window window : topLevelWindows(display)) {
        std::string name;
        if (windowTitle(display, window, name) && name == title && isShownOrMinimised(display, window))
            return window;
    }
    return 0;
}

void activateWindow(Display *display, Window window)
{
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state != IsViewable)
        XMapRaised(display, window); // minimised: ICCCM's way back
    const Window root = DefaultRootWindow(display);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    // Source 2: asked for by the user (a click on a link), which window
    // managers honour over their focus-stealing prevention.
    event.xclient.data.l[0] = 2;
    event.xclient.data.l[1] = CurrentTime;
    event.xclient.data.l[2] = 0;
    XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    // Without a window manager nobody acts on that message.
    XRaiseWindow(display, window);
    char line[64];
    snprintf(line, sizeof line, "raised window 0x%lx", static_cast<unsigned long>(window));
    logLine(line);
}

} // namespace

void setPlatformLogger(void (*log)(const char *utf8Line))
{
    platformLog = log;
}

void installCrashHandler(const std::string &dataFolder, void (*notifyUser)())
{
    (void)notifyUser; // a signal handler cannot show a box; the reporter does
    strncpy(dumpFolder, dataFolder.c_str(), sizeof dumpFolder - 1);
    const ssize_t length = readlink("/proc/self/exe", executable, sizeof executable - 1);
    executable[length > 0 ? length : 0] = '\0';

    tzset();
    const time_t now = time(nullptr);
    utcOffsetSeconds = offsetAt(now);
    nextOffsetChange = 0;
    for (int day = 1; day <= 400; ++day) {
        time_t after = now + time_t(day) * 86400;
        if (offsetAt(after) == utcOffsetSeconds)
            continue;
        // The change lies within the last day: find its second.
        time_t before = after - 86400;
        while (after - before > 1) {
            const time_t middle = before + (after - before) / 2;
            (offsetAt(middle) == utcOffsetSeconds ? before : after) = middle;
        }
        nextOffsetChange = (long long)after;
        offsetAfterChange = offsetAt(after);
        break;
    }

    // The first backtrace() loads libgcc, which allocates: do it now.
    void *frame[1];
    backtrace(frame, 1);

    stack_t stack{};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    sigaltstack(&stack, nullptr);

    struct sigaction action
    {
    };
    action.sa_sigaction = crashSignalHandler;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int sig : crashSignals)
        sigaddset(&action.sa_mask, sig);
    for (int sig : crashSignals)
        sigaction(sig, &action, nullptr);
}

void killProcessTree(long long pid)
{
    if (pid == -1)
        pid = getpid();
    // 0 and negative ids would address whole process groups.
    if (pid <= 0 || pid > INT_MAX)
        return;

    std::vector<long long> children;
    if (!childrenOf(pid, children))
        logLine("killProcessTree: process snapshot failed");
    for (long long child : children)
        killProcessTree(child);

    if (pid == getpid())
        _exit(0);
    kill(pid_t(pid), SIGKILL);
}

void setCrashReporterExecutable(const std::string &path)
{
    const size_t length = std::min(path.size(), sizeof executable - 1);
    memcpy(executable, path.data(), length);
    executable[length] = '\0';
}

bool raiseWindowWithTitle(const std::wstring &title)
{
    const char *displayName = getenv("DISPLAY");
    if (!displayName || !*displayName)
        return false; // no X server (Wayland without XWayland, a console)
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        logLine(std::string("raiseWindowWithTitle: cannot open display ") + displayName);
        return false;
    }
    // Windows may vanish while they are looked at; that is no error here.
    XErrorHandler previous = XSetErrorHandler(ignoreXError);
    const Window window = findTopLevelWindow(display, utf8FromWide(title));
    if (window)
        activateWindow(display, window);
    XSync(display, False);
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    return window != 0;
}

std::vector<std::string> programArguments(int argc, char **argv)
{
    return std::vector<std::string>(argv, argv + argc);
}

namespace {

void sendAtOnce(int fd)
{
    struct stat info
    {
    };
    if (fstat(fd, &info) != 0 || !S_ISSOCK(info.st_mode))
        return;
    int type = 0;
    socklen_t length = sizeof type;
    if (getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &length) != 0 || type != SOCK_STREAM)
        return;
    sockaddr_storage address{};
    length = sizeof address;
    if (getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0 ||
        (address.ss_family != AF_INET && address.ss_family != AF_INET6))
        return;
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

} // namespace

void sendTcpWritesAtOnce()
{
    if (DIR *folder = opendir("/proc/self/fd")) {
        const int own = dirfd(folder);
        while (const dirent *entry = readdir(folder)) {
            char *end = nullptr;
            const long fd = std::strtol(entry->d_name, &end, 10);
            if (end != entry->d_name && *end == '\0' && fd != own)
                sendAtOnce(int(fd));
        }
        closedir(folder);
        return;
    }
    // No /proc: try the usual range of descriptors.
    const long last = std::min(sysconf(_SC_OPEN_MAX), 4096L);
    for (int fd = 0; fd < last; ++fd)
        sendAtOnce(fd);
}

std::string userInstanceSuffix()
{
    return "-" + std::to_string(static_cast<unsigned long>(::getuid()));
}

int terminationRequestDescriptor()
{
    if (terminationPipe[0] >= 0)
        return terminationPipe[0];
    if (pipe2(terminationPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return -1;
    struct sigaction action
    {
    };
    action.sa_handler = terminationHandler;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    return terminationPipe[0];
}

bool verifyProgramSignature(const std::string &utf8Path, std::string * /*why*/)
{
    // Executables carry no signature here; the update road is only as
    // trustworthy as the address it downloads from.
    logLine("no code signature to check on this system: " + utf8Path);
    return true;
}

bool createPrivateFolder(const std::string &utf8Path)
{
    if (mkdir(utf8Path.c_str(), 0700) == 0)
        return chmod(utf8Path.c_str(), 0700) == 0; // a default ACL may have widened it
    struct stat info
    {
    };
    if (errno != EEXIST || lstat(utf8Path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    if (info.st_uid == geteuid() && (info.st_mode & 077) != 0)
        return chmod(utf8Path.c_str(), info.st_mode & 0700) == 0;
    return true;
}

int openPrivateForAppend(const std::string &utf8Path)
{
    return open(utf8Path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
}

bool createPrivateFile(const std::string &utf8Path)
{
    const int fd = open(utf8Path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
        const bool narrowed = fchmod(fd, 0600) == 0;
        close(fd);
        return narrowed;
    }
    struct stat info
    {
    };
    if (errno != EEXIST || lstat(utf8Path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    if (info.st_uid == geteuid() && (info.st_mode & 077) != 0)
        return chmod(utf8Path.c_str(), info.st_mode & 0700) == 0;
    return true;
}
