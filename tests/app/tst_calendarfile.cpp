#include "app/calendarfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QtTest>

// What the calendar file holds must come back through libical's own parser.
class CalendarFileTest : public QObject
{
    Q_OBJECT

private slots:
    void roundTripThroughTheParser_data()
    {
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QByteArray>("zone");
        QTest::newRow("Chinese") << "项目周会：进度与风险"
                                 << "张三 邀请您加入Vesk会议\n\n会议号：482  915  736\n"
                                 << QByteArray("Asia/Shanghai");
        QTest::newRow("commas semicolons backslashes") << "a, b; c\\d"
                                                       << "一,二;三\\四:五" << QByteArray("Europe/Berlin");
        QTest::newRow("newlines") << "第一行\n第二行"
                                  << "\n\n两个空行之后\r\n"
                                  << QByteArray("UTC");
        QTest::newRow("200 characters")
            << QString(60, QChar(0x4F1A)) << QString(200, QChar(0x8BAE)) << QByteArray("America/New_York");
    }
    void roundTripThroughTheParser()
    {
        QFETCH(QString, subject);
        QFETCH(QString, description);
        QFETCH(QByteArray, zone);
        const QTimeZone timeZone(zone);
        CalendarEvent event;
        event.uid = "14502348210934758201@veskmeeting";
        event.start = QDateTime(QDate(2026, 12, 9), QTime(23, 30), timeZone);
        event.end = event.start.addSecs(90 * 60);
        event.subject = subject;
        event.description = description.replace("\r\n", "\n");
        event.meetingCode = "482915736";

        QTemporaryDir dir;
        const QString path = dir.filePath("meeting.ics");
        QString error;
        QVERIFY2(CalendarFile::write(event, path, &error), qPrintable(error));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QCOMPARE(CalendarFile::parse(text), event);
        // Held in the meeting's zone, which the file describes.
        if (zone != "UTC") {
            QVERIFY(text.contains("DTSTART;TZID="));
            QVERIFY(text.contains("BEGIN:VTIMEZONE"));
        }
        for (const QByteArray &line : text.split('\n'))
            QVERIFY2(line.size() <= 76, line.constData()); // folded at 75 octets plus CR
    }

    void unwritableFolderFailsAndKeepsTheOldFile()
    {
        QTemporaryDir dir;
        CalendarEvent event;
        event.uid = "1@veskmeeting";
        event.start = QDateTime::currentDateTime();
        event.end = event.start.addSecs(1800);
        // A file where the folder should be: no write succeeds, not even as root.
        QFile blocker(dir.filePath("data"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.write("old");
        blocker.close();
        QString error;
        QVERIFY(!CalendarFile::write(event, dir.filePath("data/meeting.ics"), &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(blocker.open(QIODevice::ReadOnly));
        QCOMPARE(blocker.readAll(), QByteArray("old"));
    }
};

QTEST_GUILESS_MAIN(CalendarFileTest)
#include "tst_calendarfile.moc"
