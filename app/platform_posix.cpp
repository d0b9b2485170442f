#include "app/platform.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// The POSIX platform layer by concern: this file (logger, arguments,
// connections, termination requests) and platform_<concern>_posix.cpp for
// crash reports, processes, X11 windows, private files and the instance
// channel, and update signatures.

namespace {

void (*platformLogger)(const char *) = nullptr;

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

} // namespace

void setPlatformLogger(void (*log)(const char *utf8Line))
{
    platformLogger = log;
}

void writePlatformLog(const std::string &utf8Line)
{
    if (platformLogger)
        platformLogger(utf8Line.c_str());
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
