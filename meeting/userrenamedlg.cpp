#include "meeting/userrenamedlg.h"
#include "ui_userrenamedlg.h"

#include "app/basevalues.h"
#include "app/waits.h"
#include "http/tmmtgnickchangehttp.h"
#include "http/usermessage.h"
#include "sdk/wemeetmanager.h"
#include "widgets/messages.h"
#include "widgets/snackbar.h"
#include "widgets/waitingspinnerwidget.h"

#include <QRegExp>
#include <QRegExpValidator>

userRenameDlg::userRenameDlg(QWidget *parent) : BorderDialog(parent), ui(new Ui::userRenameDlg)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);
    // A modal dialog rather than a pop-up: a pop-up closes as soon as the
    // refusal notice appears, losing what the user typed.
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    setWindowTitle(QStringLiteral("修改名称"));

    ui->backgroundWidget->setObjectName(QStringLiteral("roundborderWidget"));
    ui->lblRename->setObjectName(QStringLiteral("messageQLabel"));
    ui->IEditRename->setObjectName(QStringLiteral("underlineQLineEdit"));
    ui->btnCancel->setObjectName(QStringLiteral("normalQPushButton"));
    ui->btnConfirm->setObjectName(QStringLiteral("defaultQPushButton"));

    // Letters, digits, "_" and Chinese characters only, 1 to 15 of them.
    const QString pattern = QStringLiteral("[A-Za-z0-9_") + QChar(0x4E00) + QLatin1Char('-') + QChar(0x9FA5) +
                            QStringLiteral("]{1,15}");
    ui->IEditRename->setValidator(new QRegExpValidator(QRegExp(pattern), ui->IEditRename));
    ui->IEditRename->setMaxLength(15);
    ui->IEditRename->setText(QStringLiteral("%1").arg(baseValues->meetingPersonName));
    ui->btnConfirm->setEnabled(!ui->IEditRename->text().isEmpty());

    m_renameRequest = new TmMtgNickChangeHttp(this);
    m_spinner = new WaitingSpinnerWidget(this, true, true);

    connect(ui->btnCancel, &QPushButton::clicked, this, &userRenameDlg::onbtnCancelClicked);
    connect(ui->btnConfirm, &QPushButton::clicked, this, &userRenameDlg::onbtnConfirmClicked);
    connect(ui->IEditRename, &QLineEdit::textChanged, this, &userRenameDlg::onbtnConfirmEnabled);
    connect(ui->IEditRename, &QLineEdit::inputRejected, this, &userRenameDlg::explainRefusedInput);
    connect(m_renameRequest, &TmMtgNickChangeHttp::sendTmMtgNickChangeResultSignal, this,
            &userRenameDlg::tmMtgNickChangeResultSlot);
    connect(WeMeetManager::instance(), &WeMeetManager::OnForcedLogoutFinishSignal, this,
            &userRenameDlg::wmForcedLogoutCompleteSlot);
}

userRenameDlg::~userRenameDlg()
{
    delete ui;
}

void userRenameDlg::onbtnCancelClicked()
{
    close();
}

void userRenameDlg::onbtnConfirmClicked()
{
    if (ui->IEditRename->text().isEmpty())
        return;
    m_spinner->start();
    m_newName = ui->IEditRename->text();
    m_renameRequest->request(baseValues->tenantInfo, m_newName);
}

void userRenameDlg::onbtnConfirmEnabled(QString text)
{
    ui->btnConfirm->setEnabled(!text.isEmpty());
}

void userRenameDlg::explainRefusedInput()
{
    // One word per burst of refused keys, not one notice for each.
    if (m_lastRefusal.isValid() && m_lastRefusal.elapsed() < Waits::noticeMs)
        return;
    m_lastRefusal.start();
    const QString text = ui->IEditRename->text().size() >= ui->IEditRename->maxLength()
                             ? QStringLiteral("名称最多15个字")
                             : QStringLiteral("名称只能包含中文、字母、数字和下划线");
    // Just above the dialog: over it, the notice would hide the name being typed.
    Messages::noticeIn(this, text, QRect(0, -height() / 2, width(), height() / 2));
}

void userRenameDlg::wmForcedLogoutCompleteSlot()
{
    close();
}

void userRenameDlg::tmMtgNickChangeResultSlot(QString result, ServiceReply reply)
{
    Q_UNUSED(result)
    m_spinner->stop();
    if (reply.succeeded()) {
        baseValues->meetingPersonName = m_newName;
        emit nickChangedSignal();
        Messages::noticeAfterClose(this, QStringLiteral("修改成功"));
        close();
        return;
    }
    Messages::notice(this, userMessage(reply));
    ui->IEditRename->setText(baseValues->meetingPersonName);
}
