#include "widgets/accessiblenames.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>
#include <QVariant>

namespace {

// The name this filter gave, so a later tool-tip change may replace it while
// a name chosen by a form or the code stays.
const char derivedNameProperty[] = "veskAccessibleNameFromToolTip";

bool speaksForItself(const QString &text)
{
    for (const QChar c : text) {
        if (c.isLetterOrNumber())
            return true;
    }
    return false;
}

} // namespace

AccessibleNames::AccessibleNames(QObject *parent) : QObject(parent) {}

void AccessibleNames::install(QCoreApplication *app)
{
    if (!app || app->findChild<AccessibleNames *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    app->installEventFilter(new AccessibleNames(app));
}

void AccessibleNames::nameFromToolTip(QAbstractButton *button)
{
    if (!button || speaksForItself(button->text()))
        return;
    const QString current = button->accessibleName();
    const QVariant given = button->property(derivedNameProperty);
    // Someone else named it (a form or the code): that name stays.
    if (!current.isEmpty() && (!given.isValid() || given.toString() != current))
        return;
    const QString tip = button->toolTip();
    button->setAccessibleName(tip);
    button->setProperty(derivedNameProperty, tip);
}

bool AccessibleNames::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Polish || event->type() == QEvent::ToolTipChange) {
        if (auto *button = qobject_cast<QAbstractButton *>(watched))
            nameFromToolTip(button);
    }
    return QObject::eventFilter(watched, event);
}
