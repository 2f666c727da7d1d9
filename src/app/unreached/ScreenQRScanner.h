#pragma once

#include <QImage>
#include <QStringList>

// Nothing in the client starts a scan yet; it is kept for reading relay addresses off the screen.
// Reading "ss://" QR codes off the screens. A scan captures every screen, reads the QR codes on
// it, logs each message and posts "NOTIFY_FOUND_SS_URL" with {"urls": the "ss://" addresses
// found, possibly none, as QUrl values; "source": "qrcode"}.
//
// Capturing needs a desktop that lets a program read the screen (X11; not Wayland, not the
// offscreen platform) and reading needs the zbar library at build time. Where either is missing
// the scan reports itself unavailable and posts nothing, rather than claiming the screens hold
// no code.
enum class ScreenQRScan { Scanned, Unavailable };

ScreenQRScan scanScreensForQRCode();

// The messages of every QR code in the image, in the order the reader finds them; nothing when
// no reader was built in.
QStringList readQRCodes(const QImage &image);
bool canReadQRCodes();
