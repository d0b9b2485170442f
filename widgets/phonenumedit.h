#pragma once

#include "app/areacode.h"

#include <QList>
#include <QString>
#include <QWidget>

class QListWidgetItem;

namespace Ui {
class PhoneNumEdit;
}

// Phone-number input: a country-code part with a filtered drop-down of
// calling codes and a number part. The inner edits carry the object names
// "noBorderQLineEdit" (code) and "underlinePaddingQLineEdit" (number).
class PhoneNumEdit : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(PhoneNumEdit)

public:
    explicit PhoneNumEdit(QWidget *parent = nullptr);
    ~PhoneNumEdit() override;

    QString areaCode() const;
    QString phoneNumber() const;
    // An empty or null code sets "86".
    void setAreaCode(QString code);
    void setPhoneNumber(QString number);
    void setAreaCodeEnabled(bool enabled);
    void setAreaCodeList(QList<AreaCode> list);
    void setPhoneNumberFocus();

public slots:
    void showAreaList();
    void showAreaList(QString text);
    void closeAreaList();
    void setAreaCodeBySelect(QListWidgetItem *item);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void addAreaRow(const AreaCode &entry);
    void collapse();

    Ui::PhoneNumEdit *ui = nullptr;
    QList<AreaCode> m_areaCodes;
    // Height of the widget before its list opened; -1 while the list is closed.
    int m_collapsedHeight = -1;
    // Set while the list hands the focus back to the code edit.
    bool m_returningFocus = false;
};
