#include "sdk/wemeetmanager.h"
#include "sdk/logcategory.h"

#include "app/basevalues.h"

#include <QAtomicPointer>
#include <QByteArray>
#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

namespace {

QAtomicPointer<WeMeetManager> s_instance;
QMutex s_instanceMutex;

// SDK texts are UTF-8; a null text is an empty string.
QString sdkText(const char *text)
{
    return text ? QString::fromUtf8(text) : QString();
}

// A failure must never read as success to the screens, which take an empty
// payload for "done"; an SDK that gives no message still gets its code shown.
QString failureText(int32_t code, const char *msg)
{
    const QString message = sdkText(msg);
    if (message.isEmpty())
        return QStringLiteral("会议SDK错误：%1").arg(code);
    return QStringLiteral("%1").arg(message);
}

// Items separated as the debug stream separates them, texts unquoted.
QDebug sdkLog()
{
    return QMessageLogger(QT_MESSAGELOG_FILE, QT_MESSAGELOG_LINE, QT_MESSAGELOG_FUNC)
        .debug(lcSdk())
        .noquote();
}

// "./icon/logo.ico" of the installation. Taken from the program's folder, not
// the working directory: a client started from a meeting link by the browser
// runs in some other folder and would hand the SDK a path to nothing.
QString iconPath()
{
    const QString base =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    return QFileInfo(QDir(base), QStringLiteral("./icon/logo.ico")).absoluteFilePath();
}

} // namespace

WeMeetManager *WeMeetManager::instance()
{
    WeMeetManager *manager = s_instance.loadAcquire();
    if (!manager) {
        QMutexLocker locker(&s_instanceMutex);
        manager = s_instance.loadAcquire();
        if (!manager) {
            manager = new WeMeetManager;
            // Signals are delivered on the GUI thread whoever asked first.
            if (QCoreApplication *app = QCoreApplication::instance())
                manager->moveToThread(app->thread());
            s_instance.storeRelease(manager);
        }
    }
    return manager;
}

WeMeetManager::State WeMeetManager::state() const
{
    return m_state;
}

void WeMeetManager::setState(State state)
{
    m_state = state;
}

QString WeMeetManager::sdkVersion()
{
    // The SDK knows the buffer as 20 bytes; terminate it ourselves anyway so
    // a library that fills it completely cannot make us read past its end.
    char buffer[20] = {};
    GetWemeetSDKVersion(buffer, -1);
    buffer[sizeof(buffer) - 1] = '\0';
    return QString::fromUtf8(buffer, int(qstrnlen(buffer, sizeof(buffer))));
}

void WeMeetManager::initialize(QString sdkId, QString sdkToken, QString dataDir, QString appName)
{
    WeMeetManager *manager = instance();
    IWemeetSDK *sdk = GetWemeetSDKInstance();
    if (!sdk) {
        qCWarning(lcSdk) << "WeMeetManager...Initialize...Meeting SDK not available";
        manager->m_state = NotInitialized;
        return;
    }
    if (IAuthenticationService *auth = sdk->GetAuthenticationService())
        auth->SetCallback(manager);
    if (IPreMeetingService *pre = sdk->GetPreMeetingService())
        pre->SetCallback(manager);
    if (IInMeetingService *in = sdk->GetInMeetingService())
        in->SetCallback(manager);

    const QByteArray id = sdkId.toUtf8();
    const QByteArray token = sdkToken.toUtf8();
    const QByteArray dataPath = (dataDir + QStringLiteral("/data/")).toUtf8();
    const QByteArray name = appName.toUtf8();
    const QByteArray icon = iconPath().toUtf8();

    WemeetSDKParams params;
    params.sdk_id = id.constData();
    params.sdk_token = token.constData();
    params.reserved_a = "";
    params.reserved_b = "";
    params.data_path = dataPath.constData();
    params.app_name = name.constData();
    params.app_icon = icon.constData();
    sdk->Initialize(params, static_cast<ISDKCallback *>(manager));
}

bool WeMeetManager::isInitialized()
{
    IWemeetSDK *sdk = GetWemeetSDKInstance();
    return sdk && sdk->IsInitialized() && m_state >= Initialized;
}

