#include "http/veskversionhttp.h"

#include "app/basevalues.h"

#include <QVariantList>
#include <QVariantMap>

VeskVersionHttp::VeskVersionHttp(QObject *parent) : HttpHelper(parent) {}

void VeskVersionHttp::request()
{
    httpPost(baseValues->cloudUrl + QStringLiteral("analyze/getLastVersion"),
             QByteArray("appType=7") + "&version=" + encodeValue(baseValues->versionNo));
}

void VeskVersionHttp::handleReply(QNetworkReply *reply, QByteArray data, int statusCode)
{
    const Answer answer = readAnswer(reply, data, statusCode);
    if (answer.kind != Answer::Succeeded) {
        emit sendVersionResultSignal(failure(QStringLiteral("VeskVersion"), answer, ResultForm::Plain),
                                     failureReply(answer));
        return;
    }

    // Newest first: the first entry is the version offered, all entries
    // together are the release notes.
    const QVariantList entries = answer.object.toVariantMap().value(QStringLiteral("result")).toList();
    QString latest;
    QString notes;
    for (const QVariant &item : entries) {
        const QVariantMap entry = item.toMap();
        const QString version = entry.value(QStringLiteral("version")).toString();
        if (latest.isEmpty())
            latest = QStringLiteral("V") + version;
        notes += QStringLiteral("V") + version + QLatin1Char('\n') +
                 entry.value(QStringLiteral("updateContent")).toString() + QLatin1Char('\n');
    }
    baseValues->latestVersion = latest;
    baseValues->updateContent = notes;
    emit sendVersionResultSignal(QString(), ServiceReply::success(answer.result));
}
