#include "app/WebModule.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLibrary>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include "app/WebViews.h"
#include "app/AppLog.h"

const char *const WebModule::kFileName = "libostrel-web.so";
const char *const WebModule::kEntryName = "ostrel_web_module_interface";

// Qt's own setter of the application-wide shared context (exported by Qt GUI, used by Qt WebEngine).
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext *context);

namespace {

struct State
{
    std::unique_ptr<WebViews> views;
    bool tried = false;
    QString error;
};

State &state()
{
    static State s;
    return s;
}

// Chromium hands its frames to Qt's views through the application-wide shared GL context. Qt
// makes that context while it builds the application object when Qt::AA_ShareOpenGLContexts is
// set by then, which loads the GL driver (with a software driver, LLVM: 8 MiB of private pages)
// in every start. The client makes it here instead, before Qt WebEngine loads. Nothing made a GL
// context before (the screens paint in software), so every context from now on shares with it,
// as if the attribute had been set at the start.
QtMessageHandler g_previousHandler = nullptr;

// Passes every message on but Qt's note that the attribute comes after the application object:
// here it comes late on purpose, and the note would only alarm whoever reads the console.
void passAllButLateAttributeNote(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.contains(QLatin1String("AA_ShareOpenGLContexts")))
        return;
    if (g_previousHandler)
        g_previousHandler(type, context, message);
}

void prepareSharedGraphicsContext()
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || QOpenGLContext::globalShareContext())
        return;
    g_previousHandler = qInstallMessageHandler(passAllButLateAttributeNote);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    qInstallMessageHandler(g_previousHandler);
    // A child of the application: deleted with it, before the platform integration goes.
    auto *context = new QOpenGLContext(app);
    if (!context->create())
        qCWarning(lcApp) << "no shared GL context for the web pages; they paint in software";
    qt_gl_set_global_share_context(context);
    QObject::connect(context, &QObject::destroyed, [] { qt_gl_set_global_share_context(nullptr); });
}

// What draws GL on this machine, as the shared context reports it; empty without GL.
QByteArray sharedContextRenderer()
{
    QOpenGLContext *shared = QOpenGLContext::globalShareContext();
    if (!shared || !shared->isValid())
        return {};
    QOffscreenSurface surface;
    surface.setFormat(shared->format());
    surface.create();
    if (!shared->makeCurrent(&surface))
        return {};
    const auto *name = reinterpret_cast<const char *>(shared->functions()->glGetString(GL_RENDERER));
    const QByteArray renderer(name ? name : "");
    shared->doneCurrent();
    return renderer;
}

void addChromiumFlag(const QByteArray &flag)
{
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").trimmed();
    if (flags.split(' ').contains(flag))
        return;
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags + (flags.isEmpty() ? "" : " ") + flag);
}

} // namespace

void WebModule::prepareEngineEnvironment()
{
    // A full disk costs at most a page that does not show. The GL driver and Chromium keep compiled
    // shaders in files under the cache folder, written through memory maps: on a full disk a write
    // to such a page is a SIGBUS, which ends the client. Compiling again at each start is cheap.
    qputenv("MESA_SHADER_CACHE_DISABLE", "true");
    // The same switch under the name older drivers read.
    qputenv("MESA_GLSL_CACHE_DISABLE", "true");
    addChromiumFlag("--disable-gpu-shader-disk-cache");
    // A shared worker belongs to no page: its requests pass no request rule of ours, so one made
    // by a local page could read the user's files. No page of ours needs one.
    addChromiumFlag("--disable-shared-workers");
}

void WebModule::prepareGraphics()
{
    prepareSharedGraphicsContext();
    // With GL drawn by the CPU, Chromium's GPU road gains nothing and can lose the pages: its GPU
    // service runs in this process on that GL, and under Xvfb it has dropped the pages' channels
    // early in a session (the renderers log "Failed to send GpuControl.CreateCommandBuffer"),
    // after which the pages drew nothing but the window behind them. Chromium's own software
    // compositing draws the same pages with no GPU channel to lose.
    const QByteArray renderer = sharedContextRenderer();
    if (!drawsPagesInSoftware(renderer))
        return;
    addChromiumFlag("--disable-gpu");
    qCInfo(lcApp).noquote() << "web pages drawn in software; GL:" << (renderer.isEmpty() ? QByteArray("none") : renderer);
}

