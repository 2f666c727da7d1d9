#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The service's user agreement and privacy policy, at the paths the protocol file names for them
// ("hosts.terms", "hosts.privacy"), so the guide's links open a real page in the demo.
namespace StandinDocuments {

// The HTML page for a request path; nothing when the path is neither document.
std::optional<QByteArray> page(const QString &path);

} // namespace StandinDocuments
