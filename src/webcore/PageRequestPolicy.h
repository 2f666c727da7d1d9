#pragma once

#include <QUrl>

// What a web view of ours may fetch, whichever document, frame or worker asks. Files only from
// the pages' own folders (the page root and the bundled resources): a page package comes from the
// service with only a checksum from the same service, so no page may read the user's files, and a
// remote page shown in place reads none either. The web, as any page: pictures and scripts from
// the service's "staticurl" or a CDN, the service itself, a payment provider's pages,
// and their WebSockets (ws:, wss:). Data and blob URLs the page made itself.
class PageRequestPolicy
{
public:
    static bool allows(const QUrl &url);

private:
    PageRequestPolicy() = delete;
};
