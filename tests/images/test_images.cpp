#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QMovie>
#include <QRegularExpression>
#include <QtTest>

// The embedded images the screens and the style sheet name, at the pixel size they are shown at.
class TestImages : public QObject
{
    Q_OBJECT

private slots:
    void imageLoadsAtItsShownSize_data();
    void imageLoadsAtItsShownSize();
    void hoverImageMatchesItsNormalImage_data();
    void hoverImageMatchesItsNormalImage();
    void iconsHaveTransparentCorners_data();
    void iconsHaveTransparentCorners();
    void busyAnimationPlays();
    void windowIconHoldsTheWindowsSizes();
    void styleSheetNamesOnlyEmbeddedImages();
};

void TestImages::imageLoadsAtItsShownSize_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    const struct
    {
        const char *name;
        int w, h;
    } images[] = {
        {"smallLogo.png", 30, 18},
        {"middleLogo.png", 80, 48},
        {"largeLogo.png", 120, 72},
        {"logo.png", 256, 256},
        {"minimize.png", 12, 12},
        {"close.png", 12, 12},
        {"return.png", 12, 12},
        {"mtgJoin.png", 50, 50},
        {"mtgQuick.png", 50, 50},
        {"mtgCreate.png", 50, 50},
        {"mtgCast.png", 50, 50},
        {"mtgSet.png", 20, 20},
        {"mtgEmpty.png", 145, 145},
        {"mtgActTip.png", 20, 20},
        {"dot.png", 6, 6},
        {"edit.png", 20, 20},
        {"checkboxChecked.png", 14, 14},
        {"checkboxUnchecked.png", 14, 14},
        {"radioButtonChecked.png", 14, 14},
        {"radioButtonUnchecked.png", 14, 14},
        {"calendar.png", 16, 16},
        {"clock.png", 16, 16},
        {"step_up.png", 10, 6},
        {"step_down.png", 10, 6},
        {"down.png", 12, 8},
        {"white_down.png", 10, 6},
        {"halfQrcode.png", 60, 60},
        {"halfPc.png", 60, 60},
        {"phone.png", 16, 16},
        {"account.png", 16, 16},
        {"signComplete.png", 48, 48},
    };
    for (const auto &i : images)
        QTest::newRow(i.name) << QString::fromLatin1(i.name) << QSize(i.w, i.h);
}

void TestImages::imageLoadsAtItsShownSize()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QImage image(":/image/images/" + name);
    QVERIFY2(!image.isNull(), qPrintable(name));
    QCOMPARE(image.size(), size);
    QVERIFY(image.hasAlphaChannel());
}

void TestImages::hoverImageMatchesItsNormalImage_data()
{
    QTest::addColumn<QString>("normal");
    QTest::addColumn<QString>("hover");
    const char *pairs[][2] = {
        {"mtgJoin.png", "mtgJoinHover.png"},
        {"mtgQuick.png", "mtgQuickHover.png"},
        {"mtgCreate.png", "mtgCreateHover.png"},
        {"mtgCast.png", "mtgCastHover.png"},
        {"down.png", "downHover.png"},
        {"calendar.png", "calendar_hover.png"},
        {"clock.png", "clock_hover.png"},
        {"step_up.png", "step_up_hover.png"},
        {"step_down.png", "step_down_hover.png"},
        {"minimize.png", "minimizeHover.png"},
        {"close.png", "closeHover.png"},
        {"return.png", "returnHover.png"},
    };
    for (const auto &p : pairs)
        QTest::newRow(p[1]) << QString::fromLatin1(p[0]) << QString::fromLatin1(p[1]);
}

void TestImages::hoverImageMatchesItsNormalImage()
{
    QFETCH(QString, normal);
    QFETCH(QString, hover);
    const QImage a(":/image/images/" + normal);
    const QImage b(":/image/images/" + hover);
    QVERIFY(!a.isNull() && !b.isNull());
    QCOMPARE(b.size(), a.size());
    // A hover image that looks the same as the normal one gives the user no feedback.
    QVERIFY(a.convertToFormat(QImage::Format_ARGB32) != b.convertToFormat(QImage::Format_ARGB32));
}

void TestImages::iconsHaveTransparentCorners_data()
{
    QTest::addColumn<QString>("name");
    for (const char *n :
         {"minimize.png", "close.png", "return.png", "mtgSet.png", "edit.png", "calendar.png", "clock.png",
          "phone.png", "account.png", "dot.png", "mtgJoin.png", "signComplete.png", "smallLogo.png",
          "largeLogo.png", "radioButtonChecked.png", "halfQrcode.png", "halfPc.png"})
        QTest::newRow(n) << QString::fromLatin1(n);
}

void TestImages::iconsHaveTransparentCorners()
{
    QFETCH(QString, name);
    const QImage image = QImage(":/image/images/" + name).convertToFormat(QImage::Format_ARGB32);
    QVERIFY(!image.isNull());
    const int r = image.width() - 1, b = image.height() - 1;
    // The lower-left corner of the half icons is where the window shows through.
    QCOMPARE(qAlpha(image.pixel(0, b)), 0);
    if (name.startsWith("half"))
        return;
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(image.pixel(r, 0)), 0);
    QCOMPARE(qAlpha(image.pixel(r, b)), 0);
}

void TestImages::busyAnimationPlays()
{
    QMovie movie(":/image/images/loading.gif");
    QVERIFY(movie.isValid());
    QVERIFY(movie.frameCount() > 1);
    QVERIFY(movie.jumpToFrame(0));
    QCOMPARE(movie.currentImage().size(), QSize(60, 20));
    const QImage first = movie.currentImage();
    QVERIFY(movie.jumpToNextFrame());
    QVERIFY(movie.currentImage() != first);
    QCOMPARE(qAlpha(first.pixel(0, 0)), 0);
}

void TestImages::windowIconHoldsTheWindowsSizes()
{
    QImageReader reader(QStringLiteral(VESK_BIN_DIR "/icon/logo.ico"));
    if (!QImageReader::supportedImageFormats().contains("ico"))
        QSKIP("no ico image plugin");
    QList<int> widths;
    do {
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        widths << image.width();
    } while (reader.jumpToNextImage());
    std::sort(widths.begin(), widths.end());
    QCOMPARE(widths, (QList<int>{16, 32, 48, 256}));
}

void TestImages::styleSheetNamesOnlyEmbeddedImages()
{
    QFile qss(":/qss/style/style.qss");
    QVERIFY(qss.open(QIODevice::ReadOnly));
    const QString sheet = QString::fromUtf8(qss.readAll());
    QRegularExpression url(QStringLiteral("url\\(\\s*[\"']?([^\"')\\s]+)"));
    QStringList missing;
    for (auto it = url.globalMatch(sheet); it.hasNext();) {
        const QString path = it.next().captured(1);
        if (QImage(path).isNull())
            missing << path;
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(", ")));
}

QTEST_MAIN(TestImages)
#include "test_images.moc"
