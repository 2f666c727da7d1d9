#pragma once

#include "vpn/unreached/ServerProfile.h"

#include <QList>
#include <QString>

#include <optional>

// Nothing in the client creates this yet; it is kept for storing user-defined servers.
// The stored server profiles ("ServerProfiles") and the active one's id
// ("ActiveServerProfileId"), read from the standard defaults when made.
class ServerProfileManager
{
public:
    ServerProfileManager();

    QList<ServerProfile> profiles;
    std::optional<QString> activeProfileId;
};
