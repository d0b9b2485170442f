#include "login/versionchoice.h"

#include <QAbstractButton>
#include <QButtonGroup>

namespace VersionChoice {

void setUp(QButtonGroup *group, QAbstractButton *enterprise, QAbstractButton *regulatory,
           QAbstractButton *financial, const QString &type)
{
    group->setId(enterprise, 1);
    group->setId(regulatory, 2);
    group->setId(financial, 3);
    if (type == QLatin1String("1") || type == QLatin1String("2") || type == QLatin1String("3")) {
        QAbstractButton *button = group->button(type.toInt());
        button->setChecked(true);
        button->setFocus();
    }
}

int checked(const QButtonGroup *group)
{
    for (int version = 3; version >= 1; --version) {
        if (group->button(version)->isChecked())
            return version;
    }
    return 0;
}

QString companyCodePlaceholder(int version)
{
    return version == 2 ? QStringLiteral("请输入部署的证监局代码") : QStringLiteral("请输入公司代码");
}

CompanyCheck readCompanyCheck(const QString &result, int chosen, const QString &listedCompanyNotice)
{
    if (result == QLatin1String("0"))
        return {false, QStringLiteral("该公司未开通服务")};
    if (result == QString::number(chosen))
        return {true, QString()};
    if (result == QLatin1String("1"))
        return {false, listedCompanyNotice};
    if (result == QLatin1String("2"))
        return {false, QStringLiteral("该公司代码为证监局代码，请选择监管版登录")};
    if (result == QLatin1String("3"))
        return {false, QStringLiteral("该公司代码为金融版代码，请选择金融版登录")};
    return {false, result};
}

} // namespace VersionChoice
