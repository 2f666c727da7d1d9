// The envelope readers' outcome tables, the envelope itself and the response decoding, on plain
// dictionaries and bytes.
#include <QJsonDocument>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include "common/Localization.h"
#include "common/MKUserInfoManager.h"
#include "common/MKUserTable.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "common/OOAES256.h"
#include "common/ProtocolConfig.h"
#include "support/NetworkTestSupport.h"
#include "networking/OONetParamManager.h"
#include "networking/OONetWork.h"
#include "networking/OONetWorkTool.h"
#include "common/ApiPaths.h"

namespace {

using Reply = std::optional<QJsonObject>;

struct Result
{
    int calls = 0;
    Reply dict;
    std::optional<QString> message;
};

using Reader = void (*)(const Reply &, const std::optional<NetError> &, const OONetWorkTool::MessageCompletion &);

Result run(Reader reader, const Reply &response)
{
    Result result;
    reader(response, std::nullopt, [&](Reply d, std::optional<QString> m) {
        ++result.calls;
        result.dict = d;
        result.message = m;
    });
    return result;
}

QJsonObject obj(const char *json)
{
    return QJsonDocument::fromJson(json).object();
}

const QJsonObject kUser = obj(R"({"success": true, "data": {"kind": 1, "user": {"id": 77, "api_token": "tok", "region_code": "86"}}})");

} // namespace

TEST(Readers, CommonEnvelopeOutcomes)
{
    for (Reader reader : {&OONetWorkTool::parseResponse, &OONetWorkTool::parseResourceResponse}) {
        Result r = run(reader, std::nullopt);
        EXPECT_EQ(r.calls, 1);
        EXPECT_FALSE(r.dict);
        EXPECT_EQ(r.message, localizedByAppLanguage(QStringLiteral("SERVER_DATA_ERROR")));

        r = run(reader, obj(R"({"success": true, "message": "ignored"})"));
        EXPECT_TRUE(r.dict && !r.message);

        r = run(reader, obj(R"({"success": 1})"));   // older endpoints write the number 1
        EXPECT_TRUE(r.dict.has_value());

        r = run(reader, obj(R"({"success": false, "error_code": 101, "message": "x"})"));
        EXPECT_EQ(r.calls, 1);
        EXPECT_FALSE(r.dict || r.message);

        r = run(reader, obj(R"({"success": false, "message": "bad code"})"));
        EXPECT_EQ(r.message, QStringLiteral("bad code"));

        r = run(reader, obj(R"({"message": 12})"));   // "success" missing, "message" not text
        EXPECT_EQ(r.calls, 1);
        EXPECT_FALSE(r.dict || r.message);

        r = run(reader, obj(R"({"success": "true", "message": "m"})"));
        EXPECT_FALSE(r.dict);
        EXPECT_EQ(r.message, QStringLiteral("m"));

        r = run(reader, obj(R"({"success": 0, "error_code": 101, "message": "m"})"));
        EXPECT_FALSE(r.dict || r.message);
        // Without an explicit false, 101 silences only the route-file reader.
        r = run(reader, obj(R"({"error_code": 101, "message": "m"})"));
        EXPECT_EQ(r.calls, 1);
        if (reader == &OONetWorkTool::parseResourceResponse)
            EXPECT_FALSE(r.message);
        else
            EXPECT_EQ(r.message, QStringLiteral("m"));
    }
}

TEST(Readers, EnvelopeVerdicts)
{
    EXPECT_TRUE(OONetWorkTool::isSuccess(obj(R"({"success": true})")));
    EXPECT_TRUE(OONetWorkTool::isSuccess(obj(R"({"success": 1})")));
    for (const char *json : {R"({"success": false})", R"({"success": 2})", R"({"success": "true"})", R"({})"})
        EXPECT_FALSE(OONetWorkTool::isSuccess(obj(json))) << json;
    EXPECT_TRUE(OONetWorkTool::isAccountException(obj(R"({"success": true, "error_code": 101})")));
    EXPECT_FALSE(OONetWorkTool::isAccountException(obj(R"({"error_code": "101"})")));
}

TEST(Readers, SignInReplyStoresOnlyAUser)
{
    EXPECT_TRUE(MKUserInfoManager::shared().clearUser());
    for (const char *json : {R"({"success": true})", R"({"success": true, "data": {"kind": 1}})",
                             R"({"success": true, "data": [1]})"}) {
        EXPECT_FALSE(OONetWorkTool::storeSignedInUser(obj(json))) << json;
        EXPECT_FALSE(MKUserTable().queryUser().has_value()) << json;
    }
    ASSERT_TRUE(OONetWorkTool::storeSignedInUser(kUser));
    const std::optional<HHUserInfo> stored = MKUserTable().queryUser();
    ASSERT_TRUE(stored && stored->user);
    EXPECT_EQ(stored->user->apiToken, QStringLiteral("tok"));
}

