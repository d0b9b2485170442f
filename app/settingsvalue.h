#pragma once

#include <QSettings>
#include <QString>

// A QSettings value as trimmed text. INI files split unquoted values at
// commas into a list; such a value is joined again instead of being lost.
QString settingsText(const QSettings &settings, const QString &key);
