#include "http/usermessage.h"

#include "app/basevalues.h"
#include "app/uitexts.h"

#include <QNetworkReply>

namespace {

const QString noConnection = QStringLiteral("无法连接服务器，请检查网络后重试");
const QString connectionLost = QStringLiteral("与服务器的连接中断，请稍后重试");
const QString connectionTimedOut = QStringLiteral("网络连接超时，请稍后重试");
const QString secureConnection = QStringLiteral("无法建立安全连接，请检查网络或系统时间");
const QString proxyFailed = QStringLiteral("代理服务器连接失败，请检查代理设置");
const QString busy = QStringLiteral("服务器繁忙，请稍后再试");
const QString notAllowed = QStringLiteral("没有访问权限，请重新登录后再试");
const QString unavailable = QStringLiteral("服务暂不可用，请稍后再试");
const QString unexpectedAnswer = QStringLiteral("服务器返回异常，请稍后再试");
const QString cancelled = QStringLiteral("请求已取消，请重试");

QString sentenceFor(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::BackgroundRequestNotAllowedError:
    case QNetworkReply::UnknownNetworkError:
        return noConnection;
    case QNetworkReply::RemoteHostClosedError:
        return connectionLost;
    case QNetworkReply::TimeoutError:
    case QNetworkReply::ProxyTimeoutError:
        return connectionTimedOut;
    case QNetworkReply::SslHandshakeFailedError:
        return secureConnection;
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyAuthenticationRequiredError:
    case QNetworkReply::UnknownProxyError:
        return proxyFailed;
    case QNetworkReply::InternalServerError:
    case QNetworkReply::ServiceUnavailableError:
    case QNetworkReply::UnknownServerError:
        return busy;
    case QNetworkReply::ContentAccessDenied:
    case QNetworkReply::AuthenticationRequiredError:
    case QNetworkReply::ContentOperationNotPermittedError:
        return notAllowed;
    case QNetworkReply::ContentNotFoundError:
    case QNetworkReply::ContentGoneError:
    case QNetworkReply::OperationNotImplementedError:
    case QNetworkReply::ProtocolUnknownError:
        return unavailable;
    case QNetworkReply::OperationCanceledError:
        return cancelled;
    default:
        // Redirects, conflicts, bad requests, protocol faults and a status
        // other than 200 without an error (NoError).
        return unexpectedAnswer;
    }
}

const QString timedOut = QStringLiteral("服务器响应超时，请稍后重试");

} // namespace

QString userMessage(const ServiceReply &reply)
{
    // The session is being mended in the background (SessionWatch).
    if (reply.sessionLost && baseValues && baseValues->signedIn)
        return UiText::sessionRenewing;
    switch (reply.outcome) {
    case ServiceReply::TimedOut:
        return timedOut;
    case ServiceReply::NetworkFailed:
        // The enumerator key is in the log line of the failure, for support.
        return sentenceFor(reply.networkError);
    case ServiceReply::Succeeded:
    case ServiceReply::Refused:
    case ServiceReply::Malformed:
        break;
    }
    return reply.message;
}
