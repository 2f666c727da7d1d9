#pragma once

// The connect road's real pieces with a relay behind the engine: a local ss-server that the
// relaying stand-in engine ("standin-sslocal-relay") forwards the client's listener to. Only the
// programs that relay use it, so only they have the client's fixed listener, and run in a network
// of their own (support/OwnNetwork.h).

#include <optional>
#include <string>

#include "support/ConnectRoadFixture.h"
#include "support/LocalRelay.h"
#include "vpn/HLLPACUtilWrapper.h"

class RelayRoadFixture : public ConnectRoadFixture
{
protected:
    // Starts the ss-server with `extra` arguments; the scenario file that hands the stand-in the
    // relay, or nothing when the relay could not be set up.
    std::optional<QString> startRelay(const QStringList &extra = {})
    {
        if (!m_relay.start(extra))
            return std::nullopt;
        return m_relay.scenarioFile();
    }

    // Why the relay, or the engine on the client's fixed listener, cannot be had here, or nothing.
    static std::optional<std::string> relayUnavailable()
    {
        return LocalRelay::unavailable(HLLPACUtilWrapper::kLocalPort);
    }

    LocalRelay m_relay;
};
