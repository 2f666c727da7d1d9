#include "support/MessageCapture.h"

#include "common/AppPaths.h"
#include "common/DefaultsKeys.h"
#include "common/Localization.h"
#include "common/StringsTable.h"
#include "common/UserDefaults.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void storeLanguage(const QString &code)
{
    UserDefaults::standard().setString(DefaultsKeys::kAppLanguageKey, code);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

class LocalizationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UserDefaults::standard().removePersistentDomain();
        clearLocalizationCache();
    }
    void TearDown() override
    {
        AppPaths::setResourceFolderForTesting(QStringLiteral(OSTREL_SOURCE_DIR "/resources"));
        clearLocalizationCache();
    }
};

TEST_F(LocalizationTest, LooksUpTheStoredLanguageAndEnglishReadsBase)
{
    storeLanguage(QStringLiteral("en"));
    EXPECT_EQ(localizedByAppLanguage(QStringLiteral("HOME_TITLE")), QStringLiteral("Home"));
    storeLanguage(QStringLiteral("zh-Hans"));
    EXPECT_EQ(localizedByAppLanguage(QStringLiteral("HOME_TITLE"), QStringLiteral("Localizable")), QStringLiteral("首页"));
    storeLanguage(QStringLiteral("zh-Hant"));
    EXPECT_EQ(localizedByAppLanguage(QStringLiteral("HOME_TITLE")), QStringLiteral("首頁"));
    // Keys that are themselves Chinese phrases.
    EXPECT_EQ(localizedByAppLanguage(QStringLiteral("发送验证码")), QStringLiteral("發送驗證碼"));
}

TEST_F(LocalizationTest, FallsBackToTheKeyItself)
{
    EXPECT_EQ(localizedByAppLanguage(QStringLiteral("HOME_TITLE")), QStringLiteral("HOME_TITLE")); // none stored

    storeLanguage(QStringLiteral("fr")); // no folder for it
    EXPECT_EQ(localizedByAppLanguage(QStringLiteral("HOME_TITLE")), QStringLiteral("HOME_TITLE"));

    storeLanguage(QStringLiteral("en"));
    EXPECT_EQ(localizedByAppLanguage(QStringLiteral("NO_SUCH_KEY")), QStringLiteral("NO_SUCH_KEY"));
    EXPECT_EQ(localizedByAppLanguage(QStringLiteral("HOME_TITLE"), QStringLiteral("Other")), QStringLiteral("HOME_TITLE"));

    // A stored value that is not a text, or that would lead out of the resources.
    UserDefaults::standard().setInteger(DefaultsKeys::kAppLanguageKey, 1);
    EXPECT_FALSE(currentAppLanguage().has_value());
    EXPECT_EQ(localizedByAppLanguage(QStringLiteral("HOME_TITLE")), QStringLiteral("HOME_TITLE"));
    storeLanguage(QStringLiteral("../zh-Hans.lproj/.."));
    EXPECT_EQ(localizedByAppLanguage(QStringLiteral("HOME_TITLE")), QStringLiteral("HOME_TITLE"));
}

TEST_F(LocalizationTest, SetupStoresTheDefaultOnlyWhenNothingIsStored)
{
    setupAppLanguage();
    EXPECT_EQ(currentAppLanguage(), QStringLiteral("zh-Hans"));

    storeLanguage(QStringLiteral("en"));
    MessageCapture capture;
    setupAppLanguage();
    EXPECT_EQ(currentAppLanguage(), QStringLiteral("en"));
    EXPECT_TRUE(capture.contains(QStringLiteral("用户设置语言为: en")));

    setDefaultAppLanguage();
    UserDefaults::reloadAllForTesting();
    EXPECT_EQ(currentAppLanguage(), QStringLiteral("zh-Hans"));
}

TEST_F(LocalizationTest, DisplayNameOfTheStoredLanguage)
{
    EXPECT_EQ(languageDisplayName(), QStringLiteral("English")); // nothing stored: key "English", no table
    storeLanguage(QStringLiteral("zh-Hans"));
    EXPECT_EQ(languageDisplayName(), QStringLiteral("简体中文"));
    storeLanguage(QStringLiteral("zh-Hant"));
    EXPECT_EQ(languageDisplayName(), QStringLiteral("繁體中文"));
    // Every language the picker offers has a table, so none of them shows bare keys.
    storeLanguage(QStringLiteral("ko"));
    EXPECT_EQ(languageDisplayName(), QStringLiteral("한국어"));
    EXPECT_EQ(localizedByAppLanguage(QStringLiteral("HOME_TITLE")), QStringLiteral("홈"));
    storeLanguage(QStringLiteral("ja"));
    EXPECT_EQ(languageDisplayName(), QStringLiteral("日本語"));
    EXPECT_EQ(localizedByAppLanguage(QStringLiteral("HOME_TITLE")), QStringLiteral("ホーム"));
    storeLanguage(QStringLiteral("fr"));
    EXPECT_EQ(languageDisplayName(), QStringLiteral("English")); // other codes: the key, no folder
}

