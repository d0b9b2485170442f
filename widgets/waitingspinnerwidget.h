#pragma once

#include <QString>
#include <QWidget>

class QFrame;
class QLabel;
class QMovie;

// Busy overlay: a small frameless tool window with an animation and one line
// of text, centred over its parent and optionally disabling it while it runs.
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
    bool isSpinning() const;

public slots:
    void start();
    void stop();

private:
    bool m_centerOnParent = true;
    bool m_disableParentWhenSpinning = true;
    QFrame *m_frame = nullptr;
    QLabel *m_imageLabel = nullptr;
    QLabel *m_textLabel = nullptr;
    QMovie *m_movie = nullptr;
};
