#include "widgets/loginshared.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtTest>

// The agreement links of the sign-in screens must name documents that ship
// beside the executable.
class TestAgreementDocuments : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void linkNamesShippedPdf_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("license") << QStringLiteral("SoftwareLicense")
                                 << QStringLiteral("软件许可及服务协议.pdf");
        QTest::newRow("privacy") << QStringLiteral("PrivacyPolicy") << QStringLiteral("隐私政策.pdf");
    }

    void linkNamesShippedPdf()
    {
        QFETCH(QString, link);
        QFETCH(QString, fileName);
        const QString path = LoginShared::agreementDocumentPath(link);
        QCOMPARE(QFileInfo(path).absoluteFilePath(),
                 QFileInfo(QCoreApplication::applicationDirPath() + QLatin1Char('/') + fileName)
                     .absoluteFilePath());
        QFile file(path);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
        const QByteArray data = file.readAll();
        QVERIFY(data.startsWith("%PDF-"));
        // Several pages of Chinese text with an embedded font, not a stub.
        QVERIFY2(data.size() > 20000, qPrintable(QString::number(data.size())));
        QVERIFY(data.contains("/FontFile"));
        QVERIFY(data.trimmed().endsWith("%%EOF"));
    }
};

QTEST_MAIN(TestAgreementDocuments)
#include "tst_agreementdocuments.moc"
