// The single-sign-on hand-off line another program leaves for the client.

#include "fuzzsupport.h"

#include "app/ssohandoff.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzsupport::start(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A fixed moment keeps runs repeatable.
    static const QDateTime now(QDate(2026, 3, 5), QTime(9, 30));
    SsoHandOff handOff;
    if (parseSsoHandOffLine(QString::fromUtf8(fuzzsupport::bytes(data, size)), now, 600, &handOff)) {
        // Accepted means a company and a user to sign in with.
        if (handOff.companyCode.isEmpty() || handOff.userName.isEmpty())
            __builtin_trap();
    }
    return 0;
}
