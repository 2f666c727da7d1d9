#include "vpn/unreached/ServerProfileManager.h"

#include "common/DefaultsKeys.h"
#include "common/UserDefaults.h"

#include <QJsonArray>

ServerProfileManager::ServerProfileManager()
{
    const UserDefaults &defaults = UserDefaults::standard();
    if (const std::optional<QJsonArray> stored = defaults.arrayValue(DefaultsKeys::ServerProfiles)) {
        for (const QJsonValue &entry : *stored) {
            if (entry.isObject())
                profiles.append(ServerProfile::fromDictionary(entry.toObject()));
        }
    }
    activeProfileId = defaults.stringValue(DefaultsKeys::ActiveServerProfileId);
}
