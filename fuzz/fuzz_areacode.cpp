// areaCode.dat as it may lie beside the program, read from memory.

#include "fuzzsupport.h"

#include "app/areacode.h"

#include <QBuffer>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzsupport::start(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content = fuzzsupport::bytes(data, size);
    QBuffer buffer;
    buffer.setData(content);
    buffer.open(QIODevice::ReadOnly | QIODevice::Text);
    const QList<AreaCode> codes = readAreaCodes(&buffer);
    // Never more entries than lines after the header.
    if (codes.size() > content.count('\n') + content.count('\r') + 1)
        __builtin_trap();
    return 0;
}
