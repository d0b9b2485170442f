#pragma once

#include <QString>

// The instance marker, whose holder is the first instance, and the names of
// the single-instance channel. No other user of the machine can reach, take
// or make either first: on POSIX both live in a folder only the user may
// enter; on Windows their names carry a random value kept in the user's
// profile, which other users cannot read, so they cannot guess them.

// "<private folder>/<base>", or "<base>-<the user's value>".
QString instanceChannelName(const QString &base);

// The marker's name: instanceChannelName("VeskMeeting.exe").
QString instanceMarkerKey();

// Takes the marker; false while another instance holds it.
bool createInstanceMarker();

// For a start that found the marker but no instance answering on the local
// socket: the marker's holder may have ended meanwhile. False while a
// running process still holds it.
bool takeOverInstanceMarker();
