// The more page's web pages as a user meets them: the real start-up, the visitor's main window,
// the menu's account item, then the discovery, invitation and lottery rows clicked again and
// again (fresh, after another page, the same page reopened, after the purchase page). Each
// opening must put its page on the screen within a few seconds: read from what the display
// shows, not from a grab of the widgets, which draws the page by itself even when the window
// leaves it covered.
#include <QGuiApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QTimer>
#include <QPushButton>
#include <QJsonObject>
#include <QPointer>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include "app/AppDelegate.h"
#include "app/NBGuidViewController.h"
#include "app/NBLeftSideViewController.h"
#include "app/NBMainSplitViewController.h"
#include "app/NBMainWindowController.h"
#include "common/DefaultsKeys.h"
#include "common/MKUserInfoManager.h"
#include "common/UserDefaults.h"
#include "home/NoticeChain.h"
#include "settings/more/NBMineItemView.h"
#include "settings/more/NBMineViewController.h"
#include "support/NetworkTestSupport.h"
#include "support/ContainedDelegate.h"
#include "support/StandinProcess.h"
#include "support/WebPageScript.h"
#include "support/WebTestDisplay.h"
#include "uikit/UiTiming.h"
#include "web/DesktopLinkOpener.h"
#include "web/NBBaseWebViewController.h"
#include "web/OOPopupWebView.h"
#include "web/ScriptMessageWebPage.h"

namespace {

const bool kUnderDisplay = WebTestDisplay::ensure();

constexpr int kWait = 30000;
// What a user would still call "at once" on a loaded machine.
constexpr int kPaintWait = 5000;
// The notices the stand-in sends a fresh profile.
constexpr int kNotices = 3;

struct Row
{
    qint64 type;
    const char *name;
};

const Row kDiscover{1, "discovery"};
const Row kInvite{2, "invitation"};
const Row kLottery{3, "lottery"};

// Waits for the condition with the event loop turning all along, as it does in the client. QTest's
// own wait sleeps between turns; Chromium's browser side runs on this loop, and a page then takes
// ten times as long to load.
template <typename Condition>
bool waitRunning(Condition condition, int timeoutMs)
{
    if (condition())
        return true;
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    bool met = false;
    bool asking = false;
    // A condition may run the loop itself (reading the page); it is not asked again meanwhile.
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (asking || met)
            return;
        asking = true;
        met = condition();
        asking = false;
        if (met || clock.hasExpired(timeoutMs))
            loop.quit();
    });
    poll.start(15);
    loop.exec();
    return met;
}

// What the display shows where the widget lies.
QImage onScreen(QWidget *widget)
{
    const QPoint origin = widget->mapToGlobal(QPoint(0, 0));
    return QGuiApplication::primaryScreen()->grabWindow(0, origin.x(), origin.y(), widget->width(), widget->height()).toImage();
}

// The pages' close button ("关闭", top right) has a border of this colour, drawn nowhere else on the
// more page beneath.
const QColor kButtonBorder(43, 58, 72);

// Where the page's close button lies, in the page's coordinates, once its document is there.
QRect closeButtonIn(QWebEnginePage *page)
{
    const QVariant box = evaluate(page, QStringLiteral("(function(){var e=document.getElementById('close');"
                                                       "if(!e||document.readyState!=='complete')return null;"
                                                       "var r=e.getBoundingClientRect();return [r.left,r.top,r.width,r.height];})()"));
    const QVariantList values = box.toList();
    if (values.size() != 4)
        return {};
    return QRect(qRound(values[0].toDouble()), qRound(values[1].toDouble()), qRound(values[2].toDouble()),
                 qRound(values[3].toDouble()));
}

// Whether the display shows that button's border where the page puts it (over `screen`, the
// page's widget or the more page under it).
bool buttonOnDisplay(QWidget *screen, const QRect &button)
{
    const QPoint origin = screen->mapToGlobal(button.topLeft());
    const QImage image = QGuiApplication::primaryScreen()->grabWindow(0, origin.x(), origin.y(), button.width(), button.height()).toImage();
    int border = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor colour = image.pixelColor(x, y);
            if (qAbs(colour.red() - kButtonBorder.red()) <= 6 && qAbs(colour.green() - kButtonBorder.green()) <= 6
                && qAbs(colour.blue() - kButtonBorder.blue()) <= 6)
                ++border;
        }
    }
    return border >= button.width();
}

// A notice on the display: its card and its text over the dimmed window, not one flat colour.
bool showsANotice(const QImage &image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3)
            colours.insert(image.pixel(x, y));
    }
    return colours.size() > 16;
}

