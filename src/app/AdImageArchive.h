#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

class ImageCache;

// The picture of an advertisement (the splash screen's, the more page's banner) arrives as a
// password-protected archive. It is unpacked by the safe extractor into a fresh owner-only
// folder in the caches folder that is removed when the call returns, whatever happened, so an
// archive can neither write outside that folder nor leave anything behind. Only a file that
// decodes as an image is stored in the image cache (under the key's hashed file name); text,
// pages and broken files are passed over.
class AdImageArchive
{
public:
    static constexpr qint64 kMaxArchiveBytes = 20 * 1024 * 1024;

    // Which picture an archive of several stands for.
    enum class Pick {
        FirstImage,
        // Each picture replaces the one before under the same key, so the last one stays.
        LastImage,
    };

    struct Result
    {
        bool ok() const { return error.isEmpty(); }
        QString error; // empty when the picture is cached; never contains the password
        QImage image;  // the cached picture
    };

    static Result unpackIntoCache(const QByteArray &archive, const QString &key, Pick pick, ImageCache &cache);

private:
    AdImageArchive() = delete;
};
