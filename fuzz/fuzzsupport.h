#pragma once

// What every target needs: one application object, the test locations (the
// real data folder is never touched), a session record and silence.

#include "app/basevalues.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTextCodec>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace fuzzsupport {

inline void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

// The test locations lie below HOME. A disk there syncs every settings
// write, which costs more than all the rest of an input; memory does not.
inline void homeInMemory()
{
    static QByteArray home = QByteArrayLiteral("/dev/shm/vesk-fuzz-XXXXXX");
    if (!QDir(QStringLiteral("/dev/shm")).exists() || !::mkdtemp(home.data()))
        return;
    qputenv("HOME", home);
    std::atexit([] { QDir(QString::fromLocal8Bit(home)).removeRecursively(); });
}

// Called once from LLVMFuzzerInitialize, before anything asks for a
// location; a target with widgets makes its QApplication first.
inline void start(int *argc, char ***argv)
{
    homeInMemory();
    if (!QCoreApplication::instance())
        static QCoreApplication app(*argc, *argv);
    QStandardPaths::setTestModeEnabled(true);
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    qInstallMessageHandler(quiet);
    if (!baseValues)
        baseValues = new BaseValues;
}

inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), int(size));
}

// A file with exactly these bytes; a new name each time, because QSettings
// keeps files it has read and rereads one only when its time or size changed.
inline QString writeFile(const QString &folder, const QString &stem, const QByteArray &content)
{
    static quint64 count = 0;
    const QString path = QStringLiteral("%1/%2-%3").arg(folder, stem).arg(++count);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
    return path;
}

} // namespace fuzzsupport
