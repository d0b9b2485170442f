#include "calendar/calendarprogram.h"

#include <QDir>
#include <QPointer>
#include <QTimer>

#include <windows.h>

#include <shellapi.h>
#include <shlwapi.h>

namespace CalendarProgram {

void open(const QString &path, QObject *context, std::function<void(bool)> done)
{
    // Only a program registered for .ics; "open with" for unknown types does not count.
    wchar_t program[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    bool took = AssocQueryStringW(ASSOCF_INIT_IGNOREUNKNOWN, ASSOCSTR_EXECUTABLE, L".ics", L"open", program,
                                  &size) == S_OK;
    if (took) {
        const std::wstring file = QDir::toNativeSeparators(path).toStdWString();
        SHELLEXECUTEINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = SEE_MASK_FLAG_NO_UI;
        info.lpVerb = L"open";
        info.lpFile = file.c_str();
        info.nShow = SW_SHOWNORMAL;
        took = ShellExecuteExW(&info) != FALSE;
    }
    QPointer<QObject> guard(context);
    QTimer::singleShot(0, context, [guard, done, took] {
        if (guard)
            done(took);
    });
}

} // namespace CalendarProgram
