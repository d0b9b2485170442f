#pragma once

#include "widgets/borderdialog.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QString>
#include <QUrl>

#include <string>

class QFile;

namespace Ui {
class CheckUpdate;
}

// The update dialog of the start-up: with a new version it shows the release
// notes, downloads the installer archive with a progress bar, unpacks it into
// "VeskMeeting Files" and starts the installer; without one it only says that
// the client is up to date. Run it with exec(); it deletes itself on close.
class CheckUpdate final : public BorderDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(CheckUpdate)

public:
    explicit CheckUpdate(QString newVersion, QString releaseNotes, QWidget *parent = nullptr);
    ~CheckUpdate() override;

    // "<data folder>/VeskMeeting Files" and the archive and installer in it.
    static QString updateFolder();
    static QString archivePath();
    static QString installerPath();
    // Checks the unpacked installer's code signature before it is started
    // (the platform layer's check); tests put in a refusing one.
    static bool (*verifySignature)(const std::string &utf8Path, std::string *why);

    // While a download runs the dialog cannot be closed, not even with Esc.
    void reject() override;

public slots:
    void onMinBtnClicked();
    void onCloseBtnClicked();
    void onCheckVersionBtnClicked();
    void downloadReadyRead();
    void downloadFinished();
    void downloadError(QNetworkReply::NetworkError code);
    void downloadProgress(qint64 bytesReceived, qint64 bytesTotal);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void setUpNewVersionForm();
    void setUpUpToDateForm();
    void startUpdate();
    void startDownload();
    // Why the finished download cannot be used; empty when it can.
    QString downloadProblem() const;
    void unpackAndStartInstaller();
    // Drops the running download and the open archive file, if any.
    void discardDownload();
    // Logs why the update stopped, tells the user and closes once they
    // acknowledged it.
    void giveUp(const QString &reason, const QString &message);

    Ui::CheckUpdate *ui = nullptr;
    QString m_newVersion;
    QString m_releaseNotes;
    bool m_downloadSucceeded = false;
    QUrl m_downloadUrl;
    QString m_archivePath;
    QString m_installerName;
    QFile *m_file = nullptr;
    QNetworkReply *m_reply = nullptr;
    qint64 m_bytesWritten = 0;
    bool m_writeFailed = false;
};
