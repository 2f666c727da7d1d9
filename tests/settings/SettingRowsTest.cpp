// The settings rows with their own look (the one-text cell, the switch-account row) and the URL
// field's reader: which texts pass, how they are kept, and the one refusal text.
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "common/DefaultsKeys.h"
#include "common/Localization.h"
#include "common/UserDefaults.h"
#include "settings/unreached/NBSettingCell.h"
#include "settings/unreached/NBSettingSwitchView.h"
#include "settings/unreached/PACURLFormatter.h"
#include "uikit/RoundedPanel.h"

TEST(SettingCellTest, OneTextInAnInsetRoundedPanel)
{
    NBSettingCell cell;
    cell.resize(320, 50);
    cell.show();
    EXPECT_EQ(cell.contentView()->geometry(), QRect(16, 5, 320 - 32, 40));
    EXPECT_EQ(cell.contentView()->cornerRadius(), 10);
    EXPECT_EQ(cell.contentView()->backgroundColor(), QColor(33, 33, 33));
    EXPECT_EQ(cell.nameText()->text(), QStringLiteral("USA - San Francisco - 1"));
    EXPECT_EQ(cell.nameText()->x(), 16);
    EXPECT_NEAR(cell.nameText()->geometry().center().y(), cell.contentView()->height() / 2, 1);
    EXPECT_EQ(cell.nameText()->palette().color(QPalette::WindowText), QColor(191, 191, 191));
    EXPECT_EQ(cell.nameText()->palette().color(QPalette::Window), QColor(23, 35, 48));
    // A name is text, never markup.
    EXPECT_EQ(cell.nameText()->textFormat(), Qt::PlainText);
}

TEST(SettingSwitchViewTest, TheButtonAsksToSwitchAndTheRowAroundItSelectsNothing)
{
    QWidget list;
    list.resize(360, 100);
    auto *row = new NBSettingSwitchView(&list);
    row->setGeometry(0, 0, 360, 100);
    list.show();

    EXPECT_EQ(row->contentView()->geometry(), QRect(0, 0, 360, 77));
    EXPECT_EQ(row->accountButton()->geometry(), QRect(15, 37, 330, 40));
    EXPECT_EQ(row->accountButton()->text(), localizedByAppLanguage(QStringLiteral("LOGIN_TITLE")));
    EXPECT_EQ(row->accountButton()->font().pixelSize(), 14);

    // Without a block the press goes nowhere; with one, each press asks once.
    QTest::mouseClick(row->accountButton(), Qt::LeftButton);
    int asked = 0;
    row->switchAccountBlock = [&asked] { ++asked; };
    QTest::mouseClick(row->accountButton(), Qt::LeftButton);
    QTest::mouseClick(row->accountButton(), Qt::LeftButton);
    EXPECT_EQ(asked, 2);

    // A press on the row beside the button stops at the row.
    struct Watcher : QObject
    {
        int presses = 0;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::MouseButtonPress)
                ++presses;
            return false;
        }
    } watcher;
    list.installEventFilter(&watcher);
    QTest::mouseClick(row, Qt::LeftButton, {}, QPoint(5, 90));
    EXPECT_EQ(watcher.presses, 0);
    EXPECT_EQ(asked, 2);
}

TEST(PACURLFormatterTest, OnlyHttpHttpsAndFileAsWrittenPass)
{
    const auto https = PACURLFormatter::getObjectValue(QStringLiteral("  \thttps://proxy.example/pac.js \t "));
    EXPECT_TRUE(https.ok);
    EXPECT_EQ(https.object, QStringLiteral("https://proxy.example/pac.js"));
    EXPECT_TRUE(https.errorDescription.isEmpty());

    const auto http = PACURLFormatter::getObjectValue(QStringLiteral("http://10.0.0.1:8080/proxy.pac"));
    EXPECT_TRUE(http.ok);
    EXPECT_EQ(http.object, QStringLiteral("http://10.0.0.1:8080/proxy.pac"));

    const auto file = PACURLFormatter::getObjectValue(QStringLiteral("file:///etc/proxy.pac"));
    EXPECT_TRUE(file.ok);
    EXPECT_EQ(file.object, QStringLiteral("file:///etc/proxy.pac"));

    // Blank: passes and sets nothing.
    const auto blank = PACURLFormatter::getObjectValue(QStringLiteral(" \t  "));
    EXPECT_TRUE(blank.ok);
    EXPECT_FALSE(blank.object.has_value());

    const QString refusal = PACURLFormatter::errorText();
    EXPECT_FALSE(refusal.isEmpty());
    for (const QString &text : {QStringLiteral("ftp://files.example/pac"), QStringLiteral("HTTPS://proxy.example/pac"),
                                QStringLiteral("Http://proxy.example"), QStringLiteral("proxy.example/pac"),
                                QStringLiteral("https://proxy example/pac"), QStringLiteral("://nothing")}) {
        const auto refused = PACURLFormatter::getObjectValue(text);
        EXPECT_FALSE(refused.ok) << text.toStdString();
        EXPECT_FALSE(refused.object.has_value()) << text.toStdString();
        EXPECT_EQ(refused.errorDescription, refusal) << text.toStdString();
    }
}

TEST(PACURLFormatterTest, TheObjectIsShownOnlyWhenItIsText)
{
    EXPECT_EQ(PACURLFormatter::stringForObjectValue(QStringLiteral("file:///a.pac")), QStringLiteral("file:///a.pac"));
    EXPECT_FALSE(PACURLFormatter::stringForObjectValue(42).has_value());
    EXPECT_FALSE(PACURLFormatter::stringForObjectValue(QVariant()).has_value());
}

TEST(PACURLFormatterTest, TheRefusalFollowsTheSystemLanguageNotTheChosenOne)
{
    const QString key = QStringLiteral("Must be a valid URL with scheme 'file', 'http' or 'https'");
    const QStringList preferred = preferredLocalizations();
    ASSERT_FALSE(preferred.isEmpty());
    UserDefaults::standard().setString(DefaultsKeys::kAppLanguageKey, QStringLiteral("ko"));
    const QString chosen = localizedByAppLanguage(key);
    const QString system = localizedBySystemLanguage(key);
    EXPECT_EQ(PACURLFormatter::errorText(), system);
    if (preferred.first() != QLatin1String("ko")) {
        EXPECT_NE(PACURLFormatter::errorText(), chosen);
    }
}
