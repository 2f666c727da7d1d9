// The home screen's looks, drawn with fake data and no network.
#include "uikit/NBBaseView.h"
#include "GalleryScene.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPointer>

#include <memory>

#include "uikit/WindowInUse.h"
#include "home/LottieWidget.h"
#include "home/NBCircleAnimationView.h"
#include "home/NBHomeViewController.h"
#include "home/NBNewHomeContentView.h"
#include "home/NBTimeScheduView.h"
#include "home/NBToggleTunTipView.h"
#include "home/NoticeChain.h"
#include "home/NoticePopupPresenter.h"
#include "uikit/NBDisableButton.h"
#include "upgrade/NBAboutUpgradeView.h"
#include "web/OOPopupWebView.h"
#include "web/unreached/WebViewSnapshot.h"

namespace {

// A home screen that is loaded but never appeared, so it sends nothing; its line selector shows
// the first of a service-shaped line list.
NBHomeViewController *homeScreen()
{
    auto *screen = new NBHomeViewController;
    screen->ensureLoaded();
    screen->handleNodeList(QStringLiteral(R"({"page_datas":[{"id":1,"name":"JP_Tokyo","kind":0},)"
                                          R"({"id":2,"name":"US_Dallas","kind":0},{"id":3,"name":"SG_Singapore","kind":0}]})"),
                           std::nullopt);
    return screen;
}

// Moves the look's animation to a frame that shows it well.
void advanceAnimation(NBHomeViewController *screen, int ms)
{
    if (LottieWidget *player = screen->homeBackView()->lottleAnimationView()->existingAnimationView())
        player->advance(ms);
}

} // namespace

OSTREL_GALLERY_SCENE("home/initial", 728, 500)
{
    return homeScreen();
}

OSTREL_GALLERY_SCENE("home/line_popup", 800, 500)
{
    // The popup covers the whole window, the home screen beside the menu under it.
    QWidget *host = galleryWindowHost();
    auto *screen = homeScreen();
    screen->setParent(host);
    screen->setGeometry(72, 0, 728, 500);
    screen->showLineList();
    return host;
}

OSTREL_GALLERY_SCENE("home/loading", 728, 500)
{
    auto *screen = homeScreen();
    screen->showLoading();
    advanceAnimation(screen, 400);
    return screen;
}

OSTREL_GALLERY_SCENE("home/running", 728, 500)
{
    auto *screen = homeScreen();
    screen->showRunning();
    advanceAnimation(screen, 700);
    return screen;
}

OSTREL_GALLERY_SCENE("home/pausing", 728, 500)
{
    auto *screen = homeScreen();
    screen->showPausing();
    advanceAnimation(screen, 500);
    return screen;
}

OSTREL_GALLERY_SCENE("home/kill_switch", 728, 500)
{
    auto *screen = homeScreen();
    screen->showKillSwitch();
    advanceAnimation(screen, 330);
    return screen;
}

OSTREL_GALLERY_SCENE("home/running_with_upgrade_banner", 728, 500)
{
    auto *screen = homeScreen();
    screen->showRunning();
    advanceAnimation(screen, 700);
    screen->homeBackView()->upgradeView()->show();
    screen->homeBackView()->layoutUpgradeView();
    return screen;
}

OSTREL_GALLERY_SCENE("home/connected_time", 200, 80)
{
    auto *clock = new NBTimeScheduView;
    clock->setStyleSheet(QStringLiteral("background: #16172b;"));
    clock->setAttribute(Qt::WA_StyledBackground);
    clock->updateConnectedTime(true);
    for (int i = 1; i < 3725; ++i)
        clock->tick();
    clock->resize(200, 80);
    return clock;
}

OSTREL_GALLERY_SCENE("home/tun_tip", 800, 500)
{
    QWidget *host = galleryWindowHost();
    auto tip = std::make_unique<NBToggleTunTipView>();
    tip->titleLabel()->setText(QStringLiteral("系统提示"));
    tip->tipsLabel()->setText(QStringLiteral("切换模式后需重新连接才会生效"));
    tip->confirmButton()->setText(QStringLiteral("确定"));
    tip->confirmBlock = [] {};
    NBBaseView::show(std::move(tip));
    return host;
}

// A notice as the home screen shows it after the account step: the shipped default page,
// unpacked and loaded in the popup web view over the window, pictured once Chromium has drawn
// the notice's title.
OSTREL_GALLERY_SCENE("home/notice", 800, 500)
{
    QWidget *host = galleryWindowHost();
    auto *screen = homeScreen();
    screen->setParent(host);
    screen->setGeometry(0, 0, 800, 500);
    screen->show();
    auto *chain = new NoticeChain(host);
    chain->setPresenter(NoticePopupPresenter::present(screen));
    QPointer<QWidget> guardHost(host);
    QPointer<NoticeChain> guardChain(chain);
    setGalleryPictureSource(host, [guardHost, guardChain](GalleryPictureDone done) {
        if (!guardHost || !guardChain) {
            done(QImage());
            return;
        }
        // The chain either shows the page or ends without it; the picture is answered once.
        auto answered = std::make_shared<bool>(false);
        auto answer = [answered, done](QImage picture) {
            if (*answered)
                return;
            *answered = true;
            done(std::move(picture));
        };
        QObject::connect(guardChain, &NoticeChain::finished, guardHost, [answer] { answer(QImage()); });
        QObject::connect(guardChain, &NoticeChain::pageShown, guardHost, [guardHost, answer] {
            auto *popup = guardHost ? guardHost->findChild<OOPopupWebView *>() : nullptr;
            if (!popup) {
                answer(QImage());
                return;
            }
            WebViewSnapshot::capture(guardHost, popup->page(),
                                     {QStringLiteral("document.getElementById('title').textContent.length > 0"), 30000},
                                     nullptr, answer);
        });
        const QJsonObject notice{{QStringLiteral("id"), 7}, {QStringLiteral("title"), QStringLiteral("服务公告")},
                                 {QStringLiteral("body"), QStringLiteral("今晚 02:00 至 04:00 维护线路，期间连接可能中断，请见谅。")},
                                 {QStringLiteral("frequency"), 1}, {QStringLiteral("times"), 1},
                                 {QStringLiteral("nextPushSeconds"), 3600}, {QStringLiteral("template"), QStringLiteral("text")}};
        NoticeChain::setFrequencyOneSession(true);
        const QJsonObject list{{QStringLiteral("page_datas"), QJsonArray{notice}}};
        guardChain->handleNoticeList(QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact)), std::nullopt);
    });
    return host;
}
