#pragma once

class QNetworkProxy;

// The ports of the local engine's listeners on 127.0.0.1. Both engine files name them (sing-box
// hands its traffic to the SOCKS listener), and so does the desktop proxy, so they live apart from
// either file's builder; the client's own route (ApplicationProxy) knows the SOCKS one as its own,
// which it never takes while not pointed at it.
namespace LocalListeners {

inline constexpr int kSocksPort = 9999;
inline constexpr int kDnsPort = 53;

// Whether `proxy` is the client's own SOCKS listener, however a system names it (what counts is
// ListenerAddress's, which the helper asks too): loopback or localhost at its port, of any proxy
// type (GNOME names it as SOCKS, the environment as HTTP).
bool isOwnListener(const QNetworkProxy &proxy);

} // namespace LocalListeners
