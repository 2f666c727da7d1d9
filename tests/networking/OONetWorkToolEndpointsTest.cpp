// The endpoint functions end to end against the stand-in service: each sends what the service
// expects (method, path, parameter names and types) and reads its reply the way its screen needs.
#include <QJsonArray>
#include <QFile>
#include <QJsonDocument>
#include <QMap>
#include <QRegularExpression>
#include <QSet>

#include <type_traits>

#include <gtest/gtest.h>

#include "support/NetworkTestSupport.h"
#include "common/MKUserInfoManager.h"
#include "common/MKUserTable.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "networking/HHNoticeModel.h"
#include "networking/NBFeedbackListModel.h"
#include "networking/NBFeedbackRecordModel.h"
#include "networking/NBMessageListModel.h"
#include "networking/OONetWorkTool.h"
#include "support/StandinProcess.h"
#include "common/ApiPaths.h"
#include "networking/unreached/NumberedEndpoints.h"

namespace {

// The paths as common/ApiPaths.h numbers them in its comments ("... // 17"), read from the header:
// the numbered table must give each number the path written beside it there.
QMap<int, QString> numbersInTheHeader()
{
    QMap<int, QString> numbered;
    QFile header(QStringLiteral(OSTREL_SOURCE_DIR "/src/common/ApiPaths.h"));
    if (!header.open(QIODevice::ReadOnly))
        return numbered;
    static const QRegularExpression line(QStringLiteral(R"re(QStringLiteral\("([^"]+)"\);\s*//\s*(\d+)\s*$)re"));
    for (const QString &text : QString::fromUtf8(header.readAll()).split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = line.match(text);
        if (match.hasMatch())
            numbered.insert(match.captured(2).toInt(), match.captured(1));
    }
    return numbered;
}

using Reply = std::optional<QJsonObject>;
using Message = std::optional<QString>;

struct Answer
{
    bool called = false;
    Reply reply;
    Message message;

    bool ok() const { return reply && OONetWorkTool::isSuccess(*reply); }
};

// Runs an endpoint and waits for it. Its completion is either (reply, message text) or, for the
// account requests, (whole reply, transport error): then the message is the reply's own.
template <typename Start>
Answer ask(Start start)
{
    auto answer = std::make_shared<Answer>();
    start([answer](Reply reply, auto second) {
        answer->called = true;
        answer->reply = reply;
        if constexpr (std::is_same_v<decltype(second), Message>) {
            answer->message = second;
        } else if (reply && reply->value(QStringLiteral("message")).isString()) {
            answer->message = reply->value(QStringLiteral("message")).toString();
        }
    });
    EXPECT_TRUE(QTest::qWaitFor([answer] { return answer->called; }, 5000));
    return *answer;
}

QJsonObject dataOf(const Answer &answer)
{
    return answer.reply ? answer.reply->value(QStringLiteral("data")).toObject() : QJsonObject();
}

class EndpointsTest : public StandinSuite
{
protected:
    void SetUp() override
    {
        StandinSuite::SetUp();
        EXPECT_TRUE(MKUserInfoManager::shared().clearUser());
    }

    void signInVisitor()
    {
        bool done = false;
        OONetWorkTool::login([&](std::optional<QString> error) {
            done = true;
            EXPECT_FALSE(error.has_value());
        });
        ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 5000));
    }

    QJsonObject lastRequest(const QString &path) const
    {
        const QJsonArray requests = s_standin->records().value(QStringLiteral("requests")).toArray();
        for (qsizetype i = requests.size() - 1; i >= 0; --i) {
            if (requests.at(i).toObject().value(QStringLiteral("path")).toString() == path)
                return requests.at(i).toObject();
        }
        return {};
    }
};

} // namespace

TEST_F(EndpointsTest, RegistrationThenSignInThenPasswordChange)
{
    const Answer wrongCode = ask([](auto cb) {
        OONetWorkTool::registerAccount(QJsonObject{{QStringLiteral("register_valid_code"), QStringLiteral("000000")},
                                                   {QStringLiteral("password"), QStringLiteral("pw123456")},
                                                   {QStringLiteral("region_code"), QStringLiteral("86")},
                                                   {QStringLiteral("phone"), QStringLiteral("13900000001")}}, cb);
    });
    EXPECT_FALSE(wrongCode.ok());
    EXPECT_EQ(wrongCode.message, QStringLiteral("验证码错误"));
    EXPECT_FALSE(MKUserTable().queryUser().has_value());

    const Answer code = ask([](auto cb) {
        OONetWorkTool::sendRegisterCode(QJsonObject{{QStringLiteral("register_type"), 0}, {QStringLiteral("region_code"), QStringLiteral("86")},
                                                    {QStringLiteral("phone"), QStringLiteral("13900000001")}}, cb);
    });
    EXPECT_TRUE(code.ok());
    EXPECT_EQ(lastRequest(ApiPaths::kSendRegisterCode)
                  .value(QStringLiteral("params")).toObject().value(QStringLiteral("register_type")).toInt(-1), 0);

    const Answer registered = ask([](auto cb) {
        OONetWorkTool::registerAccount(QJsonObject{{QStringLiteral("register_valid_code"), QStringLiteral("123456")},
                                                   {QStringLiteral("password"), QStringLiteral("pw123456")},
                                                   {QStringLiteral("region_code"), QStringLiteral("86")},
                                                   {QStringLiteral("phone"), QStringLiteral("13900000001")}}, cb);
    });
    ASSERT_TRUE(registered.ok());
    EXPECT_FALSE(MKUserTable().queryUser().has_value());   // the form that asked stores the user
    ASSERT_TRUE(OONetWorkTool::storeSignedInUser(*registered.reply));
    ASSERT_TRUE(MKUserTable().queryUser().has_value());

    // The sign-in that follows a registration posts the two notifications.
    EXPECT_TRUE(MKUserInfoManager::shared().clearUser());
    QObject owner;
    QStringList posted;
    for (const QString &name : {NotificationNames::kAnonySignSuccessNotification, NotificationNames::kPopToHomeVcNotification})
        NotificationCenter::defaultCenter().addObserver(name, &owner, [&posted, name](const Notification &) { posted << name; });
    OONetWorkTool::accountLoginAfterRegister(QJsonObject{{QStringLiteral("username"), QStringLiteral("13900000001")},
                                                         {QStringLiteral("password"), QStringLiteral("pw123456")},
                                                         {QStringLiteral("region_code"), QStringLiteral("86")}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return posted.size() == 2; }, 5000));
    EXPECT_EQ(posted.first(), NotificationNames::kAnonySignSuccessNotification);
    ASSERT_TRUE(MKUserTable().queryUser().has_value());

