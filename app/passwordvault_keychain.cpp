#include "app/logcategory.h"
#include "app/passwordvault.h"

#include "app/waits.h"

#include <QCoreApplication>
#include <QDebug>
#include <QEventLoop>
#include <QStandardPaths>
#include <QTimer>

#include <qt5keychain/keychain.h>

namespace {

enum class VaultKnown
{
    NotYet,
    Yes,
    No
};
VaultKnown vaultKnown = VaultKnown::NotYet;
QString vaultReason;

QString serviceName()
{
    // Tests never touch the entries of a real installation.
    return QStandardPaths::isTestModeEnabled() ? QStringLiteral("VeskMeeting-test")
                                               : QStringLiteral("VeskMeeting");
}

struct JobOutcome
{
    bool finished = false;
    QKeychain::Error error = QKeychain::OtherError;
    QString errorString;
    QString text;
};

// Starts job and waits for it, at most Waits::keychainMs. The job deletes
// itself when it finishes, also after the wait has given up on it.
JobOutcome runJob(QKeychain::Job *job)
{
    JobOutcome outcome;
    QEventLoop loop;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&outcome, &loop](QKeychain::Job *done) {
        outcome.finished = true;
        outcome.error = done->error();
        outcome.errorString = done->errorString();
        if (auto *read = qobject_cast<QKeychain::ReadPasswordJob *>(done))
            outcome.text = read->textData();
        loop.quit();
    });
    QTimer::singleShot(Waits::keychainMs, &loop, &QEventLoop::quit);
    job->setAutoDelete(true);
    job->start();
    if (!outcome.finished)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!outcome.finished)
        outcome.errorString = QStringLiteral("no answer within %1 ms").arg(Waits::keychainMs);
    return outcome;
}

void decideVault(bool yes, const QString &why)
{
    vaultKnown = yes ? VaultKnown::Yes : VaultKnown::No;
    vaultReason = why;
    if (!yes)
        qCDebug(lcApp).noquote() << QStringLiteral("no keychain, passwords stay in User.dat: ") + why;
}

} // namespace

namespace PasswordVault {

bool available()
{
    if (vaultKnown == VaultKnown::NotYet) {
        // A look for an entry that is not there tells whether the keychain answers.
        auto *probe = new QKeychain::ReadPasswordJob(serviceName());
        probe->setKey(QStringLiteral("probe"));
        const JobOutcome outcome = runJob(probe);
        const bool answers = outcome.finished && (outcome.error == QKeychain::NoError ||
                                                  outcome.error == QKeychain::EntryNotFound);
        decideVault(answers, outcome.errorString);
    }
    return vaultKnown == VaultKnown::Yes;
}

QString unavailableReason()
{
    return available() ? QString() : vaultReason;
}

bool write(const QString &key, const QString &secret)
{
    if (!available())
        return false;
    auto *job = new QKeychain::WritePasswordJob(serviceName());
    job->setKey(key);
    job->setTextData(secret);
    const JobOutcome outcome = runJob(job);
    if (outcome.finished && outcome.error == QKeychain::NoError)
        return true;
    qCDebug(lcApp).noquote() << QStringLiteral("keychain write failed, the password stays in User.dat: ") +
                                    outcome.errorString;
    return false;
}

bool read(const QString &key, QString *secret)
{
    if (!available())
        return false;
    auto *job = new QKeychain::ReadPasswordJob(serviceName());
    job->setKey(key);
    const JobOutcome outcome = runJob(job);
    if (outcome.finished && outcome.error == QKeychain::NoError) {
        *secret = outcome.text;
        return true;
    }
    if (outcome.error != QKeychain::EntryNotFound)
        qCDebug(lcApp).noquote() << QStringLiteral("keychain read failed: ") + outcome.errorString;
    return false;
}

void remove(const QString &key)
{
    if (!available())
        return;
    auto *job = new QKeychain::DeletePasswordJob(serviceName());
    job->setKey(key);
    runJob(job);
}

void forget()
{
    vaultKnown = VaultKnown::NotYet;
    vaultReason.clear();
}

} // namespace PasswordVault
