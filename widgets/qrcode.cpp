#include "widgets/qrcode.h"
#include "widgets/logcategory.h"

#include <QDebug>
#include <QLabel>
#include <QPixmap>

#include <qrcodegen.hpp>

#include <stdexcept>

QImage qrCodeImage(const QString &text)
{
    using qrcodegen::QrCode;
    using qrcodegen::QrSegment;
    try {
        const QByteArray utf8 = text.toUtf8();
        const std::vector<QrSegment> segments = QrSegment::makeSegments(utf8.constData());
        const QrCode code = QrCode::encodeSegments(segments, QrCode::Ecc::HIGH, 5, 5, 2, false);
        const int size = code.getSize();
        QImage image(size, size, QImage::Format_RGB888);
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x)
                image.setPixel(x, y, code.getModule(x, y) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        }
        return image;
    } catch (const std::exception &error) {
        // qrcodegen reports a text too long for the fixed version this way.
        qCDebug(lcWidgets) << "QR code not drawn:" << error.what();
        return QImage();
    }
}

bool drawQRCode(QLabel *label, QString text)
{
    const QImage image = qrCodeImage(text);
    if (image.isNull() || !label)
        return false;
    label->setPixmap(QPixmap::fromImage(
        image.scaled(label->width(), label->height(), Qt::KeepAspectRatio, Qt::FastTransformation)));
    return true;
}
