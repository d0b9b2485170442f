#pragma once

#include <QIcon>
#include <QString>

class QAbstractButton;
class QButtonGroup;

// The version choice (企业版, 监管版, 金融版) of the password and phone
// sign-in, and the company check that must agree with it. Versions are the
// account types 1, 2 and 3; 0 is none.
namespace VersionChoice {

// What the password and phone sign-in forms have alike: background, logo,
// QR-code switch, version label, company code and account fields and the
// agreement line; their icon and style names.
template <typename Form> void setUpSharedLooks(Form *ui)
{
    ui->pBtnQRCode->setIcon(QIcon(QStringLiteral(":/image/images/halfQrcode.png")));
    ui->backgroundWidget->setObjectName(QStringLiteral("backgroundWidget"));
    ui->lblLogo->setObjectName(QStringLiteral("logoQLabel"));
    ui->pBtnQRCode->setObjectName(QStringLiteral("iconPushButton"));
    ui->lblType->setObjectName(QStringLiteral("normalQLabel"));
    ui->lEditCompanyCode->setObjectName(QStringLiteral("normalQLineEdit"));
    ui->lEditAccount->setObjectName(QStringLiteral("normalQLineEdit"));
    ui->lblTip->setObjectName(QStringLiteral("tipQLabel"));
    ui->lblRight->setObjectName(QStringLiteral("tipQLabel"));
}

// Gives the buttons the ids 1 to 3 and checks and focuses the one type
// names ("1", "2", "3"); any other type leaves all three unchecked.
void setUp(QButtonGroup *group, QAbstractButton *enterprise, QAbstractButton *regulatory,
           QAbstractButton *financial, const QString &type);
// Financial 3, else regulatory 2, else enterprise 1, else 0.
int checked(const QButtonGroup *group);
// What the company-code field asks for under a version.
QString companyCodePlaceholder(int version);

// The company check's answer for the chosen version: either the sign-in
// goes on, or the notice says why not (the answer itself when it is a
// request's error).
struct CompanyCheck
{
    bool matches = false;
    QString notice;
};
// listedCompanyNotice: the notice for the code of a listed company, which
// the two windows word differently.
CompanyCheck readCompanyCheck(const QString &result, int chosen, const QString &listedCompanyNotice);

} // namespace VersionChoice
