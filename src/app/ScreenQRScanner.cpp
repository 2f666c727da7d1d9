#include "ScreenQRScanner.h"

#include "common/Logger.h"

ScreenQRScan scanScreensForQRCode()
{
    OSTREL_LOG(Logger::Warning, QStringLiteral("screen QR scanning is unavailable: no QR decoder in this build"));
    return ScreenQRScan::Unavailable;
}
