// The join dialog's meeting history as User.dat keeps it, written by hand, by
// an older version or half-way by a crash: the dialog opens with it, fills
// its drop-down, and whichever row the user picks, the number field shows a
// meeting number of at most twelve digits in its groups.

#include "fuzzsupport.h"

#include "app/logging.h"
#include "app/userstore.h"
#include "meeting/joinmeeting.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    baseValues->meetingHistory = QString::fromUtf8(fuzzsupport::bytes(data, size));
    saveMeetingHistory();

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
    return 0;
}
