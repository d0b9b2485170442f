#include "http/httphelper.h"

#include "app/basevalues.h"
#include "app/waits.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QList>
#include <QMetaEnum>
#include <QNetworkReply>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTimer>
#include <QUrl>
#include <QVariant>

namespace {

// Peer verification stays as Qt sets it; a configured PEM file adds the CAs
// of a company (or of the stand-in service) to the system ones.
QSslConfiguration serviceSslConfiguration()
{
    QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
    const QString caFile = baseValues ? baseValues->caCertificates : QString();
    if (caFile.isEmpty())
        return conf;
    const QList<QSslCertificate> extra = QSslCertificate::fromPath(caFile, QSsl::Pem);
    if (extra.isEmpty()) {
        qDebug().noquote() << QStringLiteral("CA证书文件无法读取:") + caFile;
        return conf;
    }
    // Adding CAs ends the on-demand loading of the system roots, so list
    // those explicitly; reading them once per run is enough.
    static const QList<QSslCertificate> systemCas = QSslConfiguration::systemCaCertificates();
    conf.setCaCertificates(systemCas + extra);
    return conf;
}

// Which send of its object a reply answers.
const char sendNumberProperty[] = "veskSendNumber";

} // namespace

HttpHelper::HttpHelper(QObject *parent) : QObject(parent), m_timer(new QTimer)
{
    m_request.setSslConfiguration(serviceSslConfiguration());
    m_request.setRawHeader("Accept", "application/json;charset=utf-8;");
    m_request.setRawHeader("Content-type", "application/x-www-form-urlencoded;charset=utf-8;");

    connect(&m_manager, &QNetworkAccessManager::finished, this, &HttpHelper::serviceRequestFinished);
    connect(m_timer, &QTimer::timeout, this, &HttpHelper::onTimeout);
}

HttpHelper::~HttpHelper()
{
    QObject::disconnect(&m_manager, nullptr, nullptr, nullptr);
    delete m_timer;
}

void HttpHelper::httpGet(QString url)
{
    send(url, false, QByteArray());
}

void HttpHelper::httpPost(QString url, QByteArray body)
{
    send(url, true, body);
}

void HttpHelper::httpPostAuth(QString url, QString token, QByteArray body)
{
    m_request.setRawHeader("Authorization", token.toLocal8Bit());
    send(url, true, body);
}

void HttpHelper::httpPostJson(QString url, QByteArray body)
{
    m_request.setRawHeader("Content-type", "application/json;charset=utf-8;");
    send(url, true, body);
}

void HttpHelper::httpPostJsonAuth(QString url, QString token, QByteArray body)
{
    m_request.setRawHeader("Content-type", "application/json;charset=utf-8;");
    m_request.setRawHeader("Authorization", token.toLocal8Bit());
    send(url, true, body);
}

void HttpHelper::send(const QString &url, bool post, const QByteArray &body)
{
    m_request.setUrl(QUrl(url, QUrl::TolerantMode));
    QNetworkReply *reply = post ? m_manager.post(m_request, body) : m_manager.get(m_request);
    reply->setProperty(sendNumberProperty, ++m_lastSend);
    m_timer->start(Waits::requestTimeoutMs);
}

QByteArray HttpHelper::encodeValue(const QString &value)
{
    return QUrl::toPercentEncoding(value);
}

QString HttpHelper::networkErrorName(QNetworkReply *reply)
{
    const QMetaObject &meta = QNetworkReply::staticMetaObject;
    const QMetaEnum errors = meta.enumerator(meta.indexOfEnumerator("NetworkError"));
    const int code = reply ? int(reply->error()) : int(QNetworkReply::UnknownNetworkError);
    const char *key = errors.valueToKey(code);
    return key ? QString::fromLatin1(key) : QString::number(code);
}

QString HttpHelper::timeoutText()
{
    return QStringLiteral("请求超时");
}

QString HttpHelper::malformedText()
{
    return QStringLiteral("服务返回数据格式错误");
}

QString HttpHelper::failedText()
{
    return QStringLiteral("请求失败");
}

