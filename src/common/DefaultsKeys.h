#pragma once

#include <QString>

// Every user-defaults key the program reads or writes, in one place, so that two parts never
// disagree on the spelling of a key they share. The constant is named after the key text; keys
// whose text is no valid identifier ("LocalSocks5.ListenPort") use underscores in the name.
//
// Unless noted, a key lives in the standard suite (UserDefaults::standard()).
namespace DefaultsKeys {

// --- Language -----------------------------------------------------------------------------------
// Text: "zh-Hans", "en", "ja", "ko" or "zh-Hant".
inline const QString kAppLanguageKey = QStringLiteral("kAppLanguageKey");

// --- Connection state ---------------------------------------------------------------------------
// Bool; registered true at start-up.
inline const QString kTunStateKey = QStringLiteral("kTunStateKey");
// Int: 0 smart, 1 global; registered 0 at start-up.
inline const QString kProxyMode = QStringLiteral("kProxyMode");
// JSON text of the chosen line.
inline const QString kProxyLineInfo = QStringLiteral("kProxyLineInfo");
// Bool: the local engine runs.
inline const QString ShadowsocksOn = QStringLiteral("ShadowsocksOn");
// Bool.
inline const QString kProxyConnected = QStringLiteral("kProxyConnected");
// Bool.
inline const QString kProxyConnectionState = QStringLiteral("kProxyConnectionState");
// Dictionary: the connect response's node data.
inline const QString kNodeInfo = QStringLiteral("kNodeInfo");
// Dictionary: {"configPath": path of the engine configuration}.
inline const QString VPNInfo = QStringLiteral("VPNInfo");
// Text.
inline const QString kLocalDnsServerAddress = QStringLiteral("kLocalDnsServerAddress");
// Text: "auto", "global" or "externalPAC".
inline const QString ShadowsocksRunningMode = QStringLiteral("ShadowsocksRunningMode");
// Text: name of the access-control list in use.
inline const QString mac_proxy_pac = QStringLiteral("mac_proxy_pac");
// Int: start value of the proxy type; 0 when absent.
inline const QString mac_proxy_type = QStringLiteral("mac_proxy_type");

// --- Settings -----------------------------------------------------------------------------------
// Bool.
inline const QString kKillSwitchStateKey = QStringLiteral("kKillSwitchStateKey");
// Written as an Int (0/1), read as a Bool.
inline const QString kAutoConnectionStateKey = QStringLiteral("kAutoConnectionStateKey");
// Bool.
inline const QString kNotificationStateKey = QStringLiteral("kNotificationStateKey");
// Int: 0 server order, 1 latency order; never registered, a missing value reads as 0.
inline const QString kLineOrderType = QStringLiteral("kLineOrderType");

// --- Launch -------------------------------------------------------------------------------------
// Bool: true after the first launch.
inline const QString kSecondLaunch = QStringLiteral("kSecondLaunch");
// Bool.
inline const QString kExceptionGotIt = QStringLiteral("kExceptionGotIt");
// Bool: start with the session (autostart entry).
inline const QString LaunchAtLogin = QStringLiteral("LaunchAtLogin");

// --- Notices ------------------------------------------------------------------------------------
// Array of {"id": Int, "timestamp": seconds}.
inline const QString kAnouncePreTimeRecords = QStringLiteral("kAnouncePreTimeRecords");

// --- Installed engines --------------------------------------------------------------------------
// Text.
inline const QString kSSLocalVersion = QStringLiteral("kSSLocalVersion");
// Text.
inline const QString kSingBoxVersion = QStringLiteral("kSingBoxVersion");

// --- Local proxy defaults (registered when the engine is configured) ----------------------------
inline const QString LocalSocks5_ListenPort = QStringLiteral("LocalSocks5.ListenPort");
inline const QString LocalSocks5_ListenAddress = QStringLiteral("LocalSocks5.ListenAddress");
inline const QString PacServer_ListenAddress = QStringLiteral("PacServer.ListenAddress");
inline const QString PacServer_ListenPort = QStringLiteral("PacServer.ListenPort");
inline const QString LocalSocks5_Timeout = QStringLiteral("LocalSocks5.Timeout");
inline const QString LocalSocks5_EnableUDPRelay = QStringLiteral("LocalSocks5.EnableUDPRelay");
inline const QString LocalSocks5_EnableVerboseMode = QStringLiteral("LocalSocks5.EnableVerboseMode");
inline const QString GFWListURL = QStringLiteral("GFWListURL");
inline const QString AutoConfigureNetworkServices = QStringLiteral("AutoConfigureNetworkServices");
inline const QString LocalHTTP_ListenAddress = QStringLiteral("LocalHTTP.ListenAddress");
inline const QString LocalHTTP_ListenPort = QStringLiteral("LocalHTTP.ListenPort");
inline const QString LocalHTTPOn = QStringLiteral("LocalHTTPOn");
inline const QString LocalHTTP_FollowGlobal = QStringLiteral("LocalHTTP.FollowGlobal");
inline const QString ProxyExceptions = QStringLiteral("ProxyExceptions");
inline const QString ExternalPACURL = QStringLiteral("ExternalPACURL");
// (With "ShadowsocksOn" and "ShadowsocksRunningMode" above, these make the seventeen.)

// Backups of the SOCKS listener kept when it changes.
inline const QString LocalSocks5_ListenAddress_Old = QStringLiteral("LocalSocks5.ListenAddress.Old");
inline const QString LocalSocks5_ListenPort_Old = QStringLiteral("LocalSocks5.ListenPort.Old");
// Array of texts: network services the proxy tool configures when not automatic.
inline const QString Proxy4NetworkServices = QStringLiteral("Proxy4NetworkServices");

// --- Server profiles ----------------------------------------------------------------------------
// Array of profile dictionaries.
inline const QString ServerProfiles = QStringLiteral("ServerProfiles");
// Text.
inline const QString ActiveServerProfileId = QStringLiteral("ActiveServerProfileId");

// --- Global shortcuts ---------------------------------------------------------------------------
inline const QString ToggleRunning = QStringLiteral("ToggleRunning");
inline const QString SwitchProxyMode = QStringLiteral("SwitchProxyMode");

// --- Shared app-group suite ("R8T2M6WQ4N.group.fenbra.mac.data") --------------------------------
// Bool.
inline const QString is_domestic = QStringLiteral("is_domestic");
// Array of texts.
inline const QString iplist = QStringLiteral("iplist");
// Array of texts.
inline const QString nodelist = QStringLiteral("nodelist");

} // namespace DefaultsKeys