class PagesOnScreen : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(kUnderDisplay) << "xvfb-run is needed to run the web views without a display";
        ASSERT_TRUE(m_standin.start()) << m_standin.errorText().toStdString();
        m_hooks = installRecordingHooks();
        ASSERT_TRUE(pointClientAt({m_standin.baseUrl()}));
        ASSERT_TRUE(MKUserInfoManager::shared().clearUser());
        // The client's first start in this profile: no notice was shown yet, and this process's
        // first notice chain is still to come (a repeated run comes here again in the same process).
        UserDefaults::standard().remove(DefaultsKeys::kAnouncePreTimeRecords);
        NoticeChain::setFrequencyOneSession(true);
        DesktopLinkOpener::setOpenerForTesting([](const QUrl &) {});
        ASSERT_NO_FATAL_FAILURE(openMorePage());
    }
    void TearDown() override { DesktopLinkOpener::setOpenerForTesting({}); }

    void openMorePage()
    {
        m_app.startUp();
        auto *guide = qobject_cast<NBGuidViewController *>(m_app.fakeWindowVC()->contentViewController());
        ASSERT_NE(guide, nullptr);
        QTest::mouseClick(guide->visitorBtn(), Qt::LeftButton);
        ASSERT_TRUE(waitRunning([&] { return split() != nullptr; }, kWait));
        m_main = split();
        ASSERT_TRUE(m_main->isVisible());
        ASSERT_NO_FATAL_FAILURE(dismissNotices());
        QTest::mouseClick(m_main->leftSide()->accountItem(), Qt::LeftButton);
        m_more = qobject_cast<NBMineViewController *>(m_main->shownContent());
        ASSERT_NE(m_more, nullptr);
    }

    // The stand-in's three notices come one after another over the home screen, each a web page
    // of its own; a user reads each on the display and closes it with its button.
    void dismissNotices()
    {
        QWidget *window = m_main->window();
        for (int shown = 0; shown < kNotices; ++shown) {
            QPointer<OOPopupWebView> popup;
            ASSERT_TRUE(waitRunning([&] {
                const QList<OOPopupWebView *> popups = window->findChildren<OOPopupWebView *>();
                popup = popups.isEmpty() ? nullptr : popups.first();
                return popup && popup->isVisible();
            }, kWait)) << "notice " << shown + 1;
            EXPECT_TRUE(waitRunning([&] { return !popup || showsANotice(onScreen(popup)); }, kPaintWait))
                << "notice " << shown + 1 << " on the display";
            ASSERT_TRUE(waitRunning([&] { return !popup || clickElement(popup->page(), QStringLiteral("close")); }, kWait));
            ASSERT_TRUE(waitRunning([&] { return popup.isNull(); }, kWait));
        }
    }

    NBMainSplitViewController *split() const
    {
        return qobject_cast<NBMainSplitViewController *>(m_app.fakeWindowVC()->contentViewController());
    }

    // Clicks the row and answers whether its page came onto the display in time; the page is
    // closed again with its own close button either way, and the more page is back on the display.
    bool opensOnScreen(const Row &row, QString *seen)
    {
        QTest::mouseClick(m_more->itemOfType(row.type), Qt::LeftButton);
        const QList<NBBaseViewController *> over = m_more->presentations();
        QPointer<NBBaseWebViewController> page = over.isEmpty() ? nullptr : qobject_cast<NBBaseWebViewController *>(over.last());
        if (!page) {
            *seen = QStringLiteral("no page presented");
            return false;
        }
        QRect button;
        EXPECT_TRUE(waitRunning([&] { return !page || !(button = closeButtonIn(page->page())).isEmpty(); }, kWait));
        const bool painted = waitRunning([&] { return page && buttonOnDisplay(page, button); }, kPaintWait);
        if (!painted && page)
            *seen = QStringLiteral("the display shows %1 there").arg(onScreen(page).pixelColor(page->width() / 2, page->height() / 2).name());
        close(page);
        EXPECT_TRUE(waitRunning([&] { return !buttonOnDisplay(m_more, button); }, kWait)) << "the more page back";
        return painted;
    }

    // With its own close button, pressed again now and then until the page has gone: a click
    // before the page's native side answers it is the page's to drop.
    void close(QPointer<NBBaseWebViewController> page)
    {
        QElapsedTimer sinceClick;
        EXPECT_TRUE(waitRunning([&] {
            if (page && (!sinceClick.isValid() || sinceClick.elapsed() > 250)) {
                clickElement(page->page(), QStringLiteral("close"));
                sinceClick.restart();
            }
            return m_more->presentations().isEmpty();
        }, kWait));
    }

    static bool clickElement(QWebEnginePage *page, const QString &id)
    {
        return evaluate(page, QStringLiteral("(function(){var e=document.getElementById('%1');"
                                             "if(!e||e.hidden)return false;e.click();return true;})()")
                                  .arg(id))
            .toBool();
    }

    UiTimingScope m_timing{0.01};
    StandinProcess m_standin;
    std::shared_ptr<RecordingHooks> m_hooks;
    ContainedDelegate m_app;
    NBMainSplitViewController *m_main = nullptr;
    NBMineViewController *m_more = nullptr;
};

} // namespace

TEST_F(PagesOnScreen, EveryOpeningOfTheMorePagesWebPagesPutsThePageOnTheDisplay)
{
    // Each page first in a fresh profile and after another web page, then the same page twice in
    // a row, and after the membership page of the menu. Without the repaint watch every opening
    // stays blank, so four of each page are enough.
    const QList<Row> order{kDiscover, kInvite, kLottery, kLottery, kInvite, kDiscover,
                           kDiscover, kInvite, kLottery, kDiscover, kInvite, kLottery};
    constexpr int kPurchaseBefore = 8;
    int blank = 0;
    for (int i = 0; i < order.size(); ++i) {
        if (i == kPurchaseBefore) {
            // The purchase page between two openings, as a user wanders through the menu.
            QWidget *more = m_more;
            QTest::mouseClick(m_main->leftSide()->upgradeItem(), Qt::LeftButton);
            ASSERT_TRUE(waitRunning([&] { return m_main->shownContent() != more; }, kWait));
            QTest::mouseClick(m_main->leftSide()->accountItem(), Qt::LeftButton);
            m_more = qobject_cast<NBMineViewController *>(m_main->shownContent());
            ASSERT_NE(m_more, nullptr);
        }
        QString seen;
        if (!opensOnScreen(order.at(i), &seen)) {
            ++blank;
            ADD_FAILURE() << "opening " << i + 1 << " of the " << order.at(i).name << " page: " << seen.toStdString();
        }
    }
    EXPECT_EQ(blank, 0) << "of " << order.size() << " openings";
}
