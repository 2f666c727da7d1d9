// A failed comparison of Qt's text and JSON values shows them as text and JSON, whatever test program it is in: the
// printers reach every program through the test support, found the way GoogleTest looks for them.
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <gtest/gtest.h>

TEST(QtValuePrintingTest, TextPrintsQuotedAndJsonAsCompactJson)
{
    const QJsonObject object{{"mode", "manual"}, {"socks_port", 9999}, {"ignore_hosts", QJsonArray{"localhost", "::1"}}};
    EXPECT_EQ(::testing::PrintToString(object), R"({"ignore_hosts":["localhost","::1"],"mode":"manual","socks_port":9999})");
    EXPECT_EQ(::testing::PrintToString(QJsonArray{1, "two", QJsonValue::Null}), R"([1,"two",null])");
    EXPECT_EQ(::testing::PrintToString(QJsonValue("it's \"quoted\"")), R"("it's \"quoted\"")");
    EXPECT_EQ(::testing::PrintToString(QJsonValue(object)), R"({"ignore_hosts":["localhost","::1"],"mode":"manual","socks_port":9999})");
    EXPECT_EQ(::testing::PrintToString(object.value("missing")), "undefined");
    EXPECT_EQ(::testing::PrintToString(QString("none")), R"("none")");
}
