// A language chosen in the general settings rebuilds the main window, and every text the
// rebuilt window shows is the chosen language's: the widget tree is walked for visible texts and
// each one that belongs to any string table must belong to the chosen language's table. A reset
// away from a language that is not the system's does the same in the default language. The
// window's left menu asks the stand-in service for its unread counts over real HTTP.
#include <QAbstractButton>
#include <QJsonArray>
#include <QLabel>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include "app/NBLeftSideViewController.h"
#include "app/NBMainSplitViewController.h"
#include "app/NBMainWindowController.h"
#include "uikit/NBDisableButton.h"
#include "uikit/ScreenFactory.h"
#include "uikit/UiTiming.h"
#include "common/AppPaths.h"
#include "common/DefaultsKeys.h"
#include "common/Localization.h"
#include "common/StringsTable.h"
#include "common/UserDefaults.h"
#include "settings/general/NBGeneralCell.h"
#include "settings/general/NBGeneralViewController.h"
#include "settings/general/NBLanguageCell.h"
#include "settings/general/NBLanguageViewController.h"
#include "support/StandinProcess.h"
#include "support/NetworkTestSupport.h"

namespace {

const QStringList kLanguages{QStringLiteral("zh-Hans"), QStringLiteral("en"), QStringLiteral("ja"),
                             QStringLiteral("ko"), QStringLiteral("zh-Hant")};

QHash<QString, QHash<QString, QString>> allTables()
{
    QHash<QString, QHash<QString, QString>> tables;
    for (const QString &language : kLanguages) {
        const QString folder = (language == QLatin1String("en") ? QStringLiteral("Base") : language) + QStringLiteral(".lproj");
        tables.insert(language, StringsTable::parseFile(AppPaths::resourcePath(folder + QStringLiteral("/Localizable.strings")))
                                    .value_or(QHash<QString, QString>()));
    }
    return tables;
}

QStringList visibleTexts(QWidget *root)
{
    QStringList texts;
    for (QWidget *widget : root->findChildren<QWidget *>()) {
        if (!widget->isVisibleTo(root))
            continue;
        QString text;
        if (auto *label = qobject_cast<QLabel *>(widget))
            text = label->text();
        else if (auto *button = qobject_cast<QAbstractButton *>(widget))
            text = button->text();
        // The menu spaces its letters with zero-width spaces; the tables hold the plain words.
        text.remove(QChar(0x200B));
        text = text.trimmed();
        if (!text.isEmpty())
            texts << text;
    }
    return texts;
}

NBMainSplitViewController *splitOf(NBMainWindowController &window)
{
    return qobject_cast<NBMainSplitViewController *>(window.contentViewController());
}

class GeneralLanguageStandin : public OneStandinPerSuite
{
protected:
    void SetUp() override
    {
        OneStandinPerSuite::SetUp();
        ASSERT_TRUE(s_standin->control(QJsonObject{{"clear_records", true}}));
        // The layer's tests link no registrations: the general slot is named as the program names it.
        ScreenFactory::instance().registerScreen(NBMainSplitViewController::screenName(NBLeftMenuType::general),
                                                 [](QWidget *parent) { return new NBGeneralViewController(parent); });
        UserDefaults::standard().removePersistentDomain();
        UserDefaults::standard().setString(DefaultsKeys::kAppLanguageKey, QStringLiteral("zh-Hans"));
        m_window.show();
        m_window.setContentViewController(new NBMainSplitViewController);
    }
    void TearDown() override { m_window.setContentViewController(nullptr); }

    // Every visible text that some table knows must be one of `language`'s texts; returns how
    // many of them were.
    int expectAllIn(const QString &language, const char *where)
    {
        int matched = 0;
        const QStringList texts = visibleTexts(&m_window);
        for (const QString &text : texts) {
            QStringList owners;
            for (auto it = m_tables.cbegin(); it != m_tables.cend(); ++it) {
                if (std::find(it->cbegin(), it->cend(), text) != it->cend())
                    owners << it.key();
            }
            if (owners.isEmpty())
                continue;
            EXPECT_TRUE(owners.contains(language)) << where << ": \"" << text.toStdString() << "\" is "
                                                   << owners.join(',').toStdString() << ", not " << language.toStdString();
            ++matched;
        }
        return matched;
    }

    // Opens the general settings in the window's split view and, from them, the language picker.
    NBLanguageViewController *openLanguagePicker()
    {
        NBMainSplitViewController *split = splitOf(m_window);
        if (!split)
            return nullptr;
        split->switchContent(NBLeftMenuType::general);
        auto *general = qobject_cast<NBGeneralViewController *>(split->shownContent());
        if (!general)
            return nullptr;
        QTest::mouseClick(qobject_cast<NBGeneralCell *>(general->rowView(3)), Qt::LeftButton);
        const auto presented = general->presentations();
        return presented.isEmpty() ? nullptr : qobject_cast<NBLanguageViewController *>(presented.last());
    }

