#include "updatetestsupport.h"

#include "app/logging.h"
#include "app/uitexts.h"
#include "devservice/backend.h"
#include "update/checkupdate.h"

#include <QDir>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopedValueRollback>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

using namespace testsupport;
using namespace updatetest;

namespace {

const QString installerName = QStringLiteral("VeskLiveMeeting_Windows_UpdateInstaller.exe");

// Answers that the stand-in service cannot give (a body shorter than
// announced, a stall, arbitrary archives): every request gets the bytes as
// set, and the connection is closed afterwards or left open.
class RawHttpServer final : public QTcpServer
{
public:
    QByteArray answer;
    bool keepOpen = false;
    QList<QPointer<QTcpSocket>> sockets;

    RawHttpServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                sockets << socket;
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    QByteArray request = socket->property("request").toByteArray() + socket->readAll();
                    socket->setProperty("request", request);
                    if (!request.contains("\r\n\r\n") || socket->property("answered").toBool())
                        return;
                    socket->setProperty("answered", true);
                    socket->write(answer);
                    if (!keepOpen)
                        socket->disconnectFromHost();
                });
            }
        });
    }

    // An answer announcing `announced` bytes (the content's size when -1).
    void serve(const QByteArray &content, qint64 announced = -1, const QByteArray &status = "200 OK")
    {
        answer = "HTTP/1.1 " + status + "\r\nContent-Type: application/zip\r\nContent-Length: " +
                 QByteArray::number(announced < 0 ? content.size() : announced) +
                 "\r\nLocation: http://127.0.0.1:9/elsewhere.zip\r\n\r\n" + content;
    }

    QString url() const { return QStringLiteral("http://127.0.0.1:%1").arg(serverPort()) + archivePath; }
};

QByteArray archiveOf(const QStringList &names)
{
    QVector<devservice::Backend::ArchiveEntry> entries;
    for (const QString &name : names)
        entries.append({name, QByteArrayLiteral("#!/bin/sh\necho unpacked\n"),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner});
    return devservice::Backend::zipArchive(entries);
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QStringList signatureChecks;
bool signatureAccepted = true;

bool recordingSignatureCheck(const std::string &utf8Path)
{
    signatureChecks << QString::fromStdString(utf8Path);
    return signatureAccepted;
}

QString messageOf(const QString &headLine)
{
    return headLine + QStringLiteral("\n请联系Vesk客服400-006-8899");
}

} // namespace

class TestCheckUpdate : public QObject
{
    Q_OBJECT

private:
    devservice::Server m_server;
    QTemporaryDir m_recordDir;
    QString m_record;

    QPushButton *closeButton(CheckUpdate *dialog)
    {
        return findByName<QPushButton>(dialog, QStringLiteral("titlePushButton"), QStringLiteral("关闭"));
    }

