#pragma once

#include <QString>

// Installs the crash handler for this process: dumps go into the data folder,
// and the user is told with the "错误报告" box.
void installCrashReporting();

// The "错误报告" box of a crashed client.
void showCrashMessage();

// Environment variable that starts the executable as the crash reporter of a
// crashed client (an extra argument would read as a launch link).
inline constexpr char crashReporterEnvVar[] = "VESK_CRASH_REPORTER";
// Test aid: the reporter closes its box by itself after this many ms.
inline constexpr char crashReporterCloseEnvVar[] = "VESK_CRASH_REPORTER_CLOSE_MS";

// True when this process was started as a crash reporter.
bool isCrashReporter();
// Shows the box of the crashed client and returns the exit code.
int runCrashReporter();
