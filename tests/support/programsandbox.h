#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantMap>

namespace testsupport {

// A private place to run the real program in: its own home with data and
// config folders, a runtime and a temporary folder, so that its data
// folder, instance marker and sockets belong to the test alone. Going away
// it releases the instance marker that a killed program leaves behind.
// VESK_KEEP_TEST_FILES keeps the folder for a look afterwards.
class ProgramSandbox final
{
    Q_DISABLE_COPY(ProgramSandbox)

public:
    ProgramSandbox();
    ~ProgramSandbox();

    // All folders are there.
    bool isValid() const { return m_valid; }
    QString path() const { return m_root.path(); }
    QString filePath(const QString &relative) const { return m_root.filePath(relative); }
    QString tmpFolder() const;
    // XDG_DATA_HOME, and the client's data folder in it.
    QString dataHome() const;
    QString dataFolder() const;
    QString todaysLog() const;
    // Every log file below the data home, one after the other.
    QString allLogs() const;

    // Copies the program, its SDK library and areaCode.dat from the build
    // into dir (relative; empty for the sandbox itself); with everything,
    // all files the build puts beside the program.
    enum class Install
    {
        Program,
        Everything
    };
    bool installProgram(const QString &dir = QString(), Install what = Install::Program) const;
    // Values ("GROUP/KEY") for dir's config.ini; others stay as they are.
    void setConfig(const QString &dir, const QVariantMap &values) const;
    // The three base URLs of dir's config.ini under base ("http://127.0.0.1:9/").
    void useServiceAt(const QString &dir, const QString &base) const;

    // The environment the program runs in: the folders above, offscreen,
    // the fixed waits at waitScalePercent %, no crash reporter set-up of
    // the caller's.
    QProcessEnvironment environment(int waitScalePercent) const;
    // Starts program in workingDir (the sandbox when empty); returns whether
    // it started.
    bool start(QProcess &process, const QString &program, const QStringList &arguments,
               const QProcessEnvironment &environment, const QString &workingDir = QString(),
               QProcess::ProcessChannelMode channels = QProcess::ForwardedErrorChannel) const;

private:
    QTemporaryDir m_root;
    bool m_valid = false;
};

// Asks the program to end as the desktop does (SIGTERM) and checks that it
// ended by itself with exit code 0.
void endCleanly(QProcess &process);
// A file's text, empty when it cannot be read.
QString readText(const QString &path);

} // namespace testsupport
