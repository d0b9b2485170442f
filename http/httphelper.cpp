#include "http/httphelper.h"
#include "http/logcategory.h"

#include "http/sessionwatch.h"

#include "app/platform.h"

#include "app/basevalues.h"
#include "app/waits.h"
#include "http/proxylogin.h"

#include <QCoreApplication>
#include <QDebug>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QList>
#include <QMetaEnum>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QPointer>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>
#include <QVariant>

#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

namespace {

// The CAs of a configured PEM file (a company's, or the stand-in service's),
// read once per file. They are trusted besides the system roots.
const QList<QSslCertificate> &extraCaCertificates()
{
    static QString readFrom;
    static QList<QSslCertificate> extra;
    static bool read = false;
    const QString caFile = baseValues ? baseValues->caCertificates : QString();
    if (!read || caFile != readFrom) {
        read = true;
        readFrom = caFile;
        extra = caFile.isEmpty() ? QList<QSslCertificate>() : QSslCertificate::fromPath(caFile, QSsl::Pem);
        if (!caFile.isEmpty() && extra.isEmpty())
            qCDebug(lcHttp).noquote() << QStringLiteral("CA证书文件无法读取:") + caFile;
    }
    return extra;
}

X509 *toX509(const QSslCertificate &certificate)
{
    const QByteArray der = certificate.toDer();
    const auto *p = reinterpret_cast<const unsigned char *>(der.constData());
    return d2i_X509(nullptr, &p, der.size());
}

// Whether the server's chain leads to one of the configured CAs and names the
// host. Adding the CAs to the SSL configuration instead would mean listing the
// whole system store with them, which costs more than the start-up itself.
bool chainTrustedByExtraCas(const QList<QSslCertificate> &chain, const QString &host)
{
    const QList<QSslCertificate> &extra = extraCaCertificates();
    if (chain.isEmpty() || extra.isEmpty())
        return false;
    X509_STORE *store = X509_STORE_new();
    for (const QSslCertificate &ca : extra) {
        if (X509 *x = toX509(ca)) {
            X509_STORE_add_cert(store, x);
            X509_free(x);
        }
    }
    STACK_OF(X509) *untrusted = sk_X509_new_null();
    for (int i = 1; i < chain.size(); ++i)
        if (X509 *x = toX509(chain.at(i)))
            sk_X509_push(untrusted, x);
    X509 *leaf = toX509(chain.first());
    X509_STORE_CTX *context = X509_STORE_CTX_new();
    bool trusted = false;
    if (leaf && context && X509_STORE_CTX_init(context, store, leaf, untrusted) == 1) {
        X509_VERIFY_PARAM *param = X509_STORE_CTX_get0_param(context);
        const QByteArray name = host.toUtf8();
        const bool named =
            QHostAddress(host).isNull()
                ? X509_VERIFY_PARAM_set1_host(param, name.constData(), size_t(name.size())) == 1
                : X509_VERIFY_PARAM_set1_ip_asc(param, name.constData()) == 1;
        trusted = named && X509_verify_cert(context) == 1;
    }
    X509_STORE_CTX_free(context);
    X509_free(leaf);
    sk_X509_pop_free(untrusted, X509_free);
    X509_STORE_free(store);
    return trusted;
}

// Which send of its object a reply answers.
const char sendNumberProperty[] = "veskSendNumber";
// Set on a reply that was cut off for being larger than any answer can be.
const char tooLargeProperty[] = "veskTooLarge";

} // namespace

namespace {

// Peer verification stays as Qt sets it (system roots, loaded on demand); a
// server whose chain leads to a configured CA is trusted as well.
void trustConfiguredCas(QNetworkReply *reply)
{
    if (extraCaCertificates().isEmpty())
        return;
    QObject::connect(reply, &QNetworkReply::sslErrors, reply, [reply](const QList<QSslError> &errors) {
        if (chainTrustedByExtraCas(reply->sslConfiguration().peerCertificateChain(), reply->url().host()))
            reply->ignoreSslErrors(errors);
    });
}

// Qt reports an HTTP proxy that refuses the connection, or whose name does not
// resolve, as if it were the service: name the proxy when one was in the way.
QNetworkReply::NetworkError proxyAwareError(QNetworkReply *reply)
{
    const QNetworkReply::NetworkError error = reply->error();
    if (error != QNetworkReply::ConnectionRefusedError && error != QNetworkReply::HostNotFoundError)
        return error;
    const QList<QNetworkProxy> proxies =
        QNetworkProxyFactory::proxyForQuery(QNetworkProxyQuery(reply->url()));
    if (proxies.isEmpty() || proxies.first().type() == QNetworkProxy::NoProxy)
        return error;
    return error == QNetworkReply::ConnectionRefusedError ? QNetworkReply::ProxyConnectionRefusedError
                                                          : QNetworkReply::ProxyNotFoundError;
}

} // namespace

