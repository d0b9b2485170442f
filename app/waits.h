#pragma once

// Every fixed wait of the client in one place. Tests shorten them with
// QScopedValueRollback; process-level tests set VESK_WAIT_SCALE_PERCENT
// (read once at start-up by Waits::applyEnvironment()).
struct Waits
{
    static inline int requestTimeoutMs = 5000;  // one service request
    static inline int startupWaitMs = 10000;    // token and version waits at start-up
    static inline int tokenRetryPauseMs = 5000; // pause after a failed token attempt
    static inline int noticeMs = 2000;          // Snackbar notices
    static inline int actionNoticeMs = 6000;    // a notice that offers something to click
    static inline int sdkInfoWaitMs = 10000;    // start screen's wait for the SDK credentials
    static inline int sdkResponseMs = 30000;    // Meeting SDK initialisation or sign-in answer
    static inline int spinnerFallbackMs =
        10000; // busy indicator's latest stop after a join or invitation request
    static inline int updateStallMs = 60000;     // update download given up after this long without data
    static inline int verifyCodeTickMs = 1000;   // one step of the SMS code's 60-step resend countdown
    static inline int qrPollMs = 1000;           // QR sign-in's binding-status poll
    static inline int qrExpiryMs = 300000;       // a QR sign-in code's lifetime
    static inline int instanceChannelMs = 30000; // second start: connecting to the first instance, its reply
    static inline int instanceRetryMs = 1000;    // second start: pause between connection attempts
    static inline int splashDelayMs = 400;       // start-up waits this long before showing its splash
    static inline int meetingListRefreshMs = 60000; // the meeting list is asked for again while signed in
    static inline int keychainMs = 5000;            // one answer of the system's keychain

    // Scales every wait above by VESK_WAIT_SCALE_PERCENT when it is set.
    static void applyEnvironment();
};
