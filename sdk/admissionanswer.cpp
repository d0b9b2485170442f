#include "sdk/admissionanswer.h"
#include "sdk/logcategory.h"

#include "app/basevalues.h"
#include "app/uitexts.h"

#include <QDebug>

bool isActivityMeeting(const QString &meetingType)
{
    return meetingType == QStringLiteral("活动系统") || meetingType == QStringLiteral("预约会议");
}

AdmissionAnswer readAdmissionAnswer(const QString &result)
{
    using Next = AdmissionAnswer::Next;
    if (result.isEmpty())
        return {Next::Join, QString(), QString()};
    if (result == QLatin1String("001") || result == QLatin1String("002") || result == QLatin1String("005"))
        return {Next::Approve, baseValues->activityShortUrl, QString()};
    if (result == QLatin1String("006") || result == QLatin1String("007") || result == QLatin1String("030"))
        return {Next::Approve, baseValues->signatureUrl, QString()};
    if (result == QLatin1String("010"))
        return {Next::Refuse, QString(), UiText::notOnParticipantList};
    if (result == QLatin1String("111"))
        return {Next::Refuse, QString(), UiText::meetingNoExpired};
    qCDebug(lcSdk).noquote() << QStringLiteral("入会认证失败，error：%1").arg(result);
    return {Next::Refuse, QString(), UiText::admissionFailed};
}
