#include "http/proxylogin.h"
#include "http/logcategory.h"

#include "app/userstore.h"

#include <QAuthenticator>
#include <QDebug>
#include <QEventLoop>
#include <QHash>
#include <QNetworkProxy>
#include <QPointer>

namespace {

struct ProxyState
{
    bool rememberedTried = false;
    bool declined = false;
    int answers = 0;
    // The last answer, taken by requests that met the 407 while it was asked.
    QString user;
    QString password;
};

ProxyLogin::Asker &askerSlot()
{
    static ProxyLogin::Asker asker;
    return asker;
}

QHash<QString, ProxyState> &proxyStates()
{
    static QHash<QString, ProxyState> all;
    return all;
}

// Exists while the user is asked; its end wakes every waiting request.
QPointer<QObject> openQuestion;

// Qt wants the credentials before the handler returns: wait, taking events,
// until the question is answered.
void waitForAnswer()
{
    QEventLoop wait;
    QObject::connect(openQuestion, &QObject::destroyed, &wait, &QEventLoop::quit);
    wait.exec();
}

void fillCredentials(QAuthenticator *authenticator, const QString &user, const QString &password)
{
    authenticator->setUser(user);
    authenticator->setPassword(password);
}

} // namespace

void ProxyLogin::setAsker(Asker asker)
{
    askerSlot() = std::move(asker);
}

bool ProxyLogin::asking()
{
    return openQuestion != nullptr;
}

void ProxyLogin::reset()
{
    proxyStates().clear();
}

void ProxyLogin::supply(const QNetworkProxy &proxy, QAuthenticator *authenticator)
{
    const QString key = QStringLiteral("%1:%2").arg(proxy.hostName()).arg(proxy.port());
    const int answersBefore = proxyStates()[key].answers;
    while (openQuestion)
        waitForAnswer();
    ProxyState &state = proxyStates()[key];
    if (state.answers != answersBefore) {
        // Asked while this request waited: it takes the same answer.
        if (!state.declined)
            fillCredentials(authenticator, state.user, state.password);
        return;
    }
    if (!state.rememberedTried) {
        state.rememberedTried = true;
        QString user;
        QString password;
        if (loadProxyLogin(key, &user, &password)) {
            qCDebug(lcHttp).noquote()
                << QStringLiteral("proxy %1 asks for credentials: the remembered ones").arg(key);
            fillCredentials(authenticator, user, password);
            return;
        }
    }
    // Refused credentials, or none: ask unless the user declined in this run.
    if (state.declined || !askerSlot())
        return;
    Credentials preset;
    preset.user = state.user.isEmpty() ? authenticator->user() : state.user;
    openQuestion = new QObject;
    QPointer<QObject> question = openQuestion;
    askerSlot()(key, preset, [key, question](bool given, const Credentials &credentials) {
        if (!question)
            return;
        ProxyState &answered = proxyStates()[key];
        ++answered.answers;
        answered.declined = !given;
        answered.user = credentials.user;
        answered.password = given ? credentials.password : QString();
        if (!given)
            qCDebug(lcHttp).noquote() << QStringLiteral("proxy %1: credentials not given").arg(key);
        else if (credentials.remember)
            saveProxyLogin(key, credentials.user, credentials.password);
        else
            forgetProxyLogin(key);
        delete question;
    });
    if (openQuestion)
        waitForAnswer();
    const ProxyState &answered = proxyStates()[key];
    if (!answered.declined)
        fillCredentials(authenticator, answered.user, answered.password);
}
