#pragma once

#include "support/testsupport.h"

#include <QFile>
#include <QString>
#include <QStringList>

namespace updatetest {

inline const QString archivePath = QStringLiteral("/update/VeskLiveMeeting_Windows_UpdateInstaller.zip");

inline QString updateUrlOf(const devservice::Server &server)
{
    return QString::fromStdString(server.baseUrl()) + archivePath;
}

// What the stand-in's installer wrote about how it was started.
struct InstallerRecord
{
    bool complete = false;
    QString program;
    int count = -1;
    QStringList arguments;
};

inline InstallerRecord readInstallerRecord(const QString &path)
{
    InstallerRecord record;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return record;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("program=")))
            record.program = line.mid(8);
        else if (line.startsWith(QLatin1String("count=")))
            record.count = line.mid(6).toInt();
        else if (line.startsWith(QLatin1String("argument=[")) && line.endsWith(QLatin1Char(']')))
            record.arguments << line.mid(10, line.size() - 11);
        else if (line == QLatin1String("end"))
            record.complete = true;
    }
    return record;
}

} // namespace updatetest
