#include "common/ApiPaths.h"

namespace ApiPaths {

const QStringList &numberedTable()
{
    static const QStringList table{
        kAccountLogin,
        kAccountRegister,
        kUpdatePassword,
        kNodes,
        kNodesConnect,
        kNodeRegions,
        kProperLines,
        kWebsites,
        kDeleteProperLine,
        kRoutes,
        kLocation,
        kAddProperLine,
        kUpdateProperLine,
        kConnectionLog,
        kCommons,
        kUpdateAppV2,
        kExclusiveNodeRegions,
        kChangeNodeType,
        kDistributeExclusiveNode,
        kCloseNode,
        kUserLogout,
        kUserInfos,
        kLoadCa,
        kAccountInfo,
        kNotificationList,
        kInternationalSetting,
        kBoundAccount,
        kSendEmail,
        kSendRegisterCode,
        kProducts,
        kActionTrack,
        kAnonyCipher,
        kCreateFeedbacks,
        kAuthValidateCode,
        kGetBackPassword,
        kGetUnKey,
        kCreateThirdOrder,
        kAuthAppleToken,
        kActivityCheckStatus,
        kRoutesListV2,
        kRecoverBuy,
        kRouterFiles,
        kConnect2,
        kCheckBeatVersion,
        kAppVersionList,
        kUpdateApp,
        kGetQRCode,
        kQueryQRCode,
        kSignInByQRCode,
        kMessages,
        kMessageRead,
        kUnreadMessages,
        kFeedbackList,
        kFeedbackRecord,
        kFeedbackResend,
        kResourcePackageVersion,
        kSystemSetting,
        kAdvertisements,
        kReportConnectionLog,
        kRequestLog,
        kDomainHosts,
    };
    return table;
}

std::optional<QString> numbered(int index)
{
    const QStringList &table = numberedTable();
    if (index < 0 || index >= table.size())
        return std::nullopt;
    return table.at(index);
}

} // namespace ApiPaths
