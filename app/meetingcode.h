#pragma once

#include <QString>

namespace MeetingCode {

// A meeting number grouped for reading, groups separated by two spaces:
// up to 3 characters unchanged; 4-6 split after the 3rd; 7-10 after the 3rd
// and 6th; 11 after the 3rd and 7th; 12 or more after the 4th and 8th.
QString grouped(const QString &code);

// The longest meeting number.
constexpr int maxDigits = 12;

// The number a number field holds after text was typed or pasted into it:
// what follows a full-width colon (a pasted "会议号：…"), without dashes and
// blanks, when that is at most maxDigits digits; otherwise the number it
// held before.
QString typed(const QString &text, const QString &before);

} // namespace MeetingCode
