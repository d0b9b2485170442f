#include "app/areacode.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <QTextStream>

QList<AreaCode> readAreaCodes()
{
    return readAreaCodes(QCoreApplication::applicationDirPath() + QStringLiteral("/areaCode.dat"));
}

QList<AreaCode> readAreaCodes(const QString &path)
{
    QFile file(path);
    if (!file.exists() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return readAreaCodes(&file);
}

QList<AreaCode> readAreaCodes(QIODevice *device)
{
    QList<AreaCode> result;
    QTextStream stream(device);
    stream.setCodec("UTF-8");
    stream.setAutoDetectUnicode(true);
    int lineNumber = 0;
    while (!stream.atEnd()) {
        const QString line = stream.readLine();
        if (++lineNumber == 1)
            continue;
        const QStringList fields = line.split(QLatin1Char(','), Qt::KeepEmptyParts, Qt::CaseSensitive);
        // Short lines (a blank last line, a damaged entry) carry no code.
        if (fields.size() < 4)
            continue;
        result.append(AreaCode{fields.at(3), fields.at(1)});
    }
    return result;
}