TEST(Readers, SignInWhoseUserIsNotStoredSaysSo)
{
    EXPECT_TRUE(MKUserInfoManager::shared().clearUser());
    RefusedUserWrites refused;
    EXPECT_FALSE(OONetWorkTool::storeSignedInUser(kUser));
    EXPECT_FALSE(MKUserTable().queryUser().has_value());
}

TEST(Readers, RegisterSignInPostsOnlyWithData)
{
    QObject owner;
    QStringList posted;
    for (const QString &name : {NotificationNames::kAnonySignSuccessNotification, NotificationNames::kPopToHomeVcNotification})
        NotificationCenter::defaultCenter().addObserver(name, &owner, [&posted, name](const Notification &) { posted << name; });

    OONetWorkTool::parseRegisterSignInResponse(obj(R"({"success": true})"), std::nullopt);
    OONetWorkTool::parseRegisterSignInResponse(obj(R"({"success": false, "data": {}})"), std::nullopt);
    OONetWorkTool::parseRegisterSignInResponse(std::nullopt, NetError{1, QStringLiteral("x")});
    EXPECT_TRUE(posted.isEmpty());

    OONetWorkTool::parseRegisterSignInResponse(kUser, std::nullopt);
    EXPECT_EQ(posted, (QStringList{NotificationNames::kAnonySignSuccessNotification, NotificationNames::kPopToHomeVcNotification}));
    EXPECT_TRUE(MKUserTable().queryUser().has_value());
}

TEST(Readers, AccountInfoAlwaysCallsBack)
{
    int calls = 0;
    Reply data;
    std::optional<NetError> error;
    auto cb = [&](Reply d, std::optional<NetError> e) { ++calls; data = d; error = e; };
    const NetError transport{5, QStringLiteral("down")};

    OONetWorkTool::parseAccountInfoResponse(std::nullopt, transport, cb);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(error->code, 5);

    // Replies the reader cannot use still answer, with an error carrying the server's message,
    // so the account screen never keeps its loading cover up.
    const char *unusable[] = {
        R"({"data": {}})",                       // no "success"
        R"({"success": "yes", "message": "m"})", // not Boolean-like
        R"({"success": true, "data": [1]})",      // no "data" object
        R"({"success": 1})",                      // no "data" at all
    };
    for (const char *reply : unusable) {
        SCOPED_TRACE(reply);
        calls = 0;
        OONetWorkTool::parseAccountInfoResponse(obj(reply), std::nullopt, cb);
        EXPECT_EQ(calls, 1);
        EXPECT_FALSE(data.has_value());
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->code, NetError::Malformed);
        EXPECT_FALSE(error->message.isEmpty());
    }

    calls = 0;
    OONetWorkTool::parseAccountInfoResponse(obj(R"({"success": true, "data": {"a": 1}})"), std::nullopt, cb);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(data->value(QStringLiteral("a")).toInt(), 1);

    // The account alert shows the refusal of an exception account: the reader answers with
    // neither data nor error.
    OONetWorkTool::parseAccountInfoResponse(obj(R"({"success": false, "error_code": 101})"), std::nullopt, cb);
    EXPECT_EQ(calls, 2);
    EXPECT_FALSE(data || error);

    OONetWorkTool::parseAccountInfoResponse(obj(R"({"success": false, "error_code": 7, "message": "m"})"), std::nullopt, cb);
    EXPECT_EQ(calls, 3);
    EXPECT_FALSE(data.has_value());
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code, 7);
    EXPECT_EQ(error->message, QStringLiteral("m"));
}

TEST(Readers, HomeContentGivesTheCodes)
{
    Reply dict;
    std::optional<QString> message, code;
    auto cb = [&](Reply d, std::optional<QString> m, std::optional<QString> c) { dict = d; message = m; code = c; };
    OONetWorkTool::parseHomeContentResponse(obj(R"({"success": true, "data": {}})"), std::nullopt, cb);
    EXPECT_TRUE(dict && !message);
    EXPECT_EQ(code, QStringLiteral("200"));
    OONetWorkTool::parseHomeContentResponse(obj(R"({"success": false, "error_code": 101})"), std::nullopt, cb);
    EXPECT_FALSE(dict || message);
    EXPECT_EQ(code, QStringLiteral("500"));
    OONetWorkTool::parseHomeContentResponse(obj(R"({"success": false, "message": "会员已过期", "code": "C5000"})"), std::nullopt, cb);
    EXPECT_EQ(message, QStringLiteral("会员已过期"));
    EXPECT_EQ(code, QStringLiteral("C5000"));
    OONetWorkTool::parseHomeContentResponse(obj(R"({"success": false, "code": 5000})"), std::nullopt, cb);
    EXPECT_FALSE(message || code);
    OONetWorkTool::parseHomeContentResponse(std::nullopt, std::nullopt, cb);
    EXPECT_EQ(message, localizedByAppLanguage(QStringLiteral("SERVER_DATA_ERROR")));
    EXPECT_EQ(code, QStringLiteral("500"));
}

