#include "common/DefaultsKeys.h"
#include "common/UserDefaults.h"
#include "vpn/OOHomeNodeModel.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

namespace {

QJsonObject parse(const char *text)
{
    return QJsonDocument::fromJson(QByteArray(text)).object();
}

class LineModelTest : public ::testing::Test
{
protected:
    void SetUp() override { UserDefaults::standard().removePersistentDomain(); }
};

} // namespace

TEST_F(LineModelTest, DecodesSnakeCaseKeysAndChildLines)
{
    const OOHomeNodeModel line = OOHomeNodeModel::fromJson(
        parse(R"({"id": 12, "in_region_code": "CN", "child_line_num": 3, "childLines": [{"id": 13}],
                  "inRegionCode": "US", "unknown": true, "ping": "40", "isGroup": 1})"));
    EXPECT_EQ(line.id, 12);
    // The field is read from its declared key only, never from its own name.
    EXPECT_EQ(line.inRegionCode, QStringLiteral("CN"));
    EXPECT_EQ(line.childLineNum, 3);
    ASSERT_EQ(line.childLines.size(), 1);
    EXPECT_EQ(line.childLines.first().id, 13);
    EXPECT_EQ(line.ping, 40);
    EXPECT_TRUE(line.isGroup);
}

TEST_F(LineModelTest, WrongTypesLeaveDefaults)
{
    const OOHomeNodeModel line = OOHomeNodeModel::fromJson(
        parse(R"({"id": "twelve", "name": null, "childLines": {"id": 1}, "kind": 1.5})"));
    EXPECT_FALSE(line.id.has_value());
    EXPECT_TRUE(line.name.isEmpty());
    EXPECT_TRUE(line.childLines.isEmpty());
    EXPECT_FALSE(line.kind.has_value());
}

TEST_F(LineModelTest, EncodingRoundTripsDefaultAndFullModels)
{
    const OOHomeNodeModel empty;
    EXPECT_EQ(OOHomeNodeModel::fromJsonText(empty.toJsonText()), empty);

    OOHomeNodeModel full;
    full.name = QStringLiteral("香港 01");
    full.id = 7;
    full.kind = 1;
    full.inRegionCode = QStringLiteral("CN");
    full.outRegionCode = QStringLiteral("HK");
    full.childIndex = 2;
    full.isClickState = true;
    OOHomeNodeModel child;
    child.id = 8;
    full.childLines.append(child);
    const QString text = full.toJsonText();
    EXPECT_FALSE(text.contains(QLatin1Char('\n')));
    EXPECT_TRUE(text.contains(QStringLiteral("\"in_region_code\":\"CN\"")));
    EXPECT_EQ(OOHomeNodeModel::fromJsonText(text), full);
}

TEST_F(LineModelTest, CopyDropsDisplayStateAndCopiesChildren)
{
    OOHomeNodeModel line;
    line.name = QStringLiteral("A");
    line.id = 3;
    line.isClickState = true;
    line.isSelectedState = true;
    line.isGlobel = true;
    line.childIndex = 2;
    line.isGroup = true;
    OOHomeNodeModel child;
    child.id = 4;
    child.isClickState = true;
    line.childLines.append(child);

    const OOHomeNodeModel copy = line.copy();
    EXPECT_EQ(copy.name, QStringLiteral("A"));
    EXPECT_EQ(copy.id, 3);
    EXPECT_TRUE(copy.isGroup);
    EXPECT_FALSE(copy.isClickState);
    EXPECT_FALSE(copy.isSelectedState);
    EXPECT_FALSE(copy.isGlobel);
    EXPECT_FALSE(copy.childIndex.has_value());
    ASSERT_EQ(copy.childLines.size(), 1);
    EXPECT_EQ(copy.childLines.first().id, 4);
    EXPECT_FALSE(copy.childLines.first().isClickState);
    EXPECT_EQ(line.mutableCopy(), copy);
}

TEST_F(LineModelTest, CachedLineFollowsTheStoredText)
{
    OOHomeNodeModel first;
    first.id = 1;
    OOHomeNodeModel stored;
    stored.id = 2;

    // No key: the first line of the list stands in, or nothing for an empty list.
    EXPECT_EQ(OOHomeNodeModel::cachedLine({first}).value().id, 1);
    EXPECT_FALSE(OOHomeNodeModel::cachedLine({}).has_value());

    ASSERT_TRUE(stored.storeAsProxyLine());
    UserDefaults::reloadAllForTesting();
    EXPECT_EQ(OOHomeNodeModel::cachedLine({first}).value().id, 2);

    // Text that does not decode gives no line, even with a list to fall back on.
    UserDefaults::standard().setString(DefaultsKeys::kProxyLineInfo, QString());
    EXPECT_FALSE(OOHomeNodeModel::cachedLine({first}).has_value());
    UserDefaults::standard().setString(DefaultsKeys::kProxyLineInfo, QStringLiteral("[1]"));
    EXPECT_FALSE(OOHomeNodeModel::cachedLine({first}).has_value());

    // A value that is not text counts as absent.
    UserDefaults::standard().setInteger(DefaultsKeys::kProxyLineInfo, 5);
    EXPECT_EQ(OOHomeNodeModel::cachedLine({first}).value().id, 1);
}