void HttpHelper::serviceRequestFinished(QNetworkReply *reply)
{
    // A reply that does not come from send() (none carries a number) is
    // taken as the answer to the latest send.
    const QVariant number = reply->property(sendNumberProperty);
    const quint64 send = number.isValid() ? number.toULongLong() : m_lastSend;
    if (send < m_lastSend && send <= m_timedOutUpTo) {
        // The caller was told "timed out" and has asked again since; this
        // answer would be taken for the newer one.
        logLine(QStringLiteral("%1 late answer dropped: a newer request was sent (%2)")
                    .arg(QString::fromLatin1(metaObject()->className()), reply->url().path()));
        reply->deleteLater();
        return;
    }
    // Only the answer to the latest send ends the wait; an older one leaves
    // the newer send its time-out.
    if (send == m_lastSend)
        m_timer->stop();
    const int statusCode = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray data = reply->error() == QNetworkReply::NoError ? reply->readAll() : QByteArray();
    handleReply(reply, data, statusCode);
    reply->deleteLater();
}

void HttpHelper::onTimeout()
{
    m_timer->stop();
    m_timedOutUpTo = m_lastSend;
    handleReply(nullptr, QByteArray(""), -1);
}

HttpHelper::Answer HttpHelper::readAnswer(QNetworkReply *reply, const QByteArray &data, int statusCode)
{
    Answer answer;
    if (statusCode == -1) {
        answer.kind = Answer::TimedOut;
        return answer;
    }
    if (statusCode != 200) {
        answer.kind = Answer::NetworkFailed;
        answer.errorName = networkErrorName(reply);
        return answer;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(data, &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject()) {
        answer.kind = Answer::Malformed;
        return answer;
    }
    answer.object = doc.object();
    answer.result = answer.object.value(QStringLiteral("result"));
    if (answer.object.value(QStringLiteral("success")).toBool()) {
        answer.kind = Answer::Succeeded;
    } else {
        answer.kind = Answer::Refused;
        answer.errorCode = answer.object.value(QStringLiteral("errorCode")).toString();
        answer.errorMsg = answer.object.value(QStringLiteral("errorMsg")).toString();
    }
    return answer;
}

void HttpHelper::logFailure(const QString &tag, const Answer &answer)
{
    switch (answer.kind) {
    case Answer::Refused:
        logLine(tag + QStringLiteral(" error code:") + answer.errorCode + QStringLiteral(" message:") +
                answer.errorMsg);
        break;
    case Answer::TimedOut:
        logLine(tag + QStringLiteral(" error:") + timeoutText());
        break;
    case Answer::NetworkFailed:
        logLine(tag + QStringLiteral(" error:") + answer.errorName);
        break;
    case Answer::Succeeded:
    case Answer::Malformed:
        logLine(tag + QStringLiteral(" error:") + malformedText());
        break;
    }
}

QString HttpHelper::failureText(const Answer &answer, ResultForm form)
{
    const QString errorPrefix = QStringLiteral("error:%1");
    switch (answer.kind) {
    case Answer::TimedOut:
        return errorPrefix.arg(timeoutText());
    case Answer::NetworkFailed:
        return form == ResultForm::Plain ? answer.errorName : errorPrefix.arg(answer.errorName);
    case Answer::Refused: {
        // An empty text would read as success to the caller.
        if (form == ResultForm::Activity) {
            if (!answer.errorCode.isEmpty())
                return answer.errorCode;
            return answer.errorMsg.isEmpty() ? failedText() : answer.errorMsg;
        }
        QString text = answer.errorMsg;
        if (text.isEmpty())
            text = answer.errorCode.isEmpty() ? failedText() : answer.errorCode;
        return form == ResultForm::Plain ? text : errorPrefix.arg(text);
    }
    case Answer::Succeeded:
    case Answer::Malformed:
        return form == ResultForm::Plain ? malformedText() : errorPrefix.arg(malformedText());
    }
    return failedText();
}

QString HttpHelper::failure(const QString &tag, const Answer &answer, ResultForm form)
{
    logFailure(tag, answer);
    return failureText(answer, form);
}

QString HttpHelper::compactJson(const QJsonValue &value)
{
    if (value.isArray())
        return QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact));
    return QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
}

void HttpHelper::logLine(const QString &line)
{
    qDebug().noquote() << line;
}
