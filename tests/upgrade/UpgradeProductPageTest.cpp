// The page a full-screen page's "update" button opens: the configured address, resolved on the
// service's host in use, and served for real by the stand-in.
#include <gtest/gtest.h>

#include "common/ProtocolConfig.h"
#include "support/NetworkTestSupport.h"
#include "upgrade/UpgradeProductPage.h"

namespace {

class UpgradeProductPageTest : public OneStandinPerSuite
{
};

} // namespace

TEST_F(UpgradeProductPageTest, AConfiguredPageIsOpenedOnTheServiceHostAndItAnswers)
{
    // The shipped setting is a path: it follows whichever host of the service answers.
    const QString configured = ProtocolConfig::string(QStringLiteral("upgrade.product_page"));
    ASSERT_FALSE(configured.isEmpty());
    const QUrl page = UpgradeProductPage::resolve(configured, s_standin->baseUrl());
    ASSERT_TRUE(page.isValid());
    EXPECT_EQ(page.toString(), s_standin->baseUrl() + configured);
    int status = 0;
    const QByteArray body = TestHttp::get(page.toString(), &status);
    EXPECT_EQ(status, 200);
    EXPECT_TRUE(body.contains("<html")) << body.left(200).toStdString();
}

TEST(UpgradeProductPageRulesTest, OnlyAddressesTheClientMayOpen)
{
    EXPECT_EQ(UpgradeProductPage::resolve(QStringLiteral("https://www.example.com/download"), QString()),
              QUrl(QStringLiteral("https://www.example.com/download")));
    EXPECT_EQ(UpgradeProductPage::resolve(QStringLiteral("/download"), QStringLiteral("https://api1.example.com")),
              QUrl(QStringLiteral("https://api1.example.com/download")));
    // Nothing configured, no host yet, or an address the client never opens: the button does nothing.
    EXPECT_TRUE(UpgradeProductPage::resolve(QString(), QStringLiteral("https://api1.example.com")).isEmpty());
    EXPECT_TRUE(UpgradeProductPage::resolve(QStringLiteral("/download"), QString()).isEmpty());
    EXPECT_TRUE(UpgradeProductPage::resolve(QStringLiteral("download"), QStringLiteral("https://api1.example.com")).isEmpty());
    EXPECT_TRUE(UpgradeProductPage::resolve(QStringLiteral("http://www.example.com/download"), QString()).isEmpty());
    EXPECT_TRUE(UpgradeProductPage::resolve(QStringLiteral("file:///etc/passwd"), QString()).isEmpty());
    EXPECT_TRUE(UpgradeProductPage::resolve(QStringLiteral("javascript:alert(1)"), QString()).isEmpty());
}
