#pragma once

#include <QString>

class QLabel;

// Text that comes from the service, a link or the user store is shown as it
// is: markup stays text, and it never breaks a one-line place.
namespace PlainText {

// Line breaks, tabs and other control characters become blanks.
QString oneLine(const QString &text);

// A tool tip showing text as it is; a plain tool tip that merely looks like
// markup would be rendered as markup.
QString toolTip(const QString &text);

// The label shows text as plain text on one line, elided with "…" to width
// (its own width when 0).
void setOneLine(QLabel *label, const QString &text, int width = 0);

} // namespace PlainText
