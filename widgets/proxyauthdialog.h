#pragma once

#include "http/proxylogin.h"

#include "widgets/borderdialog.h"

namespace Ui {
class ProxyAuthDialog;
}

// "代理服务器需要身份验证": user name, password and whether to remember them
// for a proxy that answered 407.
class ProxyAuthDialog final : public BorderDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(ProxyAuthDialog)

public:
    ProxyAuthDialog(const QString &proxy, const ProxyLogin::Credentials &preset, QWidget *parent = nullptr);
    ~ProxyAuthDialog() override;

    ProxyLogin::Credentials credentials() const;

    // Makes this dialog the question ProxyLogin asks.
    static void install();

private:
    Ui::ProxyAuthDialog *ui = nullptr;
};
