#include "app/basevalues.h"

#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

class TestConfig : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString writeIni(const QByteArray &content)
    {
        const QString path = m_dir.filePath(QStringLiteral("config.ini"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write config.ini");
        file.write(content);
        return path;
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
    }

    void missingFileGivesDefaults()
    {
        BaseValues values;
        values.readConfig(m_dir.filePath(QStringLiteral("absent.ini")));
        QCOMPARE(values.appName, QStringLiteral("Vesk云会议"));
        QCOMPARE(values.versionNo, QStringLiteral("1.0.0"));
        QCOMPARE(values.clientId, QStringLiteral("3b9e07c4d2a15f68"));
        QCOMPARE(values.clientSecret, QStringLiteral("a81d5e2f3b9e07c4d2a15f6870c4b1e9"));
        QCOMPARE(values.serviceVmUrl, QStringLiteral("video-meeting/"));
        QVERIFY(values.caCertificates.isEmpty());

        const struct
        {
            QString value;
            const char *scheme;
        } bases[] = {{values.serviceUrl, "https"}, {values.cloudUrl, "http"}, {values.idmUrl, "https"}};
        for (const auto &base : bases) {
            const QUrl url(base.value);
            QVERIFY2(url.isValid() && !url.host().isEmpty(), qPrintable(base.value));
            QCOMPARE(url.scheme(), QString::fromLatin1(base.scheme));
            QVERIFY2(base.value.endsWith(QLatin1Char('/')), qPrintable(base.value));
        }

        const QUrl guide(values.guideUrl);
        QCOMPARE(guide.scheme(), QStringLiteral("http"));
        QCOMPARE(guide.path(), QStringLiteral("/index.php"));
        QCOMPARE(guide.query(), QStringLiteral("s=/2&page_id=194"));
        const QUrl update(values.updateUrl);
        QCOMPARE(update.scheme(), QStringLiteral("http"));
        QCOMPARE(update.path(),
                 QStringLiteral("/VeskLiveMeeting/update/VeskLiveMeeting_Windows_UpdateInstaller.zip"));
        const QUrl explain(values.updateExplainUrl);
        QCOMPARE(explain.scheme(), QStringLiteral("http"));
        QCOMPARE(explain.path(), QStringLiteral("/new/UpdateDescription.html"));
        QCOMPARE(explain.query(), QStringLiteral("type=7"));
    }

    void fileBesideTheProgramIsReadByDefault()
    {
        // The test programs have no config.ini beside them.
        BaseValues values;
        values.readConfig();
        QCOMPARE(values.appName, QStringLiteral("Vesk云会议"));
        QCOMPARE(values.versionNo, QStringLiteral("1.0.0"));
    }

    void valuesAreTrimmedOrDefaulted_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("appName");
        QTest::newRow("custom product name") << QByteArray("NAME=慧眼会议") << QStringLiteral("慧眼会议");
        QTest::newRow("blanks around the value")
            << QByteArray("NAME =   慧眼会议   ") << QStringLiteral("慧眼会议");
        QTest::newRow("only blanks") << QByteArray("NAME=    ") << QStringLiteral("Vesk云会议");
        QTest::newRow("empty") << QByteArray("NAME=") << QStringLiteral("Vesk云会议");
        QTest::newRow("key missing") << QByteArray("OTHER=x") << QStringLiteral("Vesk云会议");
        QTest::newRow("comma in the value") << QByteArray("NAME=Vesk,会议") << QStringLiteral("Vesk,会议");
        QTest::newRow("commas in the value") << QByteArray("NAME= a,b,,c ") << QStringLiteral("a,b,,c");
        QTest::newRow("quoted value") << QByteArray("NAME=\" Vesk 会议 \"") << QStringLiteral("Vesk 会议");
    }

    void valuesAreTrimmedOrDefaulted()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, appName);
        BaseValues values;
        values.readConfig(writeIni("[VERSION]\r\n" + line + "\r\nNO=2.3.4\r\n"));
        QCOMPARE(values.appName, appName);
        QCOMPARE(values.versionNo, QStringLiteral("2.3.4"));
    }

    void everyKeyIsRead()
    {
        BaseValues values;
        values.readConfig(writeIni("[VERSION]\nNAME=A\nNO=9.9\n"
                                   "[CONFIG]\n"
                                   "CLIENT_ID= id \n"
                                   "CLIENT_SECRET=secret\n"
                                   "SERVICE_URL=https://127.0.0.1:8443/svc/\n"
                                   "SERVICE_VM_URL=vm/\n"
                                   "CLOUD_URL=http://127.0.0.1:8080/cloud/\n"
                                   "IDM_URL=https://127.0.0.1:8443/idm/\n"
                                   "GUIDE_URL=http://h/index.php?s=/2&page_id=194\n"
                                   "UPDATE_URL=http://u/x.zip\n"
                                   "UPDATE_EXPLAIN=http://u/n.html?type=7\n"
                                   "CA_CERTIFICATES=  /etc/ca.pem  \n"));
        QCOMPARE(values.appName, QStringLiteral("A"));
        QCOMPARE(values.versionNo, QStringLiteral("9.9"));
        QCOMPARE(values.clientId, QStringLiteral("id"));
        QCOMPARE(values.clientSecret, QStringLiteral("secret"));
        QCOMPARE(values.serviceUrl, QStringLiteral("https://127.0.0.1:8443/svc/"));
        QCOMPARE(values.serviceVmUrl, QStringLiteral("vm/"));
        QCOMPARE(values.cloudUrl, QStringLiteral("http://127.0.0.1:8080/cloud/"));
        QCOMPARE(values.idmUrl, QStringLiteral("https://127.0.0.1:8443/idm/"));
        QCOMPARE(values.guideUrl, QStringLiteral("http://h/index.php?s=/2&page_id=194"));
        QCOMPARE(values.updateUrl, QStringLiteral("http://u/x.zip"));
        QCOMPARE(values.updateExplainUrl, QStringLiteral("http://u/n.html?type=7"));
        QCOMPARE(values.caCertificates, QStringLiteral("/etc/ca.pem"));
    }

    void addressWithCommasComesOutAsWritten()
    {
        BaseValues values;
        values.readConfig(writeIni("[CONFIG]\n"
                                   "GUIDE_URL=http://h/index.php?s=/2,3&page_id=194\n"
                                   "SERVICE_URL=https://h/api,v2/\n"));
        QCOMPARE(values.guideUrl, QStringLiteral("http://h/index.php?s=/2,3&page_id=194"));
        QCOMPARE(values.serviceUrl, QStringLiteral("https://h/api,v2/"));
    }

    void configFileIsNeverWritten()
    {
        const QByteArray content("[VERSION]\nNAME=  X  \n");
        const QString path = writeIni(content);
        BaseValues values;
        values.readConfig(path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), content);
    }
};

QTEST_GUILESS_MAIN(TestConfig)
#include "tst_config.moc"
