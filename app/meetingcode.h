#pragma once

#include <QString>

namespace MeetingCode {

// A meeting number grouped for reading, groups separated by two spaces:
// up to 3 characters unchanged; 4-6 split after the 3rd; 7-10 after the 3rd
// and 6th; 11 after the 3rd and 7th; 12 or more after the 4th and 8th.
QString grouped(const QString &code);

} // namespace MeetingCode
