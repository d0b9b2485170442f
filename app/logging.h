#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

// The application data folder: logs, dumps and User.dat live here.
QString dataFolder();
// Creates the data folder when it is missing; false when that fails.
bool ensureDataFolder();

// Appends every qDebug/qInfo/qWarning/qCritical/qFatal line to the day's log
// file "<data folder>/yyyy-MM-dd.log". Install with qInstallMessageHandler.
void logMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message);

// "Debug:", "Warning:", "Critical:", "Fatal:", empty for info.
QString logLevelWord(QtMsgType type);
// Longer messages are cut to this many characters, with a mark saying so.
constexpr int maxLogMessageChars = 4096;
// "<yyyy-MM-dd hh:mm:ss zzz> <level word> <message>", without line end.
QString formatLogLine(QtMsgType type, const QString &message, const QDateTime &time);
// Path of the log file for the given day.
QString logFilePath(const QDate &date);
// What logMessageHandler does, for a given moment.
void writeLogLine(QtMsgType type, const QString &message, const QDateTime &time);

// Remove logs and dumps dated more than nine calendar days before today.
// False when the data folder does not exist.
bool deleteOldLogs();
bool deleteOldDumps();
