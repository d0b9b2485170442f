#pragma once

// The client's instance marker is a System V segment with a lock semaphore
// when it runs on Linux; a program the test killed leaves both behind, and
// they outlive the test's temporary folder. Process tests call this once the
// program has ended.

#include "app/instancemarker.h"

#include <QSharedMemory>
#include <QSystemSemaphore>
#include <QtGlobal>

namespace testsupport {

// tmpDir: the TMPDIR the program ran with.
inline void releaseInstanceMarker(const QString &tmpDir)
{
    const QByteArray previous = qgetenv("TMPDIR");
    const bool hadPrevious = qEnvironmentVariableIsSet("TMPDIR");
    qputenv("TMPDIR", tmpDir.toLocal8Bit());
    {
        // Detaching as its last user removes the segment.
        QSharedMemory marker(instanceMarkerKey());
        if (!marker.create(100) && marker.attach())
            marker.detach();
        // A semaphore opened for creation is removed with its handle.
        QSystemSemaphore lock(instanceMarkerKey(), 1, QSystemSemaphore::Create);
    }
    if (hadPrevious)
        qputenv("TMPDIR", previous);
    else
        qunsetenv("TMPDIR");
}

} // namespace testsupport
