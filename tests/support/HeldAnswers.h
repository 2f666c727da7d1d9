#pragma once

#include <QString>

#include <functional>

class StandinProcess;

// Answers the stand-in holds back (its "hold" fault, or a download's "hold_end=1") until they are
// released, so that the answer to a later request overtakes them, as on a slow network, or so that
// a test sees a download still running. Made by holding the next answers to a path, or before
// asking for such a download; a test waits until they are held, asks again, then releases them.
class HeldAnswers
{
public:
    // Asks the client's own network once and calls `answered` when the answer came, however it
    // came.
    using RoundTrip = std::function<void(std::function<void()> answered)>;

    // Holds the next `count` answers to `path` (an API path, or a package archive's path).
    HeldAnswers(const StandinProcess &service, const QString &path, int count = 1);
    // Sets no fault: the next `count` answers held are those whose requests ask for it (the
    // installer download's "hold_end=1").
    explicit HeldAnswers(const StandinProcess &service, int count = 1);

    // Whether the service took the fault; true where none was to be set.
    bool isSet() const { return m_set; }
    // Until the service holds all of them; false when it did not within the time.
    bool waitUntilHeld(int timeoutMs = 15000) const;
    // Lets them go and waits until the service has written them whole. With a round trip, one
    // answer more through the client's own network then: the late answers, already on their way,
    // are handed on before that one's, so their effects are there to check.
    bool release(const RoundTrip &roundTrip = {}, int timeoutMs = 15000) const;

private:
    int heldCount(const char *which) const;

    const StandinProcess &m_service;
    int m_count = 1;
    int m_heldBefore = 0;
    int m_sentBefore = 0;
    bool m_set = false;
};
