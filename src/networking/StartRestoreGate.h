#pragma once

#include <QObject>
#include <QUrl>

#include <functional>

// The start's requests wait here for the start's restore of the desktop's proxy.
//
// A client killed while connected with the kill switch on leaves the desktop naming its own
// listener, which nothing serves at the next start until the helper gives the user's setting back
// (HLLPACUtilWrapper::restoreAfterCrash). The client's road leaves that listener out
// (ApplicationProxy), so a request made before the restore lands goes straight, past the user's
// own proxy, and fails on a network that only that proxy leads out of: the launch events, the
// first API request, the first host probes. So while the restore is under way, a request whose
// system road still names the client's own listener waits until the restore answers (restored,
// refused or failed on the way), or the bound passes, whichever comes first; then it goes, and
// the road it takes is the one the restore brought back, or, where it failed, the one that leaves
// the listener out. A request the system sends elsewhere never waits, so an ordinary start, which
// finds no such listener, holds nothing.
//
// The senders ask as they are about to send (`waits`): the API client, the host probes, the
// analytics. Nothing else waits on the gate: a quit does not, and what is held at the quit goes
// with its sender. GUI thread only.
class StartRestoreGate
{
public:
    // The restore was asked for: requests to a road that names the listener wait from now until
    // `open()`, `boundMs` at the latest. A newer hold replaces the bound of an older one.
    static void hold(int boundMs);
    // The restore answered: what waits goes, each from the event loop, in the order it came.
    static void open();
    static bool isOpen();

    // True when the request to `target` waits: `send` then runs once the gate opens, from the event
    // loop, unless `context` (an object of the GUI thread) is gone by then, and the caller returns.
    // False: the caller sends now.
    static bool waits(QObject *context, const QUrl &target, std::function<void()> send);

private:
    StartRestoreGate() = delete;
};
