#pragma once

#include <QString>

#include <optional>

// Routing direction between domestic ("CN" regions) and overseas for the connected line.
enum class ProxyStatus : int {
    otd = 0, // entry region domestic, exit overseas
    dto = 1, // exit region domestic, entry overseas
    dtd = 2, // neither domestic
    oto = 3, // both domestic
};

// Nothing for a raw value outside 0...3.
std::optional<ProxyStatus> proxyStatusFromRawValue(int rawValue);

// The direction for a line's entry and exit region codes: a code is domestic when it begins
// with "CN".
ProxyStatus proxyStatusForRegions(const QString &inRegionCode, const QString &outRegionCode);
