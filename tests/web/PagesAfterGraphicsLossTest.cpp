// The pages keep painting after Chromium loses its GPU channels, with the graphics the client
// itself chooses (WebModule::prepareGraphics after the application object, no --disable-gpu of
// the tests' own) on a GL drawn by the CPU: the program runs under its own Xvfb and asks Mesa for
// its software rasteriser, whatever GPU the machine has. Chromium runs its GPU service inside the
// client's process, so there is no GPU process to kill; its own debug address chrome://gpuclean
// drops every GPU channel at once, which is what a failing GPU service does to the pages.
#include <QApplication>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTest>
#include <QVBoxLayout>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include "app/WebModule.h"
#include "common/AppPaths.h"
#include "support/WebPageScript.h"
#include "support/WebTestDisplay.h"
#include "web/ScriptMessageWebPage.h"

namespace {

const bool kUnderDisplay = WebTestDisplay::ensure(WebTestDisplay::Graphics::AsTheClient);
const bool kSoftwareGl = [] {
    qputenv("LIBGL_ALWAYS_SOFTWARE", "1");
    return true;
}();
const bool kEngineEnvironment = [] {
    WebModule::prepareEngineEnvironment();
    return true;
}();

const QColor kPageColour(200, 30, 40);

// One colour from edge to edge: whether Chromium drew it shows in any pixel.
const QByteArray kSolidPage = "<!doctype html><html><body style=\"margin:0;height:100vh;background:rgb(200,30,40)\">"
                              "</body></html>";

// A page of ours in a view, in a white window as the client's screens hold them: a page that is
// not drawn shows the window's white through its transparent view.
class ShownPage
{
public:
    explicit ShownPage(const QUrl &url)
    {
        m_window.setAutoFillBackground(true);
        QPalette palette = m_window.palette();
        palette.setColor(QPalette::Window, Qt::white);
        m_window.setPalette(palette);
        auto *layout = new QVBoxLayout(&m_window);
        layout->setContentsMargins(0, 0, 0, 0);
        m_view = new QWebEngineView(&m_window);
        m_page = new ScriptMessageWebPage(ScriptMessageRouter::HostKind::PageController, nullptr, m_view);
        m_view->setPage(m_page);
        layout->addWidget(m_view);
        m_window.resize(400, 300);
        m_window.show();
        m_page->load(url);
    }

    QColor centre() { return m_window.grab().toImage().pixelColor(200, 150); }
    bool painted(int timeoutMs = 30000)
    {
        return QTest::qWaitFor([&] { return centre() == kPageColour; }, timeoutMs);
    }
    QWebEnginePage *page() const { return m_page; }

private:
    QWidget m_window;
    QWebEngineView *m_view = nullptr;
    ScriptMessageWebPage *m_page = nullptr;
};

// The client's choice, for the renderer names GL drivers report.
TEST(PagesAfterGraphicsLoss, ThePagesDrawWithoutTheGpuExactlyWhereGlIsDrawnByTheCpu)
{
    for (const char *software : {"", "llvmpipe (LLVM 15.0.6, 256 bits)", "softpipe", "Mesa DRI swrast",
                                 "Google SwiftShader", "ANGLE (Google, Vulkan 1.3.0 (SwiftShader Device (Subzero)))"})
        EXPECT_TRUE(WebModule::drawsPagesInSoftware(software)) << software;
    for (const char *gpu : {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", "AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49)",
                            "NVIDIA GeForce RTX 3060/PCIe/SSE2", "virgl"})
        EXPECT_FALSE(WebModule::drawsPagesInSoftware(gpu)) << gpu;
}

TEST(PagesAfterGraphicsLoss, OnASoftwareOnlyGlThePagesDrawWithoutTheGpuAndKeepPaintingWhenItsChannelsDrop)
{
    ASSERT_TRUE(kUnderDisplay) << "xvfb-run is needed to run the web views without a display";
    WebModule::prepareGraphics();
    // The GL is Mesa's CPU rasteriser: Chromium is told to draw without its GPU road.
    EXPECT_TRUE(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").split(' ').contains("--disable-gpu"))
        << qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").toStdString();
    const QUrl url = writeLocalPage(QStringLiteral("solid/index.html"), kSolidPage);

    ShownPage before(url);
    ASSERT_TRUE(before.painted()) << "the page paints at all";

    // Every GPU channel of the engine dropped, as when the GPU service fails.
    QWebEnginePage breaker;
    breaker.load(QUrl(QStringLiteral("chrome://gpuclean")));

    // The page that was showing, and a page shown from now on (the more page's next page), paint.
    ShownPage after(url);
    EXPECT_TRUE(after.painted()) << "painted " << after.centre().name().toStdString();
    EXPECT_TRUE(before.painted()) << "painted " << before.centre().name().toStdString();
}

} // namespace
