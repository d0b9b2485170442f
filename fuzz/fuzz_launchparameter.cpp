// Meeting links as a web page or a second instance hands them over.

#include "fuzzsupport.h"

#include "app/launchparameter.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzsupport::start(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString link = QString::fromUtf8(fuzzsupport::bytes(data, size));
    const QMap<QString, QString> info = parseLaunchParameter(link);
    // The argument list form agrees with the single parameter.
    if (linkInfoFromArguments({QStringLiteral("VeskMeeting"), link}) != info)
        __builtin_trap();
    return 0;
}
