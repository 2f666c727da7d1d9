// Pictures of the account screens: the account information for a visitor, a member and an
// e-mail account, the menu's account page, binding (bound and unbound users), changing the
// password, the verification-code sheet of each type and the new-password sheet.
#include "GalleryScene.h"

#include <QJsonObject>

#include "uikit/NBAlertView.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NBSecureTextView.h"
#include "common/DefaultsKeys.h"
#include "common/Localization.h"
#include "common/MKUserInfoManager.h"
#include "common/UserDefaults.h"
#include "login/account/NBAccountInfoViewController.h"
#include "login/unreached/NBAccountPageViewController.h"
#include "login/account/NBBindAccountViewController.h"
#include "login/account/NBChangePassWordViewController.h"
#include "login/register/NBConfirmPassWordViewController.h"
#include "login/form/NBTextFiledContentView.h"
#include "login/code/NBVerityCodeViewController.h"

namespace {

void storeUser(const QJsonObject &fields)
{
    QJsonObject user{{QStringLiteral("id"), 1001},
                     {QStringLiteral("api_token"), QStringLiteral("gallery")},
                     {QStringLiteral("username"), QStringLiteral("u7d3f9a21")},
                     {QStringLiteral("region_code"), QStringLiteral("+86")}};
    for (auto it = fields.begin(); it != fields.end(); ++it)
        user.insert(it.key(), it.value());
    // A record that was not stored would picture another account: say so beside the picture.
    if (!MKUserInfoManager::shared().clearUser()
        || !MKUserInfoManager::shared().saveUser(QJsonObject{{QStringLiteral("kind"), 1}, {QStringLiteral("user"), user}}))
        qWarning("gallery: the scene's account was not stored");
}

void storeVisitor()
{
    storeUser({{QStringLiteral("username"), QStringLiteral("guest1001")}, {QStringLiteral("user_type"), 1},
               {QStringLiteral("user_level"), 0}, {QStringLiteral("is_visitor"), true}});
}

void storeMember()
{
    storeUser({{QStringLiteral("user_type"), 2}, {QStringLiteral("user_level"), 2},
               {QStringLiteral("phone"), QStringLiteral("13812345678")},
               {QStringLiteral("vip_invalid_time"), QStringLiteral("2026-03-01 12:00:00")},
               {QStringLiteral("svip_invalid_time"), QStringLiteral("2026-09-30 23:59:59")}});
}

void storeEmailMember()
{
    storeUser({{QStringLiteral("user_type"), 2}, {QStringLiteral("user_level"), 1},
               {QStringLiteral("email_address"), QStringLiteral("someone@example.com")},
               {QStringLiteral("vip_invalid_time"), QStringLiteral("2026-03-01 12:00:00")}});
}

QWidget *accountInfo(void (*store)())
{
    store();
    auto *screen = new NBAccountInfoViewController;
    NBBaseViewController::setAppearing(screen, true);
    return screen;
}

QWidget *codeScreen(VerityCodeType type)
{
    auto *screen = new NBVerityCodeViewController(type, QStringLiteral("13812345678"), QStringLiteral("abc12345"),
                                                  QStringLiteral("+86"));
    screen->ensureLoaded();
    return screen;
}

} // namespace

OSTREL_GALLERY_SCENE("account/info_visitor", 375, 468)
{
    return accountInfo(&storeVisitor);
}

OSTREL_GALLERY_SCENE("account/info_member_phone", 375, 468)
{
    return accountInfo(&storeMember);
}

OSTREL_GALLERY_SCENE("account/info_member_email", 375, 468)
{
    return accountInfo(&storeEmailMember);
}

OSTREL_GALLERY_SCENE("account/page_in_menu_slot", 728, 500)
{
    storeMember();
    auto *page = new NBAccountPageViewController;
    NBBaseViewController::setAppearing(page, true);
    return page;
}

OSTREL_GALLERY_SCENE("account/signout_alert", 800, 500)
{
    storeMember();
    QWidget *host = galleryWindowHost();
    auto *page = new NBAccountPageViewController(host);
    page->setGeometry(72, 0, 728, 500);
    NBBaseViewController::setAppearing(page, true);
    page->accountInfo()->logoutAction();
    return host;
}

OSTREL_GALLERY_SCENE("account/bind_email_bound_user", 375, 468)
{
    storeMember();
    auto *screen = new NBBindAccountViewController(BindAccountType::email);
    NBBaseViewController::setAppearing(screen, true);
    return screen;
}

