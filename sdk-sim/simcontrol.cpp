#include "sdk-sim/simcontrol.h"

#include "sdk-sim/simsdk.h"
#include "sdk-sim/simwindowhost.h"

#include <QtDebug>

namespace WemeetSim {

namespace {

Config s_config;
Records s_records;
bool s_configLoaded = false;

void applyEnvironment()
{
    // UTF-8 whatever the locale, so scripted Chinese messages arrive intact.
    const QString script = QString::fromUtf8(qgetenv("VESK_SDK_SIM"));
    if (!script.isEmpty())
        applyScript(script);
}

int toMs(const QString &key, const QString &value, int fallback)
{
    bool ok = false;
    const int ms = value.trimmed().toInt(&ok);
    if (!ok) {
        qWarning().noquote() << "VESK_SDK_SIM: not a number for" << key << ":" << value;
        return fallback;
    }
    return ms;
}

bool toBool(const QString &value)
{
    const QString v = value.trimmed().toLower();
    return v == QLatin1String("1") || v == QLatin1String("true") || v == QLatin1String("yes") ||
           v == QLatin1String("on");
}

SimSdk *sdk()
{
    return SimSdk::obtain();
}

WindowHost *host()
{
    return config().headless ? nullptr : WindowHost::instance();
}

SimWindow *shown(int kind)
{
    WindowHost *h = SimSdk::current() ? host() : nullptr;
    return h ? h->window(WindowHost::Kind(kind)) : nullptr;
}

// A click in the window when it is open; without windows the button's
// effect directly.
bool clickOrCall(SimWindow *window, const char *buttonName, const std::function<void()> &fallback)
{
    if (window)
        window->click(QLatin1String(buttonName));
    else
        fallback();
    return true;
}

} // namespace

Config &config()
{
    if (!s_configLoaded) {
        s_configLoaded = true;
        applyEnvironment();
    }
    return s_config;
}

Records &records()
{
    return s_records;
}

void reset()
{
    SimSdk::discard(); // obtain() makes a fresh one when next asked
    s_records = Records();
    s_config = Config();
    s_configLoaded = true;
    applyEnvironment();
}

void applyScript(const QString &script)
{
    Config &c = s_config;
    const QStringList items = script.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString &item : items) {
        const int eq = item.indexOf(QLatin1Char('='));
        const QString key = (eq < 0 ? item : item.left(eq)).trimmed();
        const QString value = eq < 0 ? QString() : item.mid(eq + 1);
        if (key.isEmpty())
            continue;
        if (key == QLatin1String("init_fail"))
            c.initFailure = value;
        else if (key == QLatin1String("login_fail"))
            c.loginFailure = value;
        else if (key == QLatin1String("logout_fail"))
            c.logoutFailure = value;
        else if (key == QLatin1String("join_fail"))
            c.joinFailure = value;
        else if (key == QLatin1String("waiting_room"))
            c.waitingRoom = toBool(value);
        else if (key == QLatin1String("admit_after_ms"))
            c.admitAfterMs = toMs(key, value, c.admitAfterMs);
        else if (key == QLatin1String("forced_logout_after_ms"))
            c.forcedLogoutAfterMs = toMs(key, value, c.forcedLogoutAfterMs);
        else if (key == QLatin1String("sdk_error"))
            c.sdkError = value;
        else if (key == QLatin1String("sdk_error_after_ms"))
            c.sdkErrorAfterMs = toMs(key, value, c.sdkErrorAfterMs);
        else if (key == QLatin1String("delay_ms"))
            c.delayMs = qMax(0, toMs(key, value, c.delayMs));
        else if (key == QLatin1String("invite_password"))
            c.invitePassword = value;
        else if (key == QLatin1String("invite_subject"))
            c.inviteSubject = value;
        else if (key == QLatin1String("headless"))
            c.headless = toBool(value);
        else if (key == QLatin1String("unavailable"))
            c.unavailable = toBool(value);
        else if (key == QLatin1String("immediate"))
            c.immediate = toBool(value);
        else
            qWarning().noquote() << "VESK_SDK_SIM: unknown key" << key;
    }
}

