#pragma once

#include <QString>

#include <functional>
#include <memory>

// What the network layer needs to show or do outside itself: the no-network popup, the
// account alerts, the fail-over prompt and the proxy stop. The application registers its
// implementation at start-up, the proxy layer its stop function; until then every hook does
// nothing, so the core runs headless and tests register their own.
class NetworkUiHooks
{
public:
    enum class AccountExceptionKind {
        AccountException,   // "error_code" 101
        DeviceLimit,        // "code" "C238"
    };

    virtual ~NetworkUiHooks() = default;

    virtual void showNetworkHint(const QString &/*text*/) {}
    virtual void showAccountException(AccountExceptionKind /*kind*/) {}
    virtual void onAccountExceptionAcknowledged() {}
    virtual void showPollingFailure() {}

    // Always a usable object (the no-op default when nothing is registered), kept alive by the
    // caller's copy even if another registration replaces it meanwhile.
    static std::shared_ptr<NetworkUiHooks> instance();
    static void setInstance(std::shared_ptr<NetworkUiHooks> hooks);

    // Stops the local proxy engine and calls `done` when it has stopped. Registered by the
    // proxy layer, which sits above this one.
    using StopLocalHandler = std::function<void(std::function<void()> done)>;
    static void setStopLocalHandler(StopLocalHandler handler);
    static StopLocalHandler stopLocalHandler();
};
