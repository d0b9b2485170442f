#pragma once

// An update archive as downloaded: every entry is checked before anything
// is written (a name leaving the folder, a link or a size out of all
// proportion refuses the whole archive), then it is unpacked within a
// budget that the bytes actually inflated count against.

#include <QString>

namespace UpdateArchive {

enum class Problem
{
    None,
    NotAnArchive,
    Oversized,
    UnsafeEntry,
    NoInstaller,
};

struct Result
{
    Problem problem = Problem::None;
    QString why; // for the log
};

// Unpacks archive into folder if it holds installerName at its top.
Result unpack(const QString &archive, const QString &folder, const QString &installerName);

} // namespace UpdateArchive
