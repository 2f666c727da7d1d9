#pragma once

#include <QString>

// Every plain API path (before encryption), in one place: the endpoint functions, the loopback
// stand-in service and the tests all name a path from here, so no two of them can disagree on its
// spelling. The numbered constants are the service's own table, in its order; the last few are
// paths the service serves outside that table.
namespace ApiPaths {

inline const QString kAccountLogin = QStringLiteral("/api/client/society_v2/account/login"); // 0
inline const QString kAccountRegister = QStringLiteral("/api/client/society_v2/account/register"); // 1
inline const QString kUpdatePassword = QStringLiteral("/api/client/society_v2/users/update_password"); // 2
inline const QString kNodes = QStringLiteral("/api/client/v2/nodes"); // 3
inline const QString kNodesConnect = QStringLiteral("/api/client/v2/nodes/connect"); // 4
inline const QString kNodeRegions = QStringLiteral("/api/client/v2/nodes/node_regions"); // 5
inline const QString kProperLines = QStringLiteral("/api/client/v2/nodes/proper_lines"); // 6
inline const QString kWebsites = QStringLiteral("/api/client/v2/websites"); // 7
inline const QString kDeleteProperLine = QStringLiteral("/api/client/v2/nodes/delete_proper_line"); // 8
inline const QString kRoutes = QStringLiteral("/api/client/v2/commons/routes"); // 9
inline const QString kLocation = QStringLiteral("/api/client/society_v2/commons/location"); // 10
inline const QString kAddProperLine = QStringLiteral("/api/client/v2/nodes/add_proper_line"); // 11
inline const QString kUpdateProperLine = QStringLiteral("/api/client/v2/nodes/update_proper_line"); // 12
inline const QString kConnectionLog = QStringLiteral("/api/client/v2/nodes/connection_log"); // 13
inline const QString kCommons = QStringLiteral("/api/client/v2/commons"); // 14
inline const QString kUpdateAppV2 = QStringLiteral("/api/client/v2/commons/update_app"); // 15
inline const QString kExclusiveNodeRegions = QStringLiteral("/api/client/v2/nodes/exclusive_node_regions"); // 16
inline const QString kChangeNodeType = QStringLiteral("/api/client/v2/nodes/change_node_type"); // 17
inline const QString kDistributeExclusiveNode = QStringLiteral("/api/client/v2/nodes/distribute_exclusive_node"); // 18
inline const QString kCloseNode = QStringLiteral("/api/client/v2/nodes/close_node"); // 19
inline const QString kUserLogout = QStringLiteral("/api/client/v2/user_logout"); // 20
inline const QString kUserInfos = QStringLiteral("/api/strategy/client/v1/user_infos"); // 21
inline const QString kLoadCa = QStringLiteral("/api/client/v2/commons/load_ca"); // 22
inline const QString kAccountInfo = QStringLiteral("/api/client/society_v2/account/info"); // 23
inline const QString kNotificationList = QStringLiteral("/api/client/society_v2/notifications/list"); // 24
inline const QString kInternationalSetting = QStringLiteral("/api/client/society_v2/commons/international_setting"); // 25
inline const QString kBoundAccount = QStringLiteral("/api/client/society_v2/registers/bound_account"); // 26
inline const QString kSendEmail = QStringLiteral("/api/client/society_v2/registers/send_email"); // 27
inline const QString kSendRegisterCode = QStringLiteral("/api/client/society_v2/registers/send_register_code"); // 28
inline const QString kProducts = QStringLiteral("/api/client/society_v2/products"); // 29
inline const QString kActionTrack = QStringLiteral("/api/log/v1/client/actionTrack"); // 30
inline const QString kAnonyCipher = QStringLiteral("/api/client/society/anony/anony_cipher"); // 31
inline const QString kCreateFeedbacks = QStringLiteral("/api/client/society_v2/users/create_feedbacks"); // 32
inline const QString kAuthValidateCode = QStringLiteral("/api/client/society_v2/registers/auth_validate_code"); // 33
inline const QString kGetBackPassword = QStringLiteral("/api/client/society_v2/users/get_back_password"); // 34
inline const QString kGetUnKey = QStringLiteral("/api/client/society_v2/commons/get_un_key"); // 35
inline const QString kCreateThirdOrder = QStringLiteral("/api/client/society/orders/create_third_order"); // 36
inline const QString kAuthAppleToken = QStringLiteral("/api/client/society_v2/orders/auth_apple_token"); // 37
inline const QString kActivityCheckStatus = QStringLiteral("/api/client/society_v2/activities/checkStatus"); // 38
inline const QString kRoutesListV2 = QStringLiteral("/api/client/society_v2/commons/geted_routes_list_v2"); // 39
inline const QString kRecoverBuy = QStringLiteral("/api/client/society/orders/recoverBuy"); // 40
inline const QString kRouterFiles = QStringLiteral("/api/client/society_v2/commons/get_router_files"); // 41
inline const QString kConnect2 = QStringLiteral("/api/client/society_v2/nodes/connect2"); // 42
inline const QString kCheckBeatVersion = QStringLiteral("/api/client/society_v2/commons/check_beat_version"); // 43
inline const QString kAppVersionList = QStringLiteral("/api/client/society/forward_apis/app_version_list"); // 44
inline const QString kUpdateApp = QStringLiteral("/api/client/society_v2/commons/update_app"); // 45
inline const QString kGetQRCode = QStringLiteral("/api/client/society_v2/scancode/get_qr_code"); // 46
inline const QString kQueryQRCode = QStringLiteral("/api/client/society_v2/scancode/query_qr_code"); // 47
inline const QString kSignInByQRCode = QStringLiteral("/api/client/society_v2/scancode/sign_in_by_qr_code"); // 48
inline const QString kMessages = QStringLiteral("/api/client/society_v2/message/messages_v3"); // 49
inline const QString kMessageRead = QStringLiteral("/api/client/society_v2/message/read"); // 50
inline const QString kUnreadMessages = QStringLiteral("/api/client/society_v2/message/unread_messages"); // 51
inline const QString kFeedbackList = QStringLiteral("/api/client/society/users/feedback_list"); // 52
inline const QString kFeedbackRecord = QStringLiteral("/api/client/society/users/feedback/record"); // 53
inline const QString kFeedbackResend = QStringLiteral("/api/client/society/users/feedback/resend"); // 54
inline const QString kResourcePackageVersion = QStringLiteral("/api/client/society_v2/commons/resource_package_version"); // 55
inline const QString kSystemSetting = QStringLiteral("/api/client/society_v2/static/system_setting"); // 56
inline const QString kAdvertisements = QStringLiteral("/api/client/society_v2/commons/advertisements/type"); // 57
inline const QString kReportConnectionLog = QStringLiteral("/api/client/v2/nodes/report_connection_log"); // 58
inline const QString kRequestLog = QStringLiteral("/api/client/society_v2/commons/requestLog"); // 59
inline const QString kDomainHosts = QStringLiteral("/api/strategy/client/v1/chrome/get_domain_hosts"); // 60

// --- Outside the numbered table -------------------------------------------------------------
// The line list of the current connect road.
inline const QString kNodeList = QStringLiteral("/api/client/society_v2/nodes/node_list");
// The location lookup of the older numbered entry (HLLNetAPI), beside the society one above.
inline const QString kLocationV2 = QStringLiteral("/api/client/v2/commons/location");
// What the invitation and lottery pages ask for through their own signed requests (the discovery
// page reads kWebsites, the lottery's status kActivityCheckStatus).
inline const QString kInvitationInfo = QStringLiteral("/api/client/society_v2/invitations/info");
inline const QString kLotteryDraw = QStringLiteral("/api/client/society_v2/activities/lottery_draw");

} // namespace ApiPaths
