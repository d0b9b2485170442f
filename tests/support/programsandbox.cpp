#include "support/programsandbox.h"

#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSettings>
#include <QTest>

#include <signal.h>

namespace testsupport {

ProgramSandbox::ProgramSandbox()
{
    m_root.setAutoRemove(qEnvironmentVariableIsEmpty("VESK_KEEP_TEST_FILES"));
    if (!m_root.isValid())
        return;
    QDir root(m_root.path());
    for (const char *folder : {"home/data", "home/config", "home/cache", "runtime", "tmp"}) {
        if (!root.mkpath(QString::fromLatin1(folder)))
            return;
    }
    // Qt refuses a runtime folder others may enter.
    m_valid = QFile::setPermissions(root.filePath(QStringLiteral("runtime")),
                                    QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

ProgramSandbox::~ProgramSandbox() = default;

QString ProgramSandbox::tmpFolder() const
{
    return m_root.filePath(QStringLiteral("tmp"));
}

QString ProgramSandbox::dataHome() const
{
    return m_root.filePath(QStringLiteral("home/data"));
}

QString ProgramSandbox::dataFolder() const
{
    return dataHome() + QStringLiteral("/VeskMeeting");
}

QString ProgramSandbox::todaysLog() const
{
    return dataFolder() + QLatin1Char('/') + QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")) +
           QStringLiteral(".log");
}

QString ProgramSandbox::allLogs() const
{
    QString all;
    QDirIterator it(dataHome(), {QStringLiteral("*.log")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        all += readText(it.next());
    return all;
}

bool ProgramSandbox::installProgram(const QString &dir, Install what) const
{
    const QDir bin(QStringLiteral(VESK_BIN_DIR));
    const QDir target(m_root.filePath(dir));
    if (!target.mkpath(QStringLiteral(".")))
        return false;
    QStringList files{QStringLiteral("VeskMeeting"), QStringLiteral("libwemeetsdk.so")};
    if (what == Install::Everything)
        files = bin.entryList(QDir::Files);
    for (const QString &name : files) {
        if (!QFile::copy(bin.filePath(name), target.filePath(name)))
            return false;
        QFile::setPermissions(target.filePath(name), QFile::permissions(bin.filePath(name)));
    }
    const QString areaCodes = target.filePath(QStringLiteral("areaCode.dat"));
    return QFile::exists(areaCodes) ||
           QFile::copy(QStringLiteral(VESK_SOURCE_DIR "/resources/areaCode.dat"), areaCodes);
}

void ProgramSandbox::setConfig(const QString &dir, const QVariantMap &values) const
{
    QSettings config(QDir(m_root.filePath(dir)).filePath(QStringLiteral("config.ini")), QSettings::IniFormat);
    config.setIniCodec("UTF-8");
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        config.setValue(it.key(), it.value());
}

void ProgramSandbox::useServiceAt(const QString &dir, const QString &base) const
{
    setConfig(dir, {{QStringLiteral("CONFIG/SERVICE_URL"), base + QStringLiteral("api-service/")},
                    {QStringLiteral("CONFIG/CLOUD_URL"), base + QStringLiteral("api/")},
                    {QStringLiteral("CONFIG/IDM_URL"), base + QStringLiteral("idm/")}});
}

QProcessEnvironment ProgramSandbox::environment(int waitScalePercent) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_root.filePath(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_root.filePath(QStringLiteral("home/config")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), m_root.filePath(QStringLiteral("home/cache")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_root.filePath(QStringLiteral("runtime")));
    // The instance marker and the local socket live here, apart from any other client.
    env.insert(QStringLiteral("TMPDIR"), tmpFolder());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("VESK_WAIT_SCALE_PERCENT"), QString::number(waitScalePercent));
    env.remove(QStringLiteral("VESK_CRASH_REPORTER"));
    return env;
}

bool ProgramSandbox::start(QProcess &process, const QString &program, const QStringList &arguments,
                           const QProcessEnvironment &environment, const QString &workingDir,
                           QProcess::ProcessChannelMode channels) const
{
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingDir.isEmpty() ? m_root.path() : workingDir);
    process.setProcessChannelMode(channels);
    process.start(program, arguments);
    return process.waitForStarted(10000);
}

void endCleanly(QProcess &process)
{
    ::kill(pid_t(process.processId()), SIGTERM);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
}

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace testsupport
