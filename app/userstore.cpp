#include "app/userstore.h"
#include "app/logcategory.h"

#include "app/meetinghistory.h"

#include "app/basevalues.h"
#include "app/logging.h"
#include "app/passwordvault.h"
#include "app/platform.h"
#include "app/settingsvalue.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QUuid>

namespace {

// The file holds the remembered password: readable by its owner only. The
// mode is set before the first value goes in and checked again after every
// write, whatever QSettings does when it replaces the file. Something else
// standing where the file belongs is not ours to change.
void restrictToOwner(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return;
    if (!info.isFile()) {
        qCDebug(lcApp).noquote() << QStringLiteral("User.dat is not a regular file, left alone: ") + path;
        return;
    }
    createPrivateFile(QFile::encodeName(path).toStdString());
}

// One open of User.dat. Saves repeat what the file holds on every sign-in
// and join, and each write replaces the file through a lock and a temporary
// file: the file is written only when a value really changed. A read leaves
// the file as it found it and never creates it.
class Store
{
public:
    Store() : m_settings(userDataPath(), QSettings::IniFormat) { m_settings.setIniCodec("UTF-8"); }
    Store(const Store &) = delete;
    Store &operator=(const Store &) = delete;
    ~Store()
    {
        if (!m_changed)
            return;
        // The file comes into being readable by its owner only, before the
        // first value goes in, and stays so whatever QSettings does when it
        // replaces it.
        const QString path = m_settings.fileName();
        ensureDataFolder();
        if (!QFileInfo::exists(path))
            createPrivateFile(QFile::encodeName(path).toStdString());
        restrictToOwner(path);
        m_settings.sync();
        restrictToOwner(path);
    }

    operator const QSettings &() const { return m_settings; }
    bool contains(const QString &key) const { return m_settings.contains(key); }

    void setValue(const QString &key, const QVariant &value)
    {
        // A value that already reads back the same is not written again; an
        // absent key reads as empty text.
        if (settingsText(m_settings, key) == value.toString().trimmed())
            return;
        m_settings.setValue(key, value);
        m_changed = true;
    }

