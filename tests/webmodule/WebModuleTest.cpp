// The client starts without Chromium and loads the web pages, once, when a page is first asked
// for. The program is linked as the client is; Chromium needs a display, so without one the
// program runs itself again under xvfb-run (WebTestDisplay).
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QOpenGLContext>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include <unistd.h>

#include "app/WebModule.h"
#include "app/WebViews.h"
#include "networking/NBMessageListModel.h"
#include "settings/message/NBMessageDetailViewController.h"
#include "support/MessageCapture.h"
#include "support/ProcScan.h"
#include "support/WebTestDisplay.h"
#include "uikit/PlaceholderViewController.h"
#include "uikit/ScreenFactory.h"

namespace {

const bool kUnderDisplay = WebTestDisplay::ensure();
// As in the client: nothing asks for shared GL contexts before the application object (the
// display helper does, for programs that link Chromium).
const bool kNoSharedContextsAtStart = [] {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts, false);
    return true;
}();

const QString kClient = QStringLiteral(OSTREL_BINARY_DIR "/bin/ostrel");
const QString kModule = QStringLiteral(OSTREL_BINARY_DIR "/lib/ostrel/libostrel-web.so");

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return {};
    return QString::fromLocal8Bit(process.readAll());
}

// The file this program mapped a library of that name from; empty when it mapped none.
QString loadedLibraryPath(const QString &fileName)
{
    const QByteArray maps = QByteArray::fromStdString(ProcScan::read(::getpid(), "maps"));
    for (const QByteArray &line : maps.split('\n')) {
        const qsizetype slash = line.indexOf('/');
        if (slash >= 0 && line.contains(QFile::encodeName(fileName)))
            return QFile::decodeName(line.mid(slash));
    }
    return {};
}

bool mapped(const QString &fileName)
{
    return !loadedLibraryPath(fileName).isEmpty();
}

} // namespace

TEST(WebModuleFiles, TheClientLinksNeitherChromiumNorQtQuickNorTheQrReader)
{
    ASSERT_TRUE(QFileInfo::exists(kClient));
    const QString libraries = run(QStringLiteral("ldd"), {kClient});
    ASSERT_TRUE(libraries.contains(QStringLiteral("libQt6Widgets"))) << libraries.toStdString();
    for (const char *web : {"libQt6WebEngine", "libQt6WebChannel", "libQt6Quick", "libQt6Qml", "libzbar"})
        EXPECT_FALSE(libraries.contains(QLatin1String(web))) << web << " in\n" << libraries.toStdString();
}

TEST(WebModuleFiles, TheModuleCarriesChromiumButNoSecondCopyOfTheLayersBelow)
{
    ASSERT_TRUE(QFileInfo::exists(kModule));
    const QString libraries = run(QStringLiteral("ldd"), {kModule});
    EXPECT_TRUE(libraries.contains(QStringLiteral("libQt6WebEngineWidgets"))) << libraries.toStdString();
    // A layer's singletons (the screen factory, the notification centre) exist once, in the
    // client: the module only uses them.
    const QString defined = run(QStringLiteral("nm"), {QStringLiteral("-D"), QStringLiteral("--defined-only"), kModule});
    ASSERT_FALSE(defined.isEmpty());
    EXPECT_TRUE(defined.contains(QStringLiteral("ostrel_web_module_interface")));
    EXPECT_FALSE(defined.contains(QStringLiteral("_ZN13ScreenFactory8instanceEv")));
    EXPECT_FALSE(defined.contains(QStringLiteral("_ZN18NotificationCenter13defaultCenterEv")));
    const QString used = run(QStringLiteral("nm"), {QStringLiteral("-D"), QStringLiteral("--undefined-only"), kModule});
    EXPECT_TRUE(used.contains(QStringLiteral("_ZN13ScreenFactory8instanceEv")));
}

