#pragma once

#include "networking/HHResourceVersionModel.h"

// The same versions as stored in the "Host" table under "resource_version", compared with the
// server's copy to decide which resources to fetch again.
class HHHostModel : public HHResourceVersionModel
{
public:
    static std::optional<HHHostModel> fromJson(const QJsonObject &json);
};
