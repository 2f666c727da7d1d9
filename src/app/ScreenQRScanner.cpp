#include "app/ScreenQRScanner.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QUrl>
#include <QVariantList>
#include <QVariantMap>

#include <memory>

#ifdef OSTREL_HAVE_ZBAR
#include <zbar.h>
// The C interface; in C++ its header puts it in a namespace.
using namespace zbar;
#endif

#include "common/Logger.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"

bool canReadQRCodes()
{
#ifdef OSTREL_HAVE_ZBAR
    return true;
#else
    return false;
#endif
}

QStringList readQRCodes(const QImage &image)
{
    QStringList messages;
#ifdef OSTREL_HAVE_ZBAR
    if (image.isNull())
        return messages;
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    // zbar wants rows without padding.
    QByteArray pixels;
    pixels.reserve(grey.width() * grey.height());
    for (int y = 0; y < grey.height(); ++y)
        pixels.append(reinterpret_cast<const char *>(grey.constScanLine(y)), grey.width());

    const std::unique_ptr<zbar_image_scanner_t, decltype(&zbar_image_scanner_destroy)> scanner(zbar_image_scanner_create(),
                                                                                                &zbar_image_scanner_destroy);
    zbar_image_scanner_set_config(scanner.get(), ZBAR_NONE, ZBAR_CFG_ENABLE, 0);
    zbar_image_scanner_set_config(scanner.get(), ZBAR_QRCODE, ZBAR_CFG_ENABLE, 1);
    // The raw bytes, read as UTF-8 here: the reader's own character-set guess garbles Chinese.
    zbar_image_scanner_set_config(scanner.get(), ZBAR_QRCODE, ZBAR_CFG_BINARY, 1);
    const std::unique_ptr<zbar_image_t, decltype(&zbar_image_destroy)> zimage(zbar_image_create(), &zbar_image_destroy);
    zbar_image_set_format(zimage.get(), zbar_fourcc('Y', '8', '0', '0'));
    zbar_image_set_size(zimage.get(), unsigned(grey.width()), unsigned(grey.height()));
    zbar_image_set_data(zimage.get(), pixels.constData(), unsigned(pixels.size()), nullptr);
    if (zbar_scan_image(scanner.get(), zimage.get()) <= 0)
        return messages;
    for (const zbar_symbol_t *symbol = zbar_image_first_symbol(zimage.get()); symbol; symbol = zbar_symbol_next(symbol))
        messages.append(QString::fromUtf8(zbar_symbol_get_data(symbol), int(zbar_symbol_get_data_length(symbol))));
#else
    Q_UNUSED(image);
#endif
    return messages;
}

ScreenQRScan scanScreensForQRCode()
{
    if (!canReadQRCodes()) {
        OSTREL_LOG(Logger::Warning, QStringLiteral("screen QR scanning is unavailable: no QR reader in this build"));
        return ScreenQRScan::Unavailable;
    }
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        OSTREL_LOG(Logger::Warning, QStringLiteral("screen QR scanning is unavailable on this desktop (%1)").arg(QGuiApplication::platformName()));
        return ScreenQRScan::Unavailable;
    }
    QVariantList urls;
    for (QScreen *screen : QGuiApplication::screens()) {
        const QImage capture = screen->grabWindow(0).toImage();
        for (const QString &message : readQRCodes(capture)) {
            // An "ss://" code carries the relay password: the log gets its kind, not its text.
            OSTREL_LOG(Logger::Info, QStringLiteral("QR code found on a screen: %1").arg(message.section(QLatin1Char(':'), 0, 0).left(16)));
            if (!message.startsWith(QLatin1String("ss://")))
                continue;
            const QUrl url(message, QUrl::StrictMode);
            if (url.isValid())
                urls.append(url);
        }
    }
    NotificationCenter::defaultCenter().post(NotificationNames::NOTIFY_FOUND_SS_URL,
                                             QVariantMap{{QStringLiteral("urls"), urls}, {QStringLiteral("source"), QStringLiteral("qrcode")}});
    return ScreenQRScan::Scanned;
}
