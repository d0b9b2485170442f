#include "app/platform.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <execinfo.h>
#include <fcntl.h>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

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

} // namespace

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
void setCrashReporterExecutable(const std::string &path)
{
    const size_t length = std::min(path.size(), sizeof executable - 1);
    memcpy(executable, path.data(), length);
    executable[length] = '\0';
}
