#include "widgets/waitingspinnerwidget.h"

#include <QFrame>
#include <QLabel>
#include <QMovie>
#include <QVBoxLayout>

WaitingSpinnerWidget::WaitingSpinnerWidget(QWidget *parent, bool centerOnParent,
                                           bool disableParentWhenSpinning)
    : QWidget(parent), m_centerOnParent(centerOnParent),
      m_disableParentWhenSpinning(disableParentWhenSpinning)
{
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(150, 80);

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

    m_movie = new QMovie(QStringLiteral(":/image/images/loading.gif"));
    m_movie->setScaledSize(QSize(60, 20));
    m_movie->setCacheMode(QMovie::CacheAll);
    m_movie->setSpeed(200);
    m_imageLabel->setMovie(m_movie);

    hide();
}

WaitingSpinnerWidget::~WaitingSpinnerWidget()
{
    m_imageLabel->setMovie(nullptr);
    delete m_movie;
    delete m_imageLabel;
    delete m_textLabel;
    delete m_frame;
}

void WaitingSpinnerWidget::setText(QString text)
{
    m_textLabel->setText(text);
}

QString WaitingSpinnerWidget::text() const
{
    return m_textLabel->text();
}

bool WaitingSpinnerWidget::isSpinning() const
{
    return isVisible();
}

void WaitingSpinnerWidget::start()
{
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
        owner->setEnabled(false);
}

void WaitingSpinnerWidget::stop()
{
    m_movie->stop();
    hide();
    QWidget *owner = parentWidget();
    if (owner && m_disableParentWhenSpinning)
        owner->setEnabled(true);
}