void WeMeetManager::joinMeeting(QString meetingCode, QString nickname, bool micOn, bool cameraOn,
                                QString joinUrl)
{
    const QByteArray code = meetingCode.toUtf8();
    const QByteArray nick = nickname.toUtf8();
    const QByteArray url = joinUrl.toUtf8();

    WemeetJoinParam param;
    param.meeting_code = code.constData();
    param.nickname = nick.constData();
    param.password = "";
    param.join_url = joinUrl.isEmpty() ? "" : url.constData();
    param.mic_on = micOn;
    param.camera_on = cameraOn;
    param.hide_meeting_window = false;
    param.show_invite_button = true;

    if (baseValues)
        baseValues->pendingMeetingCode = meetingCode;
    m_state = Joining;

    IWemeetSDK *sdk = GetWemeetSDKInstance();
    IPreMeetingService *pre = sdk ? sdk->GetPreMeetingService() : nullptr;
    if (!pre) {
        // Without an SDK no callback would ever end the join; report it the
        // way the SDK would, after the current event.
        qCWarning(lcSdk) << "WeMeetManager...JoinMeeting...Meeting SDK not available";
        QMetaObject::invokeMethod(
            this, [this, code] { JoinMeeting(-1, "会议SDK不可用", code.constData()); }, Qt::QueuedConnection);
        return;
    }
    pre->JoinMeeting(param);
}

void WeMeetManager::leaveMeeting()
{
    IWemeetSDK *sdk = GetWemeetSDKInstance();
    if (IInMeetingService *in = sdk ? sdk->GetInMeetingService() : nullptr)
        in->LeaveMeeting(0);
}

void WeMeetManager::login()
{
    // Built anew each time: ssoUrl itself stays the prefix.
    const QString address = baseValues ? baseValues->ssoUrl + baseValues->idToken : QString();
    const QByteArray utf8 = address.toUtf8();

    IWemeetSDK *sdk = GetWemeetSDKInstance();
    IAuthenticationService *auth = sdk ? sdk->GetAuthenticationService() : nullptr;
    if (!auth) {
        qCWarning(lcSdk) << "WeMeetManager...Login...Meeting SDK not available";
        QMetaObject::invokeMethod(
            this, [this] { Login(-1, "会议SDK不可用"); }, Qt::QueuedConnection);
        return;
    }
    auth->Login(utf8.constData());
}

void WeMeetManager::logout()
{
    IWemeetSDK *sdk = GetWemeetSDKInstance();
    if (IAuthenticationService *auth = sdk ? sdk->GetAuthenticationService() : nullptr) {
        m_logoutPending = true;
        auth->Logout();
    }
}

void WeMeetManager::logoutQuietly()
{
    IWemeetSDK *sdk = GetWemeetSDKInstance();
    if (IAuthenticationService *auth = sdk ? sdk->GetAuthenticationService() : nullptr) {
        ++m_quietLogouts;
        auth->Logout();
    }
}

void WeMeetManager::showScreenCastView()
{
    IWemeetSDK *sdk = GetWemeetSDKInstance();
    if (IPreMeetingService *pre = sdk ? sdk->GetPreMeetingService() : nullptr)
        pre->ShowScreenCastView();
}

void WeMeetManager::uninitialize()
{
    qCDebug(lcSdk) << "Uninitialize";
    if (IWemeetSDK *sdk = GetWemeetSDKInstance()) {
        if (sdk->IsInitialized())
            sdk->Uninitialize();
    }
    ReleaseWemeetSDKInstance();
}

// --- ISDKCallback -----------------------------------------------------------

void WeMeetManager::Initialize(int32_t code, const char *msg)
{
    sdkLog() << "WeMeetManager...Initialize...code= " << code << " msg= " << sdkText(msg);
    if (code != 0) {
        m_state = NotInitialized;
        emit OnSDKInitializeFailedSignal(failureText(code, msg));
        return;
    }
    if (IWemeetSDK *sdk = GetWemeetSDKInstance()) {
        if (IInMeetingService *in = sdk->GetInMeetingService()) {
            in->SetMeetingSetting(1, 0);
            in->SetMeetingSetting(0, 1);
        }
    }
    m_state = Initialized;
    emit OnSDKInitializeFinishSignal();
}

void WeMeetManager::SDKTokenExpired(const char *token)
{
    sdkLog() << "WeMeetManager...SDKTokenExpired...sdk_token = " << sdkText(token);
}

void WeMeetManager::SDKError(int32_t code, const char *msg)
{
    sdkLog() << "WeMeetManager...SDKError...code = " << code << " msg = " << sdkText(msg);
    if (code != 0)
        emit OnSDKErrorSignal(failureText(code, msg));
}

void WeMeetManager::ShowLogsResult(int32_t code, const char *msg)
{
    sdkLog() << "WeMeetManager...ShowLogsResult...code = " << code << " msg = " << sdkText(msg);
}

