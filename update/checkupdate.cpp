#include "update/checkupdate.h"
#include "ui_checkupdate.h"
#include "update/logcategory.h"
#include "update/updatearchive.h"

#include "app/basevalues.h"
#include "app/logging.h"
#include "app/platform.h"
#include "app/uitexts.h"
#include "app/waits.h"
#include "http/httphelper.h"
#include "widgets/messages.h"
#include "widgets/plaintext.h"

#include <QCloseEvent>
#include <QDebug>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QNetworkRequest>
#include <QProcess>
#include <QScrollBar>
#include <QTimer>

#include <climits>

namespace {

const QString folderName = QStringLiteral("VeskMeeting Files");
const QString archiveName = QStringLiteral("VeskLiveMeeting_Windows_UpdateInstaller.zip");
const QString installerName = QStringLiteral("VeskLiveMeeting_Windows_UpdateInstaller.exe");
const QString customerServicePhone = QStringLiteral("400-006-8899");

QString downloadFailedMessage()
{
    return QStringLiteral("更新文件下载失败！\n请联系Vesk客服") + customerServicePhone;
}

QString unsafeArchiveMessage()
{
    return QStringLiteral("更新文件包含不安全的路径，已拒绝解压！\n请联系Vesk客服") + customerServicePhone;
}

// The download worked: retrying it would not help, asking the service would.
QString unverifiedMessage()
{
    return QStringLiteral("更新文件未通过安全验证，未启动安装！\n请联系Vesk客服") + customerServicePhone;
}

QString oversizedMessage()
{
    return QStringLiteral("更新文件异常，已拒绝解压！\n请联系Vesk客服") + customerServicePhone;
}

QString cannotSaveMessage()
{
    return QStringLiteral("更新文件无法保存！\n请检查磁盘空间和文件权限后重新启动");
}

// The one argument the installer is started with, leading blank included.
const QString installerArgument = QStringLiteral(" -upd=true");
} // namespace

bool (*CheckUpdate::verifySignature)(const std::string &utf8Path, std::string *why) = &verifyProgramSignature;

CheckUpdate::CheckUpdate(QString newVersion, QString releaseNotes, QWidget *parent)
    : BorderDialog(parent), ui(new Ui::CheckUpdate), m_newVersion(std::move(newVersion)),
      m_releaseNotes(std::move(releaseNotes))
{
    ui->setupUi(this);
    setDraggable(true);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::WindowModal);
    // The minimise button needs the window system's minimise hint.
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowSystemMenuHint);
    setWindowTitle(QStringLiteral("检查更新"));

    ui->lblHeadTitle->setObjectName(QStringLiteral("messageQLabel"));
    ui->lblImage->setObjectName(QStringLiteral("logoQLabel"));
    ui->lblInfo->setObjectName(QStringLiteral("size16QLabel"));
    ui->horizontalLine->setObjectName(QStringLiteral("hSplitLine"));
    ui->pBtnClose->setObjectName(QStringLiteral("titlePushButton"));
    ui->pBtnMin->setObjectName(QStringLiteral("titlePushButton"));

    connect(ui->pBtnMin, &QPushButton::clicked, this, &CheckUpdate::onMinBtnClicked);
    connect(ui->pBtnClose, &QPushButton::clicked, this, &CheckUpdate::onCloseBtnClicked);
    connect(ui->BtnCheckVersion, &QPushButton::clicked, this, &CheckUpdate::onCheckVersionBtnClicked);
    ui->tEdtUpdateContent->installEventFilter(this);

    if (m_newVersion.isEmpty()) {
        setUpUpToDateForm();
        return;
    }
    setUpNewVersionForm();
    startUpdate();
}

CheckUpdate::~CheckUpdate()
{
    discardDownload();
    delete ui;
}

QString CheckUpdate::updateFolder()
{
    return dataFolder() + QLatin1Char('/') + folderName;
}

QString CheckUpdate::archivePath()
{
    return updateFolder() + QLatin1Char('/') + archiveName;
}

QString CheckUpdate::installerPath()
{
    return updateFolder() + QLatin1Char('/') + installerName;
}

void CheckUpdate::setUpNewVersionForm()
{
    setFixedSize(570, 420);
    ui->backgroundWidget->setFixedSize(550, 400);
    ui->lblInfo->setTextFormat(Qt::PlainText);
    ui->lblInfo->setText(QStringLiteral("检查到新版本：Vesk云会议") + PlainText::oneLine(m_newVersion));
    ui->horizontalLine->hide();
    ui->BtnCheckVersion->hide();

    ui->tEdtUpdateContent->setObjectName(QStringLiteral("updateQTextEdit"));
    ui->tEdtUpdateContent->setReadOnly(true);
    ui->tEdtUpdateContent->setPlainText(m_releaseNotes);
    ui->tEdtUpdateContent->setFixedHeight(100);
    auto *bar = new QScrollBar(Qt::Vertical, ui->tEdtUpdateContent);
    bar->setObjectName(QStringLiteral("shareInfoQScrollBar"));
    ui->tEdtUpdateContent->setVerticalScrollBar(bar);
    ui->tEdtUpdateContent->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    ui->_progressBar->setRange(0, 100);
    ui->_progressBar->setValue(0);
    ui->lblUpdateInfo->setObjectName(QStringLiteral("normalQLabel"));
    ui->lblUpdateInfo->setText(QStringLiteral("软件更新中，请稍等......"));
    ui->pBtnClose->setEnabled(false);
}

