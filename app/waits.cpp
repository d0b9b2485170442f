#include "app/waits.h"

#include <QtGlobal>

void Waits::applyEnvironment()
{
    bool ok = false;
    const int percent = qEnvironmentVariableIntValue("VESK_WAIT_SCALE_PERCENT", &ok);
    if (!ok || percent <= 0 || percent >= 100)
        return;
    auto scale = [percent](int &ms) { ms = qMax(1, ms * percent / 100); };
    scale(requestTimeoutMs);
    scale(startupWaitMs);
    scale(tokenRetryPauseMs);
    scale(noticeMs);
    scale(actionNoticeMs);
    scale(sdkInfoWaitMs);
    scale(sdkResponseMs);
    scale(spinnerFallbackMs);
    scale(updateStallMs);
    scale(verifyCodeTickMs);
    scale(qrPollMs);
    scale(qrExpiryMs);
    scale(instanceChannelMs);
    scale(instanceRetryMs);
    scale(splashDelayMs);
    scale(meetingListRefreshMs);
}
