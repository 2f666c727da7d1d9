#include "StandinArchives.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <zip.h>

#include "common/AppPaths.h"
#include "common/ProtocolConfig.h"

namespace {

QByteArray aclText(const QString &name)
{
    return QStringLiteral("# %1 access-control list served by the stand-in\n[proxy_all]\n[bypass_list]\n127.0.0.1\n::1\n").arg(name).toUtf8();
}

} // namespace

StandinArchives::StandinArchives()
{
    for (const QString &list : {QStringLiteral("gfwlist"), QStringLiteral("global"), QStringLiteral("gfwlist_KR"), QStringLiteral("gfwlist_otd")})
        add(list, list + QStringLiteral(".acl"), aclText(list), true);
    for (const QString &key : {QStringLiteral("buypage"), QStringLiteral("invite"), QStringLiteral("lottery")})
        setPageFiles(key, pageSources(key));
    add(QStringLiteral("splash"), QStringLiteral("splash.png"), tinyPng(), true);
    add(QStringLiteral("banner"), QStringLiteral("banner.png"), tinyPng(), true);
}

StandinArchives::Files StandinArchives::pageSources(const QString &key)
{
    Files files;
    const QString root = AppPaths::resourcePath(QStringLiteral("pages/") + key);
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            files.append({QDir(root).relativeFilePath(path), file.readAll()});
    }
    std::sort(files.begin(), files.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    if (files.isEmpty())
        files.append({QStringLiteral("index.html"),
                      QStringLiteral("<!doctype html><html><body><h1>%1</h1></body></html>\n").arg(key).toUtf8()});
    return files;
}

void StandinArchives::add(const QString &name, const QString &innerName, const QByteArray &content, bool encrypted)
{
    store(name, buildZip({{innerName, content}}, encrypted ? ProtocolConfig::resourceArchivePassword() : QString()));
}

void StandinArchives::store(const QString &name, const QByteArray &bytes)
{
    Archive archive;
    archive.bytes = bytes;
    archive.md5 = QString::fromLatin1(QCryptographicHash::hash(archive.bytes, QCryptographicHash::Md5).toHex());
    archive.fid = archive.md5.left(8);
    std::lock_guard lock(m_mutex);
    m_archives.insert(name, archive);
}

void StandinArchives::setRouteFile(const QString &name, const QByteArray &aclText)
{
    add(name, name + QStringLiteral(".acl"), aclText, true);
}

void StandinArchives::setPageFiles(const QString &key, const Files &files)
{
    add(key, key + QStringLiteral(".zip"), buildZip(files, QString()), true);
}

void StandinArchives::setRawArchive(const QString &name, const QByteArray &bytes)
{
    store(name, bytes);
}

std::optional<StandinArchives::Archive> StandinArchives::find(const QString &name) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_archives.constFind(name);
    if (it == m_archives.constEnd())
        return std::nullopt;
    return it.value();
}

QString StandinArchives::relativeUrl(const QString &name) const
{
    const std::optional<Archive> archive = find(name);
    if (!archive)
        return QString();
    return QStringLiteral("/static/archives/%1.zip?fid=%2&md5key=%3").arg(name, archive->fid, archive->md5);
}

QByteArray StandinArchives::buildZip(const Files &files, const QString &password)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return {};
    const QByteArray path = dir.filePath(QStringLiteral("a.zip")).toLocal8Bit();
    int error = 0;
    zip_t *zip = zip_open(path.constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip)
        return {};
    for (const auto &[innerName, content] : files) {
        zip_source_t *source = zip_source_buffer(zip, content.constData(), zip_uint64_t(content.size()), 0);
        const zip_int64_t index = source ? zip_file_add(zip, innerName.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (source)
                zip_source_free(source);
            zip_discard(zip);
            return {};
        }
        // A fixed time: the same files give the same archive, checksum and "fid".
        zip_file_set_mtime(zip, zip_uint64_t(index), 315532800 + 86400, 0);
        if (!password.isEmpty())
            zip_file_set_encryption(zip, zip_uint64_t(index), ZIP_EM_AES_256, password.toUtf8().constData());
    }
    if (zip_close(zip) != 0) {
        zip_discard(zip);
        return {};
    }
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QByteArray StandinArchives::tinyPng()
{
    // A 1x1 transparent PNG.
    return QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNkYPhfDwAChwGA60e6kgAAAABJRU5ErkJggg==");
}
