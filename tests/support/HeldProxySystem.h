#pragma once

#include <QList>
#include <QNetworkProxy>
#include <QStringList>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>

#include "networking/SystemRoute.h"

// The system's proxy reader, as the client's route asks it (SystemRoute), made the case's own: its
// questions about the hosts it holds (all, when none is named) wait until the case lets them go,
// then each is answered `answer`. Its state outlives it: an asker thread let go as it ends may still
// be on its way out of the question. Header-only: only programs that link the route include it.
class HeldProxySystem
{
public:
    explicit HeldProxySystem(QList<QNetworkProxy> answer, std::optional<QStringList> heldHosts = std::nullopt)
        : m_state(std::make_shared<State>())
    {
        m_state->held = std::move(heldHosts);
        SystemRoute::setReaderForTesting([state = m_state, answer](const QNetworkProxyQuery &query) {
            std::unique_lock lock(state->mutex);
            ++state->asked;
            state->wake.wait(lock, [&] { return state->released || (state->held && !state->held->contains(query.url().host())); });
            return answer;
        });
    }
    ~HeldProxySystem()
    {
        release();
        SystemRoute::setReaderForTesting(nullptr);
    }
    HeldProxySystem(const HeldProxySystem &) = delete;
    HeldProxySystem &operator=(const HeldProxySystem &) = delete;

    void release()
    {
        std::lock_guard lock(m_state->mutex);
        m_state->released = true;
        m_state->wake.notify_all();
    }
    int asked()
    {
        std::lock_guard lock(m_state->mutex);
        return m_state->asked;
    }

private:
    struct State
    {
        std::mutex mutex;
        std::condition_variable wake;
        std::optional<QStringList> held;
        bool released = false;
        int asked = 0;
    };
    std::shared_ptr<State> m_state;
};
