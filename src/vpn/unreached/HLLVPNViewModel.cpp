#include "vpn/unreached/HLLVPNViewModel.h"

#include <QPointer>

#include <utility>

#include "common/unreached/HLLAppConstant.h"
#include "common/JsonUtils.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "common/UserDefaults.h"
#include "networking/unreached/HLLNetAPI.h"
#include "vpn/HLLPACUtilWrapper.h"

namespace {

HLLVPNViewModel *s_instance = nullptr;   // lives for the process once made

} // namespace

HLLVPNViewModel &HLLVPNViewModel::shared()
{
    if (!s_instance)
        s_instance = new HLLVPNViewModel;
    return *s_instance;
}

void HLLVPNViewModel::resetForTesting()
{
    delete std::exchange(s_instance, nullptr);
}

HLLVPNViewModel::~HLLVPNViewModel() = default;

HLLVPNViewModel::HLLVPNViewModel()
{
    NotificationCenter::defaultCenter().addObserver(
        NotificationNames::VPNStop, this, [this](const Notification &) { stopVPN(); },
        NotificationCenter::Delivery::MainThread);
}

void HLLVPNViewModel::getIPLocation(std::function<void(const QJsonObject &response)> block)
{
    HLLNetAPI::shared().task(kLocationEndpoint, QStringLiteral("POST"), std::nullopt, std::nullopt,
                             false, false, std::nullopt,
                             [block = std::move(block)](std::optional<QJsonObject> response,
                                                        std::optional<NetError> error) {
                                 if (!block || error || !response)
                                     return;
                                 block(*response);
                             });
}

void HLLVPNViewModel::connect(std::optional<qint64> nodeId, Completion completionBlock)
{
    // A failed lookup ends the road here, with no request and no answer (the block is not called).
    getIPLocation([guard = QPointer(this), nodeId, completionBlock](const QJsonObject &response) {
        if (!guard)
            return;
        const QJsonValue domestic = response.value(QStringLiteral("data")).toObject().value(
            HLLAppConstant::is_domestic());
        UserDefaults &group = UserDefaults::suite(HLLAppConstant::sharedGroupIdentifier());
        // The service writes this flag as true/false or as 1/0.
        group.setBool(HLLAppConstant::is_domestic(), JsonUtils::isTrue(domestic));
        group.synchronizeOrLog("the domestic flag");
        guard->completion = completionBlock;

        QJsonObject parameters;
        if (nodeId)
            parameters.insert(QStringLiteral("node_id"), *nodeId);
        HLLNetAPI::shared().task(
            kConnectEndpoint, QStringLiteral("POST"), std::nullopt, parameters, false, false,
            std::nullopt,
            [guard, nodeId](std::optional<QJsonObject> result, std::optional<NetError> error) {
                if (!guard)
                    return;
                // A refusal comes back as a body whose "success" is not true: a failure too.
                const bool granted = result && JsonUtils::isTrue(result->value(QStringLiteral("success")));
                if (error || !granted) {
                    if (guard->completion) {
                        guard->completion(std::nullopt,
                                          Failure{QStringLiteral("101"), 101, result.value_or(QJsonObject())});
                    }
                    return;
                }
                const QJsonObject data = result->value(QStringLiteral("data")).toObject();
                guard->startVPNWith(nodeId, data);
                // Granted: the caller hears that too, with the connection's data.
                if (guard && guard->completion)
                    guard->completion(data, std::nullopt);
            });
    });
}

void HLLVPNViewModel::startVPNWith(std::optional<qint64>, const QJsonObject &)
{
}

void HLLVPNViewModel::stopVPN()
{
    HLLPACUtilWrapper::stopLocal([](const std::optional<QString> &) {});
}
