#pragma once

#include <QStringList>

// The start-up steps that bring in the screens, the service requests and the
// Meeting SDK. They are defined in main_startup.cpp, which is built into the
// program itself because it needs every library; main() calls them in order.

// Single-instance check. Returns 0 for the first instance, otherwise the exit
// code of this second instance (-1 or 1) once it has handed over its launch
// parameter.
int runStartupStepSingleInstance(const QStringList &arguments);
// First instance: the local server that receives later launch links.
void runStartupStepInstanceServer();
// Service token (up to four attempts), then the two TLS library lines.
void runStartupStepServiceToken();
// Version check and, when there is a newer version, the update dialog.
void runStartupStepVersionCheck();
// Meeting SDK manager and its version line.
void runStartupStepMeetingSdk();
// Main window, its connections and the event loop; returns the loop's value.
int runStartupStepMainWindow();
// After the event loop: uninitialise the Meeting SDK.
void runShutdownStepMeetingSdk();
