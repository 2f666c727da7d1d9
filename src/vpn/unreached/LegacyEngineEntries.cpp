#include "vpn/unreached/LegacyEngineEntries.h"

#include <utility>

#include "common/DefaultsKeys.h"
#include "common/GuiThread.h"
#include "common/Logger.h"
#include "common/UserDefaults.h"
#include "vpn/ProxyMode.h"

namespace LegacyEngineEntries {

namespace {

UserDefaults &defaults()
{
    return UserDefaults::standard();
}

} // namespace

void syncSSlocalWithStartLocalSucceed(HLLPACUtilWrapper::StartCompletion completion)
{
    syncSSlocalWithStartLocalSucceed(std::move(completion), isTunStateOn());
}

void syncSSlocalWithStartLocalSucceed(HLLPACUtilWrapper::StartCompletion completion, bool tunOn)
{
    HLLPACUtilWrapper &switchboard = HLLPACUtilWrapper::shared();
    const auto vpnInfo = defaults().dictionaryValue(DefaultsKeys::VPNInfo);
    if (!vpnInfo) {
        // Nothing to start from: a failure the caller hears (later), not a road left waiting.
        OSTREL_LOG_AS(Logger::Error, "HLLPACUtilWrapper", "syncSSlocalWithStartLocalSucceed(_:)",
                      QStringLiteral("no \"VPNInfo\" to start the engine from"));
        if (completion)
            GuiThread::post(&switchboard, [completion = std::move(completion)] { completion(false); });
        return;
    }
    const QString configPath = vpnInfo->value(QStringLiteral("configPath")).toString();
    switchboard.start(EngineStart{configPath, tunOn}, std::move(completion));
}

void applyConfig(HLLPACUtilWrapper::Callback callback)
{
    syncSSlocalWithStartLocalSucceed([callback](bool ok) { HLLPACUtilWrapper::applySystemProxy(ok, callback); });
}

void run(HLLPACUtilWrapper::Callback callback)
{
    if (!isTunStateOn())
        HLLPACUtilWrapper::configLocal();
    applyConfig(std::move(callback));
}

void syncPac()
{
    const auto address = defaults().stringValue(DefaultsKeys::LocalSocks5_ListenAddress);
    const auto oldAddress = defaults().stringValue(DefaultsKeys::LocalSocks5_ListenAddress_Old);
    if (address != oldAddress) {
        if (address)
            defaults().setString(DefaultsKeys::LocalSocks5_ListenAddress_Old, *address);
        else
            defaults().remove(DefaultsKeys::LocalSocks5_ListenAddress_Old);
        defaults().synchronizeOrLog("the SOCKS address backup");
    }
    const qint64 port = defaults().integerValue(DefaultsKeys::LocalSocks5_ListenPort).value_or(0);
    const qint64 oldPort = defaults().integerValue(DefaultsKeys::LocalSocks5_ListenPort_Old).value_or(0);
    if (port != oldPort)
        defaults().setInteger(DefaultsKeys::LocalSocks5_ListenPort_Old, port);
}

} // namespace LegacyEngineEntries
