// The yardstick for start-up and memory: one plain Qt Widgets window of the
// client's size that quits at the first idle after it is painted.
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>

namespace {

class BareWindow : public QWidget
{
protected:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::Paint && !m_painted) {
            m_painted = true;
            std::fprintf(stderr, "painted %lld\n",
                         static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(
                                                    std::chrono::system_clock::now().time_since_epoch())
                                                    .count()));
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QWidget::event(e);
    }

private:
    bool m_painted = false;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    BareWindow window;
    window.resize(395, 687);
    window.show();
    return app.exec();
}
