#include "vpn/ProxyMode.h"

#include "common/DefaultsKeys.h"
#include "common/UserDefaults.h"

bool isProxyModeOn()
{
    return isProxyModeOn(UserDefaults::standard());
}

bool isTunStateOn()
{
    return UserDefaults::standard().boolValue(DefaultsKeys::kTunStateKey).value_or(false);
}

bool isProxyModeOn(const UserDefaults &defaults)
{
    const QVariant stored = defaults.object(DefaultsKeys::kProxyMode);
    if (!stored.isValid())
        return true;
    // A stored Bool bridges to 0/1 in the store; only text and containers count as "other type".
    const std::optional<qint64> mode = defaults.integerValue(DefaultsKeys::kProxyMode);
    if (!mode)
        return true;
    return *mode != 0;
}
