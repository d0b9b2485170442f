#pragma once

#include <QMap>
#include <QString>

// The one process-wide session record. Every screen reads and writes it
// directly; there are no accessors on purpose.
class BaseValues final
{
public:
    BaseValues() = default;

    // Reads config.ini, then reads or creates the serial number.
    void initBaseValues();
    // Reads config.ini beside the executable, or the given file.
    void readConfig(const QString &path = QString());

    // config.ini
    QString appName;
    QString versionNo;
    QString clientId;
    QString clientSecret;
    QString serviceUrl;
    QString serviceVmUrl;
    QString cloudUrl;
    QString idmUrl;
    QString guideUrl;
    QString updateUrl;
    QString updateExplainUrl;
    // CONFIG/CA_CERTIFICATES: an extra PEM CA file the service requests trust
    // (a company CA, or the stand-in's own certificate).
    QString caCertificates;

    // user store
    QString serialNo;
    QString wmNickname;
    QString meetingHistory;
    QString autoLogin;
    bool rememberPassword = false;
    int accountType = 0;
    QString accountCompanyCode;
    QString accountUserName;
    QString accountPassword;
    int phoneAccountType = 0;
    QString phoneCompanyCode;
    QString phoneUserName;
    QString phoneTelephone;
    QString ssoCompanyCode;
    QString ssoUserName;
    QString openId;
    QString uid;
    QString unionId;
    // Join switches; User.dat keeps them as "True" / "False".
    bool micOn = false;
    bool cameraOn = false;
    // Whether the join dialog ever stored the microphone choice: a join the
    // user did not start keeps the microphone off until they have chosen.
    bool micChosen = false;

    // service and Meeting SDK credentials
    QString s_accessToken;
    int serviceTokenExpiresIn = 0;
    QString gatewayAccessToken;
    QString wxLoginUrl;
    QString wxUuid;
    QString sdkId;
    QString sdkToken;
    QString ssoUrl;
    QString idToken;
    QString meetingName;
    QString loginStatus;
    QString userId;
    QString companyCode;
    QString currentMeetingCode;
    QString pendingMeetingCode;
    bool signedIn = false;
    bool signOutRequested = false;
    // Set by a forced sign-out: the remembered automatic sign-in would throw
    // the other device out in turn, so it stays off for the rest of the run.
    bool autoLoginBlocked = false;
    QString latestVersion;
    QString updateContent;
    QString joinUrl;
    QString meetingId;
    QString meetingType;
    QString activityShortUrl;
    QString signatureUrl;
    QString signatureId;
    QMap<QString, QString> linkInfo;
    QString userName;
    QString personName;
    QString meetingPersonName;
    QString tenantInfo;
    QString accessToken;
    QString refreshToken;
    QString loginResult;
    QString telephone;
    QString interfaceUrl;
    QString mobileCountryCode;
};

extern BaseValues *baseValues;
