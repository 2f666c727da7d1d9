#pragma once

#include <QString>

// The two public resolvers a connection names: the domestic one for a line that enters or leaves
// through the mainland, the public one for everything else, and the fallback of both engine files
// when a record carries no resolver of its own.
namespace DnsServers {

inline const QString kDomestic = QStringLiteral("223.5.5.5");
inline const QString kPublic = QStringLiteral("8.8.8.8");

} // namespace DnsServers
