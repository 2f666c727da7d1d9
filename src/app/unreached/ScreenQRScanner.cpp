#include "app/unreached/ScreenQRScanner.h"

#include <QGuiApplication>
#include <QLibrary>
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

#ifdef OSTREL_HAVE_ZBAR
namespace {

// The reader is opened on the first read, not linked: only the QR road needs it, and with it
// come the video and JPEG libraries it links, which every start would map and relocate.
struct ZbarApi
{
    decltype(&zbar_image_scanner_create) scannerCreate = nullptr;
    decltype(&zbar_image_scanner_destroy) scannerDestroy = nullptr;
    decltype(&zbar_image_scanner_set_config) scannerSetConfig = nullptr;
    decltype(&zbar_image_create) imageCreate = nullptr;
    decltype(&zbar_image_destroy) imageDestroy = nullptr;
    decltype(&zbar_image_set_format) imageSetFormat = nullptr;
    decltype(&zbar_image_set_size) imageSetSize = nullptr;
    decltype(&zbar_image_set_data) imageSetData = nullptr;
    decltype(&zbar_scan_image) scanImage = nullptr;
    decltype(&zbar_image_first_symbol) firstSymbol = nullptr;
    decltype(&zbar_symbol_next) nextSymbol = nullptr;
    decltype(&zbar_symbol_get_data) symbolData = nullptr;
    decltype(&zbar_symbol_get_data_length) symbolDataLength = nullptr;

    bool complete() const
    {
        return scannerCreate && scannerDestroy && scannerSetConfig && imageCreate && imageDestroy && imageSetFormat
               && imageSetSize && imageSetData && scanImage && firstSymbol && nextSymbol && symbolData
               && symbolDataLength;
    }
};

template<typename F>
void resolveInto(QLibrary &library, F &function, const char *name)
{
    function = reinterpret_cast<F>(library.resolve(name));
}

const ZbarApi *zbarApi()
{
    static const ZbarApi api = [] {
        ZbarApi loaded;
        QLibrary library(QStringLiteral("zbar"), 0);
        if (!library.load()) {
            OSTREL_LOG(Logger::Warning, QStringLiteral("the QR reader could not be loaded: %1").arg(library.errorString()));
            return loaded;
        }
        resolveInto(library, loaded.scannerCreate, "zbar_image_scanner_create");
        resolveInto(library, loaded.scannerDestroy, "zbar_image_scanner_destroy");
        resolveInto(library, loaded.scannerSetConfig, "zbar_image_scanner_set_config");
        resolveInto(library, loaded.imageCreate, "zbar_image_create");
        resolveInto(library, loaded.imageDestroy, "zbar_image_destroy");
        resolveInto(library, loaded.imageSetFormat, "zbar_image_set_format");
        resolveInto(library, loaded.imageSetSize, "zbar_image_set_size");
        resolveInto(library, loaded.imageSetData, "zbar_image_set_data");
        resolveInto(library, loaded.scanImage, "zbar_scan_image");
        resolveInto(library, loaded.firstSymbol, "zbar_image_first_symbol");
        resolveInto(library, loaded.nextSymbol, "zbar_symbol_next");
        resolveInto(library, loaded.symbolData, "zbar_symbol_get_data");
        resolveInto(library, loaded.symbolDataLength, "zbar_symbol_get_data_length");
        if (!loaded.complete())
            OSTREL_LOG(Logger::Warning, QStringLiteral("the QR reader library lacks functions this client uses"));
        return loaded;
    }();
    return api.complete() ? &api : nullptr;
}

} // namespace
#endif

bool canReadQRCodes()
{
#ifdef OSTREL_HAVE_ZBAR
    return zbarApi() != nullptr;
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

    const ZbarApi *zbar = zbarApi();
    if (!zbar)
        return messages;
    const std::unique_ptr<zbar_image_scanner_t, decltype(zbar->scannerDestroy)> scanner(zbar->scannerCreate(),
                                                                                       zbar->scannerDestroy);
    zbar->scannerSetConfig(scanner.get(), ZBAR_NONE, ZBAR_CFG_ENABLE, 0);
    zbar->scannerSetConfig(scanner.get(), ZBAR_QRCODE, ZBAR_CFG_ENABLE, 1);
    // The raw bytes, read as UTF-8 here: the reader's own character-set guess garbles Chinese.
    zbar->scannerSetConfig(scanner.get(), ZBAR_QRCODE, ZBAR_CFG_BINARY, 1);
    const std::unique_ptr<zbar_image_t, decltype(zbar->imageDestroy)> zimage(zbar->imageCreate(), zbar->imageDestroy);
    zbar->imageSetFormat(zimage.get(), zbar_fourcc('Y', '8', '0', '0'));
    zbar->imageSetSize(zimage.get(), unsigned(grey.width()), unsigned(grey.height()));
    zbar->imageSetData(zimage.get(), pixels.constData(), unsigned(pixels.size()), nullptr);
    if (zbar->scanImage(scanner.get(), zimage.get()) <= 0)
        return messages;
    for (const zbar_symbol_t *symbol = zbar->firstSymbol(zimage.get()); symbol; symbol = zbar->nextSymbol(symbol))
        messages.append(QString::fromUtf8(zbar->symbolData(symbol), int(zbar->symbolDataLength(symbol))));
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
