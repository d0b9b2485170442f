#include "app/areacode.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

class TestAreaCode : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString writeFile(const QByteArray &content)
    {
        const QString path = m_dir.filePath(QStringLiteral("areaCode.dat"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write areaCode.dat");
        file.write(content);
        return path;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void shippedFileListsTheWorld()
    {
        // The file beside the executable, not the working directory.
        QVERIFY(QDir::setCurrent(m_dir.path()));
        const QList<AreaCode> codes = readAreaCodes();
        QVERIFY2(codes.size() >= 200, qPrintable(QString::number(codes.size())));
        QCOMPARE(codes.first().code, QStringLiteral("86"));
        QCOMPARE(codes.first().name, QStringLiteral("中国"));
        const QRegularExpression digits(QStringLiteral("^[1-9][0-9]{0,3}$"));
        QSet<QString> names;
        for (const AreaCode &entry : codes) {
            QVERIFY2(digits.match(entry.code).hasMatch(),
                     qPrintable(entry.code + QLatin1Char(' ') + entry.name));
            QVERIFY2(!entry.name.isEmpty() && entry.name.trimmed() == entry.name, qPrintable(entry.name));
            names.insert(entry.name);
        }
        QCOMPARE(names.size(), codes.size());
        const auto find = [&codes](const QString &name) {
            for (const AreaCode &entry : codes) {
                if (entry.name == name)
                    return entry.code;
            }
            return QString();
        };
        QCOMPARE(find(QStringLiteral("中国香港")), QStringLiteral("852"));
        QCOMPARE(find(QStringLiteral("美国")), QStringLiteral("1"));
        QCOMPARE(find(QStringLiteral("英国")), QStringLiteral("44"));
        QCOMPARE(find(QStringLiteral("日本")), QStringLiteral("81"));
    }

    void fileIsRead_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("entries"); // "code|name"
        QTest::newRow("header only") << QByteArray("id,name,en,code\r\n") << QStringList{};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("lines in file order")
            << QByteArray("id,name,en,code\n1,中国,China,86\n2,日本,Japan,81\n")
            << QStringList{QStringLiteral("86|中国"), QStringLiteral("81|日本")};
        QTest::newRow("blanks stay part of the values")
            << QByteArray("h\n1, 中国 ,China, 86\n") << QStringList{QStringLiteral(" 86| 中国 ")};
        QTest::newRow("windows line ends and no final line end")
            << QByteArray("h\r\n1,中国,China,86\r\n2,法国,France,33")
            << QStringList{QStringLiteral("86|中国"), QStringLiteral("33|法国")};
        QTest::newRow("extra fields are ignored")
            << QByteArray("h\n1,中国,China,86,CN,+86\n") << QStringList{QStringLiteral("86|中国")};
        QTest::newRow("empty fields are kept") << QByteArray("h\n1,,China,86\n1,中国,,\n")
                                               << QStringList{QStringLiteral("86|"), QStringLiteral("|中国")};
        QTest::newRow("short and blank lines are skipped")
            << QByteArray("h\n\n1,中国\n2,日本,Japan,81\n\n") << QStringList{QStringLiteral("81|日本")};
        QTest::newRow("byte-order mark")
            << QByteArray("\xEF\xBB\xBFh\n1,中国,China,86\n") << QStringList{QStringLiteral("86|中国")};
    }

    void fileIsRead()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, entries);
        QStringList got;
        for (const AreaCode &entry : readAreaCodes(writeFile(content)))
            got << entry.code + QLatin1Char('|') + entry.name;
        QCOMPARE(got, entries);
    }

    void utf16FileIsDetected()
    {
        QTextCodec *codec = QTextCodec::codecForName("UTF-16LE");
        const QByteArray content =
            QByteArray("\xFF\xFE") + codec->fromUnicode(QStringLiteral("h\r\n1,韩国,Korea,82\r\n"));
        const QList<AreaCode> codes = readAreaCodes(writeFile(content));
        QCOMPARE(codes.size(), 1);
        QCOMPARE(codes.first().code, QStringLiteral("82"));
        QCOMPARE(codes.first().name, QStringLiteral("韩国"));
    }

    void missingFileGivesNothing()
    {
        QVERIFY(readAreaCodes(m_dir.filePath(QStringLiteral("nothing.dat"))).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAreaCode)
#include "tst_areacode.moc"
