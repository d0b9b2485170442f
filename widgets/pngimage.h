#pragma once

#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QString>

// The program's PNG images, read as PNG. Named without a format, Qt first
// asks every image plugin (GIF, ICO, JPEG, SVG with its library) whether it
// reads "png" and loads them all for the first image a screen shows.
namespace PngImage {

// The image at path, or its "@2x" copy when ratio is 2 or more and one
// exists, with its device pixel ratio set; null when unreadable.
QPixmap pixmap(const QString &path, qreal ratio);

// An icon of the image for this application's screens: with its "@2x" copy
// too when a screen has a ratio of 2 or more.
QIcon icon(const QString &path);

// The program's window icon in the sizes of the icon file beside it (16, 32,
// 48 and 256 pixels). The small ones matter: an X server takes no 256-pixel
// icon in one request, so a window with only that size shows none.
QIcon windowIcon();

} // namespace PngImage

// A label that shows its pixmap as it is, also while its window is disabled
// (a busy screen keeps its logo in colour).
class PlainPixmapLabel final : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent *event) override;
};