    static void saveShot(QWidget *widget, const QString &name)
    {
        // For a look by eye: VESK_SCREENSHOT_DIR set, best under Xvfb.
        const QString dir = qEnvironmentVariable("VESK_SCREENSHOT_DIR");
        if (!dir.isEmpty() && QDir().mkpath(dir))
            widget->grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_server.start() > 0);
        pointBaseValuesAt(m_server);
        // The shipped looks: the style sheet with the images it names.
        Q_INIT_RESOURCE(resources);
        QVERIFY(applyStyleSheet());
        qApp->setFont(QFont(QStringLiteral("Microsoft YaHei")));
        QVERIFY(m_recordDir.isValid());
        m_record = m_recordDir.filePath(QStringLiteral("installer-started.txt"));
        qputenv("VESK_INSTALLER_RECORD", m_record.toUtf8());
        m_server.addVersion("9.9.9", "更快的入会");
    }

    void init()
    {
        baseValues->updateUrl = updateUrlOf(m_server);
        signatureChecks.clear();
        signatureAccepted = true;
    }

    void cleanup()
    {
        cancelDialogAnswers();
        qDeleteAll(topLevels<CheckUpdate>());
        m_server.clearFaults();
        m_server.clearRequests();
        QFile::remove(m_record);
        QDir(CheckUpdate::updateFolder()).removeRecursively();
    }

    void cleanupTestCase() { m_server.stop(); }

    void newVersionDownloadsUnpacksAndStartsTheInstaller()
    {
        QScopedValueRollback<bool (*)(const std::string &)> check(CheckUpdate::verifySignature,
                                                                  &recordingSignatureCheck);
        QVERIFY(QDir().mkpath(CheckUpdate::updateFolder()));
        QVERIFY(writeFile(CheckUpdate::installerPath(), "left over installer"));
        QVERIFY(writeFile(CheckUpdate::archivePath(), "left over archive"));

        QPointer<CheckUpdate> dialog =
            new CheckUpdate(QStringLiteral("V9.9.9"), QStringLiteral("V9.9.9\n更快的入会\n"));
        // Nothing of the earlier update survives into this one.
        QVERIFY(!QFile::exists(CheckUpdate::installerPath()));
        QCOMPARE(QFileInfo(CheckUpdate::archivePath()).size(), 0);

        QCOMPARE(findByName<QLabel>(dialog, QStringLiteral("size16QLabel"))->text(),
                 QStringLiteral("检查到新版本：Vesk云会议V9.9.9"));
        QCOMPARE(findByName<QTextEdit>(dialog, QStringLiteral("updateQTextEdit"))->toPlainText(),
                 QStringLiteral("V9.9.9\n更快的入会\n"));
        QVERIFY(!closeButton(dialog)->isEnabled());
        dialog->show();

        QTRY_VERIFY_WITH_TIMEOUT(readInstallerRecord(m_record).complete, 10000);
        const InstallerRecord record = readInstallerRecord(m_record);
        const QString installer = QDir::toNativeSeparators(CheckUpdate::installerPath());
        QCOMPARE(record.program, installer);
        QCOMPARE(record.count, 1);
        QCOMPARE(record.arguments, QStringList{QStringLiteral(" -upd=true")});
        QCOMPARE(signatureChecks, QStringList{installer});

        const auto requests = m_server.requests();
        QCOMPARE(int(requests.size()), 1);
        QCOMPARE(QString::fromStdString(requests[0].method), QStringLiteral("GET"));
        QCOMPARE(QString::fromStdString(requests[0].path), archivePath);

        // The installer runs; the dialog stays until the user closes it.
        QVERIFY(dialog->isVisible());
        QTRY_VERIFY(closeButton(dialog)->isEnabled());
        saveShot(dialog, QStringLiteral("update-new-version"));
        QTest::mouseClick(closeButton(dialog), Qt::LeftButton);
        QTRY_VERIFY(!dialog);
    }

    void failedUpdatesTellTheUserAndStartNothing_data()
    {
        // Without content the stand-in answers, with a fault unless the
        // status is 200; with content the raw server answers as given.
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<qint64>("announced");
        QTest::addColumn<bool>("keepOpen");
        QTest::addColumn<bool>("installerSigned");
        QTest::addColumn<QString>("message");

        const QString failed = messageOf(QStringLiteral("更新文件下载失败！"));
        const QString unsafe = messageOf(QStringLiteral("更新文件包含不安全的路径，已拒绝解压！"));
        const QByteArray good = archiveOf({installerName});
        const QString outside = QFileInfo(dataFolder()).absolutePath() + QStringLiteral("/escaped.txt");
        const auto withInstaller = [](const QString &name) { return archiveOf({installerName, name}); };

        QTest::newRow("HTTP error") << 500 << QByteArray() << qint64(-1) << false << true << failed;
        // A redirect's body is not the archive, even when it looks like one.
        QTest::newRow("unfollowed redirect") << 302 << good << qint64(-1) << false << true << failed;
        QTest::newRow("shorter than announced")
            << 200 << good.left(good.size() / 2) << qint64(good.size()) << false << true << failed;
        QTest::newRow("stalled") << 200 << good.left(10) << qint64(good.size()) << true << true << failed;
        QTest::newRow("not an archive")
            << 200 << QByteArray("<html>offline</html>") << qint64(-1) << false << true << failed;
        QTest::newRow("no installer inside")
            << 200 << archiveOf({QStringLiteral("readme.txt")}) << qint64(-1) << false << true << failed;
        QTest::newRow("parent entry") << 200 << withInstaller(QStringLiteral("../escaped.txt")) << qint64(-1)
                                      << false << true << unsafe;
        QTest::newRow("parent entry with backslashes")
            << 200 << withInstaller(QStringLiteral("sub\\..\\..\\escaped.txt")) << qint64(-1) << false << true
            << unsafe;
        QTest::newRow("absolute entry")
            << 200 << withInstaller(outside) << qint64(-1) << false << true << unsafe;
        QTest::newRow("drive letter") << 200 << withInstaller(QStringLiteral("C:\\escaped.txt")) << qint64(-1)
                                      << false << true << unsafe;
        QTest::newRow("unsigned installer") << 200 << QByteArray() << qint64(-1) << false << false << failed;
    }

    void failedUpdatesTellTheUserAndStartNothing()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, content);
        QFETCH(qint64, announced);
        QFETCH(bool, keepOpen);
        QFETCH(bool, installerSigned);
        QFETCH(QString, message);
        QScopedValueRollback<int> stall(Waits::updateStallMs, 300);
        QScopedValueRollback<bool (*)(const std::string &)> check(CheckUpdate::verifySignature,
                                                                  &recordingSignatureCheck);
        signatureAccepted = installerSigned;

        RawHttpServer raw;
        if (!content.isEmpty()) {
            QVERIFY(raw.listen(QHostAddress::LocalHost));
            raw.serve(content, announced, QByteArray::number(status) + (status == 200 ? " OK" : " Found"));
            raw.keepOpen = keepOpen;
            baseValues->updateUrl = raw.url();
        } else if (status != 200) {
            devservice::Fault fault;
            fault.httpStatus = status;
            m_server.setFault(archivePath.toStdString(), fault);
        }

        QPointer<CheckUpdate> dialog = new CheckUpdate(QStringLiteral("V9.9.9"), QString());
        dialog->show();
        QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<TwoBtnDlg>(), 10000);
        // A bar at 100 % only for what fully arrived.
        const auto *bar = dialog->findChild<QProgressBar *>();
        const bool arrived = status == 200 && announced <= content.size();
        QCOMPARE(bar->value() == bar->maximum() && bar->value() > 0, arrived);
        auto answer = answerNextDialog(UiText::ok);
        QTRY_VERIFY(answer->answered);
        QCOMPARE(answer->message, message);
        QTRY_VERIFY(!dialog);

        QCOMPARE(signatureChecks.size(), installerSigned ? 0 : 1);
        QVERIFY(!QFile::exists(m_record));
        const QDir data(dataFolder());
        QVERIFY(!QFile::exists(QFileInfo(dataFolder()).absolutePath() + QStringLiteral("/escaped.txt")));
        QVERIFY(!data.exists(QStringLiteral("escaped.txt")));
    }

    void unopenableArchiveTellsTheUserAndLetsThemClose()
    {
        // A folder where the archive belongs cannot be removed or written.
        QVERIFY(QDir().mkpath(CheckUpdate::archivePath() + QStringLiteral("/in-the-way")));

        QPointer<CheckUpdate> dialog = new CheckUpdate(QStringLiteral("V9.9.9"), QString());
        QVERIFY(closeButton(dialog)->isEnabled());
        dialog->show();
        auto answer = answerNextDialog(UiText::ok);
        QTRY_VERIFY_WITH_TIMEOUT(answer->answered, 10000);
        QCOMPARE(answer->message, QStringLiteral("更新文件无法保存！\n请检查磁盘空间和文件权限后重新启动"));
        QTRY_VERIFY(!dialog);
        QVERIFY(m_server.requests().empty());
    }

    void progressFollowsTheDownloadAndCloseWaitsForItsEnd()
    {
        // An archive that arrives in small pieces, like a real download.
        QByteArray filler(8192, Qt::Uninitialized);
        for (char &c : filler)
            c = char(QRandomGenerator::global()->generate());
        const QByteArray archive = devservice::Backend::zipArchive(
            {{installerName, QByteArrayLiteral("#!/bin/sh\n"), QFile::ReadOwner | QFile::ExeOwner},
             {QStringLiteral("data.bin"), filler}});
        RawHttpServer raw;
        QVERIFY(raw.listen(QHostAddress::LocalHost));
        raw.serve(QByteArray(), archive.size());
        raw.keepOpen = true;
        baseValues->updateUrl = raw.url();
        int sent = 0;
        QTimer trickle;
        connect(&trickle, &QTimer::timeout, this, [&] {
            if (raw.sockets.isEmpty() || !raw.sockets.first() ||
                !raw.sockets.first()->property("answered").toBool())
                return;
            raw.sockets.first()->write(archive.mid(sent, 256));
            sent = qMin(sent + 256, archive.size());
            if (sent == archive.size()) {
                raw.sockets.first()->disconnectFromHost();
                trickle.stop();
            }
        });
        trickle.start(20);

        QPointer<CheckUpdate> dialog = new CheckUpdate(QStringLiteral("V9.9.9"), QString());
        dialog->show();
        auto *bar = dialog->findChild<QProgressBar *>(QStringLiteral("_progressBar"));
        bool partShown = false;
        bool closable = false;
        connect(bar, &QProgressBar::valueChanged, this, [&](int value) {
            if (value > 0 && value < archive.size() && bar->maximum() == archive.size()) {
                partShown = true;
                closable = closable || closeButton(dialog)->isEnabled();
                // Esc cannot end the dialog either while the download runs.
                QTest::keyClick(dialog, Qt::Key_Escape);
            }
        });
        QTRY_VERIFY_WITH_TIMEOUT(closeButton(dialog)->isEnabled(), 10000);
        QVERIFY(partShown);
        QVERIFY(!closable);
        QCOMPARE(bar->maximum(), archive.size());
        QCOMPARE(bar->value(), archive.size());
        QVERIFY(dialog && dialog->isVisible());
    }

    void upToDateFormOnlyAcknowledges()
    {
        QPointer<CheckUpdate> dialog = new CheckUpdate(QString(), QString());
        dialog->show();
        QCOMPARE(findByName<QLabel>(dialog, QStringLiteral("size16QLabel"))->text(),
                 QStringLiteral("已经是最新版本"));
        auto *button = findByName<QPushButton>(dialog, QStringLiteral("defaultQPushButton"));
        QCOMPARE(button->text(), QStringLiteral("我知道了"));
        QVERIFY(button->isVisible());
        QVERIFY(!dialog->findChild<QProgressBar *>()->isVisible());
        QVERIFY(!dialog->findChild<QTextEdit *>()->isVisible());
        saveShot(dialog, QStringLiteral("update-up-to-date"));

        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_VERIFY(!dialog);
        QVERIFY(m_server.requests().empty());
        QVERIFY(!QFileInfo::exists(CheckUpdate::updateFolder()));
    }

    void entryNamesInsideTheFolderAreSafe_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("safe");
        QTest::newRow("installer") << installerName << true;
        QTest::newRow("sub folder") << QStringLiteral("data/res/a.dll") << true;
        QTest::newRow("dots in a name") << QStringLiteral("a..b/v1.2..3.txt") << true;
        QTest::newRow("parent") << QStringLiteral("../a.exe") << false;
        QTest::newRow("parent inside") << QStringLiteral("a/../../b.exe") << false;
        QTest::newRow("parent with backslash") << QStringLiteral("a\\..\\..\\b.exe") << false;
        QTest::newRow("parent Windows trims") << QStringLiteral(".. /b.exe") << false;
        QTest::newRow("absolute") << QStringLiteral("/etc/a") << false;
        QTest::newRow("UNC") << QStringLiteral("\\\\host\\share\\a") << false;
        QTest::newRow("drive") << QStringLiteral("D:/a.exe") << false;
        QTest::newRow("drive relative") << QStringLiteral("C:a.exe") << false;
    }

    void entryNamesInsideTheFolderAreSafe()
    {
        QFETCH(QString, name);
        QFETCH(bool, safe);
        QCOMPARE(CheckUpdate::isSafeEntryName(name), safe);
    }
};

QTEST_MAIN(TestCheckUpdate)
#include "tst_checkupdate.moc"
