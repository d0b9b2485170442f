// areaCode.dat as it may lie beside the program.

#include "fuzzsupport.h"

#include "app/areacode.h"

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
        fuzzsupport::writeFile(dir.path(), QStringLiteral("areaCode.dat"), fuzzsupport::bytes(data, size));
    const QList<AreaCode> codes = readAreaCodes(path);
    // Never more entries than lines after the header.
    if (codes.size() > fuzzsupport::bytes(data, size).count('\n') + 1)
        __builtin_trap();
    QFile::remove(path);
    return 0;
}
