#pragma once

#include "widgets/borderdialog.h"

#include <QPoint>
#include <QString>

namespace Ui {
class TwoBtnDlg;
}

// The modal "温馨提示" message dialog. The two-button form asks a question
// (left button cancels, right button confirms); the one-button form shows a
// message with one acknowledging button. exec() returns QDialog::Accepted
// only for the right button.
class TwoBtnDlg : public BorderDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(TwoBtnDlg)

public:
    // Two-button form; the caller sets both button texts.
    explicit TwoBtnDlg(QWidget *parent = nullptr);
    // One-button form: rightBtn carries buttonText, leftBtn is hidden.
    explicit TwoBtnDlg(QString buttonText, QWidget *parent = nullptr);
    ~TwoBtnDlg() override;

    // The two-button form.
    bool isQuestion() const { return m_question; }

public slots:
    void setLeftBtnTxt(QString text);
    void setRightBtnTxt(QString text);
    void setShowMsg(QString sText);
    void on_leftBtn_clicked();
    void on_rightBtn_clicked();
    void closeBtnDlgSlot();

private:
    void setUpForm();

    Ui::TwoBtnDlg *ui = nullptr;
    bool m_question = true;
};
