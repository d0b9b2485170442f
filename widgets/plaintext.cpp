#include "widgets/plaintext.h"

#include <QFontMetrics>
#include <QLabel>
#include <QTextDocument>

namespace PlainText {

QString oneLine(const QString &text)
{
    QString line = text;
    for (QChar &c : line) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph)
            c = QLatin1Char(' ');
    }
    return line;
}

QString toolTip(const QString &text)
{
    // Qt decides as mightBeRichText() does: what it takes for plain stays so.
    if (!Qt::mightBeRichText(text))
        return text;
    return QStringLiteral("<p style='white-space:pre-wrap'>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

void setOneLine(QLabel *label, const QString &text, int width)
{
    label->setTextFormat(Qt::PlainText);
    label->ensurePolished();
    const QString line = oneLine(text);
    const QString shown =
        label->fontMetrics().elidedText(line, Qt::ElideRight, width > 0 ? width : label->width());
    label->setText(shown);
}

} // namespace PlainText
