#pragma once

#include <QString>

// The instance marker: a shared-memory segment with the key
// "VeskMeeting.exe" (per user on POSIX, see instanceMarkerKey) whose
// successful creation marks the first instance. It stays with the process
// until it ends.

// "VeskMeeting.exe", with the user's suffix where users share the namespace.
QString instanceMarkerKey();

// Tries to create the marker; false when that fails for any reason.
bool createInstanceMarker();

// For a start that found the marker but no instance answering on the local
// socket: a marker left by an instance that crashed or was killed (POSIX
// keeps such segments) is released and created anew. False while a running
// process still holds it, or when it cannot be released.
bool takeOverInstanceMarker();
