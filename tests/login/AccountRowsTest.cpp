// The account list's rows: the record, the masks and expiry texts, the three layouts, the
// heights, and what the row views show for stored users of each kind.
#include <QLabel>

#include <gtest/gtest.h>

#include "AccountTestSupport.h"
#include "uikit/NBClickImageView.h"
#include "login/account/NBAccountInfoLogic.h"
#include "login/rows/NBSettingCellItem.h"
#include "login/rows/NBSettingPushRowView.h"
#include "login/rows/NBSettingRowTexts.h"
#include "login/rows/NBSettingShowRowView.h"

namespace {

QList<NBSettingCellType> kinds(const QList<NBSettingCellItem> &items)
{
    QList<NBSettingCellType> result;
    for (const NBSettingCellItem &item : items)
        result.append(item.cellType);
    return result;
}

NBSettingCellItem itemOf(NBSettingCellType type, const QString &subTitle = {})
{
    NBSettingCellItem item;
    item.title = QStringLiteral("T");
    item.cellType = type;
    item.subTitle = subTitle;
    return item;
}

} // namespace

TEST(SettingCellItem, FilledFromDictionaryByKeyAndRawValuesOutsideKeepDefaults)
{
    const NBSettingCellItem item = NBSettingCellItem::fromDictionary(
        {{QStringLiteral("title"), QStringLiteral("a")}, {QStringLiteral("cellType"), 4}, {QStringLiteral("pushType"), 2},
         {QStringLiteral("infoHasSet"), false}});
    EXPECT_EQ(item.title, QStringLiteral("a"));
    EXPECT_FALSE(item.subTitle.has_value());
    EXPECT_EQ(item.cellType, NBSettingCellType::status);
    EXPECT_EQ(item.pushType, NBSettingPushType::showAndPush);
    EXPECT_FALSE(item.infoHasSet);

    EXPECT_FALSE(settingCellTypeFromRaw(7).has_value());
    EXPECT_FALSE(settingPushTypeFromRaw(3).has_value());
    const NBSettingCellItem odd = NBSettingCellItem::fromDictionary(
        {{QStringLiteral("cellType"), 7}, {QStringLiteral("pushType"), QStringLiteral("1")}, {QStringLiteral("infoHasSet"), 1}});
    EXPECT_EQ(odd.cellType, NBSettingCellType::email);
    EXPECT_EQ(odd.pushType, NBSettingPushType::show);
    EXPECT_TRUE(odd.infoHasSet);
}

TEST(SettingRowTexts, MasksKeepShortValuesAndHideTheMiddle)
{
    EXPECT_EQ(NBSettingRowTexts::maskedEmail(QStringLiteral("abcdefgh@x.io")), QStringLiteral("a*****gh@x.io"));
    EXPECT_EQ(NBSettingRowTexts::maskedEmail(QStringLiteral("ab@c.com")), QStringLiteral("a*****b@c.com"));
    EXPECT_FALSE(NBSettingRowTexts::maskedEmail(QStringLiteral("a@c.com")).has_value());
    EXPECT_EQ(NBSettingRowTexts::maskedEmail(QStringLiteral("someone@example.com")), QStringLiteral("s*****ple.com"));
    EXPECT_EQ(NBSettingRowTexts::maskedPhone(QStringLiteral("+86"), QStringLiteral("13812345678")), QStringLiteral("+86******5678"));
    EXPECT_EQ(NBSettingRowTexts::maskedPhone(QStringLiteral("+86"), QStringLiteral("12345")), QStringLiteral("+86******2345"));
    EXPECT_FALSE(NBSettingRowTexts::maskedPhone(QStringLiteral("+86"), QStringLiteral("1234")).has_value());
}

