#pragma once

#include <QString>
#include <QUrl>

// The service's user agreement and privacy policy, which the first-run guide links to. Their
// addresses sit beside the hosts in the protocol file ("hosts.terms", "hosts.privacy"): a path
// there names a page of the host in use (so the demo's stand-in serves them), a full http or https
// address is taken as it stands.
class ServiceDocumentLinks
{
public:
    static QUrl termsUrl();
    static QUrl privacyUrl();

    // An address of the protocol file against the host in use ("https://api1.example"); nothing
    // (an empty URL) when it is neither a path nor an http or https address.
    static QUrl resolve(const QString &address, const QString &domain);

private:
    ServiceDocumentLinks() = delete;
};
