#include "widgets/proxyauthdialog.h"
#include "ui_proxyauthdialog.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

ProxyAuthDialog::ProxyAuthDialog(const QString &proxy, const ProxyLogin::Credentials &preset, QWidget *parent)
    : BorderDialog(parent), ui(new Ui::ProxyAuthDialog)
{
    ui->setupUi(this);
    setUpWindow(QStringLiteral("代理服务器需要身份验证"), Qt::Dialog | Qt::FramelessWindowHint);
    setDraggable(true);

    ui->backgroundWidget->setObjectName(QStringLiteral("roundborderWidget"));
    ui->lblTitle->setObjectName(QStringLiteral("messageQLabel"));
    ui->lblProxy->setObjectName(QStringLiteral("tipQLabel"));
    ui->lEditUser->setObjectName(QStringLiteral("underlineQLineEdit"));
    ui->lEditPassword->setObjectName(QStringLiteral("underlineQLineEdit"));
    ui->btnCancel->setObjectName(QStringLiteral("normalQPushButton"));
    ui->btnConfirm->setObjectName(QStringLiteral("defaultQPushButton"));

    ui->lblProxy->setText(QStringLiteral("代理服务器 %1 要求输入用户名和密码").arg(proxy));
    ui->lEditUser->setText(preset.user);
    ui->chkRemember->setChecked(preset.remember);
    ui->btnConfirm->setEnabled(!preset.user.isEmpty());
    if (preset.user.isEmpty())
        ui->lEditUser->setFocus();
    else
        ui->lEditPassword->setFocus();

    connect(ui->lEditUser, &QLineEdit::textChanged, this,
            [this](const QString &text) { ui->btnConfirm->setEnabled(!text.trimmed().isEmpty()); });
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->btnConfirm, &QPushButton::clicked, this, [this] {
        if (!ui->lEditUser->text().trimmed().isEmpty())
            accept();
    });
}

ProxyAuthDialog::~ProxyAuthDialog()
{
    delete ui;
}

ProxyLogin::Credentials ProxyAuthDialog::credentials() const
{
    ProxyLogin::Credentials given;
    given.user = ui->lEditUser->text().trimmed();
    given.password = ui->lEditPassword->text();
    given.remember = ui->chkRemember->isChecked();
    return given;
}

void ProxyAuthDialog::install()
{
    ProxyLogin::setAsker(
        [](const QString &proxy, const ProxyLogin::Credentials &preset, ProxyLogin::Answer answer) {
            auto *dialog = new ProxyAuthDialog(proxy, preset);
            if (const QScreen *screen = QGuiApplication::primaryScreen()) {
                const QRect area = screen->availableGeometry();
                dialog->move(area.center() - dialog->rect().center());
            }
            // Answered exactly once, also when the dialog goes without a button.
            auto answered = std::make_shared<bool>(false);
            connect(dialog, &QDialog::finished, dialog, [dialog, answer, answered](int result) {
                *answered = true;
                answer(result == QDialog::Accepted, dialog->credentials());
            });
            connect(dialog, &QObject::destroyed, [answer, answered] {
                if (!*answered)
                    answer(false, ProxyLogin::Credentials());
            });
            // Application-modal (setUpWindow): over every screen, whichever is in front.
            dialog->show();
            dialog->raise();
            dialog->activateWindow();
        });
}
