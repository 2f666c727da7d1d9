#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

#include "networking/LocalListeners.h"

class HLLConnection;
class HLLNode;

// Builds the content of "sslocal.conf" from a connection record. Pure: it reads only its
// arguments, so every mode can be checked without touching the disk or the defaults.
class SSLocalConfigBuilder
{
public:
    static constexpr int kSocksPort = LocalListeners::kSocksPort;
    static constexpr int kDnsPort = LocalListeners::kDnsPort;
    // Resolver the engine reaches through the relay for names that must resolve abroad.
    static QString remoteDnsHost();

    struct Result
    {
        QJsonObject config;
        // The "address" of every server entry written, in node order (the record's ipList grows
        // by these).
        QStringList serverAddresses;
    };

    static Result build(const HLLConnection &connection, bool tunOn);

    // "userId|sessionId|proxy_session_token"; an absent part counts as the empty text.
    static QString token(const HLLConnection &connection);
    // A decimal integer ("8388", "+80", "008388") in 1...65535 makes a port; anything else
    // ("abc", " 80", "0x50", "0", "-80", "70000") leaves the entry without one.
    static std::optional<int> portNumber(const QString &text);
    // Nothing for a node the configuration leaves out (plug-in nodes, "plugin_status" "1").
    static std::optional<QJsonObject> serverEntry(const HLLNode &node);
};
