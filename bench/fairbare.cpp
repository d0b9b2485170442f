// The fair yardstick for start-up: only what the client cannot leave out
// before its first screen, in the client's order, and nothing else. The two
// service requests (service token, then version check) each waited in a
// nested event loop, the TLS library check between them, the application
// style sheet, and one window with a line of Chinese text in the product
// font. Quits at the first idle after it is painted and prints
// `painted <epoch µs>` at that paint, like the bare window.
//
//   fairbare SERVICE_URL CLOUD_URL [CA_FILE]
//
// The URLs are the bases of config.ini (ending in "/"); CA_FILE is the PEM
// the stand-in service serves over HTTPS.
#include <QApplication>
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
#include <QSslSocket>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

#include <chrono>
#include <cstdio>

namespace {

// Resident memory now, in KiB, where the system tells it (0 elsewhere).
long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

long long epochMicroseconds()
{
    return static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(
                                      std::chrono::system_clock::now().time_since_epoch())
                                      .count());
}

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
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QWidget::event(e);
    }

private:
    bool m_painted = false;
};

// One POST, waited for like the client's start-up waits: a nested loop
// without user input, ended by the answer or 10 s.
QByteArray post(QNetworkAccessManager &manager, const QString &url, const QByteArray &body,
                const QList<QSslCertificate> &trusted)
{
    QNetworkRequest request{QUrl(url)};
    request.setRawHeader("Accept", "application/json;charset=utf-8;");
    request.setRawHeader("Content-type", "application/x-www-form-urlencoded;charset=utf-8;");
    QNetworkReply *reply = manager.post(request, body);
    // The stand-in's certificate is its own CA: trust exactly that one.
    QObject::connect(reply, &QNetworkReply::sslErrors, reply, [reply, trusted] {
        const QList<QSslCertificate> chain = reply->sslConfiguration().peerCertificateChain();
        if (!chain.isEmpty() && trusted.contains(chain.first()))
            reply->ignoreSslErrors();
    });
    QEventLoop loop;
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    const QByteArray answer = reply->readAll();
    if (reply->error() != QNetworkReply::NoError)
        std::fprintf(stderr, "request failed: %s\n", qPrintable(reply->errorString()));
    delete reply;
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
    // The client's built-in credentials, which the stand-in expects.
    post(manager,
         args.at(1) +
             QStringLiteral("oauth/token?grant_type=client_credentials&response_type=token"
                            "&client_id=3b9e07c4d2a15f68&client_secret=a81d5e2f3b9e07c4d2a15f6870c4b1e9"),
         QByteArray(), trusted);
    milestone("token");
    std::fprintf(stderr, "ssl %d\n", int(QSslSocket::supportsSsl()));
    post(manager, args.at(2) + QStringLiteral("analyze/getLastVersion"), "appType=7&version=1.0.0", trusted);
    milestone("version");

    FairWindow window;
    window.resize(395, 687);
    auto *layout = new QVBoxLayout(&window);
    auto *label = new QLabel(QStringLiteral("Vesk云会议"), &window);
    layout->addWidget(label);
    window.show();
    milestone("shown");
    return app.exec();
}