    void chooseAndExpectRebuild(const QString &code)
    {
        NBLanguageViewController *picker = openLanguagePicker();
        ASSERT_NE(picker, nullptr);
        QPointer<NBMainSplitViewController> old(splitOf(m_window));
        const int row = int(NBLanguageViewController::languageData().indexOf(code));
        ASSERT_GE(row, 0);
        QTest::mouseClick(picker->rows().at(row), Qt::LeftButton);
        ASSERT_NE(splitOf(m_window), old.data());
        QTRY_VERIFY(old.isNull());
        EXPECT_EQ(currentAppLanguage(), code);
    }

    UiTimingScope m_scope{0.01};
    NBMainWindowController m_window;
    const QHash<QString, QHash<QString, QString>> m_tables = allTables();
};

} // namespace

TEST_F(GeneralLanguageStandin, ChoosingALanguageRebuildsTheWindowInThatLanguage)
{
    NBMainSplitViewController *split = splitOf(m_window);
    ASSERT_NE(split, nullptr);
    split->switchContent(NBLeftMenuType::general);
    EXPECT_GE(expectAllIn(QStringLiteral("zh-Hans"), "before"), 6);

    for (const QString &code : {QStringLiteral("en"), QStringLiteral("ja"), QStringLiteral("zh-Hant")}) {
        chooseAndExpectRebuild(code);
        // The rebuilt window starts on the home page, its menu in the new language.
        NBMainSplitViewController *fresh = splitOf(m_window);
        ASSERT_NE(fresh, nullptr);
        const std::string where = code.toStdString();
        expectAllIn(code, where.c_str());

        // The general settings made again read every text in the new language.
        fresh->switchContent(NBLeftMenuType::general);
        auto *general = qobject_cast<NBGeneralViewController *>(fresh->shownContent());
        ASSERT_NE(general, nullptr);
        EXPECT_GE(expectAllIn(code, where.c_str()), 7);
        const QStringList texts = visibleTexts(&m_window);
        for (const char *key : {"GENERAL_TITLE", "GENERAL_AUTO_CONNECTION", "GENERAL_AUTO_CONNECTION_INFO",
                                "GENERAL_NOTIFICATIONS", "GENERAL_ORDER", "GENERAL_ORDER_DEFAULT", "GENERAL_LANGUAGE",
                                "GENERAL_RESET_ALL_SETTINGS", "HOME_TITLE"})
            EXPECT_TRUE(texts.contains(m_tables.value(code).value(QString::fromLatin1(key)))) << where << " " << key << ": " << texts.join('|').toStdString();
        EXPECT_TRUE(texts.contains(languageDisplayName())) << where;
    }

    // The rebuilt menus asked the service for their unread counts.
    const auto askedForUnread = [] {
        for (const QJsonValue &request : s_standin->records().value("requests").toArray()) {
            if (request.toObject().value("path").toString() == QLatin1String("/api/client/society_v2/message/unread_messages"))
                return true;
        }
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(askedForUnread(), 15000);
}

TEST_F(GeneralLanguageStandin, ResetFromAnotherLanguageRebuildsTheWindowInTheDefaultOne)
{
    const QString preferred = preferredLocalizations().value(0);
    const QString other = preferred == QLatin1String("ko") ? QStringLiteral("ja") : QStringLiteral("ko");
    chooseAndExpectRebuild(other);
    UserDefaults::standard().setInteger(DefaultsKeys::kLineOrderType, 1);

    NBMainSplitViewController *split = splitOf(m_window);
    ASSERT_NE(split, nullptr);
    split->switchContent(NBLeftMenuType::general);
    auto *general = qobject_cast<NBGeneralViewController *>(split->shownContent());
    ASSERT_NE(general, nullptr);
    general->selectRow(4);
    ASSERT_NE(general->alertView(), nullptr);
    QPointer<NBMainSplitViewController> old(split);
    QTest::mouseClick(general->alertView()->cancleButton(), Qt::LeftButton);

    ASSERT_NE(splitOf(m_window), old.data());
    QTRY_VERIFY(old.isNull());
    EXPECT_EQ(currentAppLanguage(), QStringLiteral("zh-Hans"));
    EXPECT_EQ(UserDefaults::standard().integerValue(DefaultsKeys::kLineOrderType), 0);
    splitOf(m_window)->switchContent(NBLeftMenuType::general);
    EXPECT_GE(expectAllIn(QStringLiteral("zh-Hans"), "after the reset"), 7);
}
