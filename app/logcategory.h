#pragma once

// Every line this folder logs carries the category "vesk.app", so
// QT_LOGGING_RULES can quieten or single out one part of the client.

#include <QLoggingCategory>

inline Q_LOGGING_CATEGORY(lcApp, "vesk.app")
