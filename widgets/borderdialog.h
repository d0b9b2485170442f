#pragma once

#include <QDialog>

// Base of every top-level screen and dialog: a white content rectangle inset
// by 10 pixels with a soft 10-pixel shadow drawn around it. Subclasses add
// Qt::FramelessWindowHint themselves and keep their content inside 10-pixel
// contents margins.
class BorderDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(BorderDialog)

public:
    explicit BorderDialog(QWidget *parent = nullptr);
    ~BorderDialog() override = default;

    // Width of the shadow ring around the content rectangle.
    static constexpr int shadowWidth = 10;

protected:
    void paintEvent(QPaintEvent *event) override;
};