void WeMeetManager::ResetSDKState(int32_t code, const char *msg)
{
    sdkLog() << "WeMeetManager...ResetSDKState...code = " << code << " msg = " << sdkText(msg);
    if (code != 0)
        emit OnSDKErrorSignal(failureText(code, msg));
}

// --- IAuthenticationCallback ------------------------------------------------

void WeMeetManager::Login(int32_t code, const char *msg)
{
    sdkLog() << "WeMeetManager...Login...code= " << code << " msg=" << sdkText(msg);
    if (code == 0) {
        m_state = SignedIn;
        emit OnLoginFinishSignal(QString());
    } else {
        emit OnLoginFinishSignal(failureText(code, msg));
    }
}

void WeMeetManager::Logout(int32_t type, int32_t code, const char *msg)
{
    sdkLog() << "WeMeetManager...Logout...type = " << type << " code =" << code << " msg = " << sdkText(msg);
    const bool quiet = type == 1 && m_quietLogouts > 0;
    if (type == 1 && !quiet)
        m_logoutPending = false;
    if (quiet)
        --m_quietLogouts;
    if (code != 0) {
        if (type == 1 && !quiet)
            emit OnLogoutFailedSignal(failureText(code, msg));
        return;
    }
    if (type != 1 && type != 2)
        return;
    if (quiet) {
        if (baseValues)
            baseValues->pendingMeetingCode.clear();
        m_state = Initialized;
        return;
    }
    // Signed out, nothing can still be joining; a stale pending code would
    // make the coordinator turn away every later meeting link.
    if (baseValues)
        baseValues->pendingMeetingCode.clear();
    if (type == 1) {
        m_state = Initialized;
        emit OnLogoutFinishSignal();
    } else if (type == 2) {
        m_state = Initialized;
        emit OnForcedLogoutFinishSignal();
    }
}

void WeMeetManager::JumpUrlWithLoginStatus(int32_t code, const char *msg)
{
    sdkLog() << "WeMeetManager...JumpUrlWithLoginStatus...code = " << code << " msg = " << sdkText(msg);
}

// --- IPreMeetingCallback ----------------------------------------------------

void WeMeetManager::JoinMeeting(int32_t code, const char *msg, const char *meeting_code)
{
    sdkLog() << "WeMeetManager...JoinMeeting...code = " << code << " msg = " << sdkText(msg)
             << " meeting_code = " << sdkText(meeting_code);
    if (baseValues)
        baseValues->pendingMeetingCode.clear();
    if (code == 0) {
        m_state = InMeeting;
        emit OnJoinMeetingFinishSignal(QString());
    } else {
        m_state = SignedIn;
        emit OnJoinMeetingFinishSignal(failureText(code, msg));
    }
}

void WeMeetManager::ShowScreenCastViewResult(int32_t code, const char *msg)
{
    sdkLog() << "WeMeetManager...ShowScreenCastViewResult...code = " << code << " msg = " << sdkText(msg);
}

void WeMeetManager::ActionResult(int32_t action, int32_t code, const char *msg)
{
    sdkLog() << "WeMeetManager...ActionResult...ActionResult =" << action << " code = " << code
             << " msg = " << sdkText(msg);
}

// --- IInMeetingCallback -----------------------------------------------------

void WeMeetManager::LeaveMeeting(int32_t type, int32_t code, const char *msg, const char *meeting_code)
{
    sdkLog() << "WeMeetManager...LeaveMeeting...type = " << type << " code = " << code
             << " msg = " << sdkText(msg) << " meeting_code = " << sdkText(meeting_code);
    if (code != 0)
        return;
    if (m_state == InMeeting) {
        m_state = SignedIn;
        emit OnLeaveMeetingFinishSignal(QString());
    } else if (m_state == Joining) {
        if (baseValues)
            baseValues->pendingMeetingCode.clear();
        m_state = SignedIn;
        emit OnLeaveWaitingRoomFinishSignal(QString());
    }
}

void WeMeetManager::InviteMeeting(const char *invite_info)
{
    sdkLog() << "WeMeetManager...InviteMeeting...invite_info = " << sdkText(invite_info);
    emit OnShareToMeetingFinishSignal(sdkText(invite_info));
}

void WeMeetManager::ShowMeetingInfo(const char *meeting_info)
{
    sdkLog() << "WeMeetManager...ShowMeetingInfo...meeting_info = " << sdkText(meeting_info);
}
