#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <mutex>
#include <optional>
#include <utility>

// The package archives the stand-in serves: password-protected zip files (AES-256, the
// protocol's archive password) holding one file each, built at start-up and rebuilt when the
// control endpoint changes a route file or a page (so a client sees a new "md5key" and "fid").
//
// A page package is a zip inside the password-protected zip: the outer archive holds
// "<key>.zip", a plain zip of the page's files, which the client installs as it is and unpacks
// when the page is shown. The pages come from "pages/common/" and "pages/<key>/" of the resource
// folder when it has them, else a one-line page.
class StandinArchives
{
public:
    struct Archive
    {
        QByteArray bytes;
        QString md5;
        QString fid;
    };

    using Files = QList<std::pair<QString, QByteArray>>;

    StandinArchives();
    std::optional<Archive> find(const QString &name) const;
    // A route list ("gfwlist", ...) with new text.
    void setRouteFile(const QString &name, const QByteArray &aclText);
    // A page package with new files (relative name -> content).
    void setPageFiles(const QString &key, const Files &files);
    // Any bytes served as the archive of that name, checksum and all (hostile archives in tests).
    void setRawArchive(const QString &name, const QByteArray &bytes);
    // The page packages the service lists, each named after the page that reads it.
    static QStringList pageKeys();
    // The page's files as served now (at first the page sources of the resource folder, with
    // the shared bridge script and style sheet beside them, as the shipped packages have them).
    static Files pageSources(const QString &key);
    // The given files over the shared bridge script and style sheet, so a page sent through the
    // control endpoint still talks to the client.
    static Files withCommonFiles(const Files &files);
    static QByteArray buildZip(const Files &files, const QString &password);
    // The relative address a list hands out: "/static/archives/<name>.zip?fid=..&md5key=..".
    QString relativeUrl(const QString &name) const;
    static QByteArray tinyPng();
    static QByteArray splashPng();
    static QByteArray bannerPng();

private:
    void add(const QString &name, const QString &innerName, const QByteArray &content, bool encrypted);
    void store(const QString &name, const QByteArray &bytes);

    mutable std::mutex m_mutex;
    QMap<QString, Archive> m_archives;
};
