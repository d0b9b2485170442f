#pragma once

#include <QSettings>
#include <QString>

// A QSettings value as trimmed text. INI files split unquoted values at
// commas into a list; such a value is joined again instead of being lost.
// The reader drops the blanks around each comma, so the plain comma is put
// back: addresses ("...?ids=1,2") must come out as they were written.
QString settingsText(const QSettings &settings, const QString &key);
