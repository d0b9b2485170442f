#include "support/testsupport.h"

#include "app/logging.h"
#include "app/platform.h"
#include "app/startup.h"
#include "app/uitexts.h"
#include "devservice/backend.h"
#include "http/startuprequests.h"
#include "update/checkupdate.h"

#include <QDir>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

using namespace testsupport;

namespace {

const QString installer = QStringLiteral("VeskLiveMeeting_Windows_UpdateInstaller.exe");
const QString archivePath = QStringLiteral("/update/VeskLiveMeeting_Windows_UpdateInstaller.zip");

// For answers the stand-in cannot give (short bodies, stalls, any archive):
// every request gets exactly these bytes; the connection then closes unless
// keepOpen.
class RawHttpServer final : public QTcpServer
{
public:
    QByteArray answer;
    bool keepOpen = false;

    RawHttpServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *socket = nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                if (!socket->readAll().contains("\r\n\r\n"))
                    return; // a GET of this client fits in one segment
                socket->write(answer);
                if (!keepOpen)
                    socket->disconnectFromHost();
            });
        });
    }
    void serve(int status, const QByteArray &content, qint64 announced)
    {
        answer = "HTTP/1.1 " + QByteArray::number(status) + " X\r\nLocation: http://127.0.0.1:9/a.zip\r\n" +
                 "Content-Length: " + QByteArray::number(announced < 0 ? content.size() : announced) +
                 "\r\n\r\n" + content;
    }
};

QByteArray archiveOf(const QStringList &names)
{
    QVector<devservice::Backend::ArchiveEntry> entries;
    for (const QString &name : names)
        entries.append({name, QByteArrayLiteral("#!/bin/sh\n"), QFile::ReadOwner | QFile::ExeOwner});
    return devservice::Backend::zipArchive(entries);
}

// The client's own check, counted.
QStringList signatureChecks;
bool recordingSignatureCheck(const std::string &utf8Path, std::string *why)
{
    signatureChecks << QString::fromStdString(utf8Path);
    return verifyProgramSignature(utf8Path, why);
}

} // namespace

class TestCheckUpdate : public QObject
{
    Q_OBJECT

private:
    devservice::Server m_server;
    QTemporaryDir m_recordDir;
    QString m_record;

