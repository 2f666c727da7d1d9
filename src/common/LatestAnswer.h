#pragma once

#include <QtGlobal>

// A screen that asks the service the same question again and again can get the answers back in
// another order than it asked: a slow answer to an earlier request can come after the answer to a
// later one and would put back what the screen showed before (an old list, an old red dot). Each
// request is numbered as it is asked; once the answer to one was shown, the answers to the
// requests before it change nothing.
//
// Only an answer that was shown blocks the older ones. A later request that failed, or whose
// answer said nothing usable, leaves the older answer free to show: the screen then shows what
// the older one knew rather than nothing at all.
//
// A plain value, one per kind of question; main-thread owners keep it as a member.
class LatestAnswer
{
public:
    // The number of a new request, above every number given before.
    quint64 ask();
    // `request`, or for 0 (an answer asked for elsewhere: fake data, a test) a new number, so
    // that it counts as the newest.
    quint64 numbered(quint64 request) { return request != 0 ? request : ask(); }
    // Whether the answer to request `request` comes too late: an answer to a later request was
    // shown already.
    bool stale(quint64 request) const;
    // The answer to request `request` is shown: from now on the answers to earlier requests are
    // stale.
    void taken(quint64 request);

private:
    quint64 m_asked = 0;
    quint64 m_taken = 0;
};
