#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class QLabel;

// The pictures of the feedback screens: where a picture of the conversation comes from and under
// which name it is cached, and how a chosen picture travels to the service.
class FeedbackPicture
{
public:
    // A text that is not a whole address ("[a-zA-z]+://[^\s]*") is a path on the service: the
    // current API domain goes in front of it, without a separator.
    static QString resolve(const QString &source, const QString &domain);
    // The cache key: the address's "fid" item; nothing without one (then nothing is loaded).
    static std::optional<QString> cacheKey(const QUrl &url);

    // Shows the picture of `source` in `view`, scaled to fit `box` (never drawn past its cell):
    // from the shared cache, else downloaded and cached under its "fid". A view that is gone
    // when the picture arrives only leaves the cache filled. False when nothing is loaded.
    static bool load(const QString &source, QLabel *view, const QSize &box);

    // A picture scaled down (never up) to fit the box, keeping its proportions.
    static QImage fitted(const QImage &image, const QSize &box);

    // What goes out as a "file" part: JPEG at the highest quality.
    static QByteArray jpegBytes(const QImage &image);
    // A part's file name: the current time in seconds since 1970, fraction included.
    static QString fileNameForNow();

    // The file that was chosen, read and decoded; nothing when it cannot be read or is no picture.
    static std::optional<QImage> readPicture(const QString &path);

    static constexpr qint64 kMaxPictureBytes = 20 * 1024 * 1024;

private:
    FeedbackPicture() = delete;
};
