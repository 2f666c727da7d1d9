#include "networking/unreached/NumberedEndpoints.h"

#include "common/ApiPaths.h"

const QStringList &NumberedEndpoints::table()
{
    using namespace ApiPaths;
    static const QStringList paths{
        kAccountLogin, kAccountRegister, kUpdatePassword, kNodes, kNodesConnect, kNodeRegions, kProperLines,
        kWebsites, kDeleteProperLine, kRoutes, kLocation, kAddProperLine, kUpdateProperLine, kConnectionLog,
        kCommons, kUpdateAppV2, kExclusiveNodeRegions, kChangeNodeType, kDistributeExclusiveNode, kCloseNode,
        kUserLogout, kUserInfos, kLoadCa, kAccountInfo, kNotificationList, kInternationalSetting, kBoundAccount,
        kSendEmail, kSendRegisterCode, kProducts, kActionTrack, kAnonyCipher, kCreateFeedbacks, kAuthValidateCode,
        kGetBackPassword, kGetUnKey, kCreateThirdOrder, kAuthAppleToken, kActivityCheckStatus, kRoutesListV2,
        kRecoverBuy, kRouterFiles, kConnect2, kCheckBeatVersion, kAppVersionList, kUpdateApp, kGetQRCode,
        kQueryQRCode, kSignInByQRCode, kMessages, kMessageRead, kUnreadMessages, kFeedbackList, kFeedbackRecord,
        kFeedbackResend, kResourcePackageVersion, kSystemSetting, kAdvertisements, kReportConnectionLog,
        kRequestLog, kDomainHosts,
    };
    return paths;
}

std::optional<QString> NumberedEndpoints::endpointPath(int endpoint)
{
    if (endpoint < 0 || endpoint >= table().size())
        return std::nullopt;
    return table().at(endpoint);
}
