// The join dialog's meeting history as User.dat keeps it, written by hand, by
// an older version or half-way by a crash: the dialog opens with it, fills
// its drop-down, and whichever row the user picks, the number field shows a
// meeting number of at most twelve digits in its groups; a join added to it
// leaves a short list with that meeting first.

#include "fuzzsupport.h"

#include "app/logging.h"
#include "app/meetinghistory.h"
#include "app/userstore.h"
#include "meeting/joinmeeting.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    fuzzsupport::start(argc, argv);
    QDir(dataFolder()).removeRecursively();
    ensureDataFolder();
    return 0;
}

namespace {

// A join is added to whatever was kept: the result is always a list of at
// most five, the new meeting first and only once.
int addJoin()
{
    const QString code = QStringLiteral("123456789");
    const QJsonArray list =
        QJsonDocument::fromJson(MeetingHistory::withEntry(baseValues->meetingHistory, code,
                                                          QStringLiteral("周例会"),
                                                          QStringLiteral("20261208120000000"))
                                    .toUtf8())
            .object()
            .value(QStringLiteral("list"))
            .toArray();
    if (list.isEmpty() || list.size() > 5 ||
        list.first().toObject().value(QStringLiteral("code")).toString() != code)
        __builtin_trap();
    for (int i = 1; i < list.size(); ++i) {
        if (list.at(i).toObject().value(QStringLiteral("code")).toString() == code)
            __builtin_trap();
    }
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The dialog takes the history from the session record, where loading
    // User.dat puts it; the file's own reading is fuzz_userstore's.
    baseValues->meetingHistory = QString::fromUtf8(fuzzsupport::bytes(data, size));

    // Text that holds no entry fills no row: the dialog, the costly part of
    // an input, is built only for a history it has something to show of.
    if (MeetingHistory::parse(baseValues->meetingHistory).isEmpty())
        return addJoin();

    auto *dialog = new JoinMeeting(QString(), QString());
    auto *number = dialog->findChild<QComboBox *>();
    static const QRegularExpression shown(QStringLiteral("^([0-9]{1,4}(  [0-9]{1,4}){0,2})?$"));
    for (int row = 0; row < number->count(); ++row) {
        number->setCurrentIndex(row);
        if (!shown.match(number->currentText()).hasMatch())
            __builtin_trap();
    }
    delete dialog;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return addJoin();
}
