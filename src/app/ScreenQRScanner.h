#pragma once

// Reading "ss://" QR codes off the screens: on success it posts "NOTIFY_FOUND_SS_URL" with
// {"urls": the addresses found (possibly none), "source": "qrcode"}. It needs a screen capture
// and a QR decoder; this build links no decoder, so the scan reports itself unavailable and posts
// nothing rather than claiming that the screens hold no code.
enum class ScreenQRScan { Scanned, Unavailable };

ScreenQRScan scanScreensForQRCode();
