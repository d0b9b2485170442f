#pragma once

#include "http/servicereply.h"

#include <QString>

// The text a screen shows for a failed request, for the eyes of the user:
// - the time-out becomes a sentence saying the service did not answer;
// - a network error becomes a short Chinese sentence (the error's
//   enumerator name is in the log, not in front of the user);
// - anything else (the service's "errorMsg", the client's own texts) stands.
QString userMessage(const ServiceReply &reply);
