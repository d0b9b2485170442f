#include "app/meetingcode.h"

#include <QRegularExpression>

namespace MeetingCode {

QString grouped(const QString &code)
{
    const QString sep = QStringLiteral("  ");
    const int n = code.size();
    if (n <= 3)
        return code;
    if (n <= 6)
        return code.left(3) + sep + code.mid(3);
    if (n <= 10)
        return code.left(3) + sep + code.mid(3, 3) + sep + code.mid(6);
    if (n == 11)
        return code.left(3) + sep + code.mid(3, 4) + sep + code.mid(7);
    return code.left(4) + sep + code.mid(4, 4) + sep + code.mid(8);
}

QString typed(const QString &text, const QString &before)
{
    static const QRegularExpression blank(QStringLiteral("\\s"));
    static const QRegularExpression digitsOnly(QStringLiteral("^[0-9]*$"));
    QString number = text.mid(text.indexOf(QChar(0xFF1A)) + 1);
    number.remove(QLatin1Char('-'));
    number.remove(blank);
    if (number.size() <= maxDigits && digitsOnly.match(number).hasMatch())
        return number;
    return before;
}

} // namespace MeetingCode
