#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

#include "networking/JsonRecordCodec.h"

// The product version inside the resource-version record: {"version", "state"}.
class HHProductVersion : public JsonRecord<HHProductVersion>
{
public:
    // The declared keys, each once (fromJson and toJson come from it).
    static const JsonRecordCodec<HHProductVersion> &codec();

    std::optional<QString> version;
    std::optional<qint64> state;
};
