#include "widgets/pngimage.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QStyle>

namespace {

QPixmap readPng(const QString &path, qreal ratio)
{
    // Silent for a missing file, as QPixmap's own loading is.
    if (!QFileInfo::exists(path))
        return QPixmap();
    QImageReader reader(path, QByteArrayLiteral("png"));
    reader.setAutoDetectImageFormat(false);
    QPixmap pixmap = QPixmap::fromImage(reader.read());
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

} // namespace

QPixmap PngImage::pixmap(const QString &path, qreal ratio)
{
    if (ratio >= 2) {
        const int dot = path.lastIndexOf(QLatin1Char('.'));
        const QString sharp = path.left(dot) + QStringLiteral("@2x") + path.mid(dot);
        if (dot > 0 && QFileInfo::exists(sharp))
            return readPng(sharp, 2);
    }
    return readPng(path, 1);
}

QIcon PngImage::icon(const QString &path)
{
    QIcon icon(readPng(path, 1));
    const QPixmap sharp = pixmap(path, qApp ? qApp->devicePixelRatio() : 1);
    if (sharp.devicePixelRatio() >= 2)
        icon.addPixmap(sharp);
    return icon;
}

QIcon PngImage::windowIcon()
{
    QIcon icon;
    for (const char *name : {"windowIcon16", "windowIcon32", "windowIcon48", "logo"})
        icon.addPixmap(readPng(QStringLiteral(":/image/images/%1.png").arg(QLatin1String(name)), 1));
    return icon;
}

void PlainPixmapLabel::paintEvent(QPaintEvent *event)
{
    const QPixmap shown = pixmap(Qt::ReturnByValue);
    if (shown.isNull()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    style()->drawItemPixmap(&painter, contentsRect(), int(alignment()), shown);
}
