#pragma once

#include <QColor>
#include <QObject>

class QCoreApplication;

// Qt 5 style sheets paint a line edit's placeholder in the edit's text
// colour, so "请输入账号" looks like typed content. Installed once on the
// application after the style sheet, this gives every line edit (and the
// editors inside combo boxes and date edits) the hint grey again whenever a
// style polishes it.
class PlaceholderColor final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(PlaceholderColor)

public:
    static void install(QCoreApplication *app, const QColor &color = QColor(0x99, 0x99, 0x99));

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    PlaceholderColor(const QColor &color, QObject *parent);

    QColor m_color;
};
