#include "StandinArchives.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

#include <zip.h>

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
    // A page package is a plain zip of the page, shipped inside the password-protected archive.
    const QByteArray page = buildZip(QStringLiteral("index.html"),
                                     "<!doctype html><html><body><h1>buypage</h1></body></html>\n", QString());
    for (const QString &key : {QStringLiteral("buypage"), QStringLiteral("invite"), QStringLiteral("lottery")})
        add(key, key + QStringLiteral(".zip"), page, true);
    add(QStringLiteral("splash"), QStringLiteral("splash.png"), tinyPng(), true);
    add(QStringLiteral("banner"), QStringLiteral("banner.png"), tinyPng(), true);
}

void StandinArchives::add(const QString &name, const QString &innerName, const QByteArray &content, bool encrypted)
{
    Archive archive;
    archive.bytes = buildZip(innerName, content, encrypted ? ProtocolConfig::resourceArchivePassword() : QString());
    archive.md5 = QString::fromLatin1(QCryptographicHash::hash(archive.bytes, QCryptographicHash::Md5).toHex());
    archive.fid = archive.md5.left(8);
    m_archives.insert(name, archive);
}

const StandinArchives::Archive *StandinArchives::find(const QString &name) const
{
    const auto it = m_archives.constFind(name);
    return it == m_archives.constEnd() ? nullptr : &it.value();
}

QString StandinArchives::relativeUrl(const QString &name) const
{
    const Archive *archive = find(name);
    if (!archive)
        return QString();
    return QStringLiteral("/static/archives/%1.zip?fid=%2&md5key=%3").arg(name, archive->fid, archive->md5);
}

QByteArray StandinArchives::buildZip(const QString &innerName, const QByteArray &content, const QString &password)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return {};
    const QByteArray path = dir.filePath(QStringLiteral("a.zip")).toLocal8Bit();
    int error = 0;
    zip_t *zip = zip_open(path.constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip)
        return {};
    zip_source_t *source = zip_source_buffer(zip, content.constData(), zip_uint64_t(content.size()), 0);
    const zip_int64_t index = source ? zip_file_add(zip, innerName.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) : -1;
    if (index < 0) {
        if (source)
            zip_source_free(source);
        zip_discard(zip);
        return {};
    }
    if (!password.isEmpty())
        zip_file_set_encryption(zip, zip_uint64_t(index), ZIP_EM_AES_256, password.toUtf8().constData());
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
