// User.dat as left by an older version, a crash half-way through a write or
// a hand edit, read through every load and then written back.

#include "fuzzsupport.h"

#include "app/logging.h"
#include "app/userstore.h"

#include <QDir>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzsupport::start(argc, argv);
    QDir(dataFolder()).removeRecursively();
    ensureDataFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    {
        QFile file(userDataPath());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(fuzzsupport::bytes(data, size));
        file.flush();
        // QSettings rereads a file only when its time or size changed.
        static QDateTime stamp(QDate(2020, 1, 1), QTime(0, 0));
        stamp = stamp.addSecs(1);
        file.setFileTime(stamp, QFileDevice::FileModificationTime);
    }

    BaseValues values;
    BaseValues *const session = baseValues;
    baseValues = &values;
    loadSerialNo();
    loadLoginInfo();
    loadUserInfo();
    loadMeetingInfo();
    // A serial number is always there afterwards, and it does not change.
    const QString serial = values.serialNo;
    if (serial.isEmpty())
        __builtin_trap();
    saveUserInfo();
    if (!values.autoLogin.isEmpty())
        saveAccountLogin(values.autoLogin == QLatin1String("1"));
    loadSerialNo();
    if (values.serialNo != serial)
        __builtin_trap();
    baseValues = session;
    return 0;
}
