#include "widgets/waitingspinnerwidget.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMovie>
#include <QTimer>
#include <QVBoxLayout>

WaitingSpinnerWidget::WaitingSpinnerWidget(QWidget *parent, bool centerOnParent,
                                           bool disableParentWhenSpinning)
    : QWidget(parent), m_centerOnParent(centerOnParent),
      m_disableParentWhenSpinning(disableParentWhenSpinning)
{
    // A tool window stays above the screen it belongs to; staying above
    // everything it would cover the Meeting SDK's waiting room.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(150, 80);
    hide();
}

WaitingSpinnerWidget::~WaitingSpinnerWidget()
{
    if (m_imageLabel)
        m_imageLabel->setMovie(nullptr);
    delete m_movie;
    delete m_imageLabel;
    delete m_textLabel;
    delete m_frame;
}

void WaitingSpinnerWidget::ensurePanel()
{
    if (m_frame)
        return;
    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("spinnerQFrame"));
    m_frame->setGeometry(5, 5, 140, 70);

    m_imageLabel = new QLabel(m_frame);
    m_imageLabel->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    m_textLabel = new QLabel(m_frame);
    m_textLabel->setObjectName(QStringLiteral("tips"));
    m_textLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    auto *layout = new QVBoxLayout(m_frame);
    layout->addStretch();
    layout->addWidget(m_imageLabel);
    layout->addWidget(m_textLabel);
    layout->addStretch();
}

void WaitingSpinnerWidget::setText(QString text)
{
    ensurePanel();
    m_textLabel->setText(text);
}

QString WaitingSpinnerWidget::text() const
{
    return m_textLabel ? m_textLabel->text() : QString();
}

bool WaitingSpinnerWidget::isSpinning() const
{
    return isVisible() || m_waitingForPaint;
}

void WaitingSpinnerWidget::start()
{
    stopWaitingForPaint();
    ensurePanel();
    if (!m_movie) {
        m_movie = new QMovie(QStringLiteral(":/image/images/loading.gif"));
        m_movie->setScaledSize(QSize(60, 20));
        m_movie->setCacheMode(QMovie::CacheAll);
        m_movie->setSpeed(200);
        m_imageLabel->setMovie(m_movie);
    }
    QWidget *owner = parentWidget();
    if (owner && m_centerOnParent) {
        // The spinner is a window of its own, so it needs the owner's place
        // on the screen; for a window that is its position.
        const QPoint origin = owner->isWindow() ? owner->pos() : owner->mapToGlobal(QPoint(0, 0));
        move(origin.x() + (owner->width() - width()) / 2, origin.y() + (owner->height() - height()) / 2);
    }
    show();
    raise();
    m_movie->start();
    if (owner && m_disableParentWhenSpinning)
        disableOwner(owner);
}

void WaitingSpinnerWidget::disableOwner(QWidget *owner)
{
    // Disabling takes the keyboard from the field; it comes back on stop.
    if (owner->isEnabled())
        m_focusBefore = owner->window()->focusWidget();
    owner->setEnabled(false);
}

void WaitingSpinnerWidget::startAfterOwnerPainted()
{
    QWidget *owner = parentWidget();
    QWidget *ownerWindow = owner ? owner->window() : nullptr;
    // A window that is on the screen has had its first paint.
    if (!ownerWindow || !ownerWindow->isVisible() || ownerWindow->testAttribute(Qt::WA_Mapped)) {
        start();
        return;
    }
    ensurePanel();
    if (m_disableParentWhenSpinning)
        disableOwner(owner);
    if (!m_waitingForPaint) {
        m_waitingForPaint = true;
        ownerWindow->installEventFilter(this);
    }
}

bool WaitingSpinnerWidget::eventFilter(QObject *watched, QEvent *event)
{
    if (m_waitingForPaint && event->type() == QEvent::Paint && watched == parentWidget()->window()) {
        // After the paint: the frame reaches the screen first.
        QTimer::singleShot(0, this, [this] {
            if (m_waitingForPaint)
                start();
        });
    }
    return QWidget::eventFilter(watched, event);
}

void WaitingSpinnerWidget::stopWaitingForPaint()
{
    if (!m_waitingForPaint)
        return;
    m_waitingForPaint = false;
    if (QWidget *owner = parentWidget())
        owner->window()->removeEventFilter(this);
}

void WaitingSpinnerWidget::stop()
{
    stopWaitingForPaint();
    if (m_movie)
        m_movie->stop();
    hide();
    QWidget *owner = parentWidget();
    if (owner && m_disableParentWhenSpinning) {
        owner->setEnabled(true);
        QWidget *window = owner->window();
        if (m_focusBefore && m_focusBefore->isEnabled() && !window->focusWidget())
            m_focusBefore->setFocus(Qt::OtherFocusReason);
    }
}
