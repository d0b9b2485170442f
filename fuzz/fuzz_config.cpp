// config.ini as an administrator may have edited it.

#include "fuzzsupport.h"

#include <QTemporaryDir>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzsupport::start(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString path =
        fuzzsupport::writeFile(dir.path(), QStringLiteral("config.ini"), fuzzsupport::bytes(data, size));
    BaseValues values;
    values.readConfig(path);
    // Missing or empty values fall back to the built-in ones.
    if (values.serviceUrl.isEmpty() || values.appName.isEmpty() || values.idmUrl.isEmpty())
        __builtin_trap();
    QFile::remove(path);
    return 0;
}
