#pragma once

#include <QStringList>

// While the desktop proxy points at the engine, the client's own requests take the engine too:
// its network managers, its analytics (sealed with the proxy Qt offers them) and its web pages.
// Pointing the desktop at the listener is not enough for them: Qt reads the desktop's proxy
// settings only through libproxy's desktop plugins, which a desktop may lack, and Qt WebEngine
// reads GNOME's not at all. Both follow Qt's application-wide proxy, so that is set for as long
// as the desktop proxy is ours, and the configuration it replaced comes back after.
//
// Each change is posted as "ostrelApplicationProxyChange", for the pages (PageProxyRefresh).
//
// GUI thread only (Qt's proxy settings are the whole program's).
namespace ApplicationProxy {

// Points the client's requests at the SOCKS5 listener on 127.0.0.1:`port`, except those to a host
// of `exceptions` (names, addresses, or subnets as "10.0.0.0/8"), which go straight as the desktop
// sends them. Loopback always goes straight (Qt never proxies it). Qt WebEngine takes the
// listener for every page without the exceptions: it asks Qt once for all its requests, not per
// host, and keeps only its own rule for local hosts. Pointing again replaces the listener and
// the exceptions, and keeps what the first pointing replaced.
void pointAt(quint16 port, const QStringList &exceptions);

// The configuration `pointAt` replaced (the system's, unless the program had set its own), or
// nothing when it is not pointed.
void restore();

// Whether `pointAt` holds.
bool isPointed();

} // namespace ApplicationProxy
