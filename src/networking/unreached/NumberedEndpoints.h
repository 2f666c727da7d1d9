#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The service's numbered table of API paths, 0 to 60 in its order (common/ApiPaths.h writes each
// path with its number). Nothing in the client asks for a path by number: the endpoint functions
// name their paths themselves. Kept as the table the service numbers its endpoints by.
class NumberedEndpoints
{
public:
    static constexpr int kCount = 61;

    // The path numbered `endpoint`; nothing outside 0 to 60.
    static std::optional<QString> endpointPath(int endpoint);
    // Every path, in number order.
    static const QStringList &table();

private:
    NumberedEndpoints() = delete;
};
