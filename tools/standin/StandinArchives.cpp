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
    for (const QString &key : pageKeys())
        setPageFiles(key, pageSources(key));
    add(QStringLiteral("splash"), QStringLiteral("splash.png"), splashPng(), true);
    add(QStringLiteral("banner"), QStringLiteral("banner.png"), bannerPng(), true);
}

QStringList StandinArchives::pageKeys()
{
    return {QStringLiteral("buypage"), QStringLiteral("invitePage"), QStringLiteral("recommendPage"),
            QStringLiteral("lotteryPage")};
}

namespace {

StandinArchives::Files filesUnder(const QString &root)
{
    StandinArchives::Files files;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            files.append({QDir(root).relativeFilePath(path), file.readAll()});
    }
    return files;
}

} // namespace

StandinArchives::Files StandinArchives::withCommonFiles(const Files &files)
{
    // A page without the shared bridge script could not talk to the client once installed.
    QMap<QString, QByteArray> byName;
    for (const auto &[name, content] : filesUnder(AppPaths::resourcePath(QStringLiteral("pages/common"))))
        byName.insert(name, content);
    for (const auto &[name, content] : files)
        byName.insert(name, content);
    Files merged;
    for (auto it = byName.cbegin(); it != byName.cend(); ++it)
        merged.append({it.key(), it.value()});
    return merged;
}

StandinArchives::Files StandinArchives::pageSources(const QString &key)
{
    const Files files = filesUnder(AppPaths::resourcePath(QStringLiteral("pages/") + key));
    if (!files.isEmpty())
        return withCommonFiles(files);
    return {{QStringLiteral("index.html"),
             QStringLiteral("<!doctype html><html><body><h1>%1</h1></body></html>\n").arg(key).toUtf8()}};
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

namespace {

quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void appendBigEndian(QByteArray &out, quint32 value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.append(char((value >> shift) & 0xFF));
}

void appendChunk(QByteArray &png, const char *type, const QByteArray &data)
{
    appendBigEndian(png, quint32(data.size()));
    const QByteArray typed = QByteArray(type, 4) + data;
    png += typed;
    appendBigEndian(png, crc32(typed));
}

} // namespace

namespace {

// An 8-bit RGB PNG of width x height whose pixels come from pixel(x, y) as 0xRRGGBB.
template <typename Pixel>
QByteArray encodePng(int width, int height, Pixel pixel)
{
    QByteArray raw;
    raw.reserve((width * 3 + 1) * height);
    for (int y = 0; y < height; ++y) {
        raw.append(char(0)); // no filter
        for (int x = 0; x < width; ++x) {
            const quint32 rgb = pixel(x, y);
            raw.append(char((rgb >> 16) & 0xFF)).append(char((rgb >> 8) & 0xFF)).append(char(rgb & 0xFF));
        }
    }
    QByteArray header;
    appendBigEndian(header, width);
    appendBigEndian(header, height);
    header.append(char(8)).append(char(2)).append(char(0)).append(char(0)).append(char(0));
    QByteArray png = QByteArray::fromHex("89504e470d0a1a0a");
    appendChunk(png, "IHDR", header);
    // qCompress writes a zlib stream behind a four-byte length of its own.
    appendChunk(png, "IDAT", qCompress(raw, 6).mid(4));
    appendChunk(png, "IEND", QByteArray());
    return png;
}

quint32 rgb(int r, int g, int b)
{
    return quint32(qBound(0, r, 255)) << 16 | quint32(qBound(0, g, 255)) << 8 | quint32(qBound(0, b, 255));
}

} // namespace

QByteArray StandinArchives::bannerPng()
{
    // The more page's banner (364 x 55 on screen), drawn here at twice that: a deep blue to violet
    // band with three light title bars on the left and a gift box under a gold coin on the right.
    constexpr int width = 728;
    constexpr int height = 110;
    return encodePng(width, height, [](int x, int y) {
        // Corners are the page's own background, so the rounded view shows no seams.
        const auto inCoin = [](int x, int y, int radius) {
            const int dx = x - 640;
            const int dy = y - 40;
            return dx * dx + dy * dy < radius * radius;
        };
        if (inCoin(x, y, 30))
            return inCoin(x, y, 22) ? (inCoin(x, y, 14) ? rgb(246, 206, 120) : rgb(214, 160, 70)) : rgb(250, 222, 150);
        // The gift box: a red box with a gold ribbon, its lid a little wider.
        const bool lid = x >= 532 && x < 612 && y >= 50 && y < 64;
        const bool box = x >= 540 && x < 604 && y >= 64 && y < 100;
        if (lid || box)
            return (x >= 566 && x < 578) ? rgb(250, 214, 120) : (lid ? rgb(226, 70, 80) : rgb(196, 52, 66));
        // Title bars: a long bright one over two shorter, dimmer ones.
        if (x >= 40 && ((y >= 26 && y < 42 && x < 330) || (y >= 54 && y < 64 && x < 260) || (y >= 74 && y < 84 && x < 200)))
            return y < 42 ? rgb(255, 230, 191) : rgb(200, 196, 230);
        const int r = 28 + x * 70 / width + y * 10 / height;
        const int g = 30 + y * 20 / height;
        const int b = 92 + x * 60 / width;
        return rgb(r, g, b);
    });
}

QByteArray StandinArchives::splashPng()
{
    // An 800 x 500 picture drawn here, so the demo's splash has something to show: a violet
    // gradient with a gold disc and three light bands.
    constexpr int width = 800;
    constexpr int height = 500;
    return encodePng(width, height, [](int x, int y) {
        const int dx = x - 560;
        const int dy = y - 230;
        if (dx * dx + dy * dy < 120 * 120)
            return rgb(230, 190, 120);
        if ((y > 150 && y < 170 && x > 80 && x < 420) || (y > 200 && y < 214 && x > 80 && x < 360)
            || (y > 240 && y < 254 && x > 80 && x < 300))
            return rgb(255, 230, 191);
        return rgb(41 + (x * 60) / width, 7 + (y * 30) / height, 70 + (x + y) * 80 / (width + height));
    });
}

QByteArray StandinArchives::tinyPng()
{
    // A 1x1 transparent PNG.
    return QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNkYPhfDwAChwGA60e6kgAAAABJRU5ErkJggg==");
}
