// Feeds arbitrary bytes to the reply decoding and, as JSON, to every envelope reader and record
// decoder. Any crash, hang or sanitizer report is a fault: bad replies must only give errors.
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "common/OOAES256.h"
#include "common/ProtocolConfig.h"
#include "networking/HHHostModel.h"
#include "networking/HHNoticeModel.h"
#include "networking/NBFeedbackListModel.h"
#include "networking/NBFeedbackRecordModel.h"
#include "networking/NBMessageListModel.h"
#include "networking/OONetWork.h"
#include "networking/OONetWorkTool.h"

namespace {

std::unique_ptr<QTemporaryDir> s_profile;

void readAll(const std::optional<QJsonObject> &reply)
{
    const auto message = [](std::optional<QJsonObject>, std::optional<QString>) {};
    OONetWorkTool::parseResponse(reply, std::nullopt, message);
    OONetWorkTool::parseResourceResponse(reply, std::nullopt, message);
    OONetWorkTool::logResponse(reply, std::nullopt);
    OONetWorkTool::parseAccountInfoResponse(reply, std::nullopt, [](std::optional<QJsonObject>, std::optional<NetError>) {});
    OONetWorkTool::parseHomeContentResponse(reply, std::nullopt, [](std::optional<QJsonObject>, std::optional<QString>, std::optional<QString>) {});
    if (!reply)
        return;
    const QJsonObject data = reply->value(QStringLiteral("data")).toObject();
    if (const std::optional<HHHostModel> host = HHHostModel::fromJson(data))
        host->toJson();
    HHNoticeModel::fromJson(data);
    if (const std::optional<NBMessageListModel> message = NBMessageListModel::fromJson(data))
        message->toJson();
    if (const std::optional<NBFeedbackListModel> feedback = NBFeedbackListModel::fromJson(data))
        feedback->toJson();
    if (const std::optional<NBFeedbackRecordModel> record = NBFeedbackRecordModel::fromJson(data))
        record->rowHeight([](const QString &text) { return qreal(text.size()); });
    // Lists of records, as the message centre and the feedback screens read them.
    for (const QJsonValue &item : reply->value(QStringLiteral("data")).toArray())
        NBMessageListModel::fromJson(item.toObject());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int * /*argc*/, char ***argv)
{
    s_profile = std::make_unique<QTemporaryDir>();
    qputenv("HOME", s_profile->path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (s_profile->path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (s_profile->path() + QStringLiteral("/cache")).toLocal8Bit());
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    // Lives until the process ends: libFuzzer exits through exit(), after which Qt's own
    // statics are gone and destroying the application object would crash.
    static int appArgc = 1;
    static char *appArgv[] = {(*argv)[0], nullptr};
    [[maybe_unused]] static QCoreApplication *app = new QCoreApplication(appArgc, appArgv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    NetError error;
    readAll(OONetWork::decodeResponseBody(bytes, &error));
    OONetWorkTool::decodeUploadReply(bytes);
    // The same bytes as the plaintext of a well-sealed reply, to reach the readers with
    // arbitrary JSON.
    const QJsonDocument doc = QJsonDocument::fromJson(bytes);
    if (doc.isObject())
        readAll(doc.object());
    return 0;
}
