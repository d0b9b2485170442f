// The remembered password with and without a keychain. ctest runs this twice:
// in a private D-Bus session with gnome-keyring (with-keyring.sh), and with
// no session bus at all (VESK_NO_KEYCHAIN_EXPECTED).
#include "app/basevalues.h"
#include "app/passwordvault.h"
#include "app/userstore.h"

#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

class TestKeychain : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void rememberedPasswordLeavesTheFile_data();
    void rememberedPasswordLeavesTheFile();

private:
    bool m_keychain = !qEnvironmentVariableIsSet("VESK_NO_KEYCHAIN_EXPECTED");
};

namespace {

QString filePassword()
{
    QSettings file(userDataPath(), QSettings::IniFormat);
    return file.value(QStringLiteral("LOGININFO/PASSWORD")).toString();
}

void account(const QString &company, const QString &user, const QString &password, bool remember)
{
    baseValues->accountType = 1;
    baseValues->accountCompanyCode = company;
    baseValues->accountUserName = user;
    baseValues->accountPassword = password;
    baseValues->rememberPassword = remember;
}

} // namespace

void TestKeychain::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    baseValues = new BaseValues;
    if (!m_keychain)
        QTest::ignoreMessage(
            QtDebugMsg, QRegularExpression(QStringLiteral("^no keychain, passwords stay in User.dat: .+")));
    QCOMPARE(PasswordVault::available(), m_keychain);
    QCOMPARE(PasswordVault::unavailableReason().isEmpty(), m_keychain);
}

void TestKeychain::init()
{
    QFile::remove(userDataPath());
    *baseValues = BaseValues();
}

void TestKeychain::rememberedPasswordLeavesTheFile_data()
{
    QTest::addColumn<QString>("earlierFile"); // a password entry written by an earlier version
    QTest::addColumn<bool>("autoLogin");
    QTest::newRow("new remembered sign-in") << QString() << false;
    QTest::newRow("with automatic sign-in") << QString() << true;
    QTest::newRow("earlier User.dat moves on the next save") << QStringLiteral("dnRvcC1zZWNyZXRr") << true;
}

void TestKeychain::rememberedPasswordLeavesTheFile()
{
    QFETCH(QString, earlierFile);
    QFETCH(bool, autoLogin);
    const QString stored = QStringLiteral("dnRvcC1zZWNyZXRr"); // "top-secret" in the stored form
    if (!earlierFile.isEmpty()) {
        QSettings file(userDataPath(), QSettings::IniFormat);
        file.setValue(QStringLiteral("LOGININFO/REMERBERPASS"), QStringLiteral("True"));
        file.setValue(QStringLiteral("LOGININFO/COMPANYCODE"), QStringLiteral("C100"));
        file.setValue(QStringLiteral("LOGININFO/USERNAME"), QStringLiteral("zhang"));
        file.setValue(QStringLiteral("LOGININFO/PASSWORD"), earlierFile);
        file.sync();
        loadLoginInfo();
        QCOMPARE(baseValues->accountPassword, stored); // read as before
    } else {
        account(QStringLiteral("C100"), QStringLiteral("zhang"), stored, true);
    }
    saveAccountLogin(autoLogin);
    QCOMPARE(filePassword(), m_keychain ? QString() : stored);

    // A later run reads it back, from wherever it went.
    *baseValues = BaseValues();
    loadLoginInfo();
    QCOMPARE(baseValues->accountPassword, stored);
    QCOMPARE(baseValues->accountUserName, QStringLiteral("zhang"));

    // Another account takes the place: the first one's entry goes.
    account(QStringLiteral("C100"), QStringLiteral("li"), QStringLiteral("dmFub3RoZXJr"), true);
    saveAccountLogin(false);
    QString left;
    QVERIFY(!PasswordVault::read(QStringLiteral("account/C100/zhang"), &left));
    QCOMPARE(PasswordVault::read(QStringLiteral("account/C100/li"), &left), m_keychain);

    // Not remembering any more empties file and keychain.
    baseValues->rememberPassword = false;
    saveAccountLogin(false);
    QVERIFY(!PasswordVault::read(QStringLiteral("account/C100/li"), &left));
    *baseValues = BaseValues();
    loadLoginInfo();
    QVERIFY(baseValues->accountPassword.isEmpty());
}

QTEST_GUILESS_MAIN(TestKeychain)
#include "tst_keychain.moc"