OSTREL_GALLERY_SCENE("account/bind_phone_unbound_user", 375, 468)
{
    storeVisitor();
    auto *screen = new NBBindAccountViewController(BindAccountType::phone);
    NBBaseViewController::setAppearing(screen, true);
    return screen;
}

OSTREL_GALLERY_SCENE("account/bind_email_unbound_user", 375, 468)
{
    storeVisitor();
    auto *screen = new NBBindAccountViewController(BindAccountType::email);
    NBBaseViewController::setAppearing(screen, true);
    screen->contentView()->textFiled()->setText(QStringLiteral("someone@example.com"));
    return screen;
}

// The binding form of a visitor in another language: its notes keep to their lines and the
// button keeps its room above the edge. The language is the form's only while it is made.
static NBBindAccountViewController *bindFormIn(const QString &language, BindAccountType type)
{
    const std::optional<QString> previous = currentAppLanguage();
    UserDefaults::standard().setString(DefaultsKeys::kAppLanguageKey, language);
    storeVisitor();
    auto *screen = new NBBindAccountViewController(type);
    NBBaseViewController::setAppearing(screen, true);
    if (previous)
        UserDefaults::standard().setString(DefaultsKeys::kAppLanguageKey, *previous);
    else
        UserDefaults::standard().remove(DefaultsKeys::kAppLanguageKey);
    return screen;
}

OSTREL_GALLERY_SCENE("account/bind_email_unbound_user_en", 375, 468)
{
    return bindFormIn(QStringLiteral("en"), BindAccountType::email);
}

OSTREL_GALLERY_SCENE("account/bind_email_unbound_user_ja", 375, 468)
{
    return bindFormIn(QStringLiteral("ja"), BindAccountType::email);
}

OSTREL_GALLERY_SCENE("account/bind_phone_unbound_user_en", 375, 468)
{
    return bindFormIn(QStringLiteral("en"), BindAccountType::phone);
}

OSTREL_GALLERY_SCENE("account/bind_phone_unbound_user_ja", 375, 468)
{
    return bindFormIn(QStringLiteral("ja"), BindAccountType::phone);
}

OSTREL_GALLERY_SCENE("account/change_password", 375, 468)
{
    storeEmailMember();
    auto *screen = new NBChangePassWordViewController;
    NBBaseViewController::setAppearing(screen, true);
    return screen;
}

OSTREL_GALLERY_SCENE("account/change_password_filled", 375, 468)
{
    storeEmailMember();
    auto *screen = new NBChangePassWordViewController;
    NBBaseViewController::setAppearing(screen, true);
    screen->oldPassWordContentView()->textFiled()->setText(QStringLiteral("abc12345"));
    screen->passWordContentView()->textFiled()->setText(QStringLiteral("xyz98765"));
    screen->passWordAgainContentView()->textFiled()->setText(QStringLiteral("xyz98765"));
    return screen;
}

OSTREL_GALLERY_SCENE("account/code_bind_phone", 375, 667)
{
    return codeScreen(VerityCodeType::bindPhone);
}

OSTREL_GALLERY_SCENE("account/code_bind_email", 375, 667)
{
    return codeScreen(VerityCodeType::bindEmail);
}

OSTREL_GALLERY_SCENE("account/code_register_phone", 375, 667)
{
    return codeScreen(VerityCodeType::registerPhone);
}

OSTREL_GALLERY_SCENE("account/code_register_email", 375, 667)
{
    return codeScreen(VerityCodeType::registerEmail);
}

OSTREL_GALLERY_SCENE("account/code_find_phone", 375, 667)
{
    return codeScreen(VerityCodeType::findPhone);
}

OSTREL_GALLERY_SCENE("account/code_find_email", 375, 667)
{
    return codeScreen(VerityCodeType::findEmail);
}

OSTREL_GALLERY_SCENE("account/new_password_phone", 375, 667)
{
    auto *sheet = new NBConfirmPassWordViewController(VerityCodeType::findPhone, QStringLiteral("123456"),
                                                      QStringLiteral("13812345678"), QStringLiteral("+86"));
    sheet->ensureLoaded();
    return sheet;
}

OSTREL_GALLERY_SCENE("account/new_password_email_filled", 375, 667)
{
    auto *sheet = new NBConfirmPassWordViewController(VerityCodeType::findEmail, QStringLiteral("123456"),
                                                      QStringLiteral("someone@example.com"), QStringLiteral("+86"));
    sheet->ensureLoaded();
    sheet->passWordContentView()->textFiled()->setText(QStringLiteral("abc12345"));
    sheet->passWordAgainContentView()->textFiled()->setText(QStringLiteral("abc12345"));
    return sheet;
}
