// Requests through a real proxy on loopback: the stand-in is reached by a
// name only the proxy resolves, so an answer proves the way it took.
#include "httptestsupport.h"

#include "app/userstore.h"
#include "devservice/proxy.h"
#include "http/proxylogin.h"
#include "http/servicetokenhttp.h"
#include "http/usermessage.h"
#include "widgets/proxyauthdialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

using namespace httptest;

class TestProxy : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void requestsGoThroughTheProxy_data();
    void requestsGoThroughTheProxy();

private:
    // Sends a token request and answers the credentials dialogs that open:
    // the first `gives` with user, the others declined. The result text or,
    // on success, the empty text.
    QString send(const QString &user, bool remember, int gives);
    int m_dialogs = 0;
};

void TestProxy::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    ProxyAuthDialog::install();
}

void TestProxy::cleanup()
{
    qunsetenv("http_proxy");
    QFile::remove(userDataPath());
    ProxyLogin::reset();
    delete baseValues;
    baseValues = nullptr;
}

QString TestProxy::send(const QString &user, bool remember, int gives)
{
    // The dialog opens inside the request's own wait: answer it from there.
    QTimer answerer;
    int asked = 0;
    connect(&answerer, &QTimer::timeout, this, [&] {
        auto *dialog = qobject_cast<ProxyAuthDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || dialog->property("answered").toBool())
            return;
        dialog->setProperty("answered", true);
        const bool give = asked++ < gives;
        ++m_dialogs;
        // The form's widgets go by their style names.
        const auto edits = dialog->findChildren<QLineEdit *>(QStringLiteral("underlineQLineEdit"));
        QLineEdit *password = edits.value(1);
        QVERIFY(edits.size() == 2 && password->echoMode() == QLineEdit::Password);
        edits.first()->setText(user);
        QTest::keyClicks(password, QStringLiteral("s3cret"));
        dialog->findChild<QCheckBox *>(QStringLiteral("chkRemember"))->setChecked(remember);
        QWidget *button = dialog->findChild<QPushButton *>(give ? QStringLiteral("defaultQPushButton")
                                                                : QStringLiteral("normalQPushButton"));
        QTest::mouseClick(dialog->windowHandle(), Qt::LeftButton, {},
                          button->mapTo(dialog, button->rect().center()));
    });
    answerer.start(20);
    ServiceTokenHttp token;
    QSignalSpy spy(&token, &ServiceTokenHttp::sendServiceTokenResultSignal);
    token.request();
    if (resultAt(spy) == QLatin1String("<no result>"))
        return QStringLiteral("<no result>");
    return replyAt(spy).succeeded() ? QString() : userMessage(replyAt(spy));
}

void TestProxy::requestsGoThroughTheProxy_data()
{
    QTest::addColumn<bool>("running");
    QTest::addColumn<bool>("credentials");
    QTest::addColumn<QString>("user"); // typed into the dialog
    QTest::addColumn<bool>("remember");
    QTest::addColumn<int>("dialogs");             // in the first run
    QTest::addColumn<int>("dialogsAfterRestart"); // in both runs
    QTest::addColumn<QString>("message");
    const QString proxyFailed = QStringLiteral("代理服务器连接失败，请检查代理设置");
    QTest::newRow("open proxy") << true << false << QString() << false << 0 << 0 << QString();
    QTest::newRow("credentials remembered") << true << true << "office" << true << 1 << 1 << QString();
    QTest::newRow("credentials for this run") << true << true << "office" << false << 1 << 2 << QString();
    // Refused credentials bring the dialog back; declining it ends the request.
    QTest::newRow("wrong credentials, then declined")
        << true << true << "intruder" << false << 2 << 0 << proxyFailed;
    QTest::newRow("proxy refuses connections")
        << false << false << QString() << false << 0 << 0 << proxyFailed;
}

void TestProxy::requestsGoThroughTheProxy()
{
    QFETCH(bool, running);
    QFETCH(bool, credentials);
    QFETCH(QString, user);
    QFETCH(bool, remember);
    QFETCH(int, dialogs);
    QFETCH(int, dialogsAfterRestart);
    QFETCH(QString, message);
    Service service;
    QVERIFY(service.start());
    devservice::Proxy proxy;
    proxy.mapHost("vesk-service.test", "127.0.0.1");
    if (credentials)
        proxy.requireCredentials("office", "s3cret");
    QVERIFY(!running || proxy.start() > 0);
    qputenv("http_proxy", running ? QByteArray::fromStdString(proxy.url())
                                  : QStringLiteral("http://127.0.0.1:%1").arg(closedPort()).toLatin1());
    freshBaseValues(QStringLiteral("http://vesk-service.test:%1").arg(service.server().port()));
    m_dialogs = 0;

    QCOMPARE(send(user, remember, 1), message);
    QCOMPARE(m_dialogs, dialogs);
    if (!message.isEmpty()) {
        QCOMPARE(int(service.requests().size()), 0);
        return;
    }
    QCOMPARE(service.last().headers.count("Via"), size_t(1));
    QCOMPARE(proxy.challenges() > 0, credentials);

    // Remembered credentials are taken unseen after a restart; the password
    // is not in User.dat as typed.
    ProxyLogin::reset();
    for (auto *manager : qApp->findChildren<QNetworkAccessManager *>())
        manager->clearAccessCache();
    QCOMPARE(send(user, remember, 1), QString());
    QCOMPARE(m_dialogs, dialogsAfterRestart);
    QFile file(userDataPath());
    QVERIFY(!file.open(QIODevice::ReadOnly) || !file.readAll().contains("s3cret"));
}

QTEST_MAIN(TestProxy)
#include "tst_proxy.moc"
