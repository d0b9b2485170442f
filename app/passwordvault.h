#pragma once

#include <QString>

// The system's keychain (Secret Service on Linux, the Credential Manager on
// Windows) through QtKeychain, for the remembered passwords. Every call
// waits for the keychain at most Waits::keychainMs in a local event loop
// that takes no user input. A build without QtKeychain has no keychain.
namespace PasswordVault {

// Whether passwords go to the keychain in this run; decided by the first
// call (one look into the keychain) and logged when the answer is no.
bool available();
// Why there is no keychain, empty while there is one.
QString unavailableReason();

bool write(const QString &key, const QString &secret);
// False when there is no entry (or no keychain).
bool read(const QString &key, QString *secret);
void remove(const QString &key);

// Asks again on the next call (tests switch keychains within a run).
void forget();

} // namespace PasswordVault
