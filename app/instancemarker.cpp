#include "app/instancemarker.h"

#include "app/platform.h"

#include <QDebug>
#include <QSharedMemory>

namespace {

constexpr int markerSize = 100;

QSharedMemory &marker()
{
    static QSharedMemory segment(instanceMarkerKey());
    return segment;
}

} // namespace

QString instanceMarkerKey()
{
    return QStringLiteral("VeskMeeting.exe") + QString::fromStdString(userInstanceSuffix());
}

bool createInstanceMarker()
{
    if (marker().create(markerSize, QSharedMemory::ReadWrite))
        return true;
    qDebug().noquote() << "instance marker not created:" << marker().errorString();
    return false;
}

bool takeOverInstanceMarker()
{
    QSharedMemory &segment = marker();
    // The segment is removed when its last user detaches; a live holder is
    // still attached, so this cannot take the marker from a running client.
    if (segment.attach(QSharedMemory::ReadOnly))
        segment.detach();
    if (!segment.create(markerSize, QSharedMemory::ReadWrite)) {
        qDebug().noquote() << "instance marker still held:" << segment.errorString();
        return false;
    }
    qDebug() << "instance marker left by an ended instance released";
    return true;
}
