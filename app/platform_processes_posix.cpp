#include "app/platform.h"

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/types.h>
#include <unistd.h>
#include <vector>

namespace {

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
} // namespace

void killProcessTree(long long pid)
{
    if (pid == -1)
        pid = getpid();
    // 0 and negative ids would address whole process groups.
    if (pid <= 0 || pid > INT_MAX)
        return;

    std::vector<long long> children;
    if (!childrenOf(pid, children))
        writePlatformLog("killProcessTree: process snapshot failed");
    for (long long child : children)
        killProcessTree(child);

    if (pid == getpid())
        _exit(0);
    kill(pid_t(pid), SIGKILL);
}
