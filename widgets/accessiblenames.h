#pragma once

#include <QObject>

class QAbstractButton;
class QCoreApplication;

// Icon-only buttons (minimise, close, return, the QR corner, settings, the
// "• • •" row buttons) have no text a screen reader could speak. Installed
// once on the application, this names every such button after its tool tip
// when it is polished and whenever the tool tip changes. A name set in a form
// or in code is left alone.
class AccessibleNames final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(AccessibleNames)

public:
    static void install(QCoreApplication *app);
    // The rule itself, for buttons made before the filter was installed.
    static void nameFromToolTip(QAbstractButton *button);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit AccessibleNames(QObject *parent);
};
