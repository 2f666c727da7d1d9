#pragma once

#include <QObject>
#include <QStringList>

// Every request of the client takes one route: its network managers, its analytics (sealed with
// the proxy Qt offers them) and its web pages.
//
// While the desktop proxy points at the engine, that route is the engine. Pointing the desktop at
// the listener is not enough for the client's own requests: Qt reads the desktop's proxy settings
// only through libproxy's desktop plugins, which a desktop may lack, and Qt WebEngine reads
// GNOME's not at all. Both follow Qt's application-wide proxy, so that is set for as long as the
// desktop proxy is ours, and the configuration it replaced comes back after.
//
// While it is not, the route is the one Qt gives the client's native requests to the service, the
// pages' too. Left to itself, Qt WebEngine reads the system's proxy on its own, and on Linux only
// from the environment: with the user's proxy named where Qt reads it but Chromium does not (a
// GNOME setting, or an http_proxy that Qt also takes for https), the pages would go straight
// while the native requests take the proxy. So a factory of the client's is installed before the
// first page (`install`): Chromium then asks Qt, and the factory answers it with what the system
// gives a request to the service. Every other question it answers as Qt would without it, less
// one route: the client's own listener (loopback or localhost at its port). Nothing of the client's
// serves that while not pointed, yet the system may still name it: a client killed while
// connected with the kill switch on leaves the desktop there, and the next start's restore lands
// only after its first requests. So the factory is installed at the start, before any request
// (AppDelegate, right before the start's restore), and before the first page wherever a page
// comes first. Leaving that listener out sends a request straight, which is not yet the user's
// route: the start's requests wait for the restore that brings it back (StartRestoreGate).
//
// The system's answer is the last one SystemRoute has for the request's target, so no question,
// on whatever thread Qt asks it, waits for the system; before the first answer for a target the
// request takes the newest answer for another address, and before any answer it goes straight,
// as Qt sends it where the system names no proxy.
//
// Pointing is the engine's business (HLLPACUtilWrapper); the route is the client's, which its
// requests, its analytics and its pages take, so it lives here with them. Each change of it is
// signalled (`changed`), for the analytics that are sealed and waiting and for the pages
// (PageProxyRefresh).
//
// GUI thread only (Qt's proxy settings are the whole program's).
class ApplicationProxy : public QObject
{
    Q_OBJECT
public:
    // The one that signals the changes. It lasts as long as the program: the quit gives the route
    // back as late as the application's end.
    static ApplicationProxy &shared();

    // Installs the client's factory unless it is Qt's already, resting on the configuration in
    // place: the system's, unless the program had set a proxy of its own. From then on Qt WebEngine
    // asks the client for its pages' route, and no request takes the client's listener while not
    // pointed.
    static void install();

    // Points the client's requests at the SOCKS5 listener on 127.0.0.1:`port`, except those to a
    // host of `exceptions` (names, addresses, or subnets as "10.0.0.0/8"), which go straight as the
    // desktop sends them. Loopback always goes straight (Qt never proxies it). Qt WebEngine takes
    // the listener for every page without the exceptions: it asks Qt once for all its requests, not
    // per host, and keeps only its own rule for local hosts. Pointing again replaces the listener
    // and the exceptions, and keeps what the first pointing rested on.
    static void pointAt(quint16 port, const QStringList &exceptions);

    // Back to the configuration the factory rests on, or nothing when it is not pointed.
    static void restore();

    // Whether `pointAt` holds.
    static bool isPointed();

Q_SIGNALS:
    // The route changed: pointed at the listener, pointed at another, given back, or, while not
    // pointed, a new answer of the system's (SystemRoute). Emitted after the new route is Qt's.
    void changed();

private:
    ApplicationProxy();
};
