#pragma once

#include <QList>
#include <QNetworkProxy>
#include <QObject>

#include <functional>
#include <optional>

// The route the system's configuration gives a request (the environment, the desktop's proxy
// setting as libproxy reads it), for every part of the client that asks: the client's proxy
// factory (ApplicationProxy), and through it the analytics and the pages, and the start's restore
// gate (StartRestoreGate).
//
// The system is never asked on the caller's thread. libproxy's desktop plugins may take a while
// (a PAC file) or never answer at all (GNOME's, once the session bus is gone), and Qt asks its
// proxy factory on whatever thread makes a request, the window's included. So `routeFor` answers
// at once from the last answer for the same target (scheme, host and port, as libproxy answers
// per address) and asks the system again on a thread of this class's own; the answer replaces
// the old one when it comes, and a changed one is signalled (`answered`). Where no answer has
// come yet for an address, it takes the newest answer for another: most addresses share the
// system's proxy (a host of its exceptions is the rare one), and on a network that only that
// proxy leads out of, straight would fail. Before the system's first answer, and for a question
// that is not about an address, the route is straight (no proxy), as Qt's own answer is where the
// system names none.
//
// A question that never ends keeps its thread; later questions go to another, up to a few
// threads, after which they queue. Those threads get past a stuck question only with a reader that
// holds that question alone: Qt's libproxy reader holds one lock for the whole question, so once
// one is stuck every later one, on any thread, waits behind it. The questions then queue, and the last
// answers stand (`refresh` waits kBoundMs at most). Nothing waits for a stuck question at the end
// either: the program's end skips the exit handlers that would (ProcessTeardown::end), Qt's own
// libproxy thread's among them.
class SystemRoute : public QObject
{
    Q_OBJECT
public:
    using Reader = std::function<QList<QNetworkProxy>(const QNetworkProxyQuery &)>;

    // How long the gates that need a fresh answer wait for it at most.
    static constexpr int kBoundMs = 1000;
    // Threads that may be asking at once; later questions queue behind them.
    static constexpr int kMostAskers = 3;

    // Made on the first call, on the thread that owns the application object.
    static SystemRoute &shared();

    // Any thread, never waits: the last answer for the target of `query`; where none came yet, the
    // newest for another address, or straight. The system is asked again for it, unless a question for it is already out.
    static QList<QNetworkProxy> routeFor(const QNetworkProxyQuery &query);
    // Any thread: the last answer, if one came, without asking.
    static std::optional<QList<QNetworkProxy>> known(const QNetworkProxyQuery &query);

    // GUI thread: asks the system afresh for every target it was asked about, and for `more`;
    // `done` runs from the event loop once no question is out, or after kBoundMs, unless
    // `context` is gone by then.
    void refresh(QObject *context, const QList<QNetworkProxyQuery> &more, std::function<void()> done);

    // Whether a question is with the system now (it may never come back).
    static bool isAsking();

    // Replaces the system (nullptr: Qt's own reading again). Forgets every answer.
    static void setReaderForTesting(Reader reader);

Q_SIGNALS:
    // An answer came that differs from the last one for its target. On the GUI thread.
    void answered();

private:
    SystemRoute() = default;
};