QNetworkAccessManager *HttpHelper::sharedManager()
{
    static QPointer<QNetworkAccessManager> manager;
    if (!manager) {
        // The desktop's proxy settings (Windows: Internet settings with PAC
        // and WPAD; elsewhere http_proxy, https_proxy and no_proxy). Loopback
        // addresses are never sent to a proxy.
        QNetworkProxyFactory::setUseSystemConfiguration(true);
        manager = new QNetworkAccessManager(QCoreApplication::instance());
        QObject::connect(manager, &QNetworkAccessManager::proxyAuthenticationRequired, manager,
                         &ProxyLogin::supply, Qt::DirectConnection);
    }
    return manager;
}

HttpHelper::HttpHelper(QObject *parent) : QObject(parent), m_timer(new QTimer)
{
    m_request.setRawHeader("Accept", "application/json;charset=utf-8;");
    m_request.setRawHeader("Content-type", "application/x-www-form-urlencoded;charset=utf-8;");

    connect(m_timer, &QTimer::timeout, this, &HttpHelper::onTimeout);
    // Results may be received through queued connections.
    static const int replyType = qRegisterMetaType<ServiceReply>();
    Q_UNUSED(replyType)
}

HttpHelper::~HttpHelper()
{
    // Replies still running are children: deleting them aborts them unseen.
    const auto replies = findChildren<QNetworkReply *>(QString(), Qt::FindDirectChildrenOnly);
    for (QNetworkReply *reply : replies)
        QObject::disconnect(reply, nullptr, this, nullptr);
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
    QNetworkAccessManager *manager = sharedManager();
    QNetworkReply *reply = post ? manager->post(m_request, body) : manager->get(m_request);
    reply->setProperty(sendNumberProperty, ++m_lastSend);
    // Owned here, so a request object that goes away takes its reply with it.
    reply->setParent(this);
    connect(reply, &QNetworkReply::finished, this, [this, reply] { serviceRequestFinished(reply); });
    // A misbehaving service must not fill the memory (or the log) with one answer.
    auto refuseWhenTooLarge = [reply](qint64 bytes) {
        if (bytes <= maxAnswerBytes || reply->property(tooLargeProperty).toBool())
            return;
        reply->setProperty(tooLargeProperty, true);
        reply->abort();
    };
    connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, refuseWhenTooLarge] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid())
            refuseWhenTooLarge(length.toLongLong());
    });
    connect(reply, &QNetworkReply::downloadProgress, reply,
            [refuseWhenTooLarge](qint64 received, qint64) { refuseWhenTooLarge(received); });
    trustConfiguredCas(reply);
    m_timer->start(Waits::requestTimeoutMs);
}

QNetworkReply *HttpHelper::download(const QNetworkRequest &request)
{
    QNetworkReply *reply = sharedManager()->get(request);
    trustConfiguredCas(reply);
    return reply;
}

void HttpHelper::openConnection(const QString &base)
{
    const QUrl url(base, QUrl::TolerantMode);
    if (url.host().isEmpty())
        return;
    QNetworkAccessManager *manager = sharedManager();
    if (url.scheme() == QLatin1String("https")) {
        // The opening has no reply of the caller's: it is trusted on the
        // same terms as a request's, through the manager ("preconnect-https"
        // is Qt's scheme for it; any other reply has its own check).
        static bool trusting = false;
        if (!trusting) {
            trusting = true;
            QObject::connect(manager, &QNetworkAccessManager::sslErrors, manager,
                             [](QNetworkReply *reply, const QList<QSslError> &errors) {
                                 if (reply->url().scheme() == QLatin1String("preconnect-https") &&
                                     chainTrustedByExtraCas(reply->sslConfiguration().peerCertificateChain(),
                                                            reply->url().host()))
                                     reply->ignoreSslErrors(errors);
                             });
        }
        manager->connectToHostEncrypted(url.host(), quint16(url.port(443)));
    } else if (url.scheme() == QLatin1String("http")) {
        manager->connectToHost(url.host(), quint16(url.port(80)));
    }
}

