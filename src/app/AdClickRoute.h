#pragma once

#include <QJsonObject>
#include <QUrl>

#include <optional>

// Where a click on the splash advertisement leads, read from its link dictionary. Whatever the
// link says, the main content comes first; the route only adds a page or a browser tab to it.
struct AdClickRoute
{
    enum class Kind { MainOnly, Buy, My, NewsList, Outer, Lottery };

    // "type" "buy", "my", "newsList", "lottery"; "outer" with "value" an http or https address
    // (anything else the browser would open, a file or another program's scheme, is not
    // followed). Missing, empty or unknown links lead to the main content alone.
    static AdClickRoute fromLink(const std::optional<QJsonObject> &link);

    Kind kind = Kind::MainOnly;
    QUrl url; // Outer only
};