TEST_F(LocalizationTest, PreferredLocalizationsFollowTheSystemLanguages)
{
    EXPECT_EQ(preferredLocalizations({QStringLiteral("zh-Hant-TW")}).first(), QStringLiteral("zh-Hant"));
    EXPECT_EQ(preferredLocalizations({QStringLiteral("zh-HK")}).first(), QStringLiteral("zh-Hant"));
    EXPECT_EQ(preferredLocalizations({QStringLiteral("zh-CN")}).first(), QStringLiteral("zh-Hans"));
    EXPECT_EQ(preferredLocalizations({QStringLiteral("fr-FR"), QStringLiteral("en-GB")}).first(), QStringLiteral("en"));
    EXPECT_EQ(preferredLocalizations({QStringLiteral("fr-FR")}).first(), QStringLiteral("en"));
    EXPECT_EQ(preferredLocalizations({QStringLiteral("ja-JP"), QStringLiteral("ko-KR")}), QStringList({QStringLiteral("ja"), QStringLiteral("ko")}));
    EXPECT_FALSE(isAppLanguageSystemPreferred()); // nothing stored
}

TEST_F(LocalizationTest, ShippedTablesParseCleanlyAndHaveTheSameKeys)
{
    const QStringList folders = {QStringLiteral("Base"), QStringLiteral("zh-Hans"), QStringLiteral("zh-Hant")};
    QList<QString> baseKeys;
    for (const QString &folder : folders) {
        QStringList problems;
        const auto table = StringsTable::parseFile(
            AppPaths::resourcePath(folder + QStringLiteral(".lproj/Localizable.strings")), &problems);
        ASSERT_TRUE(table.has_value()) << folder.toStdString();
        EXPECT_TRUE(problems.isEmpty()) << problems.join(QLatin1Char('\n')).toStdString();
        QList<QString> keys = table->keys();
        std::sort(keys.begin(), keys.end());
        if (baseKeys.isEmpty())
            baseKeys = keys;
        EXPECT_EQ(keys, baseKeys) << folder.toStdString();
        EXPECT_GT(keys.size(), 100);
        for (const QString &key : keys)
            EXPECT_FALSE(table->value(key).isEmpty()) << key.toStdString();
    }

    // Japanese and Korean may trail behind when a key is added (a missing key shows as the key
    // itself), but they must parse, hold no stray keys and cover most of the table.
    for (const QString &folder : {QStringLiteral("ja"), QStringLiteral("ko")}) {
        QStringList problems;
        const auto table = StringsTable::parseFile(
            AppPaths::resourcePath(folder + QStringLiteral(".lproj/Localizable.strings")), &problems);
        ASSERT_TRUE(table.has_value()) << folder.toStdString();
        EXPECT_TRUE(problems.isEmpty()) << problems.join(QLatin1Char('\n')).toStdString();
        for (auto it = table->cbegin(); it != table->cend(); ++it) {
            EXPECT_TRUE(baseKeys.contains(it.key())) << folder.toStdString() << ": " << it.key().toStdString();
            EXPECT_FALSE(it.value().isEmpty()) << it.key().toStdString();
        }
        EXPECT_GE(table->size() * 10, baseKeys.size() * 9) << folder.toStdString();
    }
}

TEST_F(LocalizationTest, TablesAreReadOncePerLanguage)
{
    QTemporaryDir resources;
    ASSERT_TRUE(resources.isValid());
    const QString file = resources.path() + QStringLiteral("/Base.lproj/Localizable.strings");
    writeFile(file, "\"K\" = \"first\";\n");
    AppPaths::setResourceFolderForTesting(resources.path());
    storeLanguage(QStringLiteral("en"));

    EXPECT_EQ(localizedByAppLanguage(QStringLiteral("K")), QStringLiteral("first"));
    writeFile(file, "\"K\" = \"second\";\n");
    EXPECT_EQ(localizedByAppLanguage(QStringLiteral("K")), QStringLiteral("first"));
    clearLocalizationCache();
    EXPECT_EQ(localizedByAppLanguage(QStringLiteral("K")), QStringLiteral("second"));

    // A folder without the table: the key, and no failure.
    QDir().mkpath(resources.path() + QStringLiteral("/ko.lproj"));
    storeLanguage(QStringLiteral("ko"));
    EXPECT_EQ(localizedByAppLanguage(QStringLiteral("K")), QStringLiteral("K"));
}

