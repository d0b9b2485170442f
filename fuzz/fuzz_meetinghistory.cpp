// The join dialog's meeting history as User.dat keeps it, written by hand, by
// an older version or half-way by a crash: the rows the dialog shows are at
// most five, newest first; whichever row the user picks, the number field
// shows a meeting number of at most twelve digits in its groups, and names
// stay on one line; a join added to it leaves a short list with that meeting
// first. From memory: the dialog that draws these rows, and its reading of
// User.dat, are tst_joinmeeting's.

#include "fuzzsupport.h"

#include "app/meetingcode.h"
#include "app/meetinghistory.h"
#include "widgets/plaintext.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzsupport::start(argc, argv);
    return 0;
}

namespace {

// A join is added to whatever was kept: the result is always a list of at
// most five, the new meeting first and only once.
void addJoin(const QString &history)
{
    const QString code = QStringLiteral("123456789");
    const QJsonArray list =
        QJsonDocument::fromJson(MeetingHistory::withEntry(history, code, QStringLiteral("周例会"),
                                                          QStringLiteral("20261208120000000"))
                                    .toUtf8())
            .object()
            .value(QStringLiteral("list"))
            .toArray();
    if (list.isEmpty() || list.size() > MeetingHistory::limit ||
        list.first().toObject().value(QStringLiteral("code")).toString() != code)
        __builtin_trap();
    for (int i = 1; i < list.size(); ++i) {
        if (list.at(i).toObject().value(QStringLiteral("code")).toString() == code)
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString history = QString::fromUtf8(fuzzsupport::bytes(data, size));
    const QList<QJsonObject> rows = MeetingHistory::shown(history);
    if (rows.size() > MeetingHistory::limit)
        __builtin_trap();

    static const QRegularExpression field(QStringLiteral("^([0-9]{1,4}(  [0-9]{1,4}){0,2})?$"));
    static const QRegularExpression breaks(QStringLiteral("[\\x00-\\x1f\\x7f\\x{2028}\\x{2029}]"));
    QString newer;
    for (int i = 0; i < rows.size(); ++i) {
        const QString time = rows.at(i).value(QStringLiteral("time")).toString();
        if (i > 0 && time > newer)
            __builtin_trap();
        newer = time;
        // A row's text is its grouped number; picking it runs the field's filter.
        const QString row = MeetingCode::grouped(rows.at(i).value(QStringLiteral("code")).toString());
        if (!field.match(MeetingCode::grouped(MeetingCode::typed(row, QString()))).hasMatch())
            __builtin_trap();
        const QString name = rows.at(i).value(QStringLiteral("name")).toString();
        if (PlainText::oneLine(name).contains(breaks))
            __builtin_trap();
    }
    addJoin(history);
    return 0;
}
