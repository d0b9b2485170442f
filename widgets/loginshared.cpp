#include "widgets/loginshared.h"

#include "app/userstore.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QUrl>

namespace LoginShared {

QString encodePassword(const QString &password)
{
    return encodeStoredPassword(password);
}

QString decodePassword(const QString &stored)
{
    return decodeStoredPassword(stored);
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