TEST(SettingRowTexts, ExpiryAndStatusFollowTheMembership)
{
    EXPECT_EQ(NBSettingRowTexts::expiry(std::nullopt).value, QStringLiteral("已到期"));
    EXPECT_EQ(NBSettingRowTexts::statusText(std::nullopt), QStringLiteral("非会员"));

    // The expiry line goes by the level, as the status does: a visitor (level 0) has none.
    const auto visitor = HHUserInfo::fromJson(AccountTest::record(AccountTest::visitor()));
    EXPECT_EQ(NBSettingRowTexts::expiry(visitor).value, QStringLiteral("已到期"));
    EXPECT_FALSE(NBSettingRowTexts::expiry(visitor).more.has_value());
    EXPECT_EQ(NBSettingRowTexts::statusText(visitor), QStringLiteral("非会员"));

    const auto both = HHUserInfo::fromJson(AccountTest::record(AccountTest::memberWithBothDates()));
    EXPECT_EQ(NBSettingRowTexts::expiry(both).value, QStringLiteral("2031-02-02 高级到期"));
    EXPECT_EQ(NBSettingRowTexts::expiry(both).more, QStringLiteral("2030-01-01 普通到期"));
    EXPECT_EQ(NBSettingRowTexts::statusText(both), QStringLiteral("高级会员"));

    // One time known: the level's line when it has its date, else the date there is under its
    // own name, and "已到期" with none. The type plays no part.
    struct Case
    {
        qint64 type;
        qint64 level;
        QString vip;
        QString svip;
        QString line;
    };
    const QList<Case> cases{
        {2, 1, QStringLiteral("2030-01-01"), QString(), QStringLiteral("2030-01-01 普通到期")},
        {1, 1, QStringLiteral("2030-01-01"), QString(), QStringLiteral("2030-01-01 普通到期")},
        {1, 2, QString(), QStringLiteral("2031-02-02"), QStringLiteral("2031-02-02 高级到期")},
        {2, 1, QString(), QStringLiteral("2031-02-02"), QStringLiteral("2031-02-02 高级到期")},
        {1, 2, QStringLiteral("2030-01-01"), QString(), QStringLiteral("2030-01-01 普通到期")},
        {2, 1, QString(), QString(), QStringLiteral("已到期")},
        {2, 0, QStringLiteral("2030-01-01"), QString(), QStringLiteral("已到期")},
        {3, 3, QString(), QStringLiteral("2031-02-02"), QStringLiteral("已到期")},
    };
    for (const Case &c : cases) {
        QJsonObject fields = AccountTest::memberWithBothDates();
        fields.insert(QStringLiteral("user_type"), c.type);
        fields.insert(QStringLiteral("user_level"), c.level);
        fields.insert(QStringLiteral("vip_invalid_time"), c.vip);
        fields.insert(QStringLiteral("svip_invalid_time"), c.svip);
        const NBSettingRowTexts::Expiry expiry = NBSettingRowTexts::expiry(HHUserInfo::fromJson(AccountTest::record(fields)));
        EXPECT_EQ(expiry.value.toStdString(), c.line.toStdString()) << c.type << "/" << c.level;
        EXPECT_FALSE(expiry.more.has_value());
    }

    const auto expired = HHUserInfo::fromJson(AccountTest::record(AccountTest::expiredMember()));
    EXPECT_EQ(NBSettingRowTexts::userId(expired), QStringLiteral("u4242"));
    EXPECT_EQ(NBSettingRowTexts::userId(std::nullopt), QStringLiteral("a1b2c3d4e5f6g7"));
}

