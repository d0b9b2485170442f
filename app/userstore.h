#pragma once

#include <QPoint>
#include <QString>

// The local user store User.dat (INI, UTF-8) in the data folder, read into and
// written from baseValues. Every call opens the file afresh; nothing is cached.

// "<data folder>/User.dat"
QString userDataPath();

void loadSerialNo();
void loadLoginInfo();
void saveAccountLogin(bool autoLogin);
void savePhoneLogin(bool autoLogin);
void saveWxLogin(bool autoLogin);
// Sign-out: the remembered automatic sign-in of this method ("1" account,
// "2" phone, "3" WeChat) is switched off; any other value changes nothing.
void forgetAutoLogin(const QString &method);
void loadUserInfo();
void saveUserInfo();
void saveMeetingHistory();
void loadMeetingInfo();
void saveMeetingInfo();
// The account menu's "会议开始前提醒" switch, REMINDER/ENABLED ("True" unless
// switched off).
bool loadMeetingReminder();
void saveMeetingReminder(bool enabled);

// The stored form of a remembered password: one character either side, UTF-8,
// URL-safe Base64. Released with the first version; User.dat files depend on it.
QString encodeStoredPassword(const QString &password);
// Reverses encodeStoredPassword; an empty or malformed value gives an empty text.
QString decodeStoredPassword(const QString &stored);

// Credentials of the proxy "host:port", remembered when the user ticked "记住"
// (PROXY group). loadProxyLogin is false when none are remembered for it.
bool loadProxyLogin(const QString &proxy, QString *user, QString *password);
void saveProxyLogin(const QString &proxy, const QString &user, const QString &password);
void forgetProxyLogin(const QString &proxy);

// The account menu's "关闭主面板时最小化到托盘" switch of the signed-in account
// (TRAY group, one key per account; off unless switched on).
bool loadCloseToTray();
void saveCloseToTray(bool enabled);

// Where the home window was last ("WINDOW" group): its top-left corner and
// the name of its screen. loadHomePlace is false when none is remembered.
bool loadHomePlace(QPoint *topLeft, QString *screenName);
void saveHomePlace(const QPoint &topLeft, const QString &screenName);
