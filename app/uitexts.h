#pragma once

#include <QString>

// Texts that more than one screen shows; each is written once here so the
// screens cannot drift apart.
namespace UiText {

inline const QString ok = QStringLiteral("确定");
inline const QString cancel = QStringLiteral("取消");
inline const QString gotIt = QStringLiteral("知道了");

inline const QString loginFailed = QStringLiteral("登录失败，请重试！");
inline const QString signingInAccount = QStringLiteral("正在登录帐号...");
inline const QString signingInMeeting = QStringLiteral("正在登录云会议...");
inline const QString joiningMeeting = QStringLiteral("正在入会...");
// The Meeting SDK did not answer a join within the busy indicator's wait.
inline const QString joinNoAnswer = QStringLiteral("入会无响应，请稍后重试");
// A join that could not get the Meeting SDK signed in.
inline const QString joinSignInFailed = QStringLiteral("加入会议失败，请重试！");
// The Meeting SDK reported an error while joining.
inline const QString joinSdkError = QStringLiteral("入会失败，请重试！");
inline const QString initFailed = QStringLiteral("Vesk云会议初始化失败，请稍后再试");

inline const QString differentAccount = QStringLiteral("本地已登录另一账号，请重新登录后进入会议。");
inline const QString joiningOtherMeeting =
    QStringLiteral("当前正在进入会议，如需进入新会议请先退出当前会议。");
inline const QString leaveForNewMeeting = QStringLiteral("确定离开当前会议，加入新会议？");
inline const QString notOnParticipantList = QStringLiteral("当前手机号/账号未在参会名单，无法加入会议！");
inline const QString meetingNoExpired = QStringLiteral("当前会议号已失效！");
inline const QString admissionFailed = QStringLiteral("入会认证失败！");
// A meeting that admits no guests turned a guest away.
inline const QString guestsNotAdmitted = QStringLiteral("该会议仅允许登录用户加入，访客无法入会。");
// The service forgot the session (restart, expiry).
inline const QString sessionLost = QStringLiteral("登录已失效，请重新登录");
inline const QString sessionRenewing = QStringLiteral("登录已失效，正在重新登录...");
inline const QString forcedLogout = QStringLiteral("您已经在其他设备登录，当前设备被登出。");

} // namespace UiText
