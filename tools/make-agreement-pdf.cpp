// Renders an agreement document (HTML) into the PDF the sign-in screens open.
// Usage: make-agreement-pdf <input.html> <output.pdf> [title]
// Runs without a display: QT_QPA_PLATFORM=offscreen.

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>
#include <QTextStream>

#include <cstdio>

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "make-agreement-pdf: %s\n", qPrintable(message));
    return 1;
}

// The first installed CJK family from the preferred list; Windows builds fall
// back to the system's own Chinese fonts.
QString cjkFamily()
{
    const QStringList installed = QFontDatabase().families();
    for (const QString &family : {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Source Han Sans SC"),
                                  QStringLiteral("Microsoft YaHei"), QStringLiteral("SimSun"),
                                  QStringLiteral("WenQuanYi Micro Hei")}) {
        if (installed.contains(family))
            return family;
    }
    return QString();
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = app.arguments();
    if (args.size() < 3 || args.size() > 4)
        return fail(QStringLiteral("usage: make-agreement-pdf <input.html> <output.pdf> [title]"));
    const QString input = args.at(1);
    const QString output = args.at(2);

    QFile in(input);
    if (!in.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1: %2").arg(input, in.errorString()));
    const QString html = QString::fromUtf8(in.readAll());
    if (html.trimmed().isEmpty())
        return fail(QStringLiteral("%1 is empty").arg(input));

    const QString family = cjkFamily();
    if (family.isEmpty())
        return fail(QStringLiteral("no Chinese font installed (fonts-noto-cjk)"));

    // Written to a temporary file first so a failed run never leaves a
    // truncated PDF that looks like a finished one.
    QSaveFile out(output);
    if (!out.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("cannot write %1: %2").arg(output, out.errorString()));

    {
        QPdfWriter writer(&out);
        writer.setResolution(300);
        writer.setCreator(QStringLiteral("Vesk云会议"));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(20, 20, 20, 22), QPageLayout::Millimeter));

        QTextDocument doc;
        QFont font(family);
        font.setPointSizeF(10.5);
        doc.setDefaultFont(font);
        doc.setDocumentMargin(0);
        doc.setHtml(html);
        const QString title =
            args.size() == 4 ? args.at(3) : doc.metaInformation(QTextDocument::DocumentTitle);
        writer.setTitle(title.isEmpty() ? QFileInfo(output).completeBaseName() : title);

        // Lay out on the printable area in device pixels and leave a strip at
        // the bottom of each page for the page number.
        const QRect page = writer.pageLayout().paintRectPixels(writer.resolution());
        const int footer = writer.resolution() * 8 / 25; // about 8 mm
        doc.documentLayout()->setPaintDevice(&writer);
        doc.setPageSize(QSizeF(page.width(), page.height() - footer));
        const int pages = doc.pageCount();

        QPainter painter;
        if (!painter.begin(&writer))
            return fail(QStringLiteral("cannot paint %1").arg(output));
        QFont footerFont(family);
        footerFont.setPointSizeF(8.5);
        for (int i = 0; i < pages; ++i) {
            if (i > 0)
                writer.newPage();
            const qreal top = i * doc.pageSize().height();
            painter.save();
            painter.translate(0, -top);
            QAbstractTextDocumentLayout::PaintContext context;
            context.clip = QRectF(0, top, page.width(), doc.pageSize().height());
            doc.documentLayout()->draw(&painter, context);
            painter.restore();

            painter.setFont(footerFont);
            painter.setPen(QColor(0x80, 0x80, 0x80));
            painter.drawText(QRect(0, page.height() - footer, page.width(), footer),
                             Qt::AlignHCenter | Qt::AlignBottom,
                             QStringLiteral("第 %1 页 / 共 %2 页").arg(i + 1).arg(pages));
        }
        painter.end();
    }

    if (!out.commit())
        return fail(QStringLiteral("cannot write %1: %2").arg(output, out.errorString()));
    return 0;
}
