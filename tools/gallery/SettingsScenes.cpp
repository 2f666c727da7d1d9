// Pictures of the more page (a member with both expiry lines, unread dots and a banner; a
// visitor without membership), of the about page, and of the account sheet over it: its expiry
// row for each kind of account, and the binding and password forms opened in it with text typed.
// Fake data only, no network.
#include "GalleryScene.h"

#include <QJsonObject>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>

#include "common/MKUserInfoManager.h"
#include "login/account/NBAccountInfoViewController.h"
#include "login/account/NBBindAccountViewController.h"
#include "login/account/NBChangePassWordViewController.h"
#include "login/code/NBRegCodeView.h"
#include "login/code/NBVerityCodeContentView.h"
#include "login/form/NBTextFiledContentView.h"
#include "login/rows/NBSettingCellItem.h"
#include "settings/more/NBSettingViewController.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NBSecureTextView.h"
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

namespace {

// The account sheet as a click on the header opens it: the root of the window presents the sheet,
// and the account screen inside appears with it (rows, status, expiry).
NBBaseViewController *accountSheet(const QJsonObject &record)
{
    if (!MKUserInfoManager::shared().clearUser())
        qWarning("gallery: the stored account was not removed");
    auto *root = new NBBaseViewController;
    root->resize(800, 500);
    root->setAutoFillBackground(true);
    QPalette palette = root->palette();
    palette.setColor(QPalette::Window, QColor(23, 17, 43));
    root->setPalette(palette);
    WindowInUse::setContentWidget(root);
    WindowInUse::setContentController(root);
    NBMineViewController *page = morePage(record);
    root->embedChildViewController(page, root);
    page->setGeometry(72, 0, 728, 500);
    NBBaseViewController::setAppearing(root, true);
    page->headerView()->infoView()->click();
    return root;
}

NBAccountInfoViewController *shownAccountScreen(NBBaseViewController *root)
{
    const QList<NBBaseViewController *> shown = root->presentedControllers();
    auto *sheet = shown.isEmpty() ? nullptr : qobject_cast<NBSettingViewController *>(shown.last());
    return sheet ? qobject_cast<NBAccountInfoViewController *>(sheet->hostedScreen()) : nullptr;
}

// The screen a click on the first row of that type opens over the account screen.
template <typename Screen>
Screen *openRow(NBBaseViewController *root, NBSettingCellType type)
{
    NBAccountInfoViewController *account = shownAccountScreen(root);
    if (!account)
        return nullptr;
    for (int row = 0; row < account->data().size(); ++row) {
        if (account->data().at(row).cellType != type)
            continue;
        account->selectRow(row);
        const QList<NBBaseViewController *> over = account->presentations();
        return over.isEmpty() ? nullptr : qobject_cast<Screen *>(over.last());
    }
    return nullptr;
}

QJsonObject accountRecord(const QJsonObject &fields)
{
    QJsonObject user{{"id", 7}, {"api_token", "gallery"}, {"region_code", "+86"}, {"username", "gallery"}};
    for (auto it = fields.begin(); it != fields.end(); ++it)
        user.insert(it.key(), it.value());
    return QJsonObject{{"kind", 1}, {"user", user}};
}

QJsonObject visitorRecord()
{
    return accountRecord({{"user_type", 1}, {"user_level", 0}, {"is_visitor", true}, {"username", "guest1001"}});
}

// Two passwords typed, the second shown with its eye open.
void typePasswords(NBSecureTextView *first, NBSecureTextView *second)
{
    if (!first || !second)
        return;
    first->textFiled()->setText(QStringLiteral("abc12345"));
    second->textFiled()->setText(QStringLiteral("abc12345"));
    second->secrityButton()->setChecked(true);
}

} // namespace

OSTREL_GALLERY_SCENE("settings/account_sheet", 800, 500)
{
    return accountSheet(memberRecord(2, QStringLiteral("2027-01-31"), QStringLiteral("2026-12-31")));
}

// The expiry row of a visitor, of a freshly registered account and of a lottery winner.
OSTREL_GALLERY_SCENE("settings/account_sheet_visitor", 800, 500)
{
    return accountSheet(visitorRecord());
}

OSTREL_GALLERY_SCENE("settings/account_sheet_registered", 800, 500)
{
    return accountSheet(accountRecord({{"user_type", 2}, {"user_level", 1}, {"email_address", "someone@example.com"},
                                       {"vip_invalid_time", "2099-12-31 23:59:59"}}));
}

OSTREL_GALLERY_SCENE("settings/account_sheet_lottery_winner", 800, 500)
{
    return accountSheet(accountRecord({{"user_type", 1}, {"user_level", 1}, {"is_visitor", true},
                                       {"username", "guest1001"}, {"vip_invalid_time", "2026-12-15 10:00:00"}}));
}

OSTREL_GALLERY_SCENE("settings/account_sheet_bind_email_typed", 800, 500)
{
    NBBaseViewController *root = accountSheet(visitorRecord());
    if (auto *bind = openRow<NBBindAccountViewController>(root, NBSettingCellType::email)) {
        bind->contentView()->textFiled()->setText(QStringLiteral("someone@example.com"));
        bind->verityCodeView()->textFiled()->setText(QStringLiteral("123456"));
        typePasswords(bind->passWordContentView(), bind->passWordAgainContentView());
    }
    return root;
}

OSTREL_GALLERY_SCENE("settings/account_sheet_bind_phone_typed", 800, 500)
{
    NBBaseViewController *root = accountSheet(visitorRecord());
    if (auto *bind = openRow<NBBindAccountViewController>(root, NBSettingCellType::phone)) {
        bind->regcodeView()->textFiled()->setText(QStringLiteral("13900002222"));
        bind->verityCodeView()->textFiled()->setText(QStringLiteral("654321"));
        typePasswords(bind->passWordContentView(), bind->passWordAgainContentView());
    }
    return root;
}

OSTREL_GALLERY_SCENE("settings/account_sheet_change_password_typed", 800, 500)
{
    NBBaseViewController *root = accountSheet(memberRecord(2, QStringLiteral("2027-01-31"), QStringLiteral("2026-12-31")));
    if (auto *change = openRow<NBChangePassWordViewController>(root, NBSettingCellType::passWord)) {
        change->oldPassWordContentView()->textFiled()->setText(QStringLiteral("abc12345"));
        typePasswords(change->passWordContentView(), change->passWordAgainContentView());
    }
    return root;
}
