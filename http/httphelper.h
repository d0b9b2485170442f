#pragma once

#include "http/servicereply.h"

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QObject>
#include <QString>

class QNetworkReply;
class QTimer;

// Whether the service answers. Requests report every answer and every
// time-out or network failure; after a failure the first answer of any
// request says the service is back, so what failed can be asked again.
class ServiceReachability final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(ServiceReachability)

public:
    static ServiceReachability *instance();
    bool isReachable() const { return m_reachable; }
    void noteAnswer();
    void noteUnreachable();

signals:
    void reachableAgain();

private:
    ServiceReachability() = default;
    bool m_reachable = true;
};

// Base of every service request. One request object per instance whose
// headers stick from one send to the next, five send forms, one time-out
// timer shared by all sends, and the answer envelope every class reads the
// same way. Subclasses build URL and body, parse in handleReply() and emit
// their one result signal.
class HttpHelper : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(HttpHelper)

public:
    explicit HttpHelper(QObject *parent = nullptr);
    ~HttpHelper() override;

    void httpGet(QString url);
    void httpPost(QString url, QByteArray body);
    void httpPostAuth(QString url, QString token, QByteArray body);
    void httpPostJson(QString url, QByteArray body);
    void httpPostJsonAuth(QString url, QString token, QByteArray body);

    // A value as it goes into a query string or a form body: UTF-8 with every
    // character but the unreserved ones percent-encoded, so "&", "=", "+" and
    // "%" arrive as typed.
    static QByteArray encodeValue(const QString &value);
    // base followed by path and the query items in their order, each value
    // encoded as encodeValue() does; QUrlQuery joins them.
    static QString address(const QString &base, const QString &path,
                           const QList<QPair<QString, QString>> &query);
    // The enumerator key of the reply's error, e.g. "ConnectionRefusedError".
    static QString networkErrorName(QNetworkReply *reply);

    // A GET outside the request pattern (the update download) on the one
    // manager of the client, trusting the configured CAs as every request does.
    static QNetworkReply *download(const QNetworkRequest &request);

    // Opens the connection to the host of base (a service address) before its
    // first request, so the TLS handshake runs while other requests are
    // answered and that request finds the connection ready. Nothing happens
    // for an address that is not http or https.
    static void openConnection(const QString &base);

    // A well-behaved answer is a few kilobytes; a larger one is refused as
    // a network error before it is read into memory.
    static inline qint64 maxAnswerBytes = 8 * 1024 * 1024;

    static QString timeoutText();   // "请求超时"
    static QString malformedText(); // "服务返回数据格式错误"
    static QString failedText();    // "请求失败"

public slots:
    void serviceRequestFinished(QNetworkReply *reply);
    void onTimeout();

protected:
    // reply is null and statusCode -1 for a time-out.
    virtual void handleReply(QNetworkReply *reply, QByteArray data, int statusCode) = 0;

    // How a class words its failures (see failureText()).
    enum class ResultForm
    {
        Plain,
        Prefixed,
        Tagged,
        Activity
    };

    // The common envelope of an answer.
    struct Answer
    {
        enum Kind
        {
            Succeeded,
            Refused,
            TimedOut,
            NetworkFailed,
            Malformed
        };
        Kind kind = Malformed;
        QJsonObject object; // the top-level object
        QJsonValue result;  // its "result"
        QString errorCode;  // Refused
        QString errorMsg;   // Refused
        QString errorName;  // NetworkFailed: the enumerator key
        QNetworkReply::NetworkError networkError = QNetworkReply::NoError; // NetworkFailed
    };
    static Answer readAnswer(QNetworkReply *reply, const QByteArray &data, int statusCode);

    // The debug line of a failed answer: "<tag> error code:<c> message:<m>"
    // or "<tag> error:<text>". A Succeeded answer passed here is one whose
    // "result" the class could not use.
    static void logFailure(const QString &tag, const Answer &answer);
    // The result string of a failed answer in the given form. Never empty.
    static QString failureText(const Answer &answer, ResultForm form);
    // logFailure() and failureText() together.
    static QString failure(const QString &tag, const Answer &answer, ResultForm form);
    // What a failed answer hands on beside its result text.
    static ServiceReply failureReply(const Answer &answer);

    static QString compactJson(const QJsonValue &value);
    static void logLine(const QString &line);

private:
    void send(const QString &url, bool post, const QByteArray &body);

    // One manager for the whole client, so connections and TLS sessions are
    // reused; it lives as long as the application object.
    static QNetworkAccessManager *sharedManager();

    QNetworkRequest m_request;
    QTimer *m_timer = nullptr;
    // Sends are numbered so that an answer can be matched to its send: an
    // answer whose send was already reported as timed out and has been
    // followed by a newer send belongs to nobody any more.
    quint64 m_lastSend = 0;
    quint64 m_timedOutUpTo = 0;
};