TEST(AccountInfoLogic, ThreeLayoutsByWhatIsBound)
{
    using T = NBSettingCellType;
    // Phone only.
    auto rows = NBAccountInfoLogic::rowItems(HHUserInfo::fromJson(AccountTest::record(AccountTest::memberWithBothDates())));
    auto items = NBAccountInfoLogic::items(rows.dictionaries);
    EXPECT_EQ(kinds(items), (QList<T>{T::userId, T::phone, T::email, T::passWord, T::status, T::expiredTime}));
    EXPECT_TRUE(items[1].infoHasSet);
    EXPECT_FALSE(items[2].infoHasSet);
    EXPECT_EQ(NBAccountInfoLogic::clickTarget(items[1]), NBAccountInfoLogic::Opens::Nothing);
    EXPECT_EQ(NBAccountInfoLogic::clickTarget(items[2]), NBAccountInfoLogic::Opens::BindEmail);
    EXPECT_EQ(NBAccountInfoLogic::clickTarget(items[3]), NBAccountInfoLogic::Opens::ChangePassword);

    // E-mail with an empty phone text: the phone row leads to binding.
    QJsonObject mail = AccountTest::expiredMember();
    mail.insert(QStringLiteral("phone"), QString());
    rows = NBAccountInfoLogic::rowItems(HHUserInfo::fromJson(AccountTest::record(mail)));
    items = NBAccountInfoLogic::items(rows.dictionaries);
    EXPECT_EQ(kinds(items), (QList<T>{T::userId, T::email, T::phone, T::passWord, T::status, T::expiredTime}));
    EXPECT_EQ(NBAccountInfoLogic::clickTarget(items[2]), NBAccountInfoLogic::Opens::BindPhone);

    // Neither, and no user at all: five rows, no password.
    for (const auto &user : {HHUserInfo::fromJson(AccountTest::record(AccountTest::visitor())), std::optional<HHUserInfo>()}) {
        rows = NBAccountInfoLogic::rowItems(user);
        items = NBAccountInfoLogic::items(rows.dictionaries);
        EXPECT_EQ(kinds(items), (QList<T>{T::userId, T::email, T::phone, T::status, T::expiredTime}));
        EXPECT_FALSE(rows.emailHasSet);
        EXPECT_FALSE(rows.phoneHasSet);
    }
    EXPECT_EQ(NBAccountInfoLogic::tableHeight(6, true), 6 * 48 + 12);
    EXPECT_EQ(NBAccountInfoLogic::tableHeight(5, false), 5 * 48);
    EXPECT_EQ(NBAccountInfoLogic::rowHeight(5, 6, true), 60);
    EXPECT_EQ(NBAccountInfoLogic::rowHeight(4, 6, true), 48);
    EXPECT_EQ(NBAccountInfoLogic::rowHeight(5, 6, false), 48);
}

TEST(SettingRowViews, ShowRowsReadTheStoredUser)
{
    ASSERT_TRUE(AccountTest::storeUser(AccountTest::memberWithBothDates()));
    NBSettingShowRowView phone;
    phone.resize(340, 48);
    phone.showItem(itemOf(NBSettingCellType::phone));
    EXPECT_EQ(phone.subTitleLabel()->text(), QStringLiteral("+86******5678"));

    NBSettingShowRowView expiry;
    expiry.resize(340, 60);
    expiry.showItem(itemOf(NBSettingCellType::expiredTime));
    EXPECT_EQ(expiry.subTitleLabel()->text(), QStringLiteral("2031-02-02 高级到期"));
    EXPECT_EQ(expiry.moreTitleLabel()->text(), QStringLiteral("2030-01-01 普通到期"));
    EXPECT_FALSE(expiry.moreTitleLabel()->isHidden());
    EXPECT_LT(expiry.subTitleLabel()->y(), expiry.moreTitleLabel()->y());

    // An address too short to mask leaves the value as it was.
    NBSettingShowRowView email;
    email.subTitleLabel()->setText(QStringLiteral("before"));
    email.showItem(itemOf(NBSettingCellType::email));
    EXPECT_EQ(email.subTitleLabel()->text(), QStringLiteral("before"));

    int copies = 0;
    NBSettingShowRowView id;
    id.copyBlock = [&] { ++copies; };
    id.showItem(itemOf(NBSettingCellType::userId));
    EXPECT_EQ(id.subTitleLabel()->text(), QStringLiteral("u4242"));
    EXPECT_FALSE(id.copyView()->isHidden());
    id.copyAction();
    EXPECT_EQ(copies, 1);

    NBSettingPushRowView push;
    push.showItem(itemOf(NBSettingCellType::passWord, QStringLiteral("change")));
    EXPECT_EQ(push.subTitleLabel()->text(), QStringLiteral("change"));
    EXPECT_FALSE(push.arrowImageView()->isHidden());
    push.showItem(itemOf(NBSettingCellType::status, QStringLiteral("s")));
    EXPECT_TRUE(push.arrowImageView()->isHidden());
    ASSERT_TRUE(MKUserInfoManager::shared().clearUser());
}
