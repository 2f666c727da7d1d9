#include "networking/HHHostModel.h"

std::optional<HHHostModel> HHHostModel::fromJson(const QJsonObject &json)
{
    HHHostModel model;
    if (!decodeInto(json, model))
        return std::nullopt;
    return model;
}
