#pragma once

#include <optional>

// The pages of the main window's content pane, by the numbers other screens pass around.
enum class NBLeftMenuType { home = 0, account = 1, general = 2, upgrade = 3, contact = 4, about = 5, login = 6 };

// Nothing for a number outside the list.
inline std::optional<NBLeftMenuType> leftMenuTypeFromRaw(int raw)
{
    if (raw < 0 || raw > 6)
        return std::nullopt;
    return static_cast<NBLeftMenuType>(raw);
}