    const Answer badOld = ask([](auto cb) {
        OONetWorkTool::updatePassword(QJsonObject{{QStringLiteral("old_password"), QStringLiteral("nope")},
                                                  {QStringLiteral("new_password"), QStringLiteral("pw654321")},
                                                  {QStringLiteral("new_password_again"), QStringLiteral("pw654321")}}, cb);
    });
    EXPECT_FALSE(badOld.reply);
    EXPECT_TRUE(badOld.message.has_value());
    const Answer changed = ask([](auto cb) {
        OONetWorkTool::updatePassword(QJsonObject{{QStringLiteral("old_password"), QStringLiteral("pw123456")},
                                                  {QStringLiteral("new_password"), QStringLiteral("pw654321")},
                                                  {QStringLiteral("new_password_again"), QStringLiteral("pw654321")}}, cb);
    });
    EXPECT_TRUE(changed.reply.has_value());

    // Phone sign-in with the new password.
    EXPECT_TRUE(MKUserInfoManager::shared().clearUser());
    const Answer signedIn = ask([](auto cb) {
        OONetWorkTool::accountLogin(QJsonObject{{QStringLiteral("signType"), QStringLiteral("3")},
                                                {QStringLiteral("phone"), QStringLiteral("13900000001")},
                                                {QStringLiteral("password"), QStringLiteral("pw654321")},
                                                {QStringLiteral("region_code"), QStringLiteral("86")}}, cb);
    });
    ASSERT_TRUE(signedIn.ok());
    ASSERT_TRUE(OONetWorkTool::storeSignedInUser(*signedIn.reply));
    const std::optional<HHUserInfo> user = MKUserTable().queryUser();
    ASSERT_TRUE(user && user->user);
    EXPECT_EQ(user->user->phone, QStringLiteral("13900000001"));
}

