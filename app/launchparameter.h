#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// Turns a meeting link ("scheme://...?companycode=..&meetingCode=..") into the
// map of its query: keys and values percent-decoded, a later key wins.
// No "?" (or an empty query) gives an empty map.
QMap<QString, QString> parseLaunchParameter(const QString &parameter);

// linkInfo at start-up: the program path and exactly one argument make that
// argument a launch parameter; any other count means there is none.
QMap<QString, QString> linkInfoFromArguments(const QStringList &arguments);

// Whether a launch link names another account than the signed-in one:
// company code and user name both given and either differs (the user name
// may be the account or the display name), or phone and country code both
// given and both differ.
bool linkNamesOtherAccount(const QMap<QString, QString> &link);
