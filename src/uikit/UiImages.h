#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The program's images by their asset names ("pop_sure", "hud_error_icon", ...). Every image is
// our own SVG artwork compiled into the program as ":/images/<name>.svg" (files in
// resources/images/), drawn at the size asked for, so no @2x sets are needed.
class UiImages
{
public:
    static QString path(const QString &name);
    static bool exists(const QString &name);
    // The image drawn at the given logical size for the given device pixel ratio; a null pixmap
    // for an unknown name (callers show nothing then, as an empty image view does).
    static QPixmap pixmap(const QString &name, const QSize &size, qreal devicePixelRatio = 1.0);
    // The image's own size (its SVG view box); empty for an unknown name.
    static QSize naturalSize(const QString &name);
    static QIcon icon(const QString &name);

private:
    UiImages() = delete;
};