TEST_F(EndpointsTest, PasswordRetrievalAndEmailCode)
{
    const Answer mail = ask([](auto cb) {
        OONetWorkTool::sendEmail(QJsonObject{{QStringLiteral("register_type"), 1}, {QStringLiteral("emailAdress"), QStringLiteral("demo@example.com")}}, cb);
    });
    EXPECT_TRUE(mail.ok());
    const Answer reset = ask([](auto cb) {
        OONetWorkTool::getBackPassword(QJsonObject{{QStringLiteral("register_valid_code"), QStringLiteral("123456")},
                                                   {QStringLiteral("account"), QStringLiteral("demo@example.com")},
                                                   {QStringLiteral("new_password"), QStringLiteral("new12345")},
                                                   {QStringLiteral("new_password_again"), QStringLiteral("new12345")},
                                                   {QStringLiteral("register_type"), 1}}, cb);
    });
    EXPECT_TRUE(reset.ok());
    const Answer signedIn = ask([](auto cb) {
        OONetWorkTool::accountLogin(QJsonObject{{QStringLiteral("signType"), QStringLiteral("4")},
                                                {QStringLiteral("emailAddress"), QStringLiteral("demo@example.com")},
                                                {QStringLiteral("password"), QStringLiteral("new12345")}}, cb);
    });
    EXPECT_TRUE(signedIn.ok());
}

TEST_F(EndpointsTest, QrSignInFollowsTheStatusSequence)
{
    const Answer qr = ask([](auto cb) { OONetWorkTool::getQRCode(cb); });
    ASSERT_TRUE(qr.ok());
    const QJsonObject record = dataOf(qr);
    ASSERT_FALSE(record.value(QStringLiteral("token")).toString().isEmpty());

    QList<int> statuses;
    for (int i = 0; i < 3; ++i) {
        const Answer status = ask([record](auto cb) { OONetWorkTool::queryQRCode(record, cb); });
        statuses << dataOf(status).value(QStringLiteral("qr_code_status")).toInt(-1);
    }
    EXPECT_EQ(statuses, (QList<int>{0, 1, 2}));
    const QJsonObject sent = lastRequest(ApiPaths::kQueryQRCode).value(QStringLiteral("params")).toObject();
    EXPECT_EQ(sent.value(QStringLiteral("platform")).toInt(), 2);
    EXPECT_EQ(sent.value(QStringLiteral("token")), record.value(QStringLiteral("token")));

    const Answer signedIn = ask([record](auto cb) {
        OONetWorkTool::signInByQRCode(record.value(QStringLiteral("token")).toString(), cb);
    });
    ASSERT_TRUE(signedIn.ok());
    EXPECT_TRUE(OONetWorkTool::storeSignedInUser(*signedIn.reply));

    s_standin->control(QJsonObject{{QStringLiteral("qr_status"), 4}});
    const Answer expired = ask([record](auto cb) { OONetWorkTool::queryQRCode(record, cb); });
    EXPECT_EQ(dataOf(expired).value(QStringLiteral("qr_code_status")).toInt(), 4);
    s_standin->control(QJsonObject{{QStringLiteral("qr_status"), -1}});
}