TEST(StringsTableTest, ReadsEntriesCommentsAndEscapes)
{
    QStringList problems;
    const auto table = StringsTable::parse(QStringLiteral(
        "\xFEFF/* header\n   comment */\n"
        "\"A\" = \"plain\";\n"
        "// line comment \"B\" = \"no\";\n"
        "\"QUOTE\" = \"say \\\"hi\\\" \\\\ done\";\n"
        "\"NL\"=\"one\\ntwo\\tthree\";  \"SAME_LINE\" = \"x\";\n"
        "BARE_KEY = \"bare\";\n"
        "\"UNI\" = \"\\U4E2D\\u6587\";\n"
        "\"SPLIT\" /* between */ =\n   \"value\" ;\n"
        "\"MULTI\" = \"first\nsecond\";\n"
        "\"中文键\" = \"中文\";\n"), &problems);

    EXPECT_TRUE(problems.isEmpty()) << problems.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(table.value(QStringLiteral("A")), QStringLiteral("plain"));
    EXPECT_FALSE(table.contains(QStringLiteral("B")));
    EXPECT_EQ(table.value(QStringLiteral("QUOTE")), QStringLiteral("say \"hi\" \\ done"));
    EXPECT_EQ(table.value(QStringLiteral("NL")), QStringLiteral("one\ntwo\tthree"));
    EXPECT_EQ(table.value(QStringLiteral("SAME_LINE")), QStringLiteral("x"));
    EXPECT_EQ(table.value(QStringLiteral("BARE_KEY")), QStringLiteral("bare"));
    EXPECT_EQ(table.value(QStringLiteral("UNI")), QStringLiteral("中文"));
    EXPECT_EQ(table.value(QStringLiteral("SPLIT")), QStringLiteral("value"));
    EXPECT_EQ(table.value(QStringLiteral("MULTI")), QStringLiteral("first\nsecond"));
    EXPECT_EQ(table.value(QStringLiteral("中文键")), QStringLiteral("中文"));
    EXPECT_EQ(table.size(), 9);
}

TEST(StringsTableTest, MalformedLinesAreSkippedAndTheRestIsKept)
{
    QStringList problems;
    const auto table = StringsTable::parse(QStringLiteral(
        "\"OK1\" = \"one\";\n"
        "\"NO_SEMICOLON\" = \"x\"\n"
        "\"OK2\" = \"two\";\n"
        "\"UNTERMINATED\" = \"runs on\n"
        "\"OK3\" = \"three\";\n"
        "= \"no key\";\n"
        "\"NO_EQUALS\" \"y\";\n"
        "\"BAD_ESCAPE\" = \"\\uZZZZ\";\n"
        "\"OK4\" = \"four\";\n"
        "\"LAST\" = \"never closed"), &problems);

    EXPECT_EQ(table.value(QStringLiteral("OK1")), QStringLiteral("one"));
    EXPECT_EQ(table.value(QStringLiteral("OK2")), QStringLiteral("two"));
    EXPECT_EQ(table.value(QStringLiteral("OK3")), QStringLiteral("three"));
    EXPECT_EQ(table.value(QStringLiteral("OK4")), QStringLiteral("four"));
    EXPECT_EQ(table.size(), 4);
    EXPECT_EQ(problems.size(), 6) << problems.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(problems.first().startsWith(QStringLiteral("line 2")));
}

TEST(StringsTableTest, UnterminatedCommentEndsTheTableWithoutLosingEarlierEntries)
{
    QStringList problems;
    const auto table = StringsTable::parse(QStringLiteral("\"A\" = \"a\";\n/* open\n\"B\" = \"b\";\n"), &problems);
    EXPECT_EQ(table.size(), 1);
    EXPECT_EQ(problems.size(), 1);
}

TEST(StringsTableTest, ReadsUtf16FilesAndReportsMissingOnes)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/t.strings");
    QByteArray utf16("\xFF\xFE");
    const QString text = QStringLiteral("\"K\" = \"值\";");
    utf16.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    writeFile(path, utf16);
    const auto table = StringsTable::parseFile(path);
    ASSERT_TRUE(table.has_value());
    EXPECT_EQ(table->value(QStringLiteral("K")), QStringLiteral("值"));
    EXPECT_FALSE(StringsTable::parseFile(dir.path() + QStringLiteral("/missing.strings")).has_value());
}

} // namespace
