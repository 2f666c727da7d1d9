#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

// What a local page may fetch. Its own files (under the page root or the bundled resources), data
// and blob URLs it made itself, and the service's API hosts; nothing else. A page package comes
// from the service with only a checksum from the same service, so a page must never be able to
// read the user's files or send them to a host of its choosing.
class PageRequestPolicy
{
public:
    PageRequestPolicy() = default;
    // Addresses such as "https://api1.example" or "http://127.0.0.1:8080"; a path is ignored.
    explicit PageRequestPolicy(const QStringList &serviceHosts);

    // The hosts the pages call through "encryptString": the one in use, the ones remembered and
    // the shipped ones. Read from the database, so callers take it once per page load.
    static QStringList serviceHosts();

    void setServiceHosts(const QStringList &serviceHosts);
    bool allows(const QUrl &url) const;

private:
    static QString originKey(const QUrl &url);

    QSet<QString> m_origins;
};