TEST(WebModuleFiles, AFileThatIsNotTheModuleIsRefusedWithAReason)
{
    QString error;
    EXPECT_FALSE(WebModule::loadFrom(QStringLiteral("/nonexistent/libostrel-web.so"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("/nonexistent/libostrel-web.so"))) << error.toStdString();

    QTemporaryDir dir;
    const QString fake = dir.filePath(QString::fromLatin1(WebModule::kFileName));
    QFile file(fake);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a library\n");
    file.close();
    error.clear();
    EXPECT_FALSE(WebModule::loadFrom(fake, &error));
    EXPECT_FALSE(error.isEmpty());

    // A real library, but not ours: it has no entry saying which interface it serves.
    const QString core = loadedLibraryPath(QStringLiteral("libQt6Core.so"));
    ASSERT_FALSE(core.isEmpty());
    error.clear();
    EXPECT_FALSE(WebModule::loadFrom(core, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("not the client's web module"))) << error.toStdString();
}

// One case: the module loads once per program, so "before" and "after" belong together.
TEST(WebModuleRoad, APageAskedForByNameLoadsTheModuleOnceAndEveryWebRoadWorks)
{
    ASSERT_TRUE(kUnderDisplay) << "xvfb-run is needed to run the web views without a display";
    // A repeat of the program's cases (--gtest_repeat) finds the module loaded by the first run:
    // "before" cannot be seen again in this process.
    if (WebModule::isLoaded())
        GTEST_SKIP() << "the module was loaded by an earlier run of this case in this process";
    auto &factory = ScreenFactory::instance();
    EXPECT_TRUE(WebModule::available());
    EXPECT_FALSE(mapped(QStringLiteral("libQt6WebEngineCore"))) << "nothing of Chromium before a page";
    EXPECT_EQ(QOpenGLContext::globalShareContext(), nullptr) << "no GL driver before a page";
    EXPECT_FALSE(qEnvironmentVariableIsSet("MESA_SHADER_CACHE_DISABLE")) << "told where the pages start, not before";
    for (const QString &name : WebModule::screenNames()) {
        EXPECT_TRUE(factory.isOnDemand(name)) << name.toStdString();
        EXPECT_FALSE(factory.hasScreen(name)) << name.toStdString();
    }

    QWidget window;
    window.resize(728, 500);
    MessageCapture messages;
    std::unique_ptr<NBBaseViewController> purchase(factory.make(QStringLiteral("Upgrade"), &window));
    // The attribute comes late on purpose: Qt's note about it stays off the console.
    EXPECT_FALSE(messages.contains(QStringLiteral("AA_ShareOpenGLContexts"))) << messages.messages().join('\n').toStdString();
    ASSERT_NE(purchase, nullptr);
    EXPECT_STREQ(purchase->metaObject()->className(), "NBUpgradeViewController");
    EXPECT_TRUE(WebModule::isLoaded()) << WebModule::errorString().toStdString();
    EXPECT_TRUE(mapped(QStringLiteral("libostrel-web.so")));
    EXPECT_TRUE(mapped(QStringLiteral("libQt6WebEngineCore")));
    // Made before Chromium loaded, so that its contexts and the views' share with it.
    EXPECT_TRUE(QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts));
    EXPECT_NE(QOpenGLContext::globalShareContext(), nullptr);
    // A full disk costs no more than a page: neither the GL driver nor Chromium keeps its shaders
    // in memory-mapped cache files (a write to one on a full disk is a SIGBUS). The driver has been
    // loaded and its context made, and left no cache behind.
    EXPECT_EQ(qgetenv("MESA_SHADER_CACHE_DISABLE"), QByteArray("true"));
    EXPECT_EQ(qgetenv("MESA_GLSL_CACHE_DISABLE"), QByteArray("true"));
    const QList<QByteArray> flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").split(' ');
    EXPECT_TRUE(flags.contains("--disable-gpu-shader-disk-cache"));
    // No shared workers: they belong to no page, and no request rule of a page holds them.
    EXPECT_TRUE(flags.contains("--disable-shared-workers"));
    EXPECT_TRUE(flags.contains("--disable-gpu")) << "what the environment said is kept";
    EXPECT_FALSE(QFileInfo::exists(QDir::homePath() + QStringLiteral("/.cache/mesa_shader_cache")));
    // The module's screens are now registered for real, each its own class.
    for (const QString &name : WebModule::screenNames()) {
        EXPECT_TRUE(factory.hasScreen(name)) << name.toStdString();
        std::unique_ptr<NBBaseViewController> page(factory.make(name));
        EXPECT_EQ(qobject_cast<PlaceholderViewController *>(page.get()), nullptr) << name.toStdString();
        EXPECT_NE(qobject_cast<NBBaseViewController *>(page.get()), nullptr) << name.toStdString();
    }
    EXPECT_TRUE(WebModule::load()) << "later asks answer the first outcome";

    // The purchase page shows its own page in Chromium.
    window.show();
    purchase->ensureLoaded();
    purchase->show();
    QSignalSpy started(purchase.get(), SIGNAL(pageLoadStarted(QString)));
    purchase->setGeometry(window.rect());
    // As the client shows it: the page loads as it appears, through its own vtable (the class's
    // code is in the module alone).
    NBBaseViewController::setAppearing(purchase.get(), true);
    QTRY_VERIFY_WITH_TIMEOUT(!started.isEmpty(), 30000);

    // The message pane gets Chromium's view from the module and shows the message in it.
    NBMessageDetailViewController detail(&window);
    detail.ensureLoaded();
    detail.show();
    NBMessageListModel model;
    model.id = 7;
    model.title = QStringLiteral("标题");
    model.body = QStringLiteral("<p>body</p>");
    detail.model = model;
    detail.loadMessage();
    ASSERT_NE(detail.webView(), nullptr);
    EXPECT_STREQ(detail.webView()->metaObject()->className(), "QWebEngineView");
    EXPECT_EQ(detail.webView()->geometry(), detail.rect());
    EXPECT_TRUE(detail.loadedHtml().contains(QStringLiteral("<p>body</p>")));

    // The notice popup: made over its host at its frame, closing itself through its close block.
    WebViews *views = WebModule::views();
    ASSERT_NE(views, nullptr);
    QTemporaryDir dir;
    const QString html = dir.filePath(QStringLiteral("notice.html"));
    QFile page(html);
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<!doctype html><html><body>notice</body></html>");
    page.close();
    WebViews::NoticePopup notice;
    notice.frame = QRect(10, 20, 300, 200);
    notice.json = QStringLiteral("{\"a\":1}");
    notice.page = QUrl::fromLocalFile(html);
    QWidget *popup = views->showNoticePopup(&window, notice);
    ASSERT_NE(popup, nullptr);
    EXPECT_STREQ(popup->metaObject()->className(), "OOPopupWebView");
    EXPECT_EQ(popup->parentWidget(), &window);
    EXPECT_EQ(popup->geometry(), notice.frame);
    EXPECT_TRUE(popup->isVisible());
}