void setInitFailure(const QString &message, int code)
{
    config().initFailure = message;
    config().initFailureCode = code;
}

void setLoginFailure(const QString &message, int code)
{
    config().loginFailure = message;
    config().loginFailureCode = code;
}

void setLogoutFailure(const QString &message, int code)
{
    config().logoutFailure = message;
    config().logoutFailureCode = code;
}

void setJoinFailure(const QString &message, int code)
{
    config().joinFailure = message;
    config().joinFailureCode = code;
}

void setWaitingRoom(bool on)
{
    config().waitingRoom = on;
}

void setAdmitAfterMs(int ms)
{
    config().admitAfterMs = ms;
}

void setForcedLogoutAfterMs(int ms)
{
    config().forcedLogoutAfterMs = ms;
}

void setCallbackDelayMs(int ms)
{
    config().delayMs = qMax(0, ms);
}

int callbackDelayMs()
{
    return config().delayMs;
}

void setInviteFields(const QString &subject, const QString &password, const QString &hostName)
{
    config().inviteSubject = subject;
    config().invitePassword = password;
    config().inviteHostName = hostName;
}

void setHeadless(bool on)
{
    config().headless = on;
}

void setUnavailable(bool on)
{
    config().unavailable = on;
}

void setImmediate(bool on)
{
    config().immediate = on;
}

bool admit()
{
    return sdk()->doAdmit();
}

bool triggerForcedLogout()
{
    return sdk()->doForcedLogout();
}

void raiseSdkError(int code, const QString &message)
{
    sdk()->doSdkError(code, message.toUtf8());
}

void raiseResetSdkState(int code, const QString &message)
{
    sdk()->doResetSdkState(code, message.toUtf8());
}

void raiseTokenExpired()
{
    sdk()->doTokenExpired();
}

bool pressInvite()
{
    SimSdk *s = sdk();
    if (s->phase != Phase::InMeeting)
        return false;
    return clickOrCall(shown(WindowHost::Meeting), "simInviteButton", [s] { s->doInvite(); });
}

bool pressLeave()
{
    SimSdk *s = sdk();
    if (s->phase == Phase::InMeeting)
        return clickOrCall(shown(WindowHost::Meeting), "simLeaveButton", [s] { s->doLeave(1); });
    if (s->phase == Phase::Waiting)
        return clickOrCall(shown(WindowHost::WaitingRoom), "simWaitingLeaveButton", [s] { s->doLeave(1); });
    return false;
}

Phase phase()
{
    return SimSdk::current() ? SimSdk::current()->phase : Phase::NotInitialized;
}

bool signedIn()
{
    return SimSdk::current() && SimSdk::current()->signedIn;
}

InitRecord initRecord()
{
    return s_records.init;
}

QString loginAddress()
{
    return s_records.loginAddresses.isEmpty() ? QString() : s_records.loginAddresses.constLast();
}

QStringList loginAddresses()
{
    return s_records.loginAddresses;
}

JoinRecord lastJoin()
{
    return s_records.join;
}

QList<QPair<int, int>> meetingSettings()
{
    return s_records.settings;
}

QStringList calls()
{
    return s_records.calls;
}

void clearCalls()
{
    s_records.calls.clear();
}

int releaseCount()
{
    return s_records.releases;
}

int pendingCallbacks()
{
    return SimSdk::current() ? SimSdk::current()->pending() : 0;
}

SimWindow *meetingWindow()
{
    return shown(WindowHost::Meeting);
}

SimWindow *waitingRoomWindow()
{
    return shown(WindowHost::WaitingRoom);
}

SimWindow *screenCastWindow()
{
    return shown(WindowHost::ScreenCast);
}

qint64 windowProcessId()
{
    WindowHost *h = WindowHost::instance();
    return h ? h->processId() : 0;
}

} // namespace WemeetSim
