#pragma once

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <string>

namespace devservice {

// One request as the business logic sees it; the HTTP layer fills it.
struct Call
{
    QString method;
    QString path;                 // decoded path, e.g. "/service/oauth/token"
    QMap<QString, QString> query; // decoded like a servlet container does
    QMap<QString, QString> form;  // form body, same decoding
    QByteArray body;
    QMap<QString, QString> headers; // names in lower case
};

struct Reply
{
    int status = 200;
    QByteArray body;
    std::string contentType = "application/json;charset=UTF-8";
};

// The data and rules of the service. Not thread-safe: the server serialises calls.
class Backend
{
public:
    explicit Backend(const QString &fixturePath);

    bool reset(QString *error = nullptr); // (re)loads the fixtures
    // As after a restart of the service: no token or session is known.
    void forgetTokens();
    void setBaseUrl(const QString &base) { m_base = base; }
    Reply handle(const Call &call);

    QString lastSmsCode(const QString &phone) const { return m_lastSms.value(phone); }
    QString demoInfo() const;
    void addVersion(const QString &version, const QString &updateContent);
    bool scanWxUuid(const QString &uuid);
    // A host cancels a meeting elsewhere (on the web): gone from every list.
    bool cancelMeeting(const QString &meetingCode);

    std::function<void(const std::string &)> onEvent;

    // form/query decoding: '+' is a blank, %XX is a byte, UTF-8 text
    static QMap<QString, QString> parseForm(const QByteArray &text);

    // A zip archive of the given files, built with QuaZip; empty on failure.
    struct ArchiveEntry
    {
        QString name;
        QByteArray content;
        QFile::Permissions permissions =
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    };
    static QByteArray zipArchive(const QVector<ArchiveEntry> &entries);
    // What the client looks for beside an installer ("<installer>.sig"):
    // the Ed25519 signature of its SHA-256 digest by the test update key.
    static QByteArray updateSignature(const QByteArray &installer);

private:
    struct Company
    {
        QString code, name, companyId, otherCtrl, modules, ipoFlag, tenantInfo, interfaceUrl;
        int maxPeople = 300;
    };
    struct Account
    {
        QString companyCode, userName, password, personName, nickName, veskUserName, mobile, countryCode;
        QString userId, meetingPersonName, openId, uid, unionId;
        bool bindCompany = false;
    };
    struct Meeting
    {
        QString companyCode, hostUserId, subject, meetingCode, meetingId, password;
        qint64 start = 0, end = 0;
        QString meetingType = "1";        // as listed: "3"/"4" mark activity meetings
        QString summaryType = "普通会议"; // as the summary names it
        QJsonObject settings, liveConfig;
        QJsonArray guests;
        bool enableLive = true;
        bool expired = false;
        QString activityId, activityName;
        // phone -> "admitted", "register" (then "sign"), "sign", "registerOnly" (then admitted)
        QMap<QString, QString> participants;
        // What phones not on the list are answered: empty for "010"; a
        // register or signature code puts them on the list with that step.
        QString admissionCode;
        bool phoneVerification = false; // guests must verify a phone by SMS
        int guestLoginStatus = 0;       // answered to every guest instead (0: none)
    };
    struct Session
    {
        QString companyCode, userName;
    };
    struct SmsCode
    {
        QString code;
        qint64 sentAt = 0;
    };
    struct WxLogin
    {
        QString status = "1";
        qint64 createdAt = 0;
    };
    struct AdmissionLink
    {
        QString meetingId, phone;
    };

    using Handler = Reply (Backend::*)(const Call &);
    struct Route
    {
        const char *method;
        Handler handler;
    };

    Reply route(const Call &call);
    QString fill(QString text) const;

    // answers
    Reply ok(const QJsonValue &result) const;
    Reply fail(const QString &code, const QString &message) const;
    Reply unauthorized(const QString &description) const;
    Reply notFound(const Call &call) const;

    // credentials
    bool serviceTokenValid(const QString &token) const;
    QString serviceTokenOf(const Call &call, bool fromHeader) const;
    Account *sessionAccount(const Call &call, const QString &token, QString *errorCode, QString *errorMsg);

    Company *company(const QString &code);
    Account *account(const QString &companyCode, const QString &userName);
    Account *accountByMobile(const QString &companyCode, const QString &mobile);
    Account *accountByUserId(const QString &userId);
    Meeting *meetingByCode(const QString &code);
    Meeting *meetingById(const QString &id);
    int companyType(const Company &c) const;
    QJsonObject loginAnswer(const Account &a);
    QJsonObject meetingJson(const Meeting &m) const;
    QString joinUrl(const Meeting &m) const { return fill("{base}/j/" + m.meetingCode); }
    Reply admissionStep(Meeting &m, const QString &phone, const QString &state);
    QString newDigits(int n) const;
    QString newToken(int hexChars) const;
    QString sendSms(const QString &phone, const QString &countryCode);
    bool takeSms(const QString &phone, const QString &code);
    void event(const QString &line);

    // endpoints
    Reply serviceToken(const Call &c);
    Reply companyCheck(const Call &c);
    Reply loginByType(const Call &c);
    Reply simulateLogin(const Call &c);
    Reply loginByOpenId(const Call &c);
    Reply loginByUuid(const Call &c);
    Reply loginVerifyCode(const Call &c);
    Reply wxLoginUrl(const Call &c);
    Reply wxBindingStatus(const Call &c);
    Reply meetingToken(const Call &c);
    Reply sdkInit(const Call &c);
    Reply queryMeeting(const Call &c);
    Reply queryMeetingDetail(const Call &c);
    Reply createMeeting(const Call &c);
    Reply deleteMeeting(const Call &c);
    Reply invitation(const Call &c);
    Reply maxPeople(const Call &c);
    Reply modifyUserName(const Call &c);
    Reply meetingSummary(const Call &c);
    Reply phoneVerifyCode(const Call &c);
    Reply activityInfo(const Call &c);
    Reply activityApprove(const Call &c);
    Reply lastVersion(const Call &c);
    Reply wxScanPage(const Call &c);
    Reply admissionPage(const Call &c);
    Reply joinPage(const Call &c);
    Reply ssoPage(const Call &c);
    Reply activityPage(const Call &c);
    Reply updateArchive(const Call &c);
    Reply updateNotesPage(const Call &c);

    QString m_fixturePath;
    QString m_base;
    QString m_clientId, m_clientSecret;
    int m_expiresIn = 7200;
    QJsonObject m_sdk;
    QVector<Company> m_companies;
    QVector<Account> m_accounts;
    QVector<Meeting> m_meetings;
    QJsonArray m_versions;
    QString m_wxCompany, m_wxUser;

    QMap<QString, qint64> m_serviceTokens;         // token -> expiry (ms since epoch)
    QMap<QString, Session> m_sessions;             // gateway access token -> user
    QMap<QString, SmsCode> m_sms;                  // phone -> pending code
    QMap<QString, QString> m_lastSms;              // phone -> last code sent
    QMap<QString, WxLogin> m_wx;                   // uuid -> binding
    QMap<QString, AdmissionLink> m_admissionLinks; // short token -> whose step
};

} // namespace devservice
