#include "widgets/focuswheel.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace {

class WheelFilter final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Wheel && !static_cast<QWidget *>(watched)->hasFocus()) {
            // Eaten here but left unaccepted, so it goes on to the parent.
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

namespace FocusWheel {

void install(QWidget *field)
{
    static auto *filter = new WheelFilter(QCoreApplication::instance());
    // The wheel must not give the focus either.
    field->setFocusPolicy(Qt::StrongFocus);
    field->installEventFilter(filter);
}

} // namespace FocusWheel
