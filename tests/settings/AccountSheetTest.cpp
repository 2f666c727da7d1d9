// The account sheet as a user reaches it: the main window, the more page's account area, the
// sheet's rows. What is typed into the binding and password forms opened from those rows reads
// against its own field, and the expiry row shows a dated line, the one the page's header shows.
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include "support/NetworkTestSupport.h"
#include "app/AppDelegate.h"
#include "app/NBLeftSideViewController.h"
#include "app/NBMainSplitViewController.h"
#include "app/NBMainWindowController.h"
#include "common/DefaultsKeys.h"
#include "common/MKUserInfoManager.h"
#include "common/UserDefaults.h"
#include "login/account/NBAccountInfoViewController.h"
#include "login/account/NBAccountSetTimerView.h"
#include "login/account/NBBindAccountViewController.h"
#include "login/account/NBChangePassWordViewController.h"
#include "login/code/NBRegCodeView.h"
#include "login/code/NBVerityCodeContentView.h"
#include "login/form/NBTextFiledContentView.h"
#include "login/rows/NBSettingCellItem.h"
#include "login/rows/NBSettingShowRowView.h"
#include "settings/more/NBInfoView.h"
#include "settings/more/NBMineHeaderView.h"
#include "settings/more/NBMineViewController.h"
#include "settings/more/NBSettingViewController.h"
#include "support/Contrast.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NBDisableButton.h"
#include "uikit/NBNavView.h"
#include "uikit/NBSecureTextView.h"
#include "uikit/UiTiming.h"

namespace {

// The dark strip every account row draws behind its field.
const QColor kRowColour(34, 33, 35);

QJsonObject record(const QJsonObject &userFields)
{
    QJsonObject user{{QStringLiteral("id"), 4242},
                     {QStringLiteral("api_token"), QStringLiteral("token-4242")},
                     {QStringLiteral("username"), QStringLiteral("u4242")},
                     {QStringLiteral("region_code"), QStringLiteral("+86")}};
    for (auto it = userFields.begin(); it != userFields.end(); ++it)
        user.insert(it.key(), it.value());
    return QJsonObject{{QStringLiteral("kind"), 1}, {QStringLiteral("user"), user}};
}

// The accounts as the service hands them out.
QJsonObject visitor()
{
    return record({{QStringLiteral("user_type"), 1}, {QStringLiteral("user_level"), 0},
                   {QStringLiteral("is_visitor"), true}, {QStringLiteral("vip_invalid_time"), QString()},
                   {QStringLiteral("svip_invalid_time"), QString()}});
}

QJsonObject freshlyRegistered()
{
    return record({{QStringLiteral("user_type"), 2}, {QStringLiteral("user_level"), 1},
                   {QStringLiteral("email_address"), QStringLiteral("someone@example.com")},
                   {QStringLiteral("vip_invalid_time"), QStringLiteral("2099-12-31 23:59:59")},
                   {QStringLiteral("svip_invalid_time"), QString()}});
}

QJsonObject lotteryWinner()
{
    return record({{QStringLiteral("user_type"), 1}, {QStringLiteral("user_level"), 1},
                   {QStringLiteral("is_visitor"), true}, {QStringLiteral("vip_invalid_time"), QStringLiteral("2026-12-15 10:00:00")},
                   {QStringLiteral("svip_invalid_time"), QString()}});
}

QJsonObject premiumWithBothDates()
{
    return record({{QStringLiteral("user_type"), 2}, {QStringLiteral("user_level"), 2},
                   {QStringLiteral("phone"), QStringLiteral("13812345678")},
                   {QStringLiteral("vip_invalid_time"), QStringLiteral("2030-01-01 00:00:00")},
                   {QStringLiteral("svip_invalid_time"), QStringLiteral("2031-02-02 00:00:00")}});
}

// No fade left between the widget and its window: what is drawn is what a user sees.
bool settled(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        if (w->graphicsEffect() || !w->isVisible())
            return false;
    }
    return true;
}

class AccountSheetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // A service address refused before any lookup: the screens' requests end at once and
        // change nothing, so each case shows exactly the account it stored.
        ASSERT_TRUE(pointClientAt({QStringLiteral("http://ostrel-test.invalid")}));
        ASSERT_TRUE(MKUserInfoManager::shared().clearUser());
    }
    void TearDown() override
    {
        m_app.reset();
        EXPECT_TRUE(MKUserInfoManager::shared().clearUser());
    }

    // Stores the account, opens the main window and goes to the more page.
    NBMineViewController *openMorePage(const QJsonObject &account)
    {
        m_app.reset();
        if (!MKUserInfoManager::shared().clearUser() || !MKUserInfoManager::shared().saveUser(account))
            return nullptr;
        m_app = std::make_unique<AppDelegate>();
        m_app->showMainWindowVC();
        NBMainSplitViewController *main = split();
        if (!main)
            return nullptr;
        QTest::mouseClick(main->leftSide()->accountItem(), Qt::LeftButton);
        return qobject_cast<NBMineViewController *>(main->shownContent());
    }
    // A click on the header's account area: the sheet, with the account screen inside.
    NBAccountInfoViewController *openSheet(NBMineViewController *more)
    {
        QTest::mouseClick(more->headerView()->infoView(), Qt::LeftButton);
        const QList<NBBaseViewController *> shown = split()->presentedControllers();
        auto *sheet = shown.isEmpty() ? nullptr : qobject_cast<NBSettingViewController *>(shown.last());
        return sheet ? qobject_cast<NBAccountInfoViewController *>(sheet->hostedScreen()) : nullptr;
    }
    // A click on the first row of that type, and the screen it presents over the account screen.
    template <typename Screen>
    Screen *openRow(NBAccountInfoViewController *account, NBSettingCellType type)
    {
        for (int row = 0; row < account->data().size(); ++row) {
            if (account->data().at(row).cellType != type)
                continue;
            QTest::mouseClick(account->rowViews().at(row), Qt::LeftButton);
            const QList<NBBaseViewController *> over = account->presentations();
            return over.isEmpty() ? nullptr : qobject_cast<Screen *>(over.last());
        }
        return nullptr;
    }
    NBMainSplitViewController *split() const
    {
        return qobject_cast<NBMainSplitViewController *>(m_app->fakeWindowVC()->contentViewController());
    }

    // Types into the field as a user does, then reads the window as drawn: the field's own
    // ground (its right end, past the short text) and the typed text's strongest pixel on it.
    void expectReadable(QLineEdit *field, const QString &text, const char *what)
    {
        SCOPED_TRACE(what);
        ASSERT_NE(field, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return settled(field); }, 5000));
        field->setFocus(Qt::MouseFocusReason);
        QTest::keyClicks(field, text);
        ASSERT_EQ(field->text(), text);
        const QImage shot = m_app->fakeWindowVC()->grab().toImage();
        const QRect area(field->mapTo(m_app->fakeWindowVC(), QPoint(0, 0)), field->size());
        const QColor ground = shot.pixelColor(area.right() - 2, area.center().y());
        // A clear field: the row's dark strip shows through it.
        EXPECT_LE(Contrast::ratio(ground, kRowColour), 1.1) << qPrintable(ground.name());
        const QColor typed = Contrast::strongestAgainst(shot, area, ground);
        EXPECT_GE(Contrast::ratio(typed, ground), 4.5) << qPrintable(typed.name()) << " on " << qPrintable(ground.name());
    }
    // The password rows, with the eye closed (dots) and then open (the text).
    void expectPasswordReadable(NBSecureTextView *row, const char *what)
    {
        ASSERT_NE(row, nullptr);
        expectReadable(row->textFiled(), QStringLiteral("abc12345"), what);
        QTest::mouseClick(row->secrityButton(), Qt::LeftButton);
        ASSERT_TRUE(row->isTextShown());
        row->textFiled()->clear();
        expectReadable(row->textFiled(), QStringLiteral("abc12345"), what);
    }

    UiTimingScope m_timing{0.01};
    std::unique_ptr<AppDelegate> m_app;
};

} // namespace

TEST_F(AccountSheetTest, TypedTextReadsInEveryBindingAndPasswordField)
{
    // A visitor binds: the e-mail form, then the phone form, each with a password to choose.
    NBMineViewController *more = openMorePage(visitor());
    ASSERT_NE(more, nullptr);
    NBAccountInfoViewController *account = openSheet(more);
    ASSERT_NE(account, nullptr);
    auto *email = openRow<NBBindAccountViewController>(account, NBSettingCellType::email);
    ASSERT_NE(email, nullptr);
    ASSERT_NE(email->contentView(), nullptr);
    expectReadable(email->contentView()->textFiled(), QStringLiteral("someone@example.com"), "bind e-mail: address");
    expectReadable(email->verityCodeView()->textFiled(), QStringLiteral("123456"), "bind e-mail: code");
    expectPasswordReadable(email->passWordContentView(), "bind e-mail: password");
    expectPasswordReadable(email->passWordAgainContentView(), "bind e-mail: password again");
    QTest::mouseClick(email->navView()->backBtn(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return account->presentations().isEmpty(); }, 5000));

    auto *phone = openRow<NBBindAccountViewController>(account, NBSettingCellType::phone);
    ASSERT_NE(phone, nullptr);
    ASSERT_NE(phone->regcodeView(), nullptr);
    expectReadable(phone->regcodeView()->textFiled(), QStringLiteral("13900002222"), "bind phone: number");
    expectReadable(phone->verityCodeView()->textFiled(), QStringLiteral("654321"), "bind phone: code");
    expectPasswordReadable(phone->passWordContentView(), "bind phone: password");
    expectPasswordReadable(phone->passWordAgainContentView(), "bind phone: password again");

    // A member with a phone changes the password: three rows.
    more = openMorePage(premiumWithBothDates());
    ASSERT_NE(more, nullptr);
    account = openSheet(more);
    ASSERT_NE(account, nullptr);
    auto *change = openRow<NBChangePassWordViewController>(account, NBSettingCellType::passWord);
    ASSERT_NE(change, nullptr);
    expectPasswordReadable(change->oldPassWordContentView(), "change password: current");
    expectPasswordReadable(change->passWordContentView(), "change password: new");
    expectPasswordReadable(change->passWordAgainContentView(), "change password: again");
}