TEST_F(EndpointsTest, LotteryPrizeMakesAVisitorAMemberForItsDays)
{
    signInVisitor();
    const auto account = [] {
        std::optional<QJsonObject> info;
        bool done = false;
        OONetWorkTool::accountInfo([&](std::optional<QJsonObject> data, std::optional<NetError>) {
            done = true;
            info = data;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 5000));
        return info.value_or(QJsonObject()).value(QStringLiteral("user")).toObject();
    };
    const auto connectTo = [](int line) {
        std::optional<QString> code;
        bool done = false;
        OONetWorkTool::connect2(line, [&](std::optional<QJsonObject>, std::optional<QString>, std::optional<QString> c) {
            done = true;
            code = c;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 5000));
        return code;
    };
    EXPECT_EQ(account().value(QStringLiteral("user_level")).toInt(), 0);
    EXPECT_EQ(connectTo(102), QStringLiteral("C5000"));

    std::optional<QJsonObject> won;
    bool drawn = false;
    OONetWork::shared().requestData(QStringLiteral("POST"), OONetWorkTool::apiUrl(ApiPaths::kLotteryDraw), true, QJsonObject(),
                                    std::nullopt, [&](std::optional<QJsonObject> reply, std::optional<NetError>) {
                                        drawn = true;
                                        won = reply;
                                    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return drawn; }, 5000));
    ASSERT_TRUE(won.has_value());
    ASSERT_TRUE(won->value(QStringLiteral("success")).toBool());

    // The account shows the membership the prize gave, and members' lines take it.
    const QJsonObject user = account();
    EXPECT_EQ(user.value(QStringLiteral("user_level")).toInt(), 1);
    EXPECT_EQ(user.value(QStringLiteral("user_type")).toInt(), 2);
    const QDateTime until = QDateTime::fromString(user.value(QStringLiteral("vip_invalid_time")).toString(),
                                                  QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    EXPECT_GT(until, QDateTime::currentDateTime());
    EXPECT_EQ(connectTo(102), QStringLiteral("200"));
    // The draw is the lottery page's own request, not one of the client's numbered endpoints.
    s_standin->control(QJsonObject{{QStringLiteral("clear_records"), true}});
}

TEST_F(EndpointsTest, AccountInformationAndConnect)
{
    signInVisitor();
    std::optional<QJsonObject> info;
    bool done = false;
    OONetWorkTool::accountInfo([&](std::optional<QJsonObject> data, std::optional<NetError>) { done = true; info = data; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 5000));
    ASSERT_TRUE(info.has_value());
    EXPECT_TRUE(info->value(QStringLiteral("resource_version")).isObject());
    EXPECT_TRUE(info->value(QStringLiteral("user")).isObject());

    // A visitor asking for a members-only line gets the refusal code.
    std::optional<QString> message, code;
    done = false;
    OONetWorkTool::connect2(102, [&](std::optional<QJsonObject>, std::optional<QString> m, std::optional<QString> c) {
        done = true;
        message = m;
        code = c;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 5000));
    EXPECT_EQ(code, QStringLiteral("C5000"));
    EXPECT_TRUE(message.has_value());

    std::optional<QJsonObject> connection;
    done = false;
    OONetWorkTool::connect2(101, [&](std::optional<QJsonObject> body, std::optional<QString>, std::optional<QString> c) {
        done = true;
        connection = body;
        code = c;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 5000));
    EXPECT_EQ(code, QStringLiteral("200"));
    ASSERT_TRUE(connection.has_value());
    EXPECT_FALSE(connection->value(QStringLiteral("data")).toObject().value(QStringLiteral("node_list")).toArray().isEmpty());
    EXPECT_TRUE(lastRequest(ApiPaths::kConnect2)
                    .value(QStringLiteral("params")).toObject().value(QStringLiteral("node_info_id")).isDouble());

    s_standin->control(QJsonObject{{QStringLiteral("clear_records"), true}});
    done = false;
    OONetWorkTool::reportConnectionLog(QJsonObject{{QStringLiteral("line_id"), QStringLiteral("101")}, {QStringLiteral("success"), 1},
                                                   {QStringLiteral("connect_method"), 2}},
                                       [&](std::optional<QJsonObject>, std::optional<NetError>) { done = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 5000));
    EXPECT_EQ(s_standin->records().value(QStringLiteral("connection_reports")).toArray().size(), 1);
    // The stored request logs follow the report.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !s_standin->records().value(QStringLiteral("request_logs")).toArray().isEmpty(); }, 5000));
}

