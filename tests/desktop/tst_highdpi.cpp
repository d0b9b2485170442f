// A screen drawn at scale 2 (a high-resolution screen): the window keeps its
// designed size in logical pixels and renders with twice the pixels, and its
// icons come from the @2x images instead of being blown up.

#include "session/sessiontestsupport.h"

#include "session/navigator.h"
#include "session/splashselect.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QTest>

using namespace sessiontest;

class TestHighDpi : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        useOwnHomeFolder();
        QVERIFY(m_server.start() > 0);
        QVERIFY(testsupport::applyStyleSheet());
        QCOMPARE(qApp->devicePixelRatio(), 2.0);
    }
    void cleanup() { deleteAllWindows(); }

    void startScreenRendersAtTwiceItsSize()
    {
        QVERIFY(freshStart(m_server));
        SplashSelect *splash = Navigator::instance()->showStartScreen(nullptr);
        QVERIFY(splash);
        QVERIFY(QTest::qWaitForWindowExposed(splash));
        const QSize logical = splash->size();
        QVERIFY(logical.width() > 300 && logical.height() > 300);

        const QPixmap shot = splash->grab();
        QCOMPARE(shot.devicePixelRatio(), 2.0);
        QCOMPARE(shot.size(), logical * 2);
        const QString out = qEnvironmentVariable("VESK_SCREENSHOT_DIR");
        if (!out.isEmpty())
            shot.save(out + QStringLiteral("/start-screen@2x.png"));
    }

    void iconsUseTheirSharpImages_data()
    {
        QTest::addColumn<QString>("toolTip");
        QTest::addColumn<QSize>("shown");
        QTest::newRow("close") << QStringLiteral("关闭") << QSize(12, 12);
        QTest::newRow("minimise") << QStringLiteral("最小化") << QSize(12, 12);
    }
    void iconsUseTheirSharpImages()
    {
        QFETCH(QString, toolTip);
        QFETCH(QSize, shown);
        QVERIFY(freshStart(m_server));
        SplashSelect *splash = Navigator::instance()->showStartScreen(nullptr);
        QAbstractButton *button = buttonWithToolTip(splash, toolTip);
        QVERIFY(button);
        const QPixmap pixmap = button->icon().pixmap(shown);
        QCOMPARE(pixmap.devicePixelRatio(), 2.0);
        QCOMPARE(pixmap.size(), shown * 2);
    }

    // Every image shown at its pixel size has a twin with twice the pixels; the
    // window icon's renderings are sizes of their own.
    void everyImageHasItsDoubleSizeTwin()
    {
        const QDir dir(QStringLiteral(":/image/images"));
        int twins = 0;
        for (const QString &name : dir.entryList({QStringLiteral("*.png")})) {
            if (name.contains(QLatin1Char('@')) || name == QLatin1String("logo.png") ||
                name.startsWith(QLatin1String("windowIcon")))
                continue;
            const QString base = name.chopped(4);
            const QImage normal(dir.filePath(name));
            const QImage twin(dir.filePath(base + QStringLiteral("@2x.png")));
            QVERIFY2(!twin.isNull(), qPrintable(base + QStringLiteral("@2x.png missing")));
            QCOMPARE(twin.size(), normal.size() * 2);
            ++twins;
        }
        QVERIFY(twins > 30);
    }

private:
    devservice::Server m_server;
};

int main(int argc, char **argv)
{
    // As on a screen at 200 %: set before the application exists.
    qputenv("QT_SCALE_FACTOR", "2");
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QApplication app(argc, argv);
    TestHighDpi test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_highdpi.moc"
