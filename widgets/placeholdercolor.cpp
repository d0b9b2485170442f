#include "widgets/placeholdercolor.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPalette>

PlaceholderColor::PlaceholderColor(const QColor &color, QObject *parent) : QObject(parent), m_color(color) {}

void PlaceholderColor::install(QCoreApplication *app, const QColor &color)
{
    if (!app || app->findChild<PlaceholderColor *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    app->installEventFilter(new PlaceholderColor(color, app));
}

bool PlaceholderColor::eventFilter(QObject *watched, QEvent *event)
{
    // The style sheet hands its palette over with a PaletteChange after the
    // widget's polish; correcting it then sticks until the next polish, and
    // the change this causes finds the colour already right.
    if (event->type() == QEvent::PaletteChange) {
        if (auto *edit = qobject_cast<QLineEdit *>(watched)) {
            QPalette pal = edit->palette();
            if (pal.color(QPalette::PlaceholderText) != m_color) {
                pal.setColor(QPalette::PlaceholderText, m_color);
                edit->setPalette(pal);
            }
        }
    }
    return QObject::eventFilter(watched, event);
}
