#include "http/logincomverifyhttp.h"

#include "app/basevalues.h"

#include <QStringList>

namespace {

// Which account type a company's product version belongs to; "0" when the
// company has not opened the meeting service.
QString companyCheckCode(const QJsonValue &result)
{
    if (!result.isObject())
        return QStringLiteral("0");
    const QJsonObject info = result.toObject();
    const QString otherCtrl = info.value(QStringLiteral("otherCtrl")).toString();
    const QString companyId = info.value(QStringLiteral("companyId")).toString();
    const QStringList modules =
        info.value(QStringLiteral("chargeApplyModule")).toString().split(QLatin1Char(','));
    const QString ipoFlag = info.value(QStringLiteral("ipoFlag")).toString();

    if (companyId.isEmpty())
        return QStringLiteral("0");
    if (!otherCtrl.contains(QLatin1String("00")))
        return QStringLiteral("0");
    if (!modules.contains(QStringLiteral("4")))
        return QStringLiteral("0");
    if (ipoFlag == QLatin1String("2") || ipoFlag == QLatin1String("4") || ipoFlag == QLatin1String("7"))
        return QStringLiteral("2");
    if (ipoFlag == QLatin1String("8"))
        return QStringLiteral("3");
    return QStringLiteral("1");
}

} // namespace

LoginComVerifyHttp::LoginComVerifyHttp(QObject *parent) : HttpHelper(parent) {}

void LoginComVerifyHttp::request(const QString &companyCode)
{
    httpPost(baseValues->cloudUrl + QStringLiteral("application/portCloudApplication"),
             QByteArray("companyCode=") + encodeValue(companyCode));
}

void LoginComVerifyHttp::handleReply(QNetworkReply *reply, QByteArray data, int statusCode)
{
    const Answer answer = readAnswer(reply, data, statusCode);
    if (answer.kind == Answer::Succeeded) {
        const QString code = companyCheckCode(answer.result);
        emit sendComVerifyResultSignal(code, ServiceReply::success(code));
        return;
    }
    emit sendComVerifyResultSignal(failure(QStringLiteral("LoginComVerify"), answer, ResultForm::Plain),
                                   failureReply(answer));
}
