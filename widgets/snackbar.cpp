#include "widgets/snackbar.h"

#include "ui_snackbar.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTimerEvent>

Snackbar::Snackbar(QWidget *parent) : QDialog(parent), ui(new Ui::Snackbar)
{
    ui->setupUi(this);
}

Snackbar::~Snackbar()
{
    delete ui;
}

void Snackbar::showMessage(QString text, QWidget *parent, int durationMs)
{
    QRect area;
    if (parent && parent->window()->isVisible())
        area = parent->window()->frameGeometry();
    present(text, parent, area, durationMs);
}

void Snackbar::showMessageIn(QString text, QWidget *parent, const QRect &area, int durationMs)
{
    QRect global;
    if (parent && parent->isVisible())
        global = QRect(parent->mapToGlobal(area.topLeft()), area.size());
    present(text, parent, global, durationMs);
}

void Snackbar::showMessageOver(QString text, const QRect &globalArea, int durationMs)
{
    present(text, nullptr, globalArea, durationMs);
}

Snackbar *Snackbar::showMessageWithAction(const QString &text, const QString &actionText, QWidget *parent,
                                          std::function<void()> action, int durationMs)
{
    QRect area;
    if (parent && parent->window()->isVisible())
        area = parent->window()->frameGeometry();
    const QString rich = QStringLiteral("%1&nbsp;&nbsp;<a href=\"action\" style=\"color:#7DB6FF; "
                                        "text-decoration:none;\">%2</a>")
                             .arg(text.left(120).toHtmlEscaped(), actionText.toHtmlEscaped());
    Snackbar *notice = present(rich, parent, area, durationMs, true);
    QLabel *label = notice->ui->label;
    label->setTextFormat(Qt::RichText);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label->setCursor(Qt::PointingHandCursor);
    connect(label, &QLabel::linkActivated, notice, [notice, action] {
        notice->close();
        if (action)
            action();
    });
    return notice;
}

Snackbar *Snackbar::present(const QString &fullText, QWidget *parent, QRect globalArea, int durationMs,
                            bool rich)
{
    // A notice is read at a glance; laying out a huge text (a service's
    // runaway error message) would freeze the window instead.
    constexpr int maxChars = 300;
    QString text = fullText;
    if (text.size() > maxChars)
        text = text.left(maxChars - 1) + QChar(0x2026);

    auto *notice = new Snackbar(parent);
    notice->setWindowFlags(notice->windowFlags() | Qt::FramelessWindowHint);
    notice->setAttribute(Qt::WA_TranslucentBackground);
    // A notice must not take the keyboard away from the screen under it.
    notice->setAttribute(Qt::WA_ShowWithoutActivating);
    // Nobody holds on to a notice once it is shown; kept after closing, a
    // notice without a parent would never be freed, and one over a screen
    // that lives all run (the session window) would pile up with every use.
    notice->setAttribute(Qt::WA_DeleteOnClose);

    QLabel *label = notice->ui->label;
    label->setObjectName(QStringLiteral("snackbarQLabel"));
    label->ensurePolished();
    label->adjustSize();

    // Wrap only what cannot stand on one line inside the label's maximum
    // width, so a short text keeps one line and the label grows to fit it.
    const QMargins chrome = label->contentsMargins();
    const int room = label->maximumWidth() - 2 * label->margin() - chrome.left() - chrome.right();
    // A link's markup takes no room of its own.
    const QString shown = rich ? QTextDocumentFragment::fromHtml(text).toPlainText() : text;
    const int advance = QFontMetrics(label->font()).horizontalAdvance(shown);
    const bool wrap = advance > room;
    label->setWordWrap(wrap);
    // Wrapped lines use the whole width rather than a narrow column.
    if (wrap)
        label->setMinimumWidth(label->maximumWidth());

    // A notice carries the service's words: never rendered as markup.
    label->setTextFormat(rich ? Qt::RichText : Qt::PlainText);
    label->setText(text);
    // Hug the text: adjustSize() would pad an expanding window to 200 x 100.
    QSize size = notice->sizeHint();
    if (notice->layout()->hasHeightForWidth())
        size.setHeight(notice->layout()->totalHeightForWidth(size.width()));
    notice->resize(size);
    // Placed by hand: Qt's own placement of a frameless dialog allows for a
    // title bar that is not there and lands about 40 pixels too high.
    if (!globalArea.isValid()) {
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            globalArea = screen->geometry();
    }
    if (globalArea.isValid())
        notice->move(globalArea.center() - QPoint(size.width() / 2, size.height() / 2));
    notice->m_timerId = notice->startTimer(qMax(0, durationMs), Qt::CoarseTimer);
    notice->show();
    return notice;
}

void Snackbar::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_timerId)
        return;
    killTimer(m_timerId);
    m_timerId = -1;
    close();
}
