#include "calendar/calendarexport.h"
#include "calendar/calendarfile.h"
#include "widgets/snackbar.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QtTest>

// What the calendar file holds must come back through libical's own parser
// and pass its own restriction check; one meeting is one event whichever
// road it is exported by.
class CalendarFileTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_desktop;

    static CalendarEvent meeting()
    {
        CalendarEvent event;
        event.uid = "14502348210934758201@veskmeeting";
        event.start = QDateTime(QDate(2026, 12, 9), QTime(23, 30), QTimeZone("Asia/Shanghai"));
        event.end = event.start.addSecs(90 * 60);
        event.subject = "项目周会";
        event.description = "张三 邀请您加入Vesk会议\n";
        event.meetingCode = "482915736";
        event.url = "https://meeting.example.com/j/482915736";
        return event;
    }
    static QByteArray read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void put(const QString &relative, const QByteArray &text)
    {
        QVERIFY(QDir().mkpath(QFileInfo(m_desktop.filePath(relative)).absolutePath()));
        QFile file(m_desktop.filePath(relative));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    }
    // The desktop's association table, with a calendar program for text/calendar or none,
    // and the system's MIME database.
    void setCalendarProgram(bool installed)
    {
        QDir(m_desktop.filePath("d")).removeRecursively();
        QVERIFY(QDir().mkpath(m_desktop.filePath("d/system")));
        QFile::link("/usr/share/mime", m_desktop.filePath("d/system/mime"));
        for (const char *variable : {"XDG_DATA_DIRS=system", "XDG_DATA_HOME=data", "XDG_CONFIG_HOME=config",
                                     "XDG_CONFIG_DIRS=none"}) {
            const QList<QByteArray> pair = QByteArray(variable).split('=');
            qputenv(pair.at(0), m_desktop.filePath("d/" + pair.at(1)).toUtf8());
        }
        if (!installed)
            return;
        put("d/data/applications/cal.desktop", "[Desktop Entry]\nType=Application\nName=Calendar\nMimeType="
                                               "text/calendar;\nExec=cp %f " +
                                                   m_desktop.filePath("imported.ics").toUtf8() + "\n");
        put("d/config/mimeapps.list", "[Default Applications]\ntext/calendar=cal.desktop\n");
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void writtenFilesReadBackAndPassLibicalsCheck_data()
    {
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QString>("subjectRead"); // empty: as written
        QTest::addColumn<QString>("descriptionRead");
        QTest::newRow("Chinese") << "项目周会：进度与风险"
                                 << "张三 邀请您加入Vesk会议\n\n会议号：482  915  736\n"
                                 << QByteArray("Asia/Shanghai") << QString() << QString();
        QTest::newRow("commas semicolons backslashes")
            << "a, b; c\\d"
            << "一,二;三\\四:五" << QByteArray("Europe/Berlin") << QString() << QString();
        QTest::newRow("line breaks") << "第一行\n第二行"
                                     << "\n\n两个空行之后\r\n"
                                     << QByteArray("UTC") << "第一行 第二行"
                                     << "\n\n两个空行之后\n";
        QTest::newRow("control characters left out")
            << QString("周\x01会\x1b[31m\x7f") << QString::fromLatin1("a\0b\tc\b\n", 7)
            << QByteArray("Asia/Shanghai") << "周会[31m"
            << "ab\tc\n";
        // libical refuses a property without a value.
        QTest::newRow("no subject, no invitation text") << ""
                                                        << "" << QByteArray("UTC") << ""
                                                        << "";
        // Calendar readers drop blanks around a value; line breaks stay.
        QTest::newRow("blanks around") << " 周会\t"
                                       << " \t会议号 \n " << QByteArray("UTC") << "周会"
                                       << "会议号 \n";
        QTest::newRow("200 characters") << QString(60, QChar(0x4F1A)) << QString(200, QChar(0x8BAE))
                                        << QByteArray("America/New_York") << QString() << QString();
    }
    void writtenFilesReadBackAndPassLibicalsCheck()
    {
        QFETCH(QString, subject);
        QFETCH(QString, description);
        QFETCH(QByteArray, zone);
        QFETCH(QString, subjectRead);
        QFETCH(QString, descriptionRead);
        CalendarEvent event = meeting();
        event.start = QDateTime(QDate(2026, 12, 9), QTime(23, 30), QTimeZone(zone));
        event.end = event.start.addSecs(90 * 60);
        event.subject = subject;
        event.description = description;

        QTemporaryDir dir;
        const QString path = dir.filePath("meeting.ics");
        QString error;
        QVERIFY2(CalendarFile::write(event, path, &error), qPrintable(error));
        const QByteArray text = read(path);
        QCOMPARE(CalendarFile::problems(text), QStringList());
        const CalendarEvent back = CalendarFile::parse(text);
        QCOMPARE(back.subject, subjectRead.isEmpty() ? subject : subjectRead);
        QCOMPARE(back.description, descriptionRead.isEmpty() ? description : descriptionRead);
        QCOMPARE(back.url, event.url);
        QCOMPARE(back.start.toSecsSinceEpoch(), event.start.toSecsSinceEpoch());
        QCOMPARE(back.end.toSecsSinceEpoch(), event.end.toSecsSinceEpoch());
        // Held in the meeting's zone, which the file describes.
        if (zone != "UTC") {
            QVERIFY(text.contains("DTSTART;TZID="));
            QVERIFY(text.contains("BEGIN:VTIMEZONE"));
        }
        for (const QByteArray &line : text.split('\n'))
            QVERIFY2(line.size() <= 76, line.constData()); // folded at 75 octets plus CR
        // The invitation holds the password: the user's alone.
        QCOMPARE(int(QFile::permissions(path) & 0x777), int(QFile::ReadUser | QFile::WriteUser));
        // Written again, the same revision; moved, the next one of the same event.
        QVERIFY(CalendarFile::write(event, path));
        QCOMPARE(CalendarFile::parse(read(path)), back);
        event.start = event.start.addSecs(3600);
        QVERIFY(CalendarFile::write(event, path));
        const CalendarEvent moved = CalendarFile::parse(read(path));
        QVERIFY(moved.uid == back.uid && moved.sequence == back.sequence + 1 &&
                moved.lastModified >= back.lastModified);
    }

    void oneMeetingHasOneUidWhicheverRoad()
    {
        const std::optional<MeetingRecord> listed =
            MeetingRecord::read({{"meetingId", "14502348210934758201"},
                                 {"meetingCode", "482915736"},
                                 {"startTime", "1800000000"}});
        const QJsonObject sdk{{"meeting_code", "482915736"}, {"begin_time", 1800000000}};
        QVERIFY(listed);
        const CalendarEvent fromList = CalendarExport::fromRecord(*listed);
        QCOMPARE(fromList.uid, meeting().uid);
        QCOMPARE(CalendarExport::fromSdkInfo(sdk, listed->meetingId).uid, fromList.uid);
        QCOMPARE(CalendarFile::pathFor(CalendarExport::fromSdkInfo(sdk, QString())),
                 CalendarFile::pathFor(fromList));
    }

    void theUserIsToldWhatHappened_data()
    {
        QTest::addColumn<bool>("program");
        QTest::addColumn<bool>("blocked");
        QTest::addColumn<QString>("notice");
        QTest::newRow("a calendar program took it") << true << false << "已添加到日历";
        QTest::newRow("no calendar program") << false << false << "日历文件已保存";
        QTest::newRow("not writable") << true << true << "日历文件写入失败";
    }
    void theUserIsToldWhatHappened()
    {
        QFETCH(bool, program);
        QFETCH(bool, blocked);
        QFETCH(QString, notice);
        setCalendarProgram(program);
        QFile::remove(m_desktop.filePath("imported.ics"));
        const CalendarEvent event = meeting();
        const QString path = CalendarFile::pathFor(event);
        QFile::remove(path);
        QDir(path).removeRecursively();
        if (blocked)
            QVERIFY(QDir().mkpath(path + "/kept"));
        QWidget asker;
        asker.show();
        CalendarExport::addToCalendar(&asker, event);
        QTRY_VERIFY(!asker.findChildren<Snackbar *>().isEmpty());
        const QString shown = asker.findChild<QLabel *>("snackbarQLabel")->text();
        QVERIFY2(shown.startsWith(notice), qPrintable(shown));
        QCOMPARE(shown.contains("打开所在文件夹"), notice == "日历文件已保存");
        QTRY_COMPARE(read(m_desktop.filePath("imported.ics")),
                     program && !blocked ? read(path) : QByteArray());
        QVERIFY(!blocked || QDir(path + "/kept").exists()); // what was there stays
        QDir(path).removeRecursively();
    }
};

QTEST_MAIN(CalendarFileTest)
#include "tst_calendarfile.moc"