TEST_F(EndpointsTest, MessagesNoticesAndFeedback)
{
    signInVisitor();
    const Answer messages = ask([](auto cb) { OONetWorkTool::messageList(1, cb); });
    ASSERT_TRUE(messages.reply.has_value());
    const QJsonArray list = messages.reply->value(QStringLiteral("data")).toArray();
    ASSERT_FALSE(list.isEmpty());
    const std::optional<NBMessageListModel> first = NBMessageListModel::fromJson(list.first().toObject());
    ASSERT_TRUE(first && first->id);

    auto unread = [] {
        std::optional<QJsonObject> reply;
        bool done = false;
        OONetWorkTool::unreadMessages([&](std::optional<QJsonObject> r, std::optional<NetError>) { done = true; reply = r; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 5000));
        return reply ? reply->value(QStringLiteral("data")).toObject().value(QStringLiteral("system_message")).toInt(-1) : -1;
    };
    const int before = unread();
    OONetWorkTool::readMessage(*first->id);
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return lastRequest(ApiPaths::kMessageRead).value(QStringLiteral("params")).toObject()
                   .value(QStringLiteral("messageId")).toString() == QString::number(*first->id);
    }, 5000));
    EXPECT_EQ(unread(), before - 1);

    bool done = false;
    std::optional<QString> notices;
    OONetWorkTool::notificationList([&](std::optional<QString> text, std::optional<NetError>) { done = true; notices = text; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 5000));
    ASSERT_TRUE(notices.has_value());
    const QJsonArray pages = QJsonDocument::fromJson(notices->toUtf8()).object().value(QStringLiteral("page_datas")).toArray();
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_TRUE(HHNoticeModel::fromJson(pages.first().toObject()).has_value());

    const Answer created = ask([](auto cb) {
        OONetWorkTool::createFeedback(QStringLiteral("1"), std::nullopt, std::nullopt, QStringLiteral("slow lines"), QStringLiteral("me@example.com"), cb);
    });
    ASSERT_TRUE(created.reply.has_value());
    const Answer feedback = ask([](auto cb) { OONetWorkTool::feedbackList(1, cb); });
    const QJsonArray entries = dataOf(feedback).value(QStringLiteral("page_datas")).toArray();
    ASSERT_FALSE(entries.isEmpty());
    // Newest first, as the service lists them.
    const std::optional<NBFeedbackListModel> entry = NBFeedbackListModel::fromJson(entries.first().toObject());
    ASSERT_TRUE(entry && entry->id);

    const Answer resent = ask([&entry](auto cb) {
        OONetWorkTool::resendFeedback({QByteArray("\xff\xd8jpeg")}, {QStringLiteral("b.jpg")}, QStringLiteral("still slow"), *entry->id, cb);
    });
    ASSERT_TRUE(resent.reply.has_value());
    EXPECT_EQ(resent.reply->value(QStringLiteral("success")).toInt(), 1);
    const Answer conversation = ask([&entry](auto cb) { OONetWorkTool::feedbackRecord(*entry->id, cb); });
    const QJsonArray records = dataOf(conversation).value(QStringLiteral("record")).toArray();
    // The service's first answer, the reply, and the service's answer to it.
    ASSERT_EQ(records.size(), 3);
    const std::optional<NBFeedbackRecordModel> record = NBFeedbackRecordModel::fromJson(records.at(1).toObject());
    ASSERT_TRUE(record);
    EXPECT_EQ(record->content, QStringLiteral("still slow"));
    EXPECT_TRUE(record->isWrittenByUser());
    EXPECT_FALSE(NBFeedbackRecordModel::fromJson(records.last().toObject())->isWrittenByUser());
}

