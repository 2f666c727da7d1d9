#include "ScreenQRScanner.h"

#include "common/Logger.h"

ScreenQRScan scanScreensForQRCode()
{
    Logger::log(QStringLiteral("screen QR scanning is unavailable: no QR decoder in this build"), Logger::Warning,
                QStringLiteral("ScreenQRScanner"), QStringLiteral("scanScreensForQRCode"));
    return ScreenQRScan::Unavailable;
}
