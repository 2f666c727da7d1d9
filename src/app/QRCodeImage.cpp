#include "app/QRCodeImage.h"

#include <QPainter>

#include <memory>

#include <qrencode.h>

namespace {

struct QRcodeFree
{
    void operator()(QRcode *code) const { QRcode_free(code); }
};

constexpr int kMargin = 1;

} // namespace

QImage createQRImage(const QString &text, const QSize &size, QRErrorCorrection level)
{
    if (size.isEmpty())
        return {};
    const QByteArray data = text.toUtf8();
    std::unique_ptr<QRcode, QRcodeFree> code(
        QRcode_encodeData(int(data.size()), reinterpret_cast<const unsigned char *>(data.constData()), 0,
                          level == QRErrorCorrection::M ? QR_ECLEVEL_M : QR_ECLEVEL_Q));
    if (!code)
        return {};

    // One pixel per module first, then one scaling step, so every module keeps hard edges.
    const int extent = code->width + 2 * kMargin;
    QImage modules(extent, extent, QImage::Format_ARGB32);
    modules.fill(Qt::white);
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            if (code->data[y * code->width + x] & 1)
                modules.setPixel(x + kMargin, y + kMargin, qRgb(0, 0, 0));
        }
    }

    const qreal scale = qMin(qreal(size.width()) / extent, qreal(size.height()) / extent);
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const qreal side = extent * scale;
    // The drawing's origin is the bottom-left corner, as where the code was first drawn.
    painter.drawImage(QRectF(0, size.height() - side, side, side), modules);
    painter.end();
    return image;
}
