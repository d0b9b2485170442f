#include "app/platform.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#include <vector>

namespace {

// Only this user may enter it: a folder (no link to one), theirs, closed to
// group and others.
bool isPrivateFolder(const std::string &path)
{
    struct stat info
    {
    };
    return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid() &&
           (info.st_mode & 077) == 0;
}

} // namespace

std::string instanceChannelFolder(const std::string &fallbackFolder)
{
    std::vector<std::string> candidates;
    const char *runtime = getenv("XDG_RUNTIME_DIR");
    const bool hasRuntime = runtime && *runtime == '/';
    if (hasRuntime)
        candidates.push_back(runtime);
    const char *tmp = getenv("TMPDIR");
    candidates.push_back(std::string(tmp && *tmp == '/' ? tmp : "/tmp") + "/VeskMeeting-" +
                         std::to_string(static_cast<unsigned long>(geteuid())));
    candidates.push_back(fallbackFolder);
    for (size_t i = 0; i < candidates.size(); ++i) {
        const std::string &folder = candidates[i];
        // The runtime folder is the session's; the others are made here, and
        // one of ours left open to others is closed.
        struct stat info
        {
        };
        if ((i > 0 || !hasRuntime) && mkdir(folder.c_str(), 0700) != 0 && lstat(folder.c_str(), &info) == 0 &&
            S_ISDIR(info.st_mode) && info.st_uid == geteuid() && (info.st_mode & 077) != 0)
            chmod(folder.c_str(), 0700);
        if (!folder.empty() && isPrivateFolder(folder))
            return folder;
        writePlatformLog("instance channel: " + folder +
                         " passed over, it is not a folder of this user's closed to others");
    }
    return std::string();
}

bool holdInstanceMarker(const std::string &utf8Path)
{
    // Held until the process ends, however it ends; the system then drops
    // the lock, so a crashed instance blocks nobody.
    static int held = -1;
    if (held >= 0)
        return true;
    const int fd = open(utf8Path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        writePlatformLog("instance marker " + utf8Path + " cannot be opened: " + strerror(errno));
        return false;
    }
    struct stat info
    {
    };
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid()) {
        writePlatformLog("instance marker " + utf8Path + " passed over, it is not a file of this user's");
        close(fd);
        return false;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    held = fd;
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
