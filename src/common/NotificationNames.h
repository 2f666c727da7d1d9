#pragma once

#include <QString>

// Names of the notifications posted on NotificationCenter::defaultCenter(). Poster and observer
// must agree on the exact text, so every name lives here once. The user info each carries is
// noted beside it.
namespace NotificationNames {

// {"cmd": Int, "cmdDes": text}: a command line of the local engine's output. Posted on the
// engine's reader thread; observers move to the main thread themselves.
inline const QString ServerCMD = QStringLiteral("ServerCMD");
// No user info: stop the proxy (sign-out, account screens).
inline const QString VPNStop = QStringLiteral("VPNStop");
// {"status": Bool}: the local engine's start result while TUN is off.
inline const QString PrivoxyStartSucceed = QStringLiteral("PrivoxyStartSucceed");
// No user info: TUN mode may have changed its running state.
inline const QString kTunStateChange = QStringLiteral("kTunStateChange");
// No user info: unread counts should be fetched again.
inline const QString kRefreshMessageData = QStringLiteral("kRefreshMessageData");
// The upgrade offer as a dictionary: its installer has been downloaded.
inline const QString preUpgradeDownloadSucceed = QStringLiteral("preUpgradeDownloadSucceed");
// No user info: the upgrade dialog was closed.
inline const QString updateCloseTaped = QStringLiteral("updateCloseTaped");
// No user info: the application language changed; screens are rebuilt.
inline const QString kSwitchLanguge = QStringLiteral("kSwitchLanguge");
// No user info: a visitor sign-in succeeded.
inline const QString kAnonySignSuccessNotification = QStringLiteral("kAnonySignSuccessNotification");
// No user info: the main window should show the home screen.
inline const QString kPopToHomeVcNotification = QStringLiteral("kPopToHomeVcNotification");
// No user info: global shortcuts.
inline const QString NOTIFY_TOGGLE_RUNNING_SHORTCUT = QStringLiteral("NOTIFY_TOGGLE_RUNNING_SHORTCUT");
inline const QString NOTIFY_SWITCH_PROXY_MODE_SHORTCUT = QStringLiteral("NOTIFY_SWITCH_PROXY_MODE_SHORTCUT");
// {"urls": list of texts, "source": "qrcode"}: server addresses found on screen.
inline const QString NOTIFY_FOUND_SS_URL = QStringLiteral("NOTIFY_FOUND_SS_URL");

} // namespace NotificationNames
