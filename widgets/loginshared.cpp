#include "widgets/loginshared.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QUrl>

namespace {
// Released with the first version; User.dat files depend on them.
const QChar passwordPrefix = QLatin1Char('v');
const QChar passwordSuffix = QLatin1Char('k');
} // namespace

namespace LoginShared {

QString encodePassword(const QString &password)
{
    const QString wrapped = passwordPrefix + password + passwordSuffix;
    return QString::fromLatin1(wrapped.toUtf8().toBase64(QByteArray::Base64UrlEncoding));
}

QString decodePassword(const QString &stored)
{
    if (stored.isEmpty())
        return QString();
    const auto decoded = QByteArray::fromBase64Encoding(
        stored.toLatin1(), QByteArray::Base64UrlEncoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return QString();
    const QString wrapped = QString::fromUtf8(decoded.decoded);
    if (wrapped.size() < 2)
        return QString();
    return wrapped.mid(1, wrapped.size() - 2);
}

QString agreementDocumentPath(const QString &link)
{
    if (link == QLatin1String("SoftwareLicense"))
        return QCoreApplication::applicationDirPath() + QStringLiteral("/软件许可及服务协议.pdf");
    if (link == QLatin1String("PrivacyPolicy"))
        return QCoreApplication::applicationDirPath() + QStringLiteral("/隐私政策.pdf");
    return QString();
}

bool openAgreementDocument(const QString &link)
{
    const QString path = agreementDocumentPath(link);
    if (path.isEmpty())
        return false;
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    return true;
}

void showReason(QWidget *window, const QString &why)
{
    auto *line = window->findChild<QLabel *>(QStringLiteral("reasonQLabel"));
    if (!line) {
        // Between the logo and the version choice; the form leaves room there.
        line = new QLabel(window);
        line->setObjectName(QStringLiteral("reasonQLabel"));
        line->setAlignment(Qt::AlignCenter);
        line->setWordWrap(true);
        line->setStyleSheet(QStringLiteral("QLabel{color: #E0452B; font-size: 13px;}"));
        line->setGeometry(30, 160, window->width() - 60, 36);
    }
    line->setText(why);
    line->show();
    line->raise();
}

} // namespace LoginShared
