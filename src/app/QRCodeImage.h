#pragma once

#include <QImage>
#include <QSize>
#include <QString>

enum class QRErrorCorrection { M, Q };

// Draws a QR code of the text (UTF-8, error correction level Q unless another is asked) into an
// image of the given size:
// black modules on white with a one-module margin, scaled by the largest factor that fits both
// sides, without smoothing, in the bottom-left corner; the rest of the image is transparent.
// A text too long for a QR code, or an empty size, gives a null image.
QImage createQRImage(const QString &text, const QSize &size, QRErrorCorrection level = QRErrorCorrection::Q);