TEST_F(EndpointsTest, SettingsVersionsAdvertisementsAndHosts)
{
    signInVisitor();
    const Answer settings = ask([](auto cb) { OONetWorkTool::systemSetting(cb); });
    EXPECT_TRUE(dataOf(settings).value(QStringLiteral("globalsettings")).toObject().value(QStringLiteral("content")).isObject());
    const QJsonObject sent = lastRequest(ApiPaths::kSystemSetting).value(QStringLiteral("params")).toObject();
    EXPECT_EQ(sent.value(QStringLiteral("pageType")).toString(), QStringLiteral("buypage"));
    EXPECT_TRUE(sent.value(QStringLiteral("userId")).isDouble());   // signed in: the user id goes along

    const Answer versions = ask([](auto cb) { OONetWorkTool::resourcePackageVersion(cb); });
    EXPECT_TRUE(dataOf(versions).value(QStringLiteral("aclVersion")).isDouble());
    const Answer routes = ask([](auto cb) { OONetWorkTool::routerFiles(cb); });
    EXPECT_TRUE(dataOf(routes).value(QStringLiteral("gfwlist")).toObject().value(QStringLiteral("file_path")).toString().contains(QStringLiteral("md5key=")));

    for (int type : {1, 6}) {
        const Answer ads = ask([type](auto cb) { OONetWorkTool::advertisements(type, cb); });
        ASSERT_TRUE(ads.reply.has_value()) << type;   // "success" comes as the number 1 here
        EXPECT_FALSE(dataOf(ads).value(QStringLiteral("page_datas")).toArray().isEmpty());
    }
    EXPECT_EQ(lastRequest(ApiPaths::kAdvertisements)
                  .value(QStringLiteral("params")).toObject().value(QStringLiteral("type")).toString(), QStringLiteral("6"));

    std::optional<QJsonObject> update;
    bool done = false;
    s_standin->control(QJsonObject{{QStringLiteral("update_state"), 2}});
    OONetWorkTool::updateApp([&](std::optional<QJsonObject> r, std::optional<NetError>) { done = true; update = r; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 5000));
    ASSERT_TRUE(update.has_value());
    EXPECT_EQ(update->value(QStringLiteral("data")).toObject().value(QStringLiteral("settings")).toObject()
                  .value(QStringLiteral("update_state")).toInt(), 2);
    s_standin->control(QJsonObject{{QStringLiteral("update_state"), 0}});

    const Answer hosts = ask([](auto cb) { OONetWorkTool::domainHosts(cb); });
    EXPECT_EQ(dataOf(hosts).value(QStringLiteral("inner")).toObject().value(QStringLiteral("content")).toArray().first().toString(),
              s_standin->baseUrl());
}

// Runs after the others in this file: every path they sent is one the service numbers.
TEST_F(EndpointsTest, EveryPathSentIsInTheNumberedTable)
{
    const QStringList &table = NumberedEndpoints::table();
    ASSERT_EQ(QSet<QString>(table.begin(), table.end()).size(), 61) << "each number has a path of its own";
    signInVisitor();
    const QJsonArray requests = s_standin->records().value(QStringLiteral("requests")).toArray();
    ASSERT_FALSE(requests.isEmpty());
    for (const QJsonValue &request : requests) {
        const QString path = request.toObject().value(QStringLiteral("path")).toString();
        EXPECT_TRUE(table.contains(path)) << path.toStdString();
    }
}

// The service's numbered table: 0 to 60, each number the path the header writes beside it;
// nothing outside it.
TEST(NumberedEndpoints, EachNumberGivesThePathTheServiceNumbersSoAndNothingElse)
{
    const QMap<int, QString> header = numbersInTheHeader();
    ASSERT_EQ(header.size(), NumberedEndpoints::kCount);
    for (auto it = header.begin(); it != header.end(); ++it)
        EXPECT_EQ(NumberedEndpoints::endpointPath(it.key()), it.value()) << it.key();
    EXPECT_EQ(NumberedEndpoints::endpointPath(0), QStringLiteral("/api/client/society_v2/account/login"));
    EXPECT_EQ(NumberedEndpoints::endpointPath(60), QStringLiteral("/api/strategy/client/v1/chrome/get_domain_hosts"));
    EXPECT_FALSE(NumberedEndpoints::endpointPath(-1));
    EXPECT_FALSE(NumberedEndpoints::endpointPath(61));
    EXPECT_EQ(NumberedEndpoints::table().size(), NumberedEndpoints::kCount);
}
