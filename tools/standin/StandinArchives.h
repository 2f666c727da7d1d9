#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// The package archives the stand-in serves: password-protected zip files (AES-256, the
// protocol's archive password) holding one file each, built once at start-up.
class StandinArchives
{
public:
    struct Archive
    {
        QByteArray bytes;
        QString md5;
        QString fid;
    };

    StandinArchives();
    const Archive *find(const QString &name) const;
    // The relative address a list hands out: "/static/archives/<name>.zip?fid=..&md5key=..".
    QString relativeUrl(const QString &name) const;
    static QByteArray tinyPng();

private:
    void add(const QString &name, const QString &innerName, const QByteArray &content, bool encrypted);
    static QByteArray buildZip(const QString &innerName, const QByteArray &content, const QString &password);

    QMap<QString, Archive> m_archives;
};
