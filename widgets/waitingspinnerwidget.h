#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class QFrame;
class QLabel;
class QMovie;

// Busy overlay: a small frameless tool window with an animation and one line
// of text, centred over its parent and optionally disabling it while it runs.
// Its panel is built when first needed and its animation read when first
// shown, so a screen that never waits never pays for either.
class WaitingSpinnerWidget : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(WaitingSpinnerWidget)

public:
    WaitingSpinnerWidget(QWidget *parent = nullptr, bool centerOnParent = true,
                         bool disableParentWhenSpinning = true);
    ~WaitingSpinnerWidget() override;

    void setText(QString text);
    QString text() const;
    // Shown, or started and waiting for its owner's first paint.
    bool isSpinning() const;

    // start() for a screen that starts waiting as it opens: the owner is
    // disabled at once, but until the owner's window has been painted the
    // overlay holds back, so the screen's first frame does not wait for a
    // second window, its layout and its animation.
    void startAfterOwnerPainted();

public slots:
    void start();
    void stop();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void disableOwner(QWidget *owner);
    void ensurePanel();
    void stopWaitingForPaint();

    bool m_centerOnParent = true;
    bool m_disableParentWhenSpinning = true;
    bool m_waitingForPaint = false;
    QPointer<QWidget> m_focusBefore;
    QFrame *m_frame = nullptr;
    QLabel *m_imageLabel = nullptr;
    QLabel *m_textLabel = nullptr;
    QMovie *m_movie = nullptr;
};
