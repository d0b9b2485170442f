#include "app/passwordvault.h"

// The build without QtKeychain: User.dat keeps the passwords as before.
namespace PasswordVault {

bool available()
{
    return false;
}

QString unavailableReason()
{
    return QStringLiteral("built without QtKeychain");
}

bool write(const QString &, const QString &)
{
    return false;
}

bool read(const QString &, QString *)
{
    return false;
}

void remove(const QString &) {}

void forget() {}

} // namespace PasswordVault
