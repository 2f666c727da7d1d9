#include "vpn/ProxyStatus.h"

std::optional<ProxyStatus> proxyStatusFromRawValue(int rawValue)
{
    if (rawValue < 0 || rawValue > 3)
        return std::nullopt;
    return ProxyStatus(rawValue);
}

ProxyStatus proxyStatusForRegions(const QString &inRegionCode, const QString &outRegionCode)
{
    const bool entryDomestic = inRegionCode.startsWith(QLatin1String("CN"));
    const bool exitDomestic = outRegionCode.startsWith(QLatin1String("CN"));
    if (entryDomestic && !exitDomestic)
        return ProxyStatus::otd;
    if (exitDomestic && !entryDomestic)
        return ProxyStatus::dto;
    if (entryDomestic && exitDomestic)
        return ProxyStatus::oto;
    return ProxyStatus::dtd;
}
