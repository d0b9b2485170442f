#pragma once

#include <string>
#include <vector>

// What the client asks of the operating system. Plain C++ on purpose: the
// Windows implementation needs nothing but the Windows headers, and the Qt
// glue (paths, message boxes, log lines) stays in the portable files.

// Where the platform layer sends its own diagnostic lines (UTF-8); the
// client routes them into the log. Null drops them.
void setPlatformLogger(void (*log)(const char *utf8Line));
// Writes one line through that logger.
void writePlatformLog(const std::string &utf8Line);

// Catches faults nobody handles: writes "VeskMeeting_yyyyMMddHHmmsszzz.dmp"
// into dataFolder (UTF-8 path), lets notifyUser tell the user, then the
// process ends. Where a fault handler cannot run a user interface (POSIX
// signals) notifyUser is not called from the handler; the executable is
// started again as a crash reporter instead (crashreport.h).
void installCrashHandler(const std::string &dataFolder, void (*notifyUser)());
// The program started as crash reporter (POSIX; default: this executable,
// empty: none). It gets no arguments and VESK_CRASH_REPORTER=1.
void setCrashReporterExecutable(const std::string &path);

// Ends the process pid (-1: this one) and all its descendants, the deepest
// first. Called with this process it does not come back.
void killProcessTree(long long pid = -1);

// Brings the top-level window with exactly this title to the front. False
// when there is no such window or no window system to ask.
bool raiseWindowWithTitle(const std::wstring &title);

// Whether the program file at utf8Path carries a valid, trusted code
// signature (Windows: Authenticode through WinVerifyTrust; POSIX: the
// Ed25519 signature "<file>.sig" by the update key built into the client);
// when it does not, why (when given) says what was wrong, in words for the
// log.
bool verifyProgramSignature(const std::string &utf8Path, std::string *why = nullptr);

// Private places for files that hold passwords (logs, User.dat). POSIX: a
// folder is created 0700 and a file 0600 whatever the umask, and an existing
// one of ours that others may read is narrowed to its owner; a file that is
// not a regular one (a folder, a device, a link) is left alone and false is
// returned. Windows: plain creation, the profile folders are private already.
// Silent: the logger itself calls them.
bool createPrivateFolder(const std::string &utf8Path); // the parent must exist
bool createPrivateFile(const std::string &utf8Path);   // never truncates
// A descriptor for appending to utf8Path, created owner-only when missing, in
// one call (the log opens its file for every line). -1 when it cannot be
// opened that way (Windows, a link or a folder in the way): open it as usual.
int openPrivateForAppend(const std::string &utf8Path);

// The folder of the instance marker and the local socket, where no other
// user of the machine can reach, take or make them first (POSIX):
// $XDG_RUNTIME_DIR when it is the user's own and closed to others, else
// "VeskMeeting-<uid>" in the temporary folder, else fallbackFolder, made
// 0700. What is found in the way that is not the user's is passed over and
// logged. Empty where no such folder is to be had, and on Windows, where
// the names carry what only the user can read instead (instancemarker.h).
std::string instanceChannelFolder(const std::string &fallbackFolder);

// Marks this process as the first instance for as long as it runs; false
// while another holds the mark. The system drops it with its holder however
// that ends, so a crashed instance blocks no start. POSIX: a lock on the
// file utf8Name; Windows: a mutex of that name in the session's namespace.
bool holdInstanceMarker(const std::string &utf8Name);

// The program arguments: on Windows taken from the wide command line and
// converted into the system code page, elsewhere argv as given.
std::vector<std::string> programArguments(int argc, char **argv);

// Turns the send delay off (TCP_NODELAY) on the process's open TCP
// connections. Qt writes a request's header and its body in two writes and
// gives no way to set the option on its own connections; with the delay on,
// a body sent on a reused connection waits for the server's delayed
// acknowledgement of the header (40 ms on Linux servers, up to 200 ms on
// Windows ones). Cheap enough to call after every answer.
void sendTcpWritesAtOnce();

// A descriptor that becomes readable once the system asks the process to end
// (SIGTERM, SIGINT), so the event loop can quit cleanly; -1 where the system
// asks through the window system instead.
int terminationRequestDescriptor();
