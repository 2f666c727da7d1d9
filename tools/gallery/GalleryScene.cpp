#include "GalleryScene.h"

#include "uikit/LMAppThemeHelper.h"
#include "uikit/WindowInUse.h"

#include <QHash>
#include <QPalette>

std::vector<GalleryScene> &GalleryRegistry::scenes()
{
    static std::vector<GalleryScene> list;
    return list;
}

void GalleryRegistry::add(GalleryScene scene)
{
    scenes().push_back(std::move(scene));
}

QWidget *galleryWindowHost(const QSize &size)
{
    auto *host = new QWidget;
    host->resize(size);
    QPalette palette = host->palette();
    palette.setColor(QPalette::Window, QColor(13, 25, 37));
    host->setPalette(palette);
    host->setAutoFillBackground(true);
    WindowInUse::setContentWidget(host);
    return host;
}

namespace {

QHash<QWidget *, GalleryPictureSource> &pictureSources()
{
    static QHash<QWidget *, GalleryPictureSource> sources;
    return sources;
}

} // namespace

void setGalleryPictureSource(QWidget *sceneWidget, GalleryPictureSource source)
{
    pictureSources().insert(sceneWidget, std::move(source));
}

GalleryPictureSource takeGalleryPictureSource(QWidget *sceneWidget)
{
    return pictureSources().take(sceneWidget);
}