bool WebModule::drawsPagesInSoftware(const QByteArray &glRenderer)
{
    // No GL at all, or Mesa's CPU rasterisers (what Xvfb and a machine without a GPU driver
    // offer) and Chromium's own.
    const QByteArray name = glRenderer.toLower();
    if (name.isEmpty())
        return true;
    for (const char *software : {"llvmpipe", "softpipe", "swrast", "software rasterizer", "swiftshader", "lavapipe"}) {
        if (name.contains(software))
            return true;
    }
    return false;
}

QStringList WebModule::screenNames()
{
    // The purchase page (the left menu's membership item and its openers), the download page, and
    // the invitation, discovery and lottery pages.
    return {QStringLiteral("Upgrade"),
            QStringLiteral("NBUpgradeViewController"),
            QStringLiteral("NBRetrieveViewController"),
            QStringLiteral("NBInviteViewController"),
            QStringLiteral("NBDiscoverViewController"),
            QStringLiteral("NBFreeViewController")};
}

QStringList WebModule::candidatePaths()
{
    const QString bin = QCoreApplication::applicationDirPath();
    const QString file = QString::fromLatin1(kFileName);
    if (bin.isEmpty())
        return {};
    return {QDir(bin).filePath(file), QDir::cleanPath(bin + QStringLiteral("/../lib/ostrel/") + file)};
}

bool WebModule::isLoaded()
{
    return state().views != nullptr;
}

bool WebModule::available()
{
    if (isLoaded())
        return true;
    for (const QString &path : candidatePaths()) {
        if (QFileInfo(path).isFile())
            return true;
    }
    return false;
}

QString WebModule::errorString()
{
    return state().error;
}

void WebModule::install(std::unique_ptr<WebViews> views)
{
    if (views)
        state().views = std::move(views);
}

bool WebModule::loadFrom(const QString &path, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (!QFileInfo(path).isFile())
        return fail(QStringLiteral("no web module at %1").arg(path));
    QLibrary library(path);
    // Chromium keeps threads and atexit handlers of its own: the module must never be unmapped.
    // Every symbol is bound now, so a module that does not fit this client fails here, with a
    // reason, rather than on its first call.
    library.setLoadHints(QLibrary::PreventUnloadHint | QLibrary::ResolveAllSymbolsHint);
    if (!library.load())
        return fail(library.errorString());
    using Entry = int (*)();
    const auto entry = reinterpret_cast<Entry>(library.resolve(kEntryName));
    if (!entry)
        return fail(QStringLiteral("%1 is not the client's web module").arg(path));
    const int version = entry();
    if (version != kInterfaceVersion)
        return fail(QStringLiteral("%1 was built for interface %2, this client needs %3")
                        .arg(path).arg(version).arg(kInterfaceVersion));
    if (!isLoaded())
        return fail(QStringLiteral("%1 loaded but handed in no pages").arg(path));
    if (error)
        error->clear();
    return true;
}

bool WebModule::load()
{
    State &s = state();
    if (s.views)
        return true;
    if (s.tried)
        return false;
    s.tried = true;
    QElapsedTimer timer;
    timer.start();
    const QStringList paths = candidatePaths();
    prepareEngineEnvironment();
    // No GL driver for a module that is not there.
    if (std::any_of(paths.begin(), paths.end(), [](const QString &path) { return QFileInfo(path).isFile(); }))
        prepareGraphics();
    QStringList reasons;
    for (const QString &path : paths) {
        QString why;
        if (loadFrom(path, &why)) {
            s.error.clear();
            qCInfo(lcApp).noquote() << "web pages loaded from" << path << "in" << timer.elapsed() << "ms";
            return true;
        }
        reasons << why;
    }
    s.error = reasons.isEmpty() ? QStringLiteral("no place to look for the web module") : reasons.join(QStringLiteral("; "));
    qCWarning(lcApp).noquote() << "web pages unavailable:" << s.error;
    return false;
}

WebViews *WebModule::views()
{
    load();
    return state().views.get();
}