// The binding forms' action button keeps the same room under it in every language: the notes
// above and below the fields keep to their lines, and nothing pushes the button to the edge.
TEST_F(AccountSheetTest, TheBindButtonKeepsItsPlaceAboveThePanelsEdgeInEveryLanguage)
{
    struct Seen
    {
        int emailGap = 0;
        int phoneGap = 0;
    };
    QMap<QString, Seen> seen;
    const auto gapUnder = [](NBBindAccountViewController *screen) {
        QWidget *button = screen->bindView()->button();
        const QRect inPanel(button->mapTo(screen, QPoint(0, 0)), button->size());
        return screen->height() - 1 - inPanel.bottom();
    };
    for (const QString &language : {QStringLiteral("zh-Hans"), QStringLiteral("en"), QStringLiteral("ja"), QStringLiteral("ko"), QStringLiteral("zh-Hant")}) {
        SCOPED_TRACE(qPrintable(language));
        UserDefaults::standard().setString(DefaultsKeys::kAppLanguageKey, language);
        NBMineViewController *more = openMorePage(visitor());
        ASSERT_NE(more, nullptr);
        NBAccountInfoViewController *account = openSheet(more);
        ASSERT_NE(account, nullptr);
        auto *email = openRow<NBBindAccountViewController>(account, NBSettingCellType::email);
        ASSERT_NE(email, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return settled(email->bindView()->button()); }, 5000));
        EXPECT_EQ(email->height(), 468);
        seen[language].emailGap = gapUnder(email);
        QTest::mouseClick(email->navView()->backBtn(), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return account->presentations().isEmpty(); }, 5000));
        auto *phone = openRow<NBBindAccountViewController>(account, NBSettingCellType::phone);
        ASSERT_NE(phone, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return settled(phone->bindView()->button()); }, 5000));
        seen[language].phoneGap = gapUnder(phone);
    }
    UserDefaults::standard().remove(DefaultsKeys::kAppLanguageKey);
    const Seen chinese = seen.value(QStringLiteral("zh-Hans"));
    EXPECT_GE(chinese.emailGap, 20);
    for (auto it = seen.begin(); it != seen.end(); ++it) {
        EXPECT_EQ(it->emailGap, chinese.emailGap) << qPrintable(it.key());
        EXPECT_EQ(it->phoneGap, chinese.phoneGap) << qPrintable(it.key());
    }
}

TEST_F(AccountSheetTest, ExpiryRowShowsTheDatedLineTheHeaderShows)
{
    struct Case
    {
        const char *who;
        QJsonObject account;
        QString line;
        std::optional<QString> second;
    };
    const QList<Case> cases{
        {"visitor", visitor(), QStringLiteral("已到期"), std::nullopt},
        {"freshly registered", freshlyRegistered(), QStringLiteral("2099-12-31 23:59:59 普通到期"), std::nullopt},
        {"lottery winner", lotteryWinner(), QStringLiteral("2026-12-15 10:00:00 普通到期"), std::nullopt},
        {"premium with both dates", premiumWithBothDates(), QStringLiteral("2031-02-02 00:00:00 高级到期"),
         QStringLiteral("2030-01-01 00:00:00 普通到期")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.who);
        NBMineViewController *more = openMorePage(c.account);
        ASSERT_NE(more, nullptr);
        NBAccountInfoViewController *account = openSheet(more);
        ASSERT_NE(account, nullptr);
        ASSERT_FALSE(account->data().isEmpty());
        ASSERT_EQ(account->data().last().cellType, NBSettingCellType::expiredTime);
        auto *row = qobject_cast<NBSettingShowRowView *>(account->rowViews().last());
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->subTitleLabel()->text().toStdString(), c.line.toStdString());
        EXPECT_EQ(!row->moreTitleLabel()->isHidden(), c.second.has_value());
        if (c.second) {
            EXPECT_EQ(row->moreTitleLabel()->text().toStdString(), c.second->toStdString());
        }

        // The header above shows the same lines.
        const NBMineHeaderView *header = more->headerView();
        QStringList headerLines{header->svipTimeLab()->text()};
        if (!header->timeLab()->isHidden())
            headerLines << header->timeLab()->text();
        QStringList rowLines{c.line};
        if (c.second)
            rowLines << *c.second;
        headerLines.sort();
        rowLines.sort();
        EXPECT_EQ(headerLines.join(u'|').toStdString(), rowLines.join(u'|').toStdString());
    }
}
