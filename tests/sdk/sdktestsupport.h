#pragma once

#include "support/testsupport.h"

#include "app/basevalues.h"
#include "sdk-sim/simcontrol.h"
#include "sdk/wemeetmanager.h"


using testsupport::LogCapture;

// Every test function starts from a fresh simulator, a manager in state 0
// and an empty session record.
inline void resetSdkWorld()
{
    WemeetSim::reset();
    WemeetSim::setHeadless(false);
    WeMeetManager::instance()->setState(0);
    if (!baseValues)
        baseValues = new BaseValues;
    *baseValues = BaseValues();
}
