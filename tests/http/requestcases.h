#pragma once

// Every request class once, with what it must put on the wire when the
// session record holds the tokens below, and how it words its results.

#include "app/basevalues.h"
#include "http/activityapprovehttp.h"
#include "http/actmtgdetailhttp.h"
#include "http/logincomverifyhttp.h"
#include "http/loginhttp.h"
#include "http/loginverifyhttp.h"
#include "http/loginwxbindinghttp.h"
#include "http/loginwxurlhttp.h"
#include "http/servicetokenhttp.h"
#include "http/tmmtgcreatehttp.h"
#include "http/tmmtgdeletehttp.h"
#include "http/tmmtginvitehttp.h"
#include "http/tmmtgmaxpeoplehttp.h"
#include "http/tmmtgnickchangehttp.h"
#include "http/tmmtgquerydhttp.h"
#include "http/tmmtgqueryhttp.h"
#include "http/tmmtgsummaryhttp.h"
#include "http/tmphoneverifyhttp.h"
#include "http/tmsdkinfohttp.h"
#include "http/tmtokenhttp.h"
#include "http/veskversionhttp.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <functional>

namespace httptest {

enum class Form
{
    Plain,
    Prefixed,
    Tagged,
    Activity
};

inline const QByteArray formType = "application/x-www-form-urlencoded;charset=utf-8;";
inline const QByteArray jsonType = "application/json;charset=utf-8;";
inline const QString serviceToken = QStringLiteral("svc-tok-1");
inline const QString gatewayToken = QStringLiteral("gw-tok-1");

struct RequestCase
{
    QString name;
    Form form;
    QString method;
    QString path;  // as logged, without the query
    QString query; // raw, as sent
    QByteArray contentType;
    QString authorization; // empty: no header at all
    QByteArray body;
    QByteArray signal; // SIGNAL() form
    std::function<QObject *(QObject *parent)> send;
};

template <typename Http> Http *make(QObject *parent, const std::function<void(Http *)> &send)
{
    auto *http = new Http(parent);
    send(http);
    return http;
}

#define VESK_SIGNAL(name) QByteArray("2" #name "(QString,ServiceReply)")

inline QVector<RequestCase> requestCases()
{
    const QString svc = serviceToken;
    const QString gw = gatewayToken;
    QVector<RequestCase> cases;
    cases << RequestCase{QStringLiteral("ServiceTokenHttp"),
                         Form::Plain,
                         "POST",
                         "/service/oauth/token",
                         "grant_type=client_credentials&response_type=token&client_id=3b9e07c4d2a15f68"
                         "&client_secret=a81d5e2f3b9e07c4d2a15f6870c4b1e9",
                         formType,
                         QString(),
                         QByteArray(),
                         VESK_SIGNAL(sendServiceTokenResultSignal),
                         [](QObject *p) { return make<ServiceTokenHttp>(p, [](auto *h) { h->request(); }); }};
    cases << RequestCase{
        QStringLiteral("LoginComVerifyHttp"),
        Form::Plain,
        "POST",
        "/cloud/application/portCloudApplication",
        QString(),
        formType,
        QString(),
        "companyCode=600%20888%26x%3D1",
        VESK_SIGNAL(sendComVerifyResultSignal),
        [](QObject *p) { return make<LoginComVerifyHttp>(p, [](auto *h) { h->request("600 888&x=1"); }); }};
    cases << RequestCase{QStringLiteral("LoginHttp::loginByAccount"),
                         Form::Plain,
                         "POST",
                         "/idm/api/user/loginByType",
                         QString(),
                         formType,
                         QString(),
                         "type=2&appId=video_meeting&companyCode=600888&userName=zhangwei"
                         "&password=Ve%26sk%3D1%2B2%25&loginType=1",
                         VESK_SIGNAL(sendLoginResultSignal),
                         [](QObject *p) {
                             return make<LoginHttp>(p, [](auto *h) {
                                 h->loginByAccount("600888", "zhangwei", "Ve&sk=1+2%", 1);
                             });
                         }};
    cases << RequestCase{QStringLiteral("LoginHttp::loginByMobile"),
                         Form::Plain,
                         "POST",
                         "/idm/api/user/loginByType",
                         QString(),
                         formType,
                         QString(),
                         "type=1&appId=video_meeting&companyCode=600888&mobile=13800138000"
                         "&verifyCode=123456&loginType=3",
                         VESK_SIGNAL(sendLoginResultSignal),
                         [](QObject *p) {
                             return make<LoginHttp>(
                                 p, [](auto *h) { h->loginByMobile("600888", "13800138000", "123456", 3); });
                         }};
    cases << RequestCase{QStringLiteral("LoginHttp::simulateLogin"),
                         Form::Plain,
                         "POST",
                         "/idm/api/user/simulateLogin",
                         QString(),
                         formType,
                         QString(),
                         "appId=video_meeting&companyCode=600888&userId=u_zhangwei",
                         VESK_SIGNAL(sendLoginResultSignal),
                         [](QObject *p) {
                             return make<LoginHttp>(
                                 p, [](auto *h) { h->simulateLogin("600888", "u_zhangwei"); });
                         }};
    cases << RequestCase{QStringLiteral("LoginHttp::autoLoginByOpenId"),
                         Form::Plain,
                         "POST",
                         "/idm/api/user/autoLoginByOpenIdForMobile",
                         QString(),
                         formType,
                         QString(),
                         "openId=oWx_1&uid=wx1&unionid=uWx_1&loginImei=pc&appId=video_meeting",
                         VESK_SIGNAL(sendLoginResultSignal),
                         [](QObject *p) {
                             return make<LoginHttp>(
                                 p, [](auto *h) { h->autoLoginByOpenId("oWx_1", "wx1", "uWx_1"); });
                         }};
    cases << RequestCase{
        QStringLiteral("LoginHttp::simulateLoginByUuid"),
        Form::Plain,
        "POST",
        "/idm/api/user/simulateLoginByUUID",
        QString(),
        formType,
        QString(),
        "uuid=uu-1",
        VESK_SIGNAL(sendLoginResultSignal),
        [](QObject *p) { return make<LoginHttp>(p, [](auto *h) { h->simulateLoginByUuid("uu-1"); }); }};
    cases << RequestCase{QStringLiteral("LoginVerifyHttp"),
                         Form::Plain,
                         "POST",
                         "/idm/api/user/getVerifyCode",
                         QString(),
                         formType,
                         svc,
                         "companyCode=600888&userName=zhangwei&appId=video_meeting&sendSms=true",
                         VESK_SIGNAL(sendLoginVerifyResultSignal),
                         [](QObject *p) {
                             return make<LoginVerifyHttp>(p,
                                                          [](auto *h) { h->request("600888", "zhangwei"); });
                         }};
    cases << RequestCase{QStringLiteral("LoginWxUrlHttp"),
                         Form::Plain,
                         "POST",
                         "/idm/api/user/getWeixinLoginUrl",
                         QString(),
                         formType,
                         QString(),
                         "slightFlag=videoMeeting",
                         VESK_SIGNAL(sendLoginWxUrlResultSignal),
                         [](QObject *p) { return make<LoginWxUrlHttp>(p, [](auto *h) { h->request(); }); }};
    cases << RequestCase{
        QStringLiteral("LoginWxBindingHttp"),
        Form::Plain,
        "POST",
        "/idm/api/user/getBindingStatus",
        QString(),
        formType,
        QString(),
        "uuid=uu-1",
        VESK_SIGNAL(sendLoginWxBindingResultSignal),
        [](QObject *p) { return make<LoginWxBindingHttp>(p, [](auto *h) { h->request("uu-1"); }); }};
    cases << RequestCase{
        QStringLiteral("TmTokenHttp::requestForMember"),
        Form::Plain,
        "POST",
        "/service/tencent-meeting/user/token",
        "tenant_info=T600888",
        jsonType,
        gw,
        R"({"accountType":"1","mobileCountryCode":"+86","telephone":"13800138000","verifyCode":"654321"})",
        VESK_SIGNAL(sendTmTokenResultSignal),
        [](QObject *p) {
            return make<TmTokenHttp>(
                p, [](auto *h) { h->requestForMember("T600888", "13800138000", "+86", "654321"); });
        }};
    cases << RequestCase{
        QStringLiteral("TmTokenHttp::requestForGuest"),
        Form::Plain,
        "POST",
        "/service/tencent-meeting/user/token",
        "access_token=" + svc,
        jsonType,
        QString(),
        QString::fromUtf8(
            R"({"accountType":"2","meetingCode":"482915736","nickName":"小张","serialNo":"SN-1"})")
            .toUtf8(),
        VESK_SIGNAL(sendTmTokenResultSignal),
        [](QObject *p) {
            return make<TmTokenHttp>(p, [](auto *h) {
                h->requestForGuest("SN-1", "482915736", QStringLiteral("小张"), "", "", "");
            });
        }};
    cases << RequestCase{QStringLiteral("TmSDKInfoHttp"),
                         Form::Prefixed,
                         "GET",
                         "/service/tencent-meeting/user/sdkInit",
                         "access_token=" + svc,
                         formType,
                         QString(),
                         QByteArray(),
                         VESK_SIGNAL(sendTmSdkInfoResultSignal),
                         [](QObject *p) { return make<TmSDKInfoHttp>(p, [](auto *h) { h->request(); }); }};
    cases << RequestCase{
        QStringLiteral("TmMtgQueryHttp"),
        Form::Plain,
        "POST",
        "/service/tencent-meeting/meeting/queryMeeting",
        "tenant_info=T600888",
        formType,
        gw,
        QByteArray(),
        VESK_SIGNAL(sendTmMtgQueryResultSignal),
        [](QObject *p) { return make<TmMtgQueryHttp>(p, [](auto *h) { h->request("T600888"); }); }};
    cases << RequestCase{QStringLiteral("TmMtgQueryDHttp"),
                         Form::Plain,
                         "POST",
                         "/service/tencent-meeting/meeting/queryMeetingDetail",
                         "tenant_info=T600888&meetingCode=482915736&instanceId=1",
                         formType,
                         gw,
                         QByteArray(),
                         VESK_SIGNAL(sendTmMtgQueryDResultSignal),
                         [](QObject *p) {
                             return make<TmMtgQueryDHttp>(
                                 p, [](auto *h) { h->request("T600888", "482915736"); });
                         }};
    cases << RequestCase{QStringLiteral("TmMtgCreateHttp"),
                         Form::Tagged,
                         "POST",
                         "/service/tencent-meeting/meeting/createMeeting",
                         "tenant_info=T600888",
                         jsonType,
                         gw,
                         QString::fromUtf8(R"({"subject":"周会"})").toUtf8(),
                         VESK_SIGNAL(sendTmMtgCreateResultSignal),
                         [](QObject *p) {
                             return make<TmMtgCreateHttp>(p, [](auto *h) {
                                 h->request("T600888", QString::fromUtf8(R"({"subject":"周会"})"));
                             });
                         }};
    cases << RequestCase{QStringLiteral("TmMtgDeleteHttp"),
                         Form::Plain,
                         "POST",
                         "/service/tencent-meeting/meeting/deleteMeeting",
                         "tenant_info=T%26x%3D1&meetingCodes=482915736%2C58213",
                         formType,
                         gw,
                         QByteArray(),
                         VESK_SIGNAL(sendTmMtgDeleteResultSignal),
                         [](QObject *p) {
                             return make<TmMtgDeleteHttp>(
                                 p, [](auto *h) { h->request("T&x=1", "482915736,58213"); });
                         }};
    cases << RequestCase{QStringLiteral("TmMtgInviteHttp"),
                         Form::Tagged,
                         "POST",
                         "/service/tencent-meeting/meeting/invitationMessage",
                         "tenant_info=T600888&meetingCode=482915736",
                         formType,
                         gw,
                         QByteArray(),
                         VESK_SIGNAL(sendTmMtgInviteResultSignal),
                         [](QObject *p) {
                             return make<TmMtgInviteHttp>(
                                 p, [](auto *h) { h->request("T600888", "482915736"); });
                         }};
    cases << RequestCase{
        QStringLiteral("TmMtgMaxPeopleHttp"),
        Form::Tagged,
        "GET",
        "/service/tencent-meeting/meeting/getMeetingMaxPeople",
        "access_token=" + gw + "&tenant_info=T600888",
        formType,
        QString(),
        QByteArray(),
        VESK_SIGNAL(sendTmMtgMaxPeopleResultSignal),
        [](QObject *p) { return make<TmMtgMaxPeopleHttp>(p, [](auto *h) { h->request("T600888"); }); }};
    cases << RequestCase{QStringLiteral("TmMtgNickChangeHttp"),
                         Form::Plain,
                         "POST",
                         "/service/tencent-meeting/user/modifyUserName",
                         "tenant_info=T600888",
                         formType,
                         gw,
                         "userName=%E6%96%B0%20%E5%90%8D%E5%AD%97",
                         VESK_SIGNAL(sendTmMtgNickChangeResultSignal),
                         [](QObject *p) {
                             return make<TmMtgNickChangeHttp>(
                                 p, [](auto *h) { h->request("T600888", QStringLiteral("新 名字")); });
                         }};
    cases << RequestCase{
        QStringLiteral("TmMtgSummaryHttp"),
        Form::Prefixed,
        "GET",
        "/service/tencent-meeting/meeting/meetingSummary",
        "meetingCode=482915736&access_token=" + svc,
        formType,
        QString(),
        QByteArray(),
        VESK_SIGNAL(sendTmMtgSummaryResultSignal),
        [](QObject *p) { return make<TmMtgSummaryHttp>(p, [](auto *h) { h->request("482915736"); }); }};
    cases << RequestCase{QStringLiteral("TmPhoneVerifyHttp"),
                         Form::Plain,
                         "GET",
                         "/service/tencent-meeting/user/getVerifyCode",
                         "access_token=" + svc + "&telephone=13800138000&mobileCountryCode=%2B86",
                         formType,
                         QString(),
                         QByteArray(),
                         VESK_SIGNAL(sendTmPhoneVerifyResultSignal),
                         [](QObject *p) {
                             return make<TmPhoneVerifyHttp>(
                                 p, [](auto *h) { h->request("13800138000", "+86"); });
                         }};
    cases << RequestCase{QStringLiteral("ActMtgDetailHttp"),
                         Form::Plain,
                         "POST",
                         "/service/interact/activityManageApi/getActivityInfoByMeetingIds",
                         QString(),
                         formType,
                         svc,
                         "meetingIds=14502348210934758206",
                         VESK_SIGNAL(sendActMtgDetailResultSignal),
                         [](QObject *p) {
                             return make<ActMtgDetailHttp>(
                                 p, [](auto *h) { h->request("14502348210934758206"); });
                         }};
    cases << RequestCase{
        QStringLiteral("ActivityApproveHttp"),
        Form::Activity,
        "POST",
        "/service/tencent-meeting/activity/checkActivityApprove",
        QString(),
        jsonType,
        svc,
        R"({"meetingId":"14502348210934758206","mobileCountryCode":"+86","telephone":"13800138000"})",
        VESK_SIGNAL(sendCheckActivityApproveResultSignal),
        [](QObject *p) {
            return make<ActivityApproveHttp>(
                p, [](auto *h) { h->request("14502348210934758206", "13800138000", "+86"); });
        }};
    cases << RequestCase{QStringLiteral("VeskVersionHttp"),
                         Form::Plain,
                         "POST",
                         "/cloud/analyze/getLastVersion",
                         QString(),
                         formType,
                         QString(),
                         "appType=7&version=1.0.0",
                         VESK_SIGNAL(sendVersionResultSignal),
                         [](QObject *p) { return make<VeskVersionHttp>(p, [](auto *h) { h->request(); }); }};
    return cases;
}

// The session record the cases expect.
inline void setCaseTokens()
{
    baseValues->s_accessToken = serviceToken;
    baseValues->gatewayAccessToken = gatewayToken;
}

} // namespace httptest
