#pragma once

#include "support/testsupport.h"

#include "app/basevalues.h"
#include "http/servicetokenhttp.h"
#include "sdk-sim/simcontrol.h"
#include "sdk/wemeetmanager.h"

#include <QSignalSpy>

using testsupport::LogCapture;

// Every test function starts from a fresh simulator, a manager in state 0
// and an empty session record.
inline void resetSdkWorld()
{
    WemeetSim::reset();
    WemeetSim::setHeadless(false);
    WeMeetManager::instance()->setState(WeMeetManager::State(0));
    if (!baseValues)
        baseValues = new BaseValues;
    *baseValues = BaseValues();
}

// A fresh world with headless meeting windows and a session on the stand-in
// that holds its service token; returns the token request's result (empty
// when it was given).
inline QString freshSessionWithServiceToken(const devservice::Server &server)
{
    resetSdkWorld();
    WemeetSim::setHeadless(true);
    testsupport::pointBaseValuesAt(server);
    baseValues->serialNo = QStringLiteral("0123456789abcdef0123456789abcdef");
    ServiceTokenHttp token;
    token.request();
    return testsupport::waitResult(&token, &ServiceTokenHttp::sendServiceTokenResultSignal);
}

// Initialises the Meeting SDK with made-up credentials and waits for its answer.
inline bool initializeSdk(int waitMs = 2000)
{
    QSignalSpy initialised(WeMeetManager::instance(), &WeMeetManager::OnSDKInitializeFinishSignal);
    WeMeetManager::initialize(QStringLiteral("id"), QStringLiteral("token"), QStringLiteral("/tmp"),
                              QStringLiteral("a"));
    return initialised.wait(waitMs);
}

// Signs in to the Meeting SDK; returns the error it answers with (empty on
// success), or "<none>" when no answer comes.
inline QString sdkLoginResult(int waitMs = 2000)
{
    QSignalSpy login(WeMeetManager::instance(), &WeMeetManager::OnLoginFinishSignal);
    WeMeetManager::instance()->login();
    if (!login.wait(waitMs))
        return QStringLiteral("<none>");
    return login.first().first().toString();
}
