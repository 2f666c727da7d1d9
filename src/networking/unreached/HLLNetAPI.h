#pragma once

#include <QJsonObject>
#include <QString>

#include <functional>
#include <optional>

#include "networking/NetError.h"
#include "networking/OONetParamManager.h"

// Only the earlier connect road, which nothing in the client runs, calls this; kept with that road.
// The older request entry, numbered by endpoint. Only the two endpoints the earlier connect
// road uses are mapped; it goes through the same encrypted pipeline as every other request.
// The client's requests go through OONetWorkTool's endpoint functions (src/networking).
class HLLNetAPI
{
public:
    using Completion = std::function<void(std::optional<QJsonObject>, std::optional<NetError>)>;

    static HLLNetAPI &shared();
    static std::optional<QString> pathForEndpoint(int endpoint);

    // The HUD flags and the description are accepted for the older callers' sake; the core
    // layer shows no HUD.
    void task(int endpoint, const QString &method, const std::optional<HeaderMap> &header,
              const std::optional<QJsonObject> &parameter, bool showHUD, bool showErrorHud,
              const std::optional<QString> &description, const Completion &completion);

private:
    HLLNetAPI() = default;
};
