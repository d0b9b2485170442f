// What the start-up bench reads from inside a program: the clock and the
// memory the system reports for the process. Header-only so the fair bare
// program can use it without linking the client. Where /proc is missing the
// memory figures are 0.
#pragma once

#include <QByteArray>
#include <QFile>

#include <chrono>
#include <cstdio>

namespace benchprobe {

// The first number on the line of a /proc file that starts with key, in KiB.
inline long procKiB(const char *path, const char *key)
{
    QFile file(QString::fromLatin1(path));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

inline long residentKiB()
{
    return procKiB("/proc/self/status", "VmRSS:");
}

inline long long epochMicroseconds()
{
    return static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(
                                      std::chrono::system_clock::now().time_since_epoch())
                                      .count());
}

// "settled <epoch µs> <peak RSS KiB> <private dirty KiB>", for the first idle
// after the screen's first paint: the frame is on the screen by then. The
// peak so far leaves the teardown that follows out; private dirty memory is
// the process's alone (heap, stacks, written pages), without the library and
// font file pages the page cache shares with every program.
inline void printSettled()
{
    const long long now = epochMicroseconds();
    std::fprintf(stderr, "settled %lld %ld %ld\n", now, procKiB("/proc/self/status", "VmHWM:"),
                 procKiB("/proc/self/smaps_rollup", "Private_Dirty:"));
}

} // namespace benchprobe
