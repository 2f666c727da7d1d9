#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

// One picture of the gallery: a name ("kit/toast_error", also the file name with '/' as '_'),
// the size the picture must have, and a function that builds the widget to draw. The runner owns
// the widget it gets back, shows it off screen, lets its transitions end and grabs it.
//
// Scenes register themselves, one file per area (tools/gallery/<Area>Scenes.cpp):
//
//     OSTREL_GALLERY_SCENE("home/connected", 728, 500)
//     {
//         auto *screen = new NBHomeViewController;
//         ...fake data...
//         return screen;
//     }
struct GalleryScene
{
    QString name;
    QSize size;
    std::function<QWidget *()> build;
};

class GalleryRegistry
{
public:
    static std::vector<GalleryScene> &scenes();
    static void add(GalleryScene scene);
};

struct GalleryRegistrar
{
    GalleryRegistrar(const char *name, int width, int height, QWidget *(*build)())
    {
        GalleryRegistry::add({QString::fromUtf8(name), QSize(width, height), build});
    }
};

// A scene whose picture is ready only later (a web page that loads and asks the service) hands
// the runner a source for it with the widget it built; the runner then waits for the source's
// answer (a null image: it never got ready) instead of grabbing the widget at once. The source
// must answer once, in bounded time.
using GalleryPictureDone = std::function<void(QImage picture)>;
using GalleryPictureSource = std::function<void(GalleryPictureDone done)>;
void setGalleryPictureSource(QWidget *sceneWidget, GalleryPictureSource source);
// The runner's side: the source set for that widget, once (empty when none).
GalleryPictureSource takeGalleryPictureSource(QWidget *sceneWidget);

// A dark window-sized host that is also the "window in use", so popups shown with
// NBBaseView::show() and toasts land in it.
QWidget *galleryWindowHost(const QSize &size = QSize(800, 500));

#define OSTREL_GALLERY_CONCAT2(a, b) a##b
#define OSTREL_GALLERY_CONCAT(a, b) OSTREL_GALLERY_CONCAT2(a, b)
#define OSTREL_GALLERY_SCENE(name, width, height)                                                          \
    static QWidget *OSTREL_GALLERY_CONCAT(gallerySceneBuild_, __LINE__)();                                 \
    static const GalleryRegistrar OSTREL_GALLERY_CONCAT(gallerySceneRegistrar_, __LINE__)(                 \
        name, width, height, &OSTREL_GALLERY_CONCAT(gallerySceneBuild_, __LINE__));                        \
    static QWidget *OSTREL_GALLERY_CONCAT(gallerySceneBuild_, __LINE__)()
