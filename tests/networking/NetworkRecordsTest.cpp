// Decoding rules of the records and the notice schedule.
#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include "common/UserDefaults.h"
#include "networking/HHHostModel.h"
#include "networking/HHNoticeModel.h"
#include "networking/NBFeedbackListModel.h"
#include "networking/NBFeedbackRecordModel.h"
#include "networking/NBMessageListModel.h"

namespace {

QJsonObject obj(const char *json)
{
    return QJsonDocument::fromJson(json).object();
}

HHNoticeModel notice(int id, int frequency, int nextPush = 60)
{
    return *HHNoticeModel::fromJson(QJsonObject{{QStringLiteral("id"), id}, {QStringLiteral("frequency"), frequency},
                                                {QStringLiteral("times"), 1}, {QStringLiteral("nextPushSeconds"), nextPush}});
}

} // namespace

TEST(Records, NoticeNeedsItsFourCountersOfTheRightType)
{
    EXPECT_TRUE(HHNoticeModel::fromJson(obj(R"({"id": 1, "frequency": 5, "times": 1, "nextPushSeconds": 0, "extra": "x"})")));
    EXPECT_FALSE(HHNoticeModel::fromJson(obj(R"({"id": 1, "frequency": 5, "times": 1})")));
    EXPECT_FALSE(HHNoticeModel::fromJson(obj(R"({"id": "1", "frequency": 5, "times": 1, "nextPushSeconds": 0})")));
    EXPECT_FALSE(HHNoticeModel::fromJson(obj(R"({"id": 1, "frequency": 5, "times": 1, "nextPushSeconds": 0, "title": 3})")));
}

TEST(Records, NoticeScheduleByFrequency)
{
    UserDefaults::standard().setArray(QStringLiteral("kAnouncePreTimeRecords"), QJsonArray());
    const qint64 now = 1'700'000'000;
    HHNoticeModel once = notice(1, 5);
    EXPECT_TRUE(once.shouldShow(false, now));
    EXPECT_FALSE(once.shouldShow(true, now + 100000));

    HHNoticeModel periodic = notice(2, 2, 60);
    EXPECT_TRUE(periodic.shouldShow(false, now));
    EXPECT_FALSE(periodic.shouldShow(false, now + 59));
    EXPECT_TRUE(periodic.shouldShow(false, now + 60));
    EXPECT_EQ(HHNoticeModel::lastShownAt(2), now + 60);

    HHNoticeModel session = notice(3, 1);
    EXPECT_TRUE(session.shouldShow(false, now));
    EXPECT_FALSE(session.shouldShow(false, now + 1));
    EXPECT_TRUE(session.shouldShow(true, now + 2));

    EXPECT_FALSE(notice(4, 3).shouldShow(true, now));
    // One entry per notice id, however often it was shown.
    EXPECT_EQ(UserDefaults::standard().arrayValue(QStringLiteral("kAnouncePreTimeRecords"))->size(), 3);
}

TEST(Records, ResourceVersionsRoundTripAndRejectWrongTypes)
{
    const QJsonObject json = obj(R"({"domainVersion": "3", "advertisementVersion": 2, "productVersion": {"version": "3.2.0", "state": 1},
                                     "logReportSwitch": true, "h5Version": "7", "aclVersion": 4, "unknown": 1})");
    const std::optional<HHHostModel> model = HHHostModel::fromJson(json);
    ASSERT_TRUE(model);
    EXPECT_EQ(model->productVersion->version, QStringLiteral("3.2.0"));
    QJsonObject expected = json;
    expected.remove(QStringLiteral("unknown"));
    EXPECT_EQ(model->toJson(), expected);
    EXPECT_FALSE(HHResourceVersionModel::fromJson(obj(R"({"aclVersion": "4"})")));
    EXPECT_FALSE(HHResourceVersionModel::fromJson(obj(R"({"productVersion": {"state": "x"}})")));
}

TEST(Records, MessagesAndFeedback)
{
    const std::optional<NBMessageListModel> message = NBMessageListModel::fromJson(obj(R"({"id": 3, "title": "t", "isRead": 0})"));
    ASSERT_TRUE(message);
    EXPECT_EQ(message->id, 3);
    EXPECT_FALSE(message->body);
    const std::optional<NBFeedbackListModel> feedback = NBFeedbackListModel::fromJson(obj(R"({"id": 1, "image_url": ["a", "b"], "created_at": "x"})"));
    ASSERT_TRUE(feedback && feedback->imageUrl);
    EXPECT_EQ(feedback->imageUrl->size(), 2);
    EXPECT_FALSE(NBFeedbackListModel::fromJson(obj(R"({"image_url": [1]})")));
    EXPECT_FALSE(NBFeedbackListModel::fromJson(obj(R"({"image_url": "a"})")));
    EXPECT_FALSE(NBMessageListModel::fromJson(obj(R"({"isRead": "0"})")));
    EXPECT_FALSE(NBMessageListModel::fromJson(obj(R"({"id": 1.5})")));

    // Re-encoding keeps the declared keys only, and a cleared field leaves no stale key behind.
    NBMessageListModel read = *message;
    read.isRead = 1;
    read.title.reset();
    EXPECT_EQ(read.toJson(), obj(R"({"id": 3, "isRead": 1})"));
    const QJsonObject feedbackJson = obj(R"({"id": 1, "image_url": ["a"], "is_read": 0, "kind": 2, "content": "c", "created_at": "t"})");
    EXPECT_EQ(NBFeedbackListModel::fromJson(feedbackJson)->toJson(), feedbackJson);
}

TEST(Records, FeedbackRecordRowHeight)
{
    const std::optional<NBFeedbackRecordModel> both =
        NBFeedbackRecordModel::fromJson(obj(R"({"content": "hello", "imageUrl": "/p.jpg", "userType": 0, "extra": [1]})"));
    ASSERT_TRUE(both);
    EXPECT_TRUE(both->isWrittenByUser());
    auto measure = [](const QString &) { return 16.2; };
    EXPECT_EQ(both->rowHeight(measure), 14 + 17 + 85 + 62);

    const NBFeedbackRecordModel textOnly = *NBFeedbackRecordModel::fromJson(obj(R"({"content": "hello", "imageUrl": ""})"));
    EXPECT_EQ(textOnly.rowHeight(measure), 14 + 17 + 62);
    const NBFeedbackRecordModel empty = *NBFeedbackRecordModel::fromJson(obj(R"({"content": ""})"));
    EXPECT_EQ(empty.rowHeight(measure), 14 + 62);
    EXPECT_FALSE(NBFeedbackRecordModel::fromJson(obj(R"({"imageUrl": ["a"]})")));
}