void CheckUpdate::setUpUpToDateForm()
{
    setFixedSize(570, 320);
    ui->backgroundWidget->setFixedSize(550, 300);
    ui->lblInfo->setText(QStringLiteral("已经是最新版本"));
    ui->BtnCheckVersion->setObjectName(QStringLiteral("defaultQPushButton"));
    ui->BtnCheckVersion->setText(QStringLiteral("我知道了"));
    ui->BtnCheckVersion->setCursor(Qt::PointingHandCursor);
    ui->BtnCheckVersion->move(ui->BtnCheckVersion->pos() + QPoint(0, 20));
    ui->tEdtUpdateContent->hide();
    ui->_progressBar->hide();
    ui->lblUpdateInfo->hide();
}

void CheckUpdate::startUpdate()
{
    m_downloadUrl = QUrl(baseValues ? baseValues->updateUrl : QString());
    m_installerName = installerName;
    m_archivePath = archivePath();
    QDir().mkpath(updateFolder());
    // Whatever an earlier update left must not be taken for this one.
    QFile::remove(installerPath());
    QFile::remove(m_archivePath);
    startDownload();
}

void CheckUpdate::startDownload()
{
    if (m_reply)
        return;
    if (m_archivePath.isEmpty() || m_downloadUrl.isEmpty()) {
        // Nothing to wait for: a silent return would leave the close button off.
        giveUp(QStringLiteral("no update address"), downloadFailedMessage());
        return;
    }
    m_downloadSucceeded = false;
    m_bytesWritten = 0;
    m_writeFailed = false;
    m_file = new QFile(m_archivePath);
    if (!m_file->open(QIODevice::ReadWrite | QIODevice::Truncate)) {
        const QString reason = m_file->errorString();
        delete m_file;
        m_file = nullptr;
        giveUp(QStringLiteral("cannot open %1: %2").arg(m_archivePath, reason), cannotSaveMessage());
        return;
    }

    QNetworkRequest request(m_downloadUrl);
    // A redirect is not followed: its answer is not the archive.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    // A download that stops sending would keep the dialog open for good.
    request.setTransferTimeout(Waits::updateStallMs);
    m_reply = HttpHelper::download(request);
    // Goes with the dialog, as any request of a screen does.
    m_reply->setParent(this);
    ui->_progressBar->show();
    connect(m_reply, &QNetworkReply::readyRead, this, &CheckUpdate::downloadReadyRead);
    connect(m_reply, &QNetworkReply::downloadProgress, this, &CheckUpdate::downloadProgress);
    connect(m_reply, &QNetworkReply::finished, this, &CheckUpdate::downloadFinished);
    connect(m_reply, &QNetworkReply::errorOccurred, this, &CheckUpdate::downloadError);
}

void CheckUpdate::onMinBtnClicked()
{
    showMinimized();
}

void CheckUpdate::onCloseBtnClicked()
{
    discardDownload();
    close();
}

void CheckUpdate::onCheckVersionBtnClicked()
{
    discardDownload();
    close();
}

void CheckUpdate::downloadReadyRead()
{
    if (!m_file || !m_reply)
        return;
    const QByteArray chunk = m_reply->readAll();
    if (m_writeFailed || chunk.isEmpty())
        return;
    if (m_file->write(chunk) != chunk.size()) {
        m_writeFailed = true;
        return;
    }
    m_bytesWritten += chunk.size();
}

void CheckUpdate::downloadFinished()
{
    if (!m_reply)
        return;
    downloadReadyRead();
    if (m_file && !m_file->flush())
        m_writeFailed = true;
    if (m_file)
        m_file->close();
    const QString problem = downloadProblem();
    discardDownload();
    if (!problem.isEmpty()) {
        // What arrived was not the archive: the bar must not claim it complete.
        ui->_progressBar->setRange(0, 100);
        ui->_progressBar->setValue(0);
        giveUp(QStringLiteral("download of %1 failed: %2").arg(m_downloadUrl.toString(), problem),
               downloadFailedMessage());
        return;
    }
    m_downloadSucceeded = true;
    ui->pBtnClose->setEnabled(true);
    unpackAndStartInstaller();
}

void CheckUpdate::downloadError(QNetworkReply::NetworkError code)
{
    // downloadFinished() follows and decides.
    Q_UNUSED(code)
}

