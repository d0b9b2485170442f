#include "app/meetingcode.h"

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

} // namespace MeetingCode
