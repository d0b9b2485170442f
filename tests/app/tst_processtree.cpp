#include "app/platform.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Running means: listed in /proc and neither a zombie nor dead.
bool running(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray content = stat.readAll();
    const int close = content.lastIndexOf(')');
    const char state = close >= 0 && close + 2 < content.size() ? content.at(close + 2) : 'X';
    return state != 'Z' && state != 'X' && state != 'x';
}

qint64 parentOf(const QString &pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray content = stat.readAll();
    const QList<QByteArray> fields = content.mid(content.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() : -1;
}

QList<qint64> runningDescendants(qint64 root)
{
    QList<qint64> found;
    QList<qint64> parents{root};
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    while (!parents.isEmpty()) {
        const qint64 parent = parents.takeFirst();
        for (const QString &entry : entries) {
            bool isPid = false;
            const qint64 pid = entry.toLongLong(&isPid);
            if (isPid && parentOf(entry) == parent && running(pid)) {
                found << pid;
                parents << pid;
            }
        }
    }
    return found;
}

} // namespace

class TestProcessTree : public QObject
{
    Q_OBJECT

private slots:
    void wholeTreeEndsAndNothingElse()
    {
        QProcess bystander;
        bystander.start(QStringLiteral("sleep"), {QStringLiteral("300")});
        QVERIFY(bystander.waitForStarted());

        QProcess tree;
        tree.start(
            QStringLiteral("sh"),
            {QStringLiteral("-c"), QStringLiteral("sleep 301 & sleep 302 & (sleep 303 & wait) & wait")});
        QVERIFY(tree.waitForStarted());
        const qint64 root = tree.processId();
        QTRY_COMPARE_WITH_TIMEOUT(runningDescendants(root).size(), 4, 10000);
        const QList<qint64> members = runningDescendants(root);

        killProcessTree(root);

        // The shell may see its children go and leave by itself first.
        QVERIFY(tree.waitForFinished(10000));
        for (qint64 pid : members)
            QTRY_VERIFY2_WITH_TIMEOUT(!running(pid), qPrintable(QString::number(pid)), 10000);
        QVERIFY(running(bystander.processId()));
        QVERIFY(running(QCoreApplication::applicationPid()));

        bystander.kill();
        bystander.waitForFinished();
    }

    void ownProcessEndsWithItsChildren()
    {
        int channel[2];
        QCOMPARE(pipe(channel), 0);
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            close(channel[0]);
            const pid_t grandchild = fork();
            if (grandchild == 0) {
                execlp("sleep", "sleep", "300", static_cast<char *>(nullptr));
                _exit(127);
            }
            if (write(channel[1], &grandchild, sizeof grandchild) != sizeof grandchild)
                _exit(4);
            killProcessTree();
            _exit(3); // not reached when the routine works
        }
        close(channel[1]);
        pid_t grandchild = 0;
        QCOMPARE(read(channel[0], &grandchild, sizeof grandchild), ssize_t(sizeof grandchild));
        close(channel[0]);
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY2(WIFEXITED(status), "ends by itself, not by a signal");
        QCOMPARE(WEXITSTATUS(status), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!running(grandchild), 10000);
    }

    void idsOfProcessGroupsAreRefused()
    {
        // In a child with its own process group, so a fault here cannot reach
        // the test run: 0 and negative ids would address whole groups.
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            setpgid(0, 0);
            const pid_t member = fork();
            if (member == 0) {
                execlp("sleep", "sleep", "300", static_cast<char *>(nullptr));
                _exit(127);
            }
            usleep(100 * 1000);
            killProcessTree(0);
            killProcessTree(-static_cast<long long>(getpgrp()));
            killProcessTree(-2);
            usleep(100 * 1000);
            const bool memberRunning = kill(member, 0) == 0 && waitpid(member, nullptr, WNOHANG) == 0;
            kill(member, SIGKILL);
            waitpid(member, nullptr, 0);
            _exit(memberRunning ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY2(WIFEXITED(status), "the child was not killed");
        QCOMPARE(WEXITSTATUS(status), 0);
    }

    void missingProcessIsHarmless()
    {
        // Above any pid the kernel hands out.
        killProcessTree(999999999);
        killProcessTree(99999999999LL);
        QVERIFY(running(QCoreApplication::applicationPid()));
    }
};

QTEST_GUILESS_MAIN(TestProcessTree)
#include "tst_processtree.moc"
