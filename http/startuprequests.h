#pragma once

// Start-up steps that wait for the service before the first window appears.
// Each waits in a local event loop that delivers no user input.

// Up to four ServiceTokenHttp attempts; fills baseValues->s_accessToken
// when one succeeds. Each attempt waits at most Waits::startupWaitMs, and a
// failed one is followed by a pause of Waits::tokenRetryPauseMs.
void fetchServiceTokenAtStartup();

// The two debug lines about the TLS library.
void logSslSupport();

// One VeskVersionHttp request, waiting at most Waits::startupWaitMs; leaves
// baseValues->latestVersion and updateContent filled when there is a newer
// version (latestVersion stays empty otherwise).
void checkLatestVersionAtStartup();

// Deletes the start-up requests. Until then each one is kept after its wait,
// so an answer that comes after the request's own time-out (inside the
// start-up wait, or during the pause after it) still sets its value.
void finishStartupRequests();
