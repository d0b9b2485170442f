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
