#pragma once

#include <QString>

// The text a screen shows for a request's result string. Result strings stay
// as the request classes produce them (callers compare them); this is only
// for the eyes of the user:
// - a leading "error:", "info:" or "result:" is dropped;
// - the time-out becomes a sentence saying the service did not answer;
// - a network error's enumerator name ("ConnectionRefusedError") becomes a
//   short Chinese sentence with the name kept in parentheses for support;
// - anything else (the service's "errorMsg", the client's own texts) stands.
QString userMessage(const QString &result);