QString HttpHelper::address(const QString &base, const QString &path,
                            const QList<QPair<QString, QString>> &query)
{
    QUrlQuery items;
    // Values go in encoded already: QUrlQuery keeps a percent sequence as
    // it is, while it would leave a "+" alone that the service reads as a blank.
    for (const auto &item : query)
        items.addQueryItem(item.first, QString::fromLatin1(encodeValue(item.second)));
    return base + path + QLatin1Char('?') + items.query(QUrl::FullyEncoded);
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
    // The connection that answered stays open for the next request.
    sendTcpWritesAtOnce();
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
    if (statusCode > 0)
        ServiceReachability::instance()->noteAnswer();
    else
        ServiceReachability::instance()->noteUnreachable();
    QByteArray data = reply->error() == QNetworkReply::NoError ? reply->readAll() : QByteArray();
    // Handed over, so a handler may drop a large body before it passes its result on.
    handleReply(reply, std::move(data), statusCode);
    reply->deleteLater();
}

void HttpHelper::onTimeout()
{
    if (ProxyLogin::asking()) {
        // The request waits for the proxy's credentials, not for the service.
        m_timer->start(Waits::requestTimeoutMs);
        return;
    }
    ServiceReachability::instance()->noteUnreachable();
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
    if (reply && reply->property(tooLargeProperty).toBool()) {
        // Reported like a network fault: the answer cannot be the service's.
        logLine(QStringLiteral("answer of %1 larger than %2 bytes refused")
                    .arg(reply->url().path())
                    .arg(maxAnswerBytes));
        answer.kind = Answer::NetworkFailed;
        answer.networkError = QNetworkReply::UnknownContentError;
        answer.errorName = QStringLiteral("UnknownContentError");
        return answer;
    }
    if (statusCode != 200) {
        answer.kind = Answer::NetworkFailed;
        answer.networkError = reply ? proxyAwareError(reply) : QNetworkReply::UnknownNetworkError;
        const char *key = QMetaEnum::fromType<QNetworkReply::NetworkError>().valueToKey(answer.networkError);
        answer.errorName = key ? QString::fromLatin1(key) : QString::number(int(answer.networkError));
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

ServiceReply HttpHelper::failureReply(const Answer &answer)
{
    ServiceReply reply;
    switch (answer.kind) {
    case Answer::Refused:
        reply.outcome = ServiceReply::Refused;
        break;
    case Answer::TimedOut:
        reply.outcome = ServiceReply::TimedOut;
        break;
    case Answer::NetworkFailed:
        reply.outcome = ServiceReply::NetworkFailed;
        reply.networkError = answer.networkError;
        break;
    case Answer::Succeeded: // a "result" the class could not use
    case Answer::Malformed:
        reply.outcome = ServiceReply::Malformed;
        break;
    }
    // (a time-out's text carries its tag in every form)
    reply.message = answer.kind == Answer::TimedOut ? timeoutText() : failureText(answer, ResultForm::Plain);
    // The gateway says "401" for a session it does not know; a token of the
    // client's it does not know comes back as HTTP 401.
    reply.sessionLost = (answer.kind == Answer::Refused && answer.errorCode == QLatin1String("401")) ||
                        (answer.kind == Answer::NetworkFailed &&
                         answer.networkError == QNetworkReply::AuthenticationRequiredError);
    if (reply.sessionLost)
        SessionWatch::instance()->reportLost();
    return reply;
}

QString HttpHelper::compactJson(const QJsonValue &value)
{
    if (value.isArray())
        return QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact));
    return QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
}

void HttpHelper::logLine(const QString &line)
{
    qCDebug(lcHttp).noquote() << line;
}

ServiceReachability *ServiceReachability::instance()
{
    static ServiceReachability *reachability = new ServiceReachability;
    return reachability;
}

void ServiceReachability::noteAnswer()
{
    if (m_reachable)
        return;
    m_reachable = true;
    emit reachableAgain();
}

void ServiceReachability::noteUnreachable()
{
    m_reachable = false;
}