    // A key or a whole group.
    void remove(const QString &key)
    {
        m_settings.beginGroup(key);
        const bool group = !m_settings.allKeys().isEmpty();
        m_settings.endGroup();
        if (!group && !m_settings.contains(key))
            return;
        m_settings.remove(key);
        m_changed = true;
    }

private:
    QSettings m_settings;
    bool m_changed = false;
};

QString text(const QSettings &settings, const char *key, const QString &fallback = QString())
{
    const QString value = settingsText(settings, QString::fromLatin1(key));
    return value.isEmpty() ? fallback : value;
}

int number(const QSettings &settings, const char *key)
{
    return settingsText(settings, QString::fromLatin1(key)).toInt();
}

// User.dat's switches are "True" or "False", read ignoring case.
bool flag(const QSettings &settings, const char *key, bool fallback)
{
    const QString value = settingsText(settings, QString::fromLatin1(key));
    if (value.isEmpty())
        return fallback;
    return value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

QString flagText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

void clearPhoneGroup()
{
    baseValues->phoneAccountType = 0;
    baseValues->phoneCompanyCode.clear();
    baseValues->phoneUserName.clear();
    baseValues->phoneTelephone.clear();
}

void clearWxGroup()
{
    baseValues->openId.clear();
    baseValues->uid.clear();
    baseValues->unionId.clear();
}

void removePhoneKeys(Store &settings)
{
    settings.remove(QStringLiteral("/LOGININFO2/TYPE"));
    settings.remove(QStringLiteral("/LOGININFO2/COMPANYCODE"));
    settings.remove(QStringLiteral("/LOGININFO2/USERNAME"));
    settings.remove(QStringLiteral("/LOGININFO2/TELEPHONE"));
}

void removeWxKeys(Store &settings)
{
    settings.remove(QStringLiteral("/LOGININFO3/OPENID"));
    settings.remove(QStringLiteral("/LOGININFO3/UID"));
    settings.remove(QStringLiteral("/LOGININFO3/UNIONID"));
}

void writeAccountKeys(Store &settings, const QString &filePassword)
{
    settings.setValue(QStringLiteral("/LOGININFO/REMERBERPASS"), flagText(baseValues->rememberPassword));
    settings.setValue(QStringLiteral("/LOGININFO/TYPE"), baseValues->accountType);
    settings.setValue(QStringLiteral("/LOGININFO/COMPANYCODE"), baseValues->accountCompanyCode);
    settings.setValue(QStringLiteral("/LOGININFO/USERNAME"), baseValues->accountUserName);
    settings.setValue(QStringLiteral("/LOGININFO/PASSWORD"), filePassword);
}

// The keychain entry of a remembered account: one per company code and account.
QString accountKey(const QString &companyCode, const QString &userName)
{
    if (companyCode.isEmpty() && userName.isEmpty())
        return QString();
    return QStringLiteral("account/%1/%2").arg(companyCode, userName);
}

QString proxyKey(const QString &proxy)
{
    return QStringLiteral("proxy/") + proxy;
}

// What goes into a password entry of User.dat: nothing when the keychain took
// the secret, else the secret as before.
QString passwordForFile(const QString &key, const QString &secret)
{
    if (secret.isEmpty() || PasswordVault::write(key, secret))
        return QString();
    return secret;
}

// The account whose password the keychain may hold for the file as it is.
QString rememberedAccountKey()
{
    Store settings;
    return accountKey(text(settings, "/LOGININFO/COMPANYCODE"), text(settings, "/LOGININFO/USERNAME"));
}

} // namespace

QString userDataPath()
{
    return dataFolder() + QStringLiteral("/User.dat");
}

void loadSerialNo()
{
    Store settings;
    QString serial = text(settings, "/SOFTINFO/SERIALNO");
    if (serial.isEmpty()) {
        serial = QUuid::createUuid().toString();
        serial.remove(QLatin1Char('{')).remove(QLatin1Char('-')).remove(QLatin1Char('}'));
        qCDebug(lcApp).noquote() << QStringLiteral("uuid:") + serial;
        settings.setValue(QStringLiteral("/SOFTINFO/SERIALNO"), serial);
    }
    baseValues->serialNo = serial;
}

void loadLoginInfo()
{
    Store settings;
    BaseValues &v = *baseValues;
    const bool passwordInFile = !text(settings, "/LOGININFO/PASSWORD").isEmpty();

    v.rememberPassword = flag(settings, "/LOGININFO/REMERBERPASS", false);
    if (v.rememberPassword) {
        v.accountType = number(settings, "/LOGININFO/TYPE");
        v.accountCompanyCode = text(settings, "/LOGININFO/COMPANYCODE");
        v.accountUserName = text(settings, "/LOGININFO/USERNAME");
        v.accountPassword = text(settings, "/LOGININFO/PASSWORD");
    } else {
        v.accountType = 0;
        v.accountCompanyCode.clear();
        v.accountUserName.clear();
        v.accountPassword.clear();
    }

    v.autoLogin = text(settings, "/LOGININFO/AUTOLOGIN");
    if (v.autoLogin == QLatin1String("1")) {
        v.accountType = number(settings, "/LOGININFO/TYPE");
        clearPhoneGroup();
        clearWxGroup();
    } else if (v.autoLogin == QLatin1String("2")) {
        v.phoneAccountType = number(settings, "/LOGININFO2/TYPE");
        v.phoneCompanyCode = text(settings, "/LOGININFO2/COMPANYCODE");
        v.phoneUserName = text(settings, "/LOGININFO2/USERNAME");
        v.phoneTelephone = text(settings, "/LOGININFO2/TELEPHONE");
        clearWxGroup();
    } else if (v.autoLogin == QLatin1String("3")) {
        clearPhoneGroup();
        v.openId = text(settings, "/LOGININFO3/OPENID");
        v.uid = text(settings, "/LOGININFO3/UID");
        v.unionId = text(settings, "/LOGININFO3/UNIONID");
    } else if (v.autoLogin.isEmpty()) {
        clearPhoneGroup();
        clearWxGroup();
    }
    // A file of an earlier version holds the password itself; it moves to
    // the keychain with the next save.
    if (v.rememberPassword && !passwordInFile)
        PasswordVault::read(accountKey(v.accountCompanyCode, v.accountUserName), &v.accountPassword);
}

void saveAccountLogin(bool autoLogin)
{
    BaseValues &v = *baseValues;
    // The keychain is asked before the file is opened: its wait takes events.
    const QString previousKey = rememberedAccountKey();
    const QString key = accountKey(v.accountCompanyCode, v.accountUserName);
    const bool keep = autoLogin || v.rememberPassword;
    QString filePassword;
    if (keep)
        filePassword = passwordForFile(key, v.accountPassword);
    if (!previousKey.isEmpty() && (!keep || previousKey != key))
        PasswordVault::remove(previousKey);

    Store settings;
    if (autoLogin) {
        settings.setValue(QStringLiteral("/LOGININFO/AUTOLOGIN"), QStringLiteral("1"));
        writeAccountKeys(settings, filePassword);
        return;
    }
    settings.remove(QStringLiteral("/LOGININFO/AUTOLOGIN"));
    if (v.rememberPassword) {
        writeAccountKeys(settings, filePassword);
        return;
    }
    settings.remove(QStringLiteral("/LOGININFO/REMERBERPASS"));
    settings.remove(QStringLiteral("/LOGININFO/TYPE"));
    settings.remove(QStringLiteral("/LOGININFO/COMPANYCODE"));
    settings.remove(QStringLiteral("/LOGININFO/USERNAME"));
    settings.remove(QStringLiteral("/LOGININFO/PASSWORD"));
    v.autoLogin.clear();
    v.accountType = 0;
    v.accountCompanyCode.clear();
    v.accountUserName.clear();
    v.accountPassword.clear();
}

void savePhoneLogin(bool autoLogin)
{
    Store settings;
    BaseValues &v = *baseValues;
    if (autoLogin) {
        settings.setValue(QStringLiteral("/LOGININFO/AUTOLOGIN"), QStringLiteral("2"));
        settings.setValue(QStringLiteral("/LOGININFO2/TYPE"), v.phoneAccountType);
        settings.setValue(QStringLiteral("/LOGININFO2/COMPANYCODE"), v.phoneCompanyCode);
        settings.setValue(QStringLiteral("/LOGININFO2/USERNAME"), v.phoneUserName);
        settings.setValue(QStringLiteral("/LOGININFO2/TELEPHONE"), v.phoneTelephone);
        removeWxKeys(settings);
        return;
    }
    settings.remove(QStringLiteral("/LOGININFO/AUTOLOGIN"));
    removePhoneKeys(settings);
    v.autoLogin.clear();
    clearPhoneGroup();
}

void saveWxLogin(bool autoLogin)
{
    Store settings;
    BaseValues &v = *baseValues;
    if (autoLogin) {
        settings.setValue(QStringLiteral("/LOGININFO/AUTOLOGIN"), QStringLiteral("3"));
        removePhoneKeys(settings);
        settings.setValue(QStringLiteral("/LOGININFO3/OPENID"), v.openId);
        settings.setValue(QStringLiteral("/LOGININFO3/UID"), v.uid);
        settings.setValue(QStringLiteral("/LOGININFO3/UNIONID"), v.unionId);
        return;
    }
    settings.remove(QStringLiteral("/LOGININFO/AUTOLOGIN"));
    removeWxKeys(settings);
    v.autoLogin.clear();
    clearWxGroup();
}

void forgetAutoLogin(const QString &method)
{
    if (method == QLatin1String("1"))
        saveAccountLogin(false);
    else if (method == QLatin1String("2"))
        savePhoneLogin(false);
    else if (method == QLatin1String("3"))
        saveWxLogin(false);
}

void loadUserInfo()
{
    {
        Store settings;
        baseValues->wmNickname = text(settings, "/USERINFO/NICKNAME");
        baseValues->meetingHistory = text(settings, "/USERINFO/HISMEETLST");
    }
    // The join switches come with the rest: quick meetings and list joins use
    // them before any join dialog has run.
    loadMeetingInfo();
}

void saveUserInfo()
{
    Store settings;
    settings.setValue(QStringLiteral("/USERINFO/NICKNAME"), baseValues->wmNickname);
    settings.setValue(QStringLiteral("/USERINFO/HISMEETLST"),
                      MeetingHistory::storable(baseValues->meetingHistory));
}

void saveMeetingHistory()
{
    qCDebug(lcApp).noquote() << QStringLiteral("appDataLocation == ") + dataFolder();
    qCDebug(lcApp).noquote() << QStringLiteral("userDataPath == ") + userDataPath();
    Store settings;
    settings.setValue(QStringLiteral("/USERINFO/HISMEETLST"),
                      MeetingHistory::storable(baseValues->meetingHistory));
}

void loadMeetingInfo()
{
    Store settings;
    baseValues->micOn = flag(settings, "/MEETINGINFO/MICON", true);
    baseValues->micChosen = settings.contains(QStringLiteral("/MEETINGINFO/MICON"));
    baseValues->cameraOn = flag(settings, "/MEETINGINFO/CAMERAON", false);
}

void saveMeetingInfo()
{
    Store settings;
    settings.setValue(QStringLiteral("/MEETINGINFO/MICON"), flagText(baseValues->micOn));
    baseValues->micChosen = true;
    settings.setValue(QStringLiteral("/MEETINGINFO/CAMERAON"), flagText(baseValues->cameraOn));
}

bool loadMeetingReminder()
{
    Store settings;
    return text(settings, "/REMINDER/ENABLED", QStringLiteral("True"))
               .compare(QLatin1String("false"), Qt::CaseInsensitive) != 0;
}

void saveMeetingReminder(bool enabled)
{
    Store settings;
    settings.setValue(QStringLiteral("/REMINDER/ENABLED"),
                      enabled ? QStringLiteral("True") : QStringLiteral("False"));
}

QString encodeStoredPassword(const QString &password)
{
    const QString wrapped = QLatin1Char('v') + password + QLatin1Char('k');
    return QString::fromLatin1(wrapped.toUtf8().toBase64(QByteArray::Base64UrlEncoding));
}

QString decodeStoredPassword(const QString &stored)
{
    if (stored.isEmpty())
        return QString();
    const auto decoded = QByteArray::fromBase64Encoding(
        stored.toLatin1(), QByteArray::Base64UrlEncoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return QString();
    const QString wrapped = QString::fromUtf8(decoded.decoded);
    if (wrapped.size() < 2)
        return QString();
    return wrapped.mid(1, wrapped.size() - 2);
}

bool loadProxyLogin(const QString &proxy, QString *user, QString *password)
{
    QString stored;
    {
        Store settings;
        if (text(settings, "/PROXY/ADDRESS") != proxy)
            return false;
        *user = text(settings, "/PROXY/USER");
        stored = text(settings, "/PROXY/PASSWORD");
    }
    // Kept in the stored form, in the keychain as in the file.
    if (stored.isEmpty())
        PasswordVault::read(proxyKey(proxy), &stored);
    *password = decodeStoredPassword(stored);
    return !user->isEmpty();
}

void saveProxyLogin(const QString &proxy, const QString &user, const QString &password)
{
    const QString filePassword = passwordForFile(proxyKey(proxy), encodeStoredPassword(password));
    Store settings;
    settings.setValue(QStringLiteral("/PROXY/ADDRESS"), proxy);
    settings.setValue(QStringLiteral("/PROXY/USER"), user);
    settings.setValue(QStringLiteral("/PROXY/PASSWORD"), filePassword);
}

void forgetProxyLogin(const QString &proxy)
{
    {
        Store settings;
        if (text(settings, "/PROXY/ADDRESS") != proxy)
            return;
    }
    PasswordVault::remove(proxyKey(proxy));
    Store settings;
    settings.remove(QStringLiteral("/PROXY"));
}

namespace {

// The signed-in account as a key name: company code and the meeting
// service's user id (the user name is a display name), without characters
// QSettings reads as separators.
QString trayKey()
{
    const BaseValues &v = *baseValues;
    QString account = v.companyCode + QLatin1Char('_') + (v.userId.isEmpty() ? v.userName : v.userId);
    account.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
    return QStringLiteral("/TRAY/") + account;
}

} // namespace

bool loadCloseToTray()
{
    Store settings;
    return settingsText(settings, trayKey()).compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

void saveCloseToTray(bool enabled)
{
    Store settings;
    settings.setValue(trayKey(), flagText(enabled));
}

bool loadHomePlace(QPoint *topLeft, QString *screenName)
{
    Store settings;
    const QStringList place = text(settings, "/WINDOW/HOMEPOS").split(QLatin1Char(','));
    bool xOk = false;
    bool yOk = false;
    if (place.size() != 2)
        return false;
    *topLeft = QPoint(place.at(0).toInt(&xOk), place.at(1).toInt(&yOk));
    *screenName = text(settings, "/WINDOW/HOMESCREEN");
    return xOk && yOk;
}

void saveHomePlace(const QPoint &topLeft, const QString &screenName)
{
    Store settings;
    settings.setValue(QStringLiteral("/WINDOW/HOMEPOS"),
                      QStringLiteral("%1,%2").arg(topLeft.x()).arg(topLeft.y()));
    settings.setValue(QStringLiteral("/WINDOW/HOMESCREEN"), screenName);
}
