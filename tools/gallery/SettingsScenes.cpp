// Pictures of the more page (a member with both expiry lines, unread dots and a banner; a
// visitor without membership) and of the about page. Fake data only, no network.
#include "GalleryScene.h"

#include <QJsonObject>
#include <QLinearGradient>
#include <QPainter>

#include "common/MKUserInfoManager.h"
#include "settings/more/NBInfoView.h"
#include "settings/more/NBAboutViewController.h"
#include "settings/more/NBAdView.h"
#include "settings/more/NBMineHeaderView.h"
#include "settings/more/NBMineViewController.h"
#include "uikit/WindowInUse.h"

namespace {

QImage bannerArtwork()
{
    QImage image(QSize(728, 110), QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, image.width(), 0);
    gradient.setColorAt(0, QColor(195, 54, 81));
    gradient.setColorAt(1, QColor(73, 46, 140));
    painter.fillRect(image.rect(), gradient);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(40);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("会员 8 折"));
    return image;
}

QJsonObject memberRecord(int level, const QString &vip, const QString &svip)
{
    QJsonObject user{{"id", 7}, {"api_token", "gallery"}, {"user_level", level}, {"user_type", level},
                     {"phone", "13800001234"}, {"region_code", "+86"}, {"username", "gallery"}};
    if (!vip.isEmpty())
        user.insert("vip_invalid_time", vip);
    if (!svip.isEmpty())
        user.insert("svip_invalid_time", svip);
    return QJsonObject{{"kind", 1}, {"user", user}};
}

NBMineViewController *morePage(const QJsonObject &record)
{
    // A record that was not stored would picture another account: say so beside the picture.
    if (!MKUserInfoManager::shared().saveUser(record))
        qWarning("gallery: the scene's account was not stored");
    auto *page = new NBMineViewController;
    page->ensureLoaded();
    page->headerView()->updateUserInfo(HHUserInfo::fromJson(record));
    return page;
}

} // namespace

OSTREL_GALLERY_SCENE("settings/more_member", 728, 500)
{
    NBMineViewController *page = morePage(memberRecord(2, QStringLiteral("2027-01-31"), QStringLiteral("2026-12-31")));
    page->handleUnreadMessages(QJsonObject{{"data", QJsonObject{{"active_message", 1}, {"feedback_message", 2}, {"system_message", 0}}}});
    HHAdModel ad;
    ad.linkUrl = QStringLiteral("{\"type\":\"buy\"}");
    page->headerView()->adView()->setAdvertisement(ad, bannerArtwork());
    return page;
}

OSTREL_GALLERY_SCENE("settings/more_expired", 728, 500)
{
    if (!MKUserInfoManager::shared().clearUser())
        qWarning("gallery: the stored account was not removed");
    auto *page = new NBMineViewController;
    page->ensureLoaded();
    page->headerView()->updateUserInfo(std::nullopt);
    return page;
}

OSTREL_GALLERY_SCENE("settings/about", 728, 500)
{
    auto *page = new NBAboutViewController;
    page->ensureLoaded();
    return page;
}

// The account sheet as a click on the header opens it: the root of the window presents the sheet,
// and the account screen inside appears with it (rows, status, expiry).
OSTREL_GALLERY_SCENE("settings/account_sheet", 800, 500)
{
    auto *root = new NBBaseViewController;
    root->resize(800, 500);
    root->setAutoFillBackground(true);
    QPalette palette = root->palette();
    palette.setColor(QPalette::Window, QColor(23, 17, 43));
    root->setPalette(palette);
    WindowInUse::setContentWidget(root);
    WindowInUse::setContentController(root);
    NBMineViewController *page = morePage(memberRecord(2, QStringLiteral("2027-01-31"), QStringLiteral("2026-12-31")));
    root->embedChildViewController(page, root);
    page->setGeometry(72, 0, 728, 500);
    NBBaseViewController::setAppearing(root, true);
    page->headerView()->infoView()->click();
    return root;
}
