#pragma once

#include <QMap>
#include <QString>

// Turns a meeting link ("scheme://...?companycode=..&meetingCode=..") into the
// map of its query: keys and values percent-decoded, a later key wins.
// No "?" (or an empty query) gives an empty map.
QMap<QString, QString> parseLaunchParameter(const QString &parameter);
