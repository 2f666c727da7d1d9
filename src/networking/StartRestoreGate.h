#pragma once

#include <QObject>
#include <QUrl>

#include <functional>

// The start's requests wait here for the start's restore of the desktop's proxy.
//
// A client killed while connected with the kill switch on leaves the desktop naming its own
// listener, which nothing serves at the next start until the helper gives the user's setting back
// (HLLPACUtilWrapper::restoreAfterCrash). The client's route leaves that listener out
// (ApplicationProxy), so a request sent before the restore lands goes straight, past the user's
// own proxy, and fails where only that proxy leads out.
//
// So while the restore is under way, a request whose system route names the listener, or is not
// known yet (SystemRoute), waits. The gate opens when the restore answers (restored, refused or
// failed on the way), once the system was asked afresh, so that what waited takes the route the
// restore brought back; or once the system has answered for every request that waits and names
// the listener for none (an ordinary start); or at the bound, a safety net only, which the holder
// sets past the longest its restore's answer can take. One StartGate.
//
// Who asks: every sender of the start's network work, as it is about to send (the API client,
// the host probes and the remote host lists, the analytics, the remote pictures): a new sender
// does the same, or waits behind one of those. GUI thread only.
class StartRestoreGate
{
public:
    // The restore was asked for: requests that may take the listener wait from now until the
    // restore answers, `boundMs` at the latest (a safety net: the answer is what opens the gate).
    // Without an application object nothing waits.
    static void hold(int boundMs);
    // The restore answered: the system is asked afresh (SystemRoute::kBoundMs at most), then what
    // waits goes, each from the event loop, in the order it came.
    static void open();
    static bool isOpen();

    // While the gate is closed and the system's route to `target` names the client's listener or
    // is not known yet: holds `send` until the gate opens, then runs it from the event loop unless
    // `context` (an object of the GUI thread) is gone, and answers true; the caller returns.
    // Otherwise false: the caller sends now.
    static bool deferWhileRestoring(QObject *context, const QUrl &target, std::function<void()> send);

private:
    StartRestoreGate() = delete;
};
