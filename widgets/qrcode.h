#pragma once

#include <QImage>
#include <QString>

class QLabel;

// QR symbol for sign-in and admission addresses: version 5, level H, mask 2,
// one pixel per module, no quiet zone. Null when the text does not fit.
QImage qrCodeImage(const QString &text);

// Draws text's symbol into label, scaled to the label without smoothing.
// Returns false (and leaves the label alone) when the text does not fit.
bool drawQRCode(QLabel *label, QString text);
