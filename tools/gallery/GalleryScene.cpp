#include "GalleryScene.h"

#include "app/uikit/LMAppThemeHelper.h"
#include "app/uikit/WindowInUse.h"

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
