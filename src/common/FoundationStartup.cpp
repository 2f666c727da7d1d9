#include "common/FoundationStartup.h"

#include "common/DefaultsKeys.h"
#include "common/Localization.h"
#include "common/Logger.h"
#include "common/UserDefaults.h"

#include <QVariantMap>

namespace FoundationStartup {

void run()
{
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setBool(DefaultsKeys::kProxyConnectionState, false);
    defaults.setBool(DefaultsKeys::ShadowsocksOn, false);
    defaults.setBool(DefaultsKeys::kProxyConnected, false);

    setupAppLanguage();
    OSTREL_LOG(Logger::Info, QStringLiteral("app language: ") + currentAppLanguage().value_or(QString()));

    // Registered, never written: a value the user stores later wins.
    defaults.registerDefaults({
        {DefaultsKeys::kTunStateKey, true},
        {DefaultsKeys::kProxyMode, 0},
    });
}

} // namespace FoundationStartup
