#include "widgets/twobtndlg.h"

#include "ui_twobtndlg.h"

TwoBtnDlg::TwoBtnDlg(QWidget *parent) : BorderDialog(parent), ui(new Ui::TwoBtnDlg)
{
    setUpForm();
}

TwoBtnDlg::TwoBtnDlg(QString buttonText, QWidget *parent) : BorderDialog(parent), ui(new Ui::TwoBtnDlg)
{
    setUpForm();
    ui->rightBtn->setText(buttonText);
    ui->leftBtn->hide();
    // The gap between the buttons would push the one button off centre.
    ui->horizontalSpacer_5->changeSize(0, 20, QSizePolicy::Fixed, QSizePolicy::Minimum);
    ui->horizontalLayout->invalidate();
    m_question = false;
}

TwoBtnDlg::~TwoBtnDlg()
{
    delete ui;
}

void TwoBtnDlg::setUpForm()
{
    ui->setupUi(this);
    setDraggable(true);
    setWindowTitle(QStringLiteral("温馨提示"));
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setWindowModality(Qt::ApplicationModal);

    // Style names, given after setupUi has connected the slots by name.
    ui->rightBtn->setObjectName(QStringLiteral("defaultQPushButton"));
    ui->leftBtn->setObjectName(QStringLiteral("normalQPushButton"));
    ui->lblMsg->setObjectName(QStringLiteral("messageQLabel"));
    ui->leftBtn->setCursor(Qt::PointingHandCursor);
    ui->rightBtn->setCursor(Qt::PointingHandCursor);
}

void TwoBtnDlg::setLeftBtnTxt(QString text)
{
    ui->leftBtn->setText(text);
}

void TwoBtnDlg::setRightBtnTxt(QString text)
{
    ui->rightBtn->setText(text);
}

void TwoBtnDlg::setShowMsg(QString sText)
{
    // Messages carry the service's words: shown as they are, never as markup.
    ui->lblMsg->setTextFormat(Qt::PlainText);
    ui->lblMsg->setText(sText);
}

void TwoBtnDlg::on_leftBtn_clicked()
{
    reject();
}

void TwoBtnDlg::on_rightBtn_clicked()
{
    accept();
}

void TwoBtnDlg::closeBtnDlgSlot()
{
    reject();
}