    // What the stand-in's installer wrote: program, count, each argument, once complete.
    QStringList installerRecord() const
    {
        QFile file(m_record);
        const QStringList lines = file.open(QIODevice::ReadOnly)
                                      ? QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))
                                      : QStringList();
        return lines.contains(QStringLiteral("end")) ? lines.mid(0, lines.indexOf(QStringLiteral("end")))
                                                     : QStringList();
    }
    static QPushButton *closeButton(QWidget *dialog)
    {
        return findByName<QPushButton>(dialog, QStringLiteral("titlePushButton"), QStringLiteral("关闭"));
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        Q_INIT_RESOURCE(resources);
        QVERIFY(applyStyleSheet());
        qApp->setFont(QFont(QStringLiteral("Microsoft YaHei")));
        QVERIFY(m_server.start() > 0);
        pointBaseValuesAt(m_server);
        QVERIFY(m_recordDir.isValid());
        m_record = m_recordDir.filePath(QStringLiteral("installer-started.txt"));
        qputenv("VESK_INSTALLER_RECORD", m_record.toUtf8());
    }

    void init()
    {
        m_server.resetData();
        m_server.addVersion("9.9.9", "更快的入会");
        baseValues->updateUrl = QString::fromStdString(m_server.baseUrl()) + archivePath;
        signatureChecks.clear();
    }

    void cleanup()
    {
        cancelDialogAnswers();
        finishStartupRequests();
        qDeleteAll(topLevels<CheckUpdate>());
        m_server.clearFaults();
        m_server.clearRequests();
        QFile::remove(m_record);
        QDir(CheckUpdate::updateFolder()).removeRecursively();
    }

    void cleanupTestCase() { m_server.stop(); }

    void newVersionDownloadsUnpacksAndStartsTheInstaller()
    {
        QScopedValueRollback<bool (*)(const std::string &, std::string *)> check(CheckUpdate::verifySignature,
                                                                                 &recordingSignatureCheck);
        for (const QString &leftOver : {CheckUpdate::installerPath(), CheckUpdate::archivePath()}) {
            QFile file(leftOver);
            QVERIFY(QDir().mkpath(CheckUpdate::updateFolder()) && file.open(QIODevice::WriteOnly) &&
                    file.write("left over") > 0);
        }

        QPointer<CheckUpdate> dialog =
            new CheckUpdate(QStringLiteral("V9.9.9"), QStringLiteral("V9.9.9\n更快的入会\n"));
        // Nothing of the earlier update survives into this one.
        QVERIFY(!QFile::exists(CheckUpdate::installerPath()));
        QCOMPARE(QFileInfo(CheckUpdate::archivePath()).size(), 0);
        QCOMPARE(findByName<QLabel>(dialog, QStringLiteral("size16QLabel"))->text(),
                 QStringLiteral("检查到新版本：Vesk云会议V9.9.9"));
        QCOMPARE(dialog->findChild<QTextEdit *>()->toPlainText(), QStringLiteral("V9.9.9\n更快的入会\n"));
        dialog->show();
        // Neither the button nor Esc ends the dialog while the download runs.
        QVERIFY(!closeButton(dialog)->isEnabled());
        QTest::keyClick(dialog, Qt::Key_Escape);
        QVERIFY(dialog && dialog->isVisible());

        QTRY_VERIFY_WITH_TIMEOUT(!installerRecord().isEmpty(), 10000);
        const QString program = QDir::toNativeSeparators(CheckUpdate::installerPath());
        QCOMPARE(installerRecord(),
                 QStringList({QStringLiteral("program=") + program, QStringLiteral("count=1"),
                              QStringLiteral("argument=[ -upd=true]")}));
        QCOMPARE(signatureChecks, QStringList{program});
        QCOMPARE(int(m_server.requests().size()), 1);
        QCOMPARE(QString::fromStdString(m_server.requests()[0].path), archivePath);
        // The bar counted the bytes the reply announced and brought.
        const auto *bar = dialog->findChild<QProgressBar *>();
        QCOMPARE(qint64(bar->maximum()), QFileInfo(CheckUpdate::archivePath()).size());
        QCOMPARE(bar->value(), bar->maximum());

        QVERIFY(closeButton(dialog)->isEnabled());
        QTest::mouseClick(closeButton(dialog), Qt::LeftButton);
        QTRY_VERIFY(!dialog);
    }

    void failedUpdatesTellTheUserAndStartNothing_data()
    {
        // Without content the stand-in answers (with that status as a fault,
        // none at all for 0); with content the raw server does.
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<qint64>("announced");
        QTest::addColumn<bool>("stopsBeforeCheck");
        QTest::addColumn<QString>("message");
        const QString failed = QStringLiteral("更新文件下载失败！\n请联系Vesk客服400-006-8899");
        const QString unsafe =
            QStringLiteral("更新文件包含不安全的路径，已拒绝解压！\n请联系Vesk客服400-006-8899");
        const QByteArray good = archiveOf({installer});
        const auto with = [](const QString &name) { return archiveOf({installer, name}); };
        const QString outside = QFileInfo(dataFolder()).absolutePath() + QStringLiteral("/escaped.txt");

        QTest::newRow("no address") << 0 << QByteArray() << qint64(-1) << true << failed;
        QTest::newRow("HTTP error") << 500 << QByteArray() << qint64(-1) << true << failed;
        // A redirect's body is not the archive, even when it looks like one.
        QTest::newRow("unfollowed redirect") << 302 << good << qint64(-1) << true << failed;
        QTest::newRow("short") << 200 << good.left(good.size() / 2) << qint64(good.size()) << true << failed;
        QTest::newRow("stalled (kept open)") << 200 << good.left(10) << qint64(good.size()) << true << failed;
        QTest::newRow("not an archive") << 200 << QByteArray("<html/>") << qint64(-1) << true << failed;
        QTest::newRow("no installer")
            << 200 << archiveOf({QStringLiteral("a.txt")}) << qint64(-1) << true << failed;
        QTest::newRow("../") << 200 << with(QStringLiteral("../escaped.txt")) << qint64(-1) << true << unsafe;
        QTest::newRow("..\\") << 200 << with(QStringLiteral("a\\..\\..\\escaped.txt")) << qint64(-1) << true
                              << unsafe;
        QTest::newRow("absolute") << 200 << with(outside) << qint64(-1) << true << unsafe;
        QTest::newRow("drive letter")
            << 200 << with(QStringLiteral("C:\\escaped.txt")) << qint64(-1) << true << unsafe;
        // The download worked: the user is not sent to retry it.
        const QString unverified =
            QStringLiteral("更新文件未通过安全验证，未启动安装！\n请联系Vesk客服400-006-8899");
        QTest::newRow("unsigned installer") << 200 << good << qint64(-1) << false << unverified;
        QTest::newRow("signature of another installer")
            << 200
            << devservice::Backend::zipArchive(
                   {{installer, "#!/bin/sh\n", QFile::ReadOwner | QFile::ExeOwner},
                    {installer + ".sig", devservice::Backend::updateSignature("#!/bin/sh\nrm -rf ~\n")}})
            << qint64(-1) << false << unverified;
        const QString oversized = QStringLiteral("更新文件异常，已拒绝解压！\n请联系Vesk客服400-006-8899");
        QTest::newRow("unpacks to 64 MiB")
            << 200
            << devservice::Backend::zipArchive(
                   {{installer, "#!/bin/sh\n"}, {"fill", QByteArray(64 << 20, 0)}})
            << qint64(-1) << true << oversized;
        QStringList many{installer};
        for (int i = 0; i < 400; ++i)
            many << QStringLiteral("f%1").arg(i);
        QTest::newRow("400 entries") << 200 << archiveOf(many) << qint64(-1) << true << oversized;
    }

    void failedUpdatesTellTheUserAndStartNothing()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, content);
        QFETCH(qint64, announced);
        QFETCH(bool, stopsBeforeCheck);
        QFETCH(QString, message);
        QScopedValueRollback<int> stall(Waits::updateStallMs, 300);
        QScopedValueRollback<bool (*)(const std::string &, std::string *)> check(CheckUpdate::verifySignature,
                                                                                 &recordingSignatureCheck);
        if (!stopsBeforeCheck)
            QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral(
                                                 "^update stopped: installer .+ not started, its signature "
                                                 "was refused: .+$")));
        RawHttpServer raw;
        if (!content.isEmpty()) {
            QVERIFY(raw.listen(QHostAddress::LocalHost));
            raw.serve(status, content, announced);
            raw.keepOpen = QByteArray(QTest::currentDataTag()).contains("kept open");
            baseValues->updateUrl = QStringLiteral("http://127.0.0.1:%1").arg(raw.serverPort()) + archivePath;
        } else if (status == 0) {
            baseValues->updateUrl.clear();
        } else if (status != 200) {
            devservice::Fault fault;
            fault.httpStatus = status;
            m_server.setFault(archivePath.toStdString(), fault);
        }

        QPointer<CheckUpdate> dialog = new CheckUpdate(QStringLiteral("V9.9.9"), QString());
        dialog->show();
        QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<TwoBtnDlg>(), 10000);
        // A full bar only for what fully arrived.
        const auto *bar = dialog->findChild<QProgressBar *>();
        QCOMPARE(bar->value() > 0 && bar->value() == bar->maximum(),
                 status == 200 && announced <= content.size());
        auto answer = answerNextDialog(UiText::ok);
        QTRY_VERIFY(answer->answered);
        QCOMPARE(answer->message, message);
        QTRY_VERIFY(!dialog);

        QCOMPARE(signatureChecks.size(), stopsBeforeCheck ? 0 : 1);
        // Nothing of the refused update is left on the disk.
        QVERIFY(!QDir(CheckUpdate::updateFolder()).exists());
        QVERIFY(!QFile::exists(m_record));
        QVERIFY(!QFile::exists(QFileInfo(dataFolder()).absolutePath() + QStringLiteral("/escaped.txt")));
        QVERIFY(!QDir(dataFolder()).exists(QStringLiteral("escaped.txt")));
    }

    void unopenableArchiveTellsTheUserAndLetsThemClose()
    {
        // A folder where the archive belongs can be neither removed nor written.
        QVERIFY(QDir().mkpath(CheckUpdate::archivePath() + QStringLiteral("/in-the-way")));
        QPointer<CheckUpdate> dialog = new CheckUpdate(QStringLiteral("V9.9.9"), QString());
        QVERIFY(closeButton(dialog)->isEnabled());
        // Minimised, the dialog comes back to show its message.
        dialog->showMinimized();
        QVERIFY(dialog->isMinimized());
        QTRY_VERIFY(visibleTopLevel<TwoBtnDlg>());
        QVERIFY(!dialog->isMinimized());
        auto answer = answerNextDialog(UiText::ok);
        QTRY_VERIFY(answer->answered);
        QCOMPARE(answer->message, QStringLiteral("更新文件无法保存！\n请检查磁盘空间和文件权限后重新启动"));
        QTRY_VERIFY(!dialog);
        QVERIFY(m_server.requests().empty());
    }

    void upToDateFormOnlyAcknowledges()
    {
        QPointer<CheckUpdate> dialog = new CheckUpdate(QString(), QString());
        dialog->show();
        QCOMPARE(findByName<QLabel>(dialog, QStringLiteral("size16QLabel"))->text(),
                 QStringLiteral("已经是最新版本"));
        QVERIFY(!dialog->findChild<QProgressBar *>()->isVisible());
        auto *button =
            findByName<QPushButton>(dialog, QStringLiteral("defaultQPushButton"), QStringLiteral("我知道了"));
        QVERIFY(button && button->isVisible());
        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_VERIFY(!dialog);
        QVERIFY(m_server.requests().empty());
    }

    void startUpShowsTheDialogOnlyForANewerVersionAndRunsOn_data()
    {
        QTest::addColumn<bool>("newerVersion");
        QTest::newRow("newer version") << true;
        QTest::newRow("up to date") << false;
    }

    void startUpShowsTheDialogOnlyForANewerVersionAndRunsOn()
    {
        QFETCH(bool, newerVersion);
        if (!newerVersion)
            m_server.resetData();
        baseValues->latestVersion.clear();
        // The user waits for the installer, then closes the dialog.
        bool dialogSeen = false;
        QTimer user;
        connect(&user, &QTimer::timeout, this, [&] {
            if (CheckUpdate *dialog = visibleTopLevel<CheckUpdate>()) {
                dialogSeen = true;
                if (!installerRecord().isEmpty() && closeButton(dialog)->isEnabled())
                    QTest::mouseClick(closeButton(dialog), Qt::LeftButton);
            }
        });
        user.start(20);
        runStartupStepVersionCheck();
        user.stop();
        QCOMPARE(dialogSeen, newerVersion);
        QVERIFY(topLevels<CheckUpdate>().isEmpty());

        // Closing the only window so far did not end the run.
        QTimer::singleShot(0, [] { QCoreApplication::exit(7); });
        QCOMPARE(QApplication::exec(), 7);
    }
};

QTEST_MAIN(TestCheckUpdate)
#include "tst_checkupdate.moc"
