// ostrel-gallery OUTDIR [NAME-FILTER]: draws every registered scene to OUTDIR/<name>.png and
// writes OUTDIR/manifest.json (name, file, expected width and height) for the gallery test.
// The local pages ("web/...") are drawn in Chromium against a stand-in service the gallery starts
// for them (ostrel-standin beside it).
#include "GalleryScene.h"

#include "app/uikit/NSFontHelper.h"
#include "app/uikit/UiTiming.h"
#include "common/Localization.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <memory>

#include <unistd.h>

namespace {

void settle()
{
    // Enough turns of the loop for 0-length transitions and deferred deletions to finish.
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

QString fileNameFor(const QString &name)
{
    QString file = name;
    file.replace(QLatin1Char('/'), QLatin1Char('_'));
    return file + QStringLiteral(".png");
}

// Debug lines of the screens (deinit notes, popup placement) say nothing about pictures.
void quietDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    QTextStream(stderr) << message << "\n";
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Fake data only: the pictures never read or write the user's profile.
    QTemporaryDir profile(QDir::tempPath() + QStringLiteral("/ostrel-gallery-XXXXXX"));
    if (profile.isValid()) {
        const QByteArray home = profile.path().toLocal8Bit();
        qputenv("HOME", home);
        qputenv("XDG_CONFIG_HOME", home + "/.config");
        qputenv("XDG_CACHE_HOME", home + "/.cache");
        qputenv("XDG_DATA_HOME", home + "/.local/share");
    }

    // The local pages draw in Chromium: software rendering, shared GL contexts before the
    // application object, and no sandbox as root (where Chromium refuses to start with one).
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --disable-background-networking --disable-component-update");
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);

    if (qEnvironmentVariableIsEmpty("OSTREL_GALLERY_VERBOSE"))
        qInstallMessageHandler(quietDebug);
    QApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        err << "usage: ostrel-gallery OUTDIR [NAME-FILTER]\n";
        return 2;
    }
    const QString outDir = args.at(1);
    const QString filter = args.size() > 2 ? args.at(2) : QString();
    if (!QDir().mkpath(outDir)) {
        err << "cannot create " << outDir << "\n";
        return 2;
    }

    NSFontHelper::installFontSubstitutions();
    // The fresh profile gets the program's first language, as at start-up.
    setupAppLanguage();
    // Transitions end at once; removals and auto-hides wait for ever, so transient looks stay.
    UiTiming::setScale(0);
    UiTiming::setDelaysHeld(true);

    auto scenes = GalleryRegistry::scenes();
    std::sort(scenes.begin(), scenes.end(), [](const auto &a, const auto &b) { return a.name < b.name; });

    QJsonArray manifest;
    int failures = 0;
    for (const GalleryScene &scene : scenes) {
        if (!filter.isEmpty() && !scene.name.contains(filter))
            continue;
        std::unique_ptr<QWidget> widget(scene.build());
        if (!widget) {
            err << scene.name << ": no widget\n";
            ++failures;
            continue;
        }
        widget->resize(scene.size);
        widget->show();
        settle();
        QImage picture;
        if (const GalleryPictureSource source = takeGalleryPictureSource(widget.get())) {
            QEventLoop wait;
            bool answered = false;
            source([&](QImage image) {
                picture = std::move(image);
                answered = true;
                wait.quit();
            });
            if (!answered)
                wait.exec();
            if (picture.isNull()) {
                err << scene.name << ": the picture was not ready in time\n";
                ++failures;
            }
        } else {
            picture = widget->grab().toImage();
        }
        const QString file = fileNameFor(scene.name);
        if (!picture.save(QDir(outDir).filePath(file))) {
            err << scene.name << ": cannot save\n";
            ++failures;
        }
        manifest.append(QJsonObject{{QStringLiteral("name"), scene.name},
                                    {QStringLiteral("file"), file},
                                    {QStringLiteral("width"), scene.size.width()},
                                    {QStringLiteral("height"), scene.size.height()}});
        widget.reset();
        settle();
    }

    QSaveFile out(QDir(outDir).filePath(QStringLiteral("manifest.json")));
    if (!out.open(QIODevice::WriteOnly) || out.write(QJsonDocument(manifest).toJson()) < 0 || !out.commit()) {
        err << "cannot write the manifest\n";
        return 1;
    }
    QTextStream(stdout) << manifest.size() << " pictures in " << outDir << "\n";
    return failures == 0 ? 0 : 1;
}
