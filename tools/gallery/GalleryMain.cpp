// ostrel-gallery OUTDIR [NAME-FILTER]: draws every registered scene (or those whose name holds
// NAME-FILTER) to OUTDIR/<name>.png and writes OUTDIR/manifest.json (name, file, expected width
// and height) for the gallery test. `--list [NAME-FILTER]` prints the scene names instead.
// The local pages ("web/...") are drawn in Chromium against a stand-in service the gallery starts
// for them (ostrel-standin beside it).
#include "common/ProcessTeardown.h"
#include "common/WholeFile.h"
#include "GalleryScene.h"

#include "uikit/NSFontHelper.h"
#include "uikit/UiTiming.h"
#include "common/Localization.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QEventLoop>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

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

constexpr int kUsageError = 2;

// What the command line asks for. Options come first so that "-h" or a mistyped option never
// becomes the name of the output folder.
struct GalleryCommand
{
    // Set when the run ends here (help shown, or a mistake with the usage shown).
    std::optional<int> exitCode;
    bool list = false;
    QString outDir;
    QString filter;
};

GalleryCommand readCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Draws every screen, popup and state of the client with fake data to OUTDIR/<area>_<name>.png\n"
        "and writes OUTDIR/manifest.json. Only the scenes whose name holds NAME-FILTER when given."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption listOption(QStringLiteral("list"),
                                        QStringLiteral("Print the scene names (those holding NAME-FILTER), one a line, and draw nothing."));
    parser.addOption(listOption);
    parser.addPositionalArgument(QStringLiteral("OUTDIR"),
                                 QStringLiteral("Folder for the pictures and the manifest (made when missing); not with --list."));
    parser.addPositionalArgument(QStringLiteral("NAME-FILTER"), QStringLiteral("Only scenes whose name holds this text, e.g. \"message/\"."),
                                 QStringLiteral("[NAME-FILTER]"));

    GalleryCommand command;
    const auto usageError = [&](const QString &why) {
        QTextStream(stderr) << "ostrel-gallery: " << why << "\n\n" << parser.helpText();
        command.exitCode = kUsageError;
        return command;
    };
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(helpOption)) {
        QTextStream(stdout) << parser.helpText();
        command.exitCode = 0;
        return command;
    }
    // The long help (with Qt's own options) has no text to ask for: the parser prints it and
    // ends the program itself.
    if (parser.isSet(QStringLiteral("help-all")))
        parser.process(arguments);

    const QStringList positional = parser.positionalArguments();
    command.list = parser.isSet(listOption);
    if (command.list) {
        if (positional.size() > 1)
            return usageError(QStringLiteral("--list takes at most a NAME-FILTER"));
        command.filter = positional.value(0);
        return command;
    }
    if (positional.isEmpty())
        return usageError(QStringLiteral("no OUTDIR given"));
    if (positional.size() > 2)
        return usageError(QStringLiteral("too many arguments"));
    command.outDir = positional.at(0);
    command.filter = positional.value(1);
    return command;
}

std::vector<GalleryScene> scenesMatching(const QString &filter)
{
    std::vector<GalleryScene> scenes;
    for (const GalleryScene &scene : GalleryRegistry::scenes()) {
        if (filter.isEmpty() || scene.name.contains(filter))
            scenes.push_back(scene);
    }
    std::sort(scenes.begin(), scenes.end(), [](const auto &a, const auto &b) { return a.name < b.name; });
    return scenes;
}

} // namespace

int main(int argc, char **argv)
{
    ProcessTeardown::keepOpenSslToTheEnd();
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

    const GalleryCommand command = readCommandLine(QCoreApplication::arguments());
    if (command.exitCode)
        return *command.exitCode;

    const std::vector<GalleryScene> scenes = scenesMatching(command.filter);
    if (scenes.empty()) {
        // A mistyped filter should not pass for an empty but successful run.
        err << "ostrel-gallery: no scene name holds \"" << command.filter << "\" (see --list)\n";
        return kUsageError;
    }
    if (command.list) {
        QTextStream out(stdout);
        for (const GalleryScene &scene : scenes)
            out << scene.name << "\n";
        return 0;
    }
    const QString outDir = command.outDir;
    if (outDir.isEmpty() || !QDir().mkpath(outDir)) {
        err << "cannot create " << outDir << "\n";
        return kUsageError;
    }

    NSFontHelper::installFontSubstitutions();
    // The fresh profile gets the program's first language, as at start-up.
    setupAppLanguage();
    // Transitions end at once; removals and auto-hides wait for ever, so transient looks stay.
    UiTiming::setScale(0);
    UiTiming::setDelaysHeld(true);

    QJsonArray manifest;
    int failures = 0;
    for (const GalleryScene &scene : scenes) {
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
    ProcessTeardown::run();

    const QString written = WholeFile::write(QDir(outDir).filePath(QStringLiteral("manifest.json")),
                                             QJsonDocument(manifest).toJson());
    if (!written.isEmpty()) {
        err << written << "\n";
        return 1;
    }
    QTextStream(stdout) << manifest.size() << " pictures in " << outDir << "\n";
    return failures == 0 ? 0 : 1;
}
