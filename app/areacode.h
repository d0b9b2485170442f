#pragma once

#include <QList>

class QIODevice;
#include <QString>

// One entry of the phone area-code drop-down.
struct AreaCode
{
    QString code; // calling code without "+", e.g. "86"
    QString name; // region name, e.g. "中国"
};

// Reads areaCode.dat beside the executable: a header line, then lines of at
// least four comma-separated fields, the second the region name, the fourth
// the calling code. A missing file gives an empty list.
QList<AreaCode> readAreaCodes();
QList<AreaCode> readAreaCodes(const QString &path);
// The same from a device open for reading as text.
QList<AreaCode> readAreaCodes(QIODevice *device);