TEST(Envelope, PathAndParametersRoundTripAndAreSigned)
{
    const QString path = OONetWorkTool::encryptPath(ApiPaths::kAccountLogin);
    ASSERT_TRUE(path.startsWith(QLatin1Char('/')));
    const std::optional<QString> plain = OOAES256::decryptToString(ProtocolConfig::pathKey(), path.mid(1));
    ASSERT_TRUE(plain.has_value());
    EXPECT_TRUE(plain->startsWith(ApiPaths::kAccountLogin + QLatin1Char('/')));

    const QJsonObject merged = OONetParamManager::shared().mergeAppInfoParameters(QJsonObject{{QStringLiteral("app_name"), QStringLiteral("mine")}});
    EXPECT_EQ(merged.value(QStringLiteral("app_name")).toString(), QStringLiteral("mine"));   // the caller wins
    EXPECT_TRUE(merged.contains(QStringLiteral("device_uuid")));

    const std::optional<QJsonObject> wire = OONetParamManager::shared().encryptParameters(merged);
    ASSERT_TRUE(wire.has_value());
    for (const char *key : {"encrypt_data", "encrypt_resp", "un_nonce", "un_timestamp", "sign_data", "skv", "data_skv"})
        EXPECT_TRUE(wire->contains(QLatin1String(key))) << key;
    EXPECT_EQ(wire->size(), 7);
    const QString data = wire->value(QStringLiteral("encrypt_data")).toString();
    EXPECT_EQ(QJsonDocument::fromJson(*OOAES256::decrypt(ProtocolConfig::paramKey(), data)).object(), merged);
    EXPECT_EQ(wire->value(QStringLiteral("sign_data")).toString(),
              OONetParamManager::sign(wire->value(QStringLiteral("un_timestamp")).toString(), wire->value(QStringLiteral("un_nonce")).toString(), data));

    const HeaderMap headers = OONetParamManager::shared().buildCommonHeaders({{QStringLiteral("X-Extra"), QStringLiteral("1")}}, true, wire);
    EXPECT_EQ(headers.value(QStringLiteral("sign_data")), wire->value(QStringLiteral("sign_data")).toString());
    EXPECT_EQ(headers.value(QStringLiteral("file_secret")), QStringLiteral("v2"));
    EXPECT_EQ(headers.value(QStringLiteral("X-Extra")), QStringLiteral("1"));
    EXPECT_FALSE(OONetParamManager::shared().buildCommonHeaders({}, false).contains(QStringLiteral("file_secret")));
}

TEST(Envelope, AuthorizationCarriesOnlyAPrintableToken)
{
    EXPECT_TRUE(MKUserInfoManager::shared().clearUser());
    EXPECT_FALSE(OONetParamManager::authorizationValue().has_value());
    EXPECT_TRUE(MKUserInfoManager::shared().saveUser(obj(R"({"user": {"id": 5, "api_token": "abc", "region_code": ""}})")));
    EXPECT_EQ(OONetParamManager::authorizationValue(), QStringLiteral("Bearer abc"));
    EXPECT_TRUE(MKUserInfoManager::shared().saveUser(obj(R"({"user": {"id": 5, "api_token": "abc\r\nX-Other: 1", "region_code": ""}})")));
    EXPECT_FALSE(OONetParamManager::authorizationValue().has_value());
    EXPECT_TRUE(MKUserInfoManager::shared().clearUser());
}

TEST(Decoding, MalformedBodiesGiveAnErrorNeverACrash)
{
    NetError error;
    QByteArray random(4096, Qt::Uninitialized);
    for (char &c : random)
        c = char(QRandomGenerator::global()->bounded(256));
    EXPECT_FALSE(OONetWork::decodeResponseBody(random, &error));
    EXPECT_EQ(error.code, NetError::DecryptionFailure);

    const QString sealed = *OOAES256::encryptBytes(ProtocolConfig::apiKey(), R"({"success": true})");
    EXPECT_TRUE(OONetWork::decodeResponseBody(sealed.toLatin1(), &error));
    EXPECT_FALSE(OONetWork::decodeResponseBody(sealed.toLatin1().chopped(7), &error));   // truncated Base64
    EXPECT_FALSE(OONetWork::decodeResponseBody(OOAES256::encryptBytes(ProtocolConfig::apiKey(), "[1, 2]")->toLatin1(), &error));
    EXPECT_FALSE(OONetWork::decodeResponseBody(OOAES256::encryptBytes(ProtocolConfig::apiKey(), "{\"a\": ")->toLatin1(), &error));
    EXPECT_FALSE(OONetWork::decodeResponseBody(QByteArray(), &error));
    EXPECT_FALSE(OONetWork::decodeResponseBody(QByteArray(OONetWork::MaxResponseBytes + 1, 'A'), &error));
    EXPECT_FALSE(OONetWorkTool::decodeUploadReply(random));
}
