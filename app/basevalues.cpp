#include "app/basevalues.h"

#include "app/settingsvalue.h"
#include "app/userstore.h"

#include <QCoreApplication>
#include <QSettings>

BaseValues *baseValues = nullptr;

void BaseValues::initBaseValues()
{
    readConfig();
    loadSerialNo();
}

void BaseValues::readConfig(const QString &path)
{
    const QString file =
        path.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/config.ini") : path;
    QSettings settings(file, QSettings::IniFormat);
    settings.setIniCodec("UTF-8");

    auto read = [&settings](const char *key, const QString &fallback) {
        const QString value = settingsText(settings, QString::fromLatin1(key));
        return value.isEmpty() ? fallback : value;
    };

    appName = read("VERSION/NAME", QStringLiteral("Vesk云会议"));
    versionNo = read("VERSION/NO", QStringLiteral("1.0.0"));
    clientId = read("CONFIG/CLIENT_ID", QStringLiteral("3b9e07c4d2a15f68"));
    clientSecret = read("CONFIG/CLIENT_SECRET", QStringLiteral("a81d5e2f3b9e07c4d2a15f6870c4b1e9"));
    serviceUrl = read("CONFIG/SERVICE_URL", QStringLiteral("https://meeting.vesk.cn/api-service/"));
    serviceVmUrl = read("CONFIG/SERVICE_VM_URL", QStringLiteral("video-meeting/"));
    cloudUrl = read("CONFIG/CLOUD_URL", QStringLiteral("http://cloud.vesk.cn/api/"));
    idmUrl = read("CONFIG/IDM_URL", QStringLiteral("https://idm.vesk.cn/"));
    guideUrl = read("CONFIG/GUIDE_URL", QStringLiteral("http://help.vesk.cn/index.php?s=/2&page_id=194"));
    updateUrl = read("CONFIG/UPDATE_URL", QStringLiteral("http://download.vesk.cn/VeskLiveMeeting/update/"
                                                         "VeskLiveMeeting_Windows_UpdateInstaller.zip"));
    updateExplainUrl = read("CONFIG/UPDATE_EXPLAIN",
                            QStringLiteral("http://download.vesk.cn/new/UpdateDescription.html?type=7"));
    caCertificates = read("CONFIG/CA_CERTIFICATES", QString());
}
