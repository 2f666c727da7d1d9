#pragma once

#include <optional>

#include "vpn/OOHomeNodeModel.h"

// Only the line page, which nothing in the client opens yet, uses this; kept with that page.
// The line page's answer: a line the user chose (`custom`) or the smart choice.
struct OOSelectLineType
{
    enum class Kind { custom, smart };
    Kind kind = Kind::smart;
    std::optional<OOHomeNodeModel> line;

    static OOSelectLineType custom(const OOHomeNodeModel &line) { return {Kind::custom, line}; }
    static OOSelectLineType smart() { return {Kind::smart, std::nullopt}; }
};
