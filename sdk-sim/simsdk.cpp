#include "sdk-sim/simsdk.h"

#include "sdk-sim/simwindowhost.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <QUrlQuery>
#include <QtDebug>

#include <cstring>

namespace WemeetSim {

namespace {

SimSdk *s_sdk = nullptr;

QString text(const char *value)
{
    return value ? QString::fromUtf8(value) : QString();
}

bool allDigits(const QString &code)
{
    if (code.isEmpty())
        return false;
    for (const QChar c : code) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

// Error codes of the simulator; the client only tells 0 from the rest.
enum : int32_t
{
    NotInitializedCode = 10,
    NotSignedInCode = 11,
    BadArgumentCode = 12,
    BusyCode = 13,
    NotInMeetingCode = 14,
};

const char *const notInitialized = "SDK未初始化";
const char *const notSignedIn = "未登录";

} // namespace

// --- services ----------------------------------------------------------------

void SimAuthService::SetCallback(IAuthenticationCallback *cb)
{
    records().calls << QStringLiteral("SetCallback:auth");
    callback = cb;
}

void SimAuthService::Login(const char *sso_url)
{
    records().calls << QStringLiteral("Login");
    records().loginAddresses << text(sso_url);
    m_sdk->doLogin(QByteArray(sso_url ? sso_url : ""));
}

void SimAuthService::Logout()
{
    records().calls << QStringLiteral("Logout");
    m_sdk->doLogout();
}

void SimPreMeetingService::SetCallback(IPreMeetingCallback *cb)
{
    records().calls << QStringLiteral("SetCallback:premeeting");
    callback = cb;
}

void SimPreMeetingService::JoinMeeting(const WemeetJoinParam &param)
{
    records().calls << QStringLiteral("JoinMeeting");
    JoinRecord join;
    join.received = true;
    join.meetingCode = text(param.meeting_code);
    join.nickname = text(param.nickname);
    join.password = text(param.password);
    join.joinUrl = text(param.join_url);
    join.joinUrlNull = param.join_url == nullptr;
    join.passwordNull = param.password == nullptr;
    join.micOn = param.mic_on;
    join.cameraOn = param.camera_on;
    join.hideMeetingWindow = param.hide_meeting_window;
    join.showInviteButton = param.show_invite_button;
    records().join = join;
    m_sdk->doJoin(join);
}

void SimPreMeetingService::ShowScreenCastView()
{
    records().calls << QStringLiteral("ShowScreenCastView");
    m_sdk->doShowScreenCast();
}

void SimInMeetingService::SetCallback(IInMeetingCallback *cb)
{
    records().calls << QStringLiteral("SetCallback:inmeeting");
    callback = cb;
}

void SimInMeetingService::LeaveMeeting(int32_t type)
{
    records().calls << QStringLiteral("LeaveMeeting:%1").arg(type);
    m_sdk->doLeave(type);
}

void SimInMeetingService::SetMeetingSetting(int32_t setting, int32_t value)
{
    records().calls << QStringLiteral("SetMeetingSetting:%1,%2").arg(setting).arg(value);
    records().settings << qMakePair(int(setting), int(value));
}

// --- the SDK object ------------------------------------------------------------

SimSdk::SimSdk()
{
    m_forcedLogoutTimer.setSingleShot(true);
    connect(&m_forcedLogoutTimer, &QTimer::timeout, this, [this] { doForcedLogout(); });
    m_admitTimer.setSingleShot(true);
    connect(&m_admitTimer, &QTimer::timeout, this, [this] { doAdmit(); });
    if (WindowHost *host = WindowHost::instance()) {
        // The host outlives SDK objects; it reports to whichever is current.
        host->onAction = [](WindowHost::Kind kind, const QString &action, bool on) {
            if (SimSdk *sdk = SimSdk::current())
                sdk->windowAction(kind, action, on);
        };
    }
}

SimSdk::~SimSdk()
{
    // Headless or not now, no window of this SDK object may stay open.
    if (WindowHost *host = WindowHost::instance())
        host->closeAll();
}

SimSdk *SimSdk::current()
{
    return s_sdk;
}

SimSdk *SimSdk::obtain()
{
    if (!s_sdk) {
        config(); // reads VESK_SDK_SIM on first use
        s_sdk = new SimSdk;
    }
    return s_sdk;
}

void SimSdk::discard()
{
    delete s_sdk;
    s_sdk = nullptr;
}

void SimSdk::release()
{
    records().calls << QStringLiteral("Release");
    ++records().releases;
    delete s_sdk;
    s_sdk = nullptr;
    // The SDK's processes end with it.
    WindowHost::shutdown();
}

WindowHost *SimSdk::windows() const
{
    return config().headless ? nullptr : WindowHost::instance();
}

void SimSdk::later(std::function<void()> fn, int delayMs)
{
    if (!QCoreApplication::instance()) {
        qWarning("wemeetsdk: no application object, callback dropped");
        return;
    }
    // An SDK that answers inside the call, to prove the client is ready for
    // the answer before it makes the call.
    if (delayMs < 0 && config().immediate) {
        fn();
        return;
    }
    const quint64 generation = m_generation;
    ++m_pending;
    QTimer::singleShot(qMax(0, delayMs < 0 ? config().delayMs : delayMs), this,
                       [this, generation, fn = std::move(fn)] {
                           --m_pending;
                           if (generation == m_generation)
                               fn();
                       });
}

void SimSdk::Initialize(const WemeetSDKParams &params, ISDKCallback *callback)
{
    Records &r = records();
    r.calls << QStringLiteral("Initialize");
    r.init.received = true;
    r.init.sdkId = text(params.sdk_id);
    r.init.sdkToken = text(params.sdk_token);
    r.init.reservedA = text(params.reserved_a);
    r.init.reservedB = text(params.reserved_b);
    r.init.dataPath = text(params.data_path);
    r.init.appName = text(params.app_name);
    r.init.iconPath = text(params.app_icon);
    r.init.callbackSet = callback != nullptr;
    const QPair<const char *, const char *> fields[] = {
        {"sdk_id", params.sdk_id},         {"sdk_token", params.sdk_token}, {"reserved_a", params.reserved_a},
        {"reserved_b", params.reserved_b}, {"data_path", params.data_path}, {"app_name", params.app_name},
        {"app_icon", params.app_icon},
    };
    r.init.nullTexts.clear();
    for (const auto &field : fields) {
        if (!field.second)
            r.init.nullTexts << QLatin1String(field.first);
    }

    m_sdkCallback = callback;
    if (!callback)
        return; // nobody to tell

    const QString sdkId = r.init.sdkId.trimmed();
    const QByteArray token = QByteArray(params.sdk_token ? params.sdk_token : "");
    later([this, sdkId, token] {
        if (!m_sdkCallback)
            return;
        if (phase != Phase::NotInitialized) {
            // Already up (e.g. for a guest, then with the guest's token):
            // the session goes on, later expiry reports name the newer token.
            if (!token.trimmed().isEmpty())
                m_sdkToken = token;
            m_sdkCallback->Initialize(0, "");
            return;
        }
        if (sdkId.isEmpty()) {
            m_sdkCallback->Initialize(BadArgumentCode, "SDK ID为空");
            return;
        }
        if (token.trimmed().isEmpty()) {
            m_sdkCallback->Initialize(BadArgumentCode, "SDK Token为空");
            return;
        }
        const Config &c = config();
        if (!c.initFailure.isEmpty()) {
            m_sdkCallback->Initialize(c.initFailureCode, c.initFailure.toUtf8().constData());
            return;
        }
        m_sdkToken = token;
        phase = Phase::Initialized;
        // Scheduled before the answer: the client may release the SDK
        // object from inside its callback.
        if (!c.sdkError.isEmpty())
            later(
                [this, msg = c.sdkError.toUtf8()] {
                    if (m_sdkCallback)
                        m_sdkCallback->SDKError(1, msg.constData());
                },
                c.sdkErrorAfterMs);
        m_sdkCallback->Initialize(0, "");
    });
}

bool SimSdk::IsInitialized()
{
    records().calls << QStringLiteral("IsInitialized");
    return phase != Phase::NotInitialized;
}

void SimSdk::Uninitialize()
{
    records().calls << QStringLiteral("Uninitialize");
    // Nothing more is reported once the SDK is down.
    ++m_generation;
    m_forcedLogoutTimer.stop();
    m_admitTimer.stop();
    closeMeetingWindows();
    if (WindowHost *host = windows())
        host->closeQuietly(WindowHost::ScreenCast);
    phase = Phase::NotInitialized;
    signedIn = false;
    m_meeting = JoinRecord();
    m_sdkToken.clear();
}

void SimSdk::doLogin(const QByteArray &address)
{
    later([this, address] {
        IAuthenticationCallback *cb = m_auth.callback;
        if (!cb)
            return;
        if (phase == Phase::NotInitialized) {
            cb->Login(NotInitializedCode, notInitialized);
            return;
        }
        if (address.trimmed().isEmpty()) {
            cb->Login(BadArgumentCode, "登录地址为空");
            return;
        }
        // An address that names the id token but carries none cannot sign
        // anybody in, e.g. a token answer without "idToken".
        const QUrl url(QString::fromUtf8(address));
        const QUrlQuery query(url);
        if (query.hasQueryItem(QStringLiteral("id_token")) &&
            query.queryItemValue(QStringLiteral("id_token")).trimmed().isEmpty()) {
            cb->Login(BadArgumentCode, "登录凭证无效");
            return;
        }
        const Config &c = config();
        if (!c.loginFailure.isEmpty()) {
            cb->Login(c.loginFailureCode, c.loginFailure.toUtf8().constData());
            return;
        }
        signedIn = true;
        if (phase == Phase::Initialized)
            phase = Phase::SignedIn;
        if (c.forcedLogoutAfterMs >= 0)
            m_forcedLogoutTimer.start(c.forcedLogoutAfterMs);
        cb->Login(0, "");
    });
}

void SimSdk::endSession()
{
    m_forcedLogoutTimer.stop();
    m_admitTimer.stop();
    closeMeetingWindows();
    if (WindowHost *host = windows())
        host->closeQuietly(WindowHost::ScreenCast);
    m_meeting = JoinRecord();
    signedIn = false;
    phase = Phase::Initialized;
}

void SimSdk::doLogout()
{
    later([this] {
        IAuthenticationCallback *cb = m_auth.callback;
        if (!cb)
            return;
        if (phase == Phase::NotInitialized) {
            cb->Logout(1, NotInitializedCode, notInitialized);
            return;
        }
        // Nobody signed in: already where a sign-out leads, which the SDK
        // confirms like any other (a guest who met without signing in ends
        // this way too).
        if (phase == Phase::Initialized) {
            cb->Logout(1, 0, "");
            return;
        }
        const Config &c = config();
        if (!c.logoutFailure.isEmpty()) {
            cb->Logout(1, c.logoutFailureCode, c.logoutFailure.toUtf8().constData());
            return;
        }
        // A meeting or waiting room ends with the account, without a
        // separate leave report.
        endSession();
        cb->Logout(1, 0, "");
    });
}

bool SimSdk::doForcedLogout()
{
    if (!signedIn)
        return false;
    endSession();
    later([this] {
        if (IAuthenticationCallback *cb = m_auth.callback)
            cb->Logout(2, 0, "您的账号已在其他设备登录");
    });
    return true;
}

void SimSdk::doJoin(const JoinRecord &join)
{
    later([this, join] {
        IPreMeetingCallback *cb = m_pre.callback;
        if (!cb)
            return;
        const QByteArray code = join.meetingCode.toUtf8();
        if (phase == Phase::NotInitialized) {
            cb->JoinMeeting(NotInitializedCode, notInitialized, code.constData());
            return;
        }
        // Signed in or not: guests join with the meeting number alone.
        if (phase == Phase::Waiting || phase == Phase::InMeeting) {
            cb->JoinMeeting(BusyCode, "已在会议中", code.constData());
            return;
        }
        if (!allDigits(join.meetingCode)) {
            cb->JoinMeeting(BadArgumentCode, "会议号格式错误", code.constData());
            return;
        }
        if (join.nickname.trimmed().isEmpty()) {
            cb->JoinMeeting(BadArgumentCode, "昵称为空", code.constData());
            return;
        }
        const Config &c = config();
        if (!c.joinFailure.isEmpty()) {
            cb->JoinMeeting(c.joinFailureCode, c.joinFailure.toUtf8().constData(), code.constData());
            return;
        }
        m_meeting = join;
        if (!c.waitingRoom) {
            enterMeeting();
            return;
        }
        // The join stays pending until the host admits or the user leaves.
        phase = Phase::Waiting;
        WindowHost *host = windows();
        if (host && !join.hideMeetingWindow)
            host->show(WindowHost::WaitingRoom, QStringLiteral("%1 等候室").arg(records().init.appName),
                       QJsonObject{{QStringLiteral("meetingCode"), join.meetingCode},
                                   {QStringLiteral("nickname"), join.nickname}});
        if (c.admitAfterMs >= 0)
            m_admitTimer.start(c.admitAfterMs);
    });
}

void SimSdk::enterMeeting()
{
    phase = Phase::InMeeting;
    m_joinedAt = QDateTime::currentDateTime();
    WindowHost *host = windows();
    if (host && !m_meeting.hideMeetingWindow)
        host->show(WindowHost::Meeting,
                   QStringLiteral("%1 会议 %2").arg(records().init.appName, m_meeting.meetingCode),
                   QJsonObject{{QStringLiteral("meetingCode"), m_meeting.meetingCode},
                               {QStringLiteral("nickname"), m_meeting.nickname},
                               {QStringLiteral("showInvite"), m_meeting.showInviteButton},
                               {QStringLiteral("mic"), m_meeting.micOn},
                               {QStringLiteral("camera"), m_meeting.cameraOn}});
    if (IPreMeetingCallback *cb = m_pre.callback)
        cb->JoinMeeting(0, "", m_meeting.meetingCode.toUtf8().constData());
}

bool SimSdk::doAdmit()
{
    if (phase != Phase::Waiting)
        return false;
    m_admitTimer.stop();
    if (WindowHost *host = windows())
        host->closeQuietly(WindowHost::WaitingRoom);
    // Admission is the host's doing and reaches the client later as well.
    later([this] {
        if (phase == Phase::Waiting)
            enterMeeting();
    });
    return true;
}

void SimSdk::doShowScreenCast()
{
    later([this] {
        IPreMeetingCallback *cb = m_pre.callback;
        if (!cb)
            return;
        if (phase == Phase::NotInitialized) {
            cb->ShowScreenCastViewResult(NotInitializedCode, notInitialized);
            return;
        }
        if (!signedIn) {
            cb->ShowScreenCastViewResult(NotSignedInCode, notSignedIn);
            return;
        }
        if (WindowHost *host = windows()) {
            if (host->window(WindowHost::ScreenCast))
                host->raise(WindowHost::ScreenCast);
            else
                host->show(WindowHost::ScreenCast, QStringLiteral("%1 投屏").arg(records().init.appName));
        }
        cb->ShowScreenCastViewResult(0, "");
    });
}

void SimSdk::doLeave(int type)
{
    later([this, type] {
        IInMeetingCallback *cb = m_in.callback;
        if (phase != Phase::InMeeting && phase != Phase::Waiting) {
            if (cb)
                cb->LeaveMeeting(type, NotInMeetingCode, "不在会议中", "");
            return;
        }
        const QByteArray code = m_meeting.meetingCode.toUtf8();
        m_admitTimer.stop();
        closeMeetingWindows();
        m_meeting = JoinRecord();
        // A guest who met without signing in is back to merely initialised.
        phase = signedIn ? Phase::SignedIn : Phase::Initialized;
        if (cb)
            cb->LeaveMeeting(1, 0, "", code.constData());
    });
}

void SimSdk::doInvite()
{
    if (phase != Phase::InMeeting)
        return;
    const Config &c = config();
    const QString code = m_meeting.meetingCode;
    QJsonObject info;
    info.insert(QStringLiteral("host_name"),
                c.inviteHostName.isEmpty() ? m_meeting.nickname : c.inviteHostName);
    info.insert(QStringLiteral("meeting_code"), code);
    info.insert(QStringLiteral("subject"), c.inviteSubject.isEmpty()
                                               ? QStringLiteral("%1的会议").arg(m_meeting.nickname)
                                               : c.inviteSubject);
    info.insert(QStringLiteral("meeting_url"),
                m_meeting.joinUrl.isEmpty() ? QStringLiteral("https://meeting.vesk.example/j/%1").arg(code)
                                            : m_meeting.joinUrl);
    const qint64 begin = m_joinedAt.toSecsSinceEpoch();
    info.insert(QStringLiteral("begin_time"), begin);
    info.insert(QStringLiteral("end_time"), begin + 3600);
    info.insert(QStringLiteral("password"), c.invitePassword);
    const QByteArray json = QJsonDocument(info).toJson(QJsonDocument::Compact);
    later([this, json] {
        if (phase != Phase::InMeeting)
            return;
        if (IInMeetingCallback *cb = m_in.callback)
            cb->InviteMeeting(json.constData());
    });
}

void SimSdk::doSdkError(int code, const QByteArray &msg)
{
    later([this, code, msg] {
        if (m_sdkCallback)
            m_sdkCallback->SDKError(code, msg.constData());
    });
}

void SimSdk::doResetSdkState(int code, const QByteArray &msg)
{
    later([this, code, msg] {
        if (m_sdkCallback)
            m_sdkCallback->ResetSDKState(code, msg.constData());
    });
}

void SimSdk::doTokenExpired()
{
    later([this, token = m_sdkToken] {
        if (m_sdkCallback)
            m_sdkCallback->SDKTokenExpired(token.constData());
    });
}

void SimSdk::setMic(bool on)
{
    m_meeting.micOn = on;
    if (WindowHost *host = windows())
        host->set(WindowHost::Meeting, QJsonObject{{QStringLiteral("mic"), on}});
}

void SimSdk::setCamera(bool on)
{
    m_meeting.cameraOn = on;
    if (WindowHost *host = windows())
        host->set(WindowHost::Meeting, QJsonObject{{QStringLiteral("camera"), on}});
}

void SimSdk::windowAction(int kind, const QString &action, bool on)
{
    if (kind == WindowHost::WaitingRoom) {
        if (phase != Phase::Waiting)
            return;
        if (action == QLatin1String("admit"))
            doAdmit();
        else if (action == QLatin1String("leave"))
            doLeave(1);
        return;
    }
    if (kind != WindowHost::Meeting || phase != Phase::InMeeting)
        return;
    if (action == QLatin1String("leave"))
        doLeave(1);
    else if (action == QLatin1String("invite"))
        doInvite();
    else if (action == QLatin1String("mic"))
        setMic(on);
    else if (action == QLatin1String("camera"))
        setCamera(on);
}

void SimSdk::closeMeetingWindows()
{
    if (WindowHost *host = windows()) {
        host->closeQuietly(WindowHost::Meeting);
        host->closeQuietly(WindowHost::WaitingRoom);
    }
}

} // namespace WemeetSim

// --- exports ---------------------------------------------------------------------

extern "C" {

IWemeetSDK *WEMEET_SDK_CALL GetWemeetSDKInstance()
{
    if (WemeetSim::config().unavailable)
        return nullptr;
    return WemeetSim::SimSdk::obtain();
}

void WEMEET_SDK_CALL ReleaseWemeetSDKInstance()
{
    WemeetSim::SimSdk::release();
}

void WEMEET_SDK_CALL GetWemeetSDKVersion(char *buffer, int32_t size)
{
    WemeetSim::records().calls << QStringLiteral("Version");
    if (!buffer)
        return;
    // Never more than the documented 20 bytes, whatever size says.
    const size_t limit = (size < 0 || size > 20) ? 20 : size_t(size);
    if (limit == 0)
        return;
    static const char version[] = "3.6.0.532-sim";
    static_assert(sizeof(version) <= 20, "version text must fit the caller's buffer");
    const size_t n = qMin(limit - 1, sizeof(version) - 1);
    std::memcpy(buffer, version, n);
    buffer[n] = '\0';
}
}
