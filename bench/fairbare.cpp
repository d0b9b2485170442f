// The fair yardstick for start-up: only what the client cannot leave out
// before its first screen, in the client's order, and nothing else. The two
// service requests (service token, then version check) each waited in a
// nested event loop, the version host's connection opened while the token
// request is out and small writes sent at once (as the client does, so
// neither waits on a held-back request body), the TLS library check between
// them, the application style sheet, and one window with the start screen's
// lines of Chinese text in the product font. Quits at the first idle after it is painted and prints
// `painted <epoch µs>` at that paint, like the bare window.
//
//   fairbare SERVICE_URL CLOUD_URL [CA_FILE]
//
// The URLs are the bases of config.ini (ending in "/"); CA_FILE is the PEM
// the stand-in service serves over HTTPS.
#include "bench/probe.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QFont>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <QSslSocket>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <utility>

namespace {

using benchprobe::epochMicroseconds;
using benchprobe::residentKiB;

// The same milestones as the client's bench run, to compare step by step.
void milestone(const char *name)
{
    std::fprintf(stderr, "milestone %s %lld %ld\n", name, epochMicroseconds(), residentKiB());
}

class FairWindow : public QWidget
{
protected:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::Paint && !m_painted) {
            m_painted = true;
            std::fprintf(stderr, "painted %lld\n", epochMicroseconds());
            std::fprintf(stderr, "milestone painted %lld %ld\n", epochMicroseconds(), residentKiB());
            QTimer::singleShot(0, qApp, [] {
                milestone("quit");
                benchprobe::printSettled();
                QCoreApplication::quit();
            });
        }
        return QWidget::event(e);
    }

private:
    bool m_painted = false;
};

// Small writes go out at once on the program's connections, set after each
// answer as the client does: Qt writes a POST's header and body apart, and a
// body held back waits for the server's delayed acknowledgement.
void sendAtOnce()
{
    const int on = 1;
    for (const QString &fd : QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System))
        setsockopt(fd.toInt(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

// One POST, waited for like the client's start-up waits: a nested loop
// without user input, ended by the answer or 10 s.
QByteArray post(QNetworkAccessManager &manager, const QString &url, const QByteArray &body)
{
    QNetworkRequest request{QUrl(url)};
    request.setRawHeader("Accept", "application/json;charset=utf-8;");
    request.setRawHeader("Content-type", "application/x-www-form-urlencoded;charset=utf-8;");
    QNetworkReply *reply = manager.post(request, body);
    QEventLoop loop;
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    const QByteArray answer = reply->readAll();
    if (reply->error() != QNetworkReply::NoError)
        std::fprintf(stderr, "request failed: %s\n", qPrintable(reply->errorString()));
    delete reply;
    sendAtOnce();
    return answer;
}

} // namespace

int main(int argc, char **argv)
{
    milestone("main");
    QApplication app(argc, argv);
    milestone("application");
    Q_INIT_RESOURCE(resources);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: fairbare SERVICE_URL CLOUD_URL [CA_FILE]\n");
        return 2;
    }

    QFile qss(QStringLiteral(":/qss/style/style.qss"));
    if (qss.open(QIODevice::ReadOnly))
        app.setStyleSheet(QString::fromUtf8(qss.readAll()));
    app.setFont(QFont(QStringLiteral("Microsoft YaHei")));
    milestone("looks");

    const QList<QSslCertificate> trusted =
        args.size() > 3 ? QSslCertificate::fromPath(args.at(3), QSsl::Pem) : QList<QSslCertificate>();
    QNetworkAccessManager manager;
    // The stand-in's certificate is its own CA: trust exactly that one.
    QObject::connect(&manager, &QNetworkAccessManager::sslErrors,
                     [trusted](QNetworkReply *reply, const QList<QSslError> &errors) {
                         const QList<QSslCertificate> chain =
                             reply->sslConfiguration().peerCertificateChain();
                         if (!chain.isEmpty() && trusted.contains(chain.first()))
                             reply->ignoreSslErrors(errors);
                     });
    // Like the client, the version check's connection opens while the token
    // request is out.
    const QUrl cloud(args.at(2));
    if (cloud.scheme() == QLatin1String("https"))
        manager.connectToHostEncrypted(cloud.host(), quint16(cloud.port(443)));
    else
        manager.connectToHost(cloud.host(), quint16(cloud.port(80)));
    // The client's built-in credentials, which the stand-in expects.
    post(manager,
         args.at(1) +
             QStringLiteral("oauth/token?grant_type=client_credentials&response_type=token"
                            "&client_id=3b9e07c4d2a15f68&client_secret=a81d5e2f3b9e07c4d2a15f6870c4b1e9"),
         QByteArray());
    milestone("token");
    std::fprintf(stderr, "ssl %d\n", int(QSslSocket::supportsSsl()));
    post(manager, args.at(2) + QStringLiteral("analyze/getLastVersion"), "appType=7&version=1.0.0");
    milestone("version");

    FairWindow window;
    window.resize(395, 687);
    // The start screen's own lines in its sizes: the glyphs any client must
    // draw there are the platform's cost, not the client's.
    auto *layout = new QVBoxLayout(&window);
    const std::pair<const char *, int> lines[] = {{"Vesk云会议", 26},
                                                  {"V1.0.0", 14},
                                                  {"随时随地，高效开会", 14},
                                                  {"加入会议", 14},
                                                  {"Vesk账号登录", 14}};
    for (const auto &[text, pixels] : lines) {
        auto *label = new QLabel(QString::fromUtf8(text), &window);
        label->setStyleSheet(QStringLiteral("font-size: %1px").arg(pixels));
        layout->addWidget(label);
    }
    window.show();
    milestone("shown");
    return app.exec();
}
