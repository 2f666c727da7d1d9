#include "support/MessageCapture.h"

#include "common/AppPaths.h"
#include "common/ClickableFlag.h"
#include "common/DefaultsKeys.h"
#include "common/FoundationStartup.h"
#include "common/FoundationUtils.h"
#include "common/HHLinkNode.h"
#include "common/JsonUtils.h"
#include "common/UrlUtils.h"
#include "common/UserDefaults.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>

#include <gtest/gtest.h>

#include <limits>

namespace {

using namespace JsonUtils;
using namespace UrlUtils;

TEST(JsonUtilsTest, ObjectFromTextOnlyForObjects)
{
    const auto object = jsonObjectFromString(QStringLiteral("{\"type\": \"buy\", \"n\": 1, \"中\": [1]}"));
    ASSERT_TRUE(object.has_value());
    EXPECT_EQ(object->value(QStringLiteral("type")).toString(), QStringLiteral("buy"));
    EXPECT_TRUE(object->value(QStringLiteral("中")).isArray());

    EXPECT_FALSE(jsonObjectFromString(QStringLiteral("[1, 2]")).has_value());
    EXPECT_FALSE(jsonObjectFromString(QStringLiteral("\"text\"")).has_value());
    EXPECT_FALSE(jsonObjectFromString(QStringLiteral("{\"a\": ")).has_value());
    EXPECT_FALSE(jsonObjectFromString(QString()).has_value());
}

TEST(JsonUtilsTest, TruthinessAcceptsBooleansAndZeroOrOne)
{
    EXPECT_TRUE(isTrue(QJsonValue(true)));
    EXPECT_TRUE(isTrue(QJsonValue(1)));
    EXPECT_FALSE(isTrue(QJsonValue(false)));
    EXPECT_FALSE(isTrue(QJsonValue(2)));
    EXPECT_FALSE(isTrue(QJsonValue(QStringLiteral("true"))));
    EXPECT_FALSE(isTrue(QJsonValue(QStringLiteral("1"))));
    EXPECT_FALSE(isTrue(QJsonValue()));

    EXPECT_TRUE(isBool(QJsonValue(false)));
    EXPECT_TRUE(isBool(QJsonValue(0)));
    EXPECT_TRUE(isBool(QJsonValue(1)));
    EXPECT_FALSE(isBool(QJsonValue(2)));
    EXPECT_FALSE(isBool(QJsonValue(QStringLiteral("0"))));

    EXPECT_EQ(intValue(QJsonValue(42)), 42);
    EXPECT_EQ(intValue(QJsonValue(-3.0)), -3);
    EXPECT_EQ(intValue(QJsonValue(true)), 1);
    EXPECT_FALSE(intValue(QJsonValue(1.5)).has_value());
    EXPECT_FALSE(intValue(QJsonValue(QStringLiteral("7"))).has_value());
    EXPECT_FALSE(intValue(QJsonValue(1e300)).has_value());
    EXPECT_FALSE(intValue(QJsonValue::Null).has_value());

    // The one integer reader every JSON reader shares: exact up to 2^53, nothing past it.
    EXPECT_EQ(integer(QJsonValue(9007199254740992.0)), kMaxExactInteger);
    EXPECT_EQ(integer(QJsonValue(-9007199254740992.0)), -kMaxExactInteger);
    EXPECT_FALSE(integer(QJsonValue(18014398509481984.0)).has_value());
    EXPECT_FALSE(integer(QJsonValue(true)).has_value());
    EXPECT_FALSE(integer(QJsonValue(std::numeric_limits<double>::quiet_NaN())).has_value());
    EXPECT_EQ(integerIn(QJsonValue(65535), 1, 65535), 65535);
    EXPECT_FALSE(integerIn(QJsonValue(0), 1, 65535).has_value());
    EXPECT_FALSE(integerIn(QJsonValue(65535.5), 1, 65536).has_value());
}

TEST(UrlUtilsTest, QueryValueOfTheFirstItemOfThatName)
{
    const QUrl url(QStringLiteral("https://cdn.example.com/p/a.zip?md5key=abc%2Fdef&fid=1&fid=2&plus=a+b&bare&empty="));
    EXPECT_EQ(urlQueryValue(url, QStringLiteral("md5key")), QStringLiteral("abc/def"));
    EXPECT_EQ(urlQueryValue(url, QStringLiteral("fid")), QStringLiteral("1"));
    EXPECT_EQ(urlQueryValue(url, QStringLiteral("plus")), QStringLiteral("a+b"));
    EXPECT_EQ(urlQueryValue(url, QStringLiteral("empty")), QString());
    EXPECT_FALSE(urlQueryValue(url, QStringLiteral("bare")).has_value());
    EXPECT_FALSE(urlQueryValue(url, QStringLiteral("missing")).has_value());
    EXPECT_FALSE(urlQueryValue(QUrl(QStringLiteral("https://example.com/x")), QStringLiteral("fid")).has_value());
}

TEST(UrlUtilsTest, QueryValueFromTextPrintsItsFailures)
{
    MessageCapture capture;
    EXPECT_EQ(urlQueryValueFromString(QStringLiteral("fid"), QStringLiteral("https://h/x.png?fid=9f")), QStringLiteral("9f"));

    EXPECT_FALSE(urlQueryValueFromString(QStringLiteral("fid"), QStringLiteral("https://h/x.png?other=1")).has_value());
    EXPECT_TRUE(capture.contains(QStringLiteral("Key 'setting' not found")));

    EXPECT_FALSE(urlQueryValueFromString(QStringLiteral("fid"), QStringLiteral("http://exa mple.com/?fid=1")).has_value());
    EXPECT_FALSE(urlQueryValueFromString(QStringLiteral("fid"), QString()).has_value());
    EXPECT_TRUE(capture.contains(QStringLiteral("Invalid URL")));
}

TEST(UrlUtilsTest, AbsoluteUrlTextKeepsTheWideLetterRange)
{
    EXPECT_TRUE(isAbsoluteUrlText(QStringLiteral("https://example.com/a.png")));
    EXPECT_TRUE(isAbsoluteUrlText(QStringLiteral("marlet://home")));
    EXPECT_TRUE(isAbsoluteUrlText(QStringLiteral("a_b://x"))); // "A-z" takes "_" too
    EXPECT_FALSE(isAbsoluteUrlText(QStringLiteral("/uploads/a.png")));
    EXPECT_FALSE(isAbsoluteUrlText(QStringLiteral("https://example.com/a b.png")));
    EXPECT_FALSE(isAbsoluteUrlText(QStringLiteral("h2://x")));
    EXPECT_FALSE(isAbsoluteUrlText(QString()));
}

TEST(UrlUtilsTest, OnDomainJoinsRelativeAddressesWithOneSlash)
{
    const QString domain = QStringLiteral("https://api.example.com");
    EXPECT_EQ(onDomain(domain, QStringLiteral("files/a.zip")), QStringLiteral("https://api.example.com/files/a.zip"));
    EXPECT_EQ(onDomain(domain, QStringLiteral("/files/a.zip")), QStringLiteral("https://api.example.com/files/a.zip"));
    EXPECT_EQ(onDomain(domain, QStringLiteral("https://cdn.example.com/a.zip")), QStringLiteral("https://cdn.example.com/a.zip"));
}

TEST(FoundationUtilsTest, FormatHMS)
{
    EXPECT_EQ(formatHMS(0), QStringLiteral("00:00:00"));
    EXPECT_EQ(formatHMS(59.9), QStringLiteral("00:00:59"));
    EXPECT_EQ(formatHMS(3661), QStringLiteral("01:01:01"));
    EXPECT_EQ(formatHMS(100 * 3600 + 5), QStringLiteral("100:00:05"));
    EXPECT_EQ(formatHMS(-5), QStringLiteral("00:00:00"));
    EXPECT_EQ(formatHMS(std::numeric_limits<double>::quiet_NaN()), QStringLiteral("00:00:00"));
    EXPECT_EQ(formatHMS(std::numeric_limits<double>::infinity()), QStringLiteral("00:00:00"));
}

TEST(FoundationUtilsTest, RemoveUserCacheFolder)
{
    const QString users = AppPaths::usersFolder();
    ASSERT_TRUE(QDir().mkpath(users + QStringLiteral("/42/images")));
    QFile(users + QStringLiteral("/42/images/a.png")).open(QIODevice::WriteOnly);
    const QString kept = AppPaths::privateFolder() + QStringLiteral("/keep.acl");
    QDir().mkpath(AppPaths::privateFolder());
    QFile(kept).open(QIODevice::WriteOnly);

    EXPECT_TRUE(removeUserCacheFolder());
    EXPECT_FALSE(QFileInfo::exists(users));
    EXPECT_TRUE(QFileInfo::exists(kept));
    EXPECT_TRUE(removeUserCacheFolder()); // nothing to remove
}

TEST(HHLinkNodeTest, ChainsAndFreesLongLists)
{
    HHLinkNode head(QJsonObject{{QStringLiteral("id"), 0}});
    EXPECT_EQ(head.next, nullptr);
    HHLinkNode *tail = &head;
    for (int i = 1; i < 200000; ++i) {
        tail->next = std::make_unique<HHLinkNode>(QJsonObject{{QStringLiteral("id"), i}});
        tail = tail->next.get();
    }
    EXPECT_EQ(head.next->value.value(QStringLiteral("id")).toInt(), 1);
    EXPECT_EQ(tail->value.value(QStringLiteral("id")).toInt(), 199999);
    // Destroying the head must not recurse 200000 frames deep.
}

TEST(ClickableFlagTest, UnsetUntilABooleanIsStoredAndClearedByUnset)
{
    QObject button;
    EXPECT_EQ(ClickableFlag::isClickable(&button), std::nullopt);
    ClickableFlag::setIsClickable(&button, false);
    EXPECT_EQ(ClickableFlag::isClickable(&button), false);
    ClickableFlag::setIsClickable(&button, true);
    EXPECT_EQ(ClickableFlag::isClickable(&button), true);
    ClickableFlag::setIsClickable(&button, std::nullopt);
    EXPECT_EQ(ClickableFlag::isClickable(&button), std::nullopt);

    // Something that is not a Boolean under the flag's name reads as unset, never as true.
    button.setProperty("ostrel_isClickable", QStringLiteral("false"));
    EXPECT_EQ(ClickableFlag::isClickable(&button), std::nullopt);
    EXPECT_EQ(ClickableFlag::isClickable(nullptr), std::nullopt);
    ClickableFlag::setIsClickable(nullptr, true);
}

TEST(FoundationStartupTest, ResetsConnectionStateAndRegistersDefaults)
{
    UserDefaults &defaults = UserDefaults::standard();
    defaults.removePersistentDomain();
    UserDefaults::reloadAllForTesting();
    defaults.setBool(DefaultsKeys::kProxyConnectionState, true);
    defaults.setBool(DefaultsKeys::ShadowsocksOn, true);
    defaults.setBool(DefaultsKeys::kProxyConnected, true);
    defaults.setInteger(DefaultsKeys::kProxyMode, 1);

    FoundationStartup::run();

    EXPECT_EQ(defaults.boolValue(DefaultsKeys::kProxyConnectionState), false);
    EXPECT_EQ(defaults.boolValue(DefaultsKeys::ShadowsocksOn), false);
    EXPECT_EQ(defaults.boolValue(DefaultsKeys::kProxyConnected), false);
    EXPECT_EQ(defaults.stringValue(DefaultsKeys::kAppLanguageKey), QStringLiteral("zh-Hans"));
    EXPECT_EQ(defaults.boolValue(DefaultsKeys::kTunStateKey), true);
    EXPECT_EQ(defaults.integerValue(DefaultsKeys::kProxyMode), 1); // the stored value wins
    EXPECT_FALSE(defaults.contains(DefaultsKeys::kLineOrderType));

    // Registered, never written: a restart without start-up knows nothing of them.
    UserDefaults::reloadAllForTesting();
    EXPECT_FALSE(defaults.contains(DefaultsKeys::kTunStateKey));
    defaults.remove(DefaultsKeys::kProxyMode);
    FoundationStartup::run();
    EXPECT_EQ(defaults.integerValue(DefaultsKeys::kProxyMode), 0);
}

} // namespace
