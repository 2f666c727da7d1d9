#include "common/DefaultsKeys.h"
#include "common/unreached/HLLAppConstant.h"
#include "common/UserDefaults.h"
#include "vpn/unreached/HLLDealWithRoutesConfig.h"
#include "vpn/unreached/ServerProfileManager.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

} // namespace

TEST(ServerProfileTest, ManagerLoadsStoredProfiles)
{
    UserDefaults &defaults = UserDefaults::standard();
    defaults.removePersistentDomain();
    UserDefaults::standard().setString(DefaultsKeys::ActiveServerProfileId, QStringLiteral("A-1"));
    EXPECT_TRUE(ServerProfileManager().profiles.isEmpty());
    EXPECT_EQ(ServerProfileManager().activeProfileId, QStringLiteral("A-1"));

    defaults.setArray(DefaultsKeys::ServerProfiles, QJsonArray{
        QJsonObject{{"Id", "A-1"}, {"ServerHost", "h1"}, {"ServerPort", 8388}, {"Method", "chacha20-ietf-poly1305"},
                    {"Password", "p"}, {"Remark", "r"}, {"Plugin", ""}, {"PluginOptions", ""}},
        QJsonObject{{"ServerHost", "h2"}, {"ServerPort", 70000}},
    });
    const ServerProfileManager first;
    ASSERT_EQ(first.profiles.size(), 2);
    EXPECT_EQ(first.profiles.at(0).uuid, QStringLiteral("A-1"));
    EXPECT_EQ(first.profiles.at(0).serverPort, 8388);
    EXPECT_EQ(first.profiles.at(0).method, QStringLiteral("chacha20-ietf-poly1305"));
    // Out of range is not wrapped into some other port.
    EXPECT_EQ(first.profiles.at(1).serverPort, 8379);
    EXPECT_EQ(first.profiles.at(1).method, QStringLiteral("aes-128-gcm"));
    // An entry without "Id" gets a fresh one at every load.
    const QString fresh = first.profiles.at(1).uuid;
    EXPECT_EQ(fresh, fresh.toUpper());
    EXPECT_NE(ServerProfileManager().profiles.at(1).uuid, fresh);

    const ServerProfile copy = first.profiles.at(0).copy();
    EXPECT_NE(copy.uuid, first.profiles.at(0).uuid);
    EXPECT_EQ(copy.serverHost, QStringLiteral("h1"));
    EXPECT_EQ(ServerProfile::fromDictionary(copy.toDictionary()).password, QStringLiteral("p"));
}

TEST(ServerProfileTest, RouteListsCopyIntoTheSharedSuite)
{
    UserDefaults &shared = UserDefaults::suite(HLLAppConstant::sharedGroupIdentifier());
    shared.removePersistentDomain();
    QTemporaryDir documents;

    // Only the node routes: nothing is written.
    writeFile(documents.path() + "/node_routes.txt", "n1\nn2");
    HLLDealWithRoutesConfig::copyRouteLists(documents.path());
    EXPECT_FALSE(shared.contains(DefaultsKeys::iplist));
    EXPECT_FALSE(shared.contains(DefaultsKeys::nodelist));

    // Both: a final line feed gives a last empty entry.
    writeFile(documents.path() + "/china_ip_list.txt", "1.0.1.0/24\n\n1.0.2.0/23\n");
    HLLDealWithRoutesConfig::copyRouteLists(documents.path());
    EXPECT_EQ(shared.arrayValue(DefaultsKeys::iplist), (QJsonArray{"1.0.1.0/24", "", "1.0.2.0/23", ""}));
    EXPECT_EQ(shared.arrayValue(DefaultsKeys::nodelist), (QJsonArray{"n1", "n2"}));

    // Only the address list: the node list is left as it was.
    QFile::remove(documents.path() + "/node_routes.txt");
    writeFile(documents.path() + "/china_ip_list.txt", "9.9.9.0/24");
    HLLDealWithRoutesConfig::copyRouteLists(documents.path());
    EXPECT_EQ(shared.arrayValue(DefaultsKeys::iplist), QJsonArray{"9.9.9.0/24"});
    EXPECT_EQ(shared.arrayValue(DefaultsKeys::nodelist), (QJsonArray{"n1", "n2"}));

    // A file that is not UTF-8 text cannot be read: nothing of it is stored, and what the lists
    // held stays.
    writeFile(documents.path() + "/node_routes.txt", "n3");
    writeFile(documents.path() + "/china_ip_list.txt", "1.1.1.0/24\n\xff\xfe" "2.2.2.0/24");
    HLLDealWithRoutesConfig::copyRouteLists(documents.path());
    EXPECT_EQ(shared.arrayValue(DefaultsKeys::iplist), QJsonArray{"9.9.9.0/24"});
    EXPECT_EQ(shared.arrayValue(DefaultsKeys::nodelist), (QJsonArray{"n1", "n2"}));
    writeFile(documents.path() + "/china_ip_list.txt", "7.7.7.0/24");
    writeFile(documents.path() + "/node_routes.txt", "n4\n\xc3");
    HLLDealWithRoutesConfig::copyRouteLists(documents.path());
    EXPECT_EQ(shared.arrayValue(DefaultsKeys::iplist), QJsonArray{"7.7.7.0/24"});
    EXPECT_EQ(shared.arrayValue(DefaultsKeys::nodelist), (QJsonArray{"n1", "n2"}));

    // The scheduled form reads the user's Documents folder on a worker thread.
    QDir().mkpath(HLLDealWithRoutesConfig::documentsFolder());
    writeFile(HLLDealWithRoutesConfig::documentsFolder() + "/china_ip_list.txt", "8.8.8.0/24");
    HLLDealWithRoutesConfig::getWhiteIp();
    EXPECT_TRUE(QTest::qWaitFor([&] { return shared.arrayValue(DefaultsKeys::iplist) == QJsonArray{"8.8.8.0/24"}; }, 5000));
}
