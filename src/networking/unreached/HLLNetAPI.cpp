#include "networking/unreached/HLLNetAPI.h"

#include "common/GuiThread.h"

#include <QMetaObject>

#include "networking/NetworkLog.h"
#include "networking/OONetWork.h"
#include "networking/OONetWorkTool.h"
#include "common/ApiPaths.h"

HLLNetAPI &HLLNetAPI::shared()
{
    static HLLNetAPI api;
    return api;
}

std::optional<QString> HLLNetAPI::pathForEndpoint(int endpoint)
{
    switch (endpoint) {
    case 3:
        return ApiPaths::kNodesConnect;
    case 9:
        return ApiPaths::kLocationV2;
    default:
        break;
    }
    return std::nullopt;
}

void HLLNetAPI::task(int endpoint, const QString &method, const std::optional<HeaderMap> &header,
                     const std::optional<QJsonObject> &parameter, bool, bool,
                     const std::optional<QString> &description, const Completion &completion)
{
    const std::optional<QString> path = pathForEndpoint(endpoint);
    if (description)
        qCDebug(lcNetwork).noquote() << "legacy request:" << *description;
    if (!path) {
        GuiThread::post(&OONetWork::shared(), [completion, endpoint] {
            if (completion)
                completion(std::nullopt, NetError{NetError::UnknownEndpoint, QStringLiteral("Unknown endpoint %1").arg(endpoint)});
        });
        return;
    }
    OONetWork::shared().requestData(method, OONetWorkTool::apiUrl(*path), true, parameter, header, completion);
}