void CheckUpdate::downloadProgress(qint64 bytesReceived, qint64 bytesTotal)
{
    if (bytesTotal <= 0) {
        // Size not announced: a busy bar rather than a wrong percentage.
        ui->_progressBar->setRange(0, 0);
        return;
    }
    // The bar counts in int; archives beyond 2 GiB count in KiB.
    int shift = 0;
    while ((bytesTotal >> shift) > INT_MAX)
        shift += 10;
    ui->_progressBar->setMaximum(int(bytesTotal >> shift));
    ui->_progressBar->setValue(int(qMin(bytesReceived, bytesTotal) >> shift));
}

QString CheckUpdate::downloadProblem() const
{
    if (m_reply->error() != QNetworkReply::NoError)
        return m_reply->errorString();
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 200)
        return QStringLiteral("HTTP status %1").arg(status);
    if (m_writeFailed || !m_file)
        return QStringLiteral("cannot write %1").arg(m_archivePath);
    const QVariant announced = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (announced.isValid() && announced.toLongLong() != m_bytesWritten)
        return QStringLiteral("%1 of %2 bytes").arg(m_bytesWritten).arg(announced.toLongLong());
    if (m_bytesWritten == 0)
        return QStringLiteral("empty answer");
    return QString();
}

void CheckUpdate::unpackAndStartInstaller()
{
    const QString archive = QDir::toNativeSeparators(m_archivePath);
    const QString folder = QDir::toNativeSeparators(updateFolder());
    const QString program = folder + QDir::separator() + m_installerName;

    const UpdateArchive::Result unpacked = UpdateArchive::unpack(archive, folder, m_installerName);
    switch (unpacked.problem) {
    case UpdateArchive::Problem::None:
        break;
    case UpdateArchive::Problem::Oversized:
        giveUp(unpacked.why, oversizedMessage());
        return;
    case UpdateArchive::Problem::UnsafeEntry:
        giveUp(unpacked.why, unsafeArchiveMessage());
        return;
    case UpdateArchive::Problem::NotAnArchive:
    case UpdateArchive::Problem::NoInstaller:
        giveUp(unpacked.why, downloadFailedMessage());
        return;
    }
    if (!QFileInfo(program).isFile()) {
        giveUp(QStringLiteral("could not unpack %1").arg(program), downloadFailedMessage());
        return;
    }
    std::string why;
    if (!verifySignature(program.toUtf8().toStdString(), &why)) {
        giveUp(QStringLiteral("installer %1 not started, its signature was refused: %2")
                   .arg(program, QString::fromStdString(why)),
               unverifiedMessage());
        return;
    }
    if (!QProcess::startDetached(program, {installerArgument})) {
        giveUp(QStringLiteral("could not start %1").arg(program), downloadFailedMessage());
        return;
    }
    qCDebug(lcUpdate).noquote() << QStringLiteral("installer started:") << program;
    // The installer takes over: on Windows it ends this client, elsewhere
    // the dialog ends by itself rather than wait at 100 % for nothing.
    ui->lblUpdateInfo->setText(QStringLiteral("安装程序已启动，请按安装程序的提示完成更新"));
    ui->pBtnClose->setEnabled(true);
    QTimer::singleShot(Waits::noticeMs, this, [this] { close(); });
}

void CheckUpdate::discardDownload()
{
    if (m_reply) {
        QNetworkReply *reply = m_reply;
        m_reply = nullptr;
        disconnect(reply, nullptr, this, nullptr);
        reply->abort();
        reply->deleteLater();
    }
    if (m_file) {
        m_file->close();
        delete m_file;
        m_file = nullptr;
    }
}

void CheckUpdate::giveUp(const QString &reason, const QString &message)
{
    qCDebug(lcUpdate).noquote() << QStringLiteral("update stopped:") << reason;
    discardDownload();
    // Nothing of a refused or failed update stays on the disk.
    QDir(updateFolder()).removeRecursively();
    ui->pBtnClose->setEnabled(true);
    ui->lblUpdateInfo->setText(QStringLiteral("软件更新失败"));
    // From the event queue: during construction the dialog is not shown yet,
    // and the message must open over it, not under it.
    QTimer::singleShot(0, this, [this, message] {
        // A minimised dialog would hide its message.
        if (isMinimized())
            showNormal();
        Messages::tell(this, message, UiText::ok, [this] { close(); });
    });
}

void CheckUpdate::reject()
{
    if (m_reply)
        return;
    BorderDialog::reject();
}

void CheckUpdate::closeEvent(QCloseEvent *event)
{
    if (m_reply) {
        event->ignore();
        return;
    }
    BorderDialog::closeEvent(event);
}

bool CheckUpdate::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->tEdtUpdateContent) {
        if (event->type() == QEvent::Enter) {
            ui->tEdtUpdateContent->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            return true;
        }
        if (event->type() == QEvent::Leave) {
            ui->tEdtUpdateContent->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            return true;
        }
    }
    return BorderDialog::eventFilter(watched, event);
}
