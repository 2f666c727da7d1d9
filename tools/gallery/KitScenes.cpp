// Pictures of the kit's own widgets in their states.
#include "GalleryScene.h"

#include "app/uikit/NBBaseView.h"
#include "app/uikit/PlaceholderViewController.h"
#include "app/uikit/RoundedPanel.h"

OSTREL_GALLERY_SCENE("kit/placeholder_screen", 728, 500)
{
    auto *screen = new PlaceholderViewController(QStringLiteral("Home"));
    screen->ensureLoaded();
    return screen;
}

OSTREL_GALLERY_SCENE("kit/base_view", 800, 500)
{
    QWidget *host = galleryWindowHost();
    auto *popup = new NBBaseView;
    popup->show();
    popup->contentView()->setGeometry(235, 150, 330, 200);
    return host;
}
