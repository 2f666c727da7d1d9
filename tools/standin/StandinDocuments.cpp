#include "StandinDocuments.h"

#include "common/ProtocolConfig.h"

namespace {

QByteArray document(const QString &title, const QStringList &paragraphs)
{
    QString body;
    for (const QString &paragraph : paragraphs)
        body += QStringLiteral("<p>%1</p>\n").arg(paragraph);
    return QStringLiteral("<!doctype html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\"><title>%1</title>\n"
                          "<style>body{font-family:sans-serif;max-width:42em;margin:2em auto;line-height:1.6;padding:0 1em}"
                          "</style></head>\n<body><h1>%1</h1>\n%2</body></html>\n")
        .arg(title, body)
        .toUtf8();
}

} // namespace

namespace StandinDocuments {

std::optional<QByteArray> page(const QString &path)
{
    if (path == ProtocolConfig::string(QStringLiteral("hosts.terms"))) {
        return document(QStringLiteral("用户协议"),
                        {QStringLiteral("本页由演示用的本地服务提供，代替正式的用户协议。"),
                         QStringLiteral("使用本软件即表示您同意遵守服务条款，并仅将服务用于合法用途。"),
                         QStringLiteral("会员权益以购买页面所示为准；账号仅限本人使用。")});
    }
    if (path == ProtocolConfig::string(QStringLiteral("hosts.privacy"))) {
        return document(QStringLiteral("隐私政策"),
                        {QStringLiteral("本页由演示用的本地服务提供，代替正式的隐私政策。"),
                         QStringLiteral("我们只收集提供服务所必需的信息，例如账号与设备标识。"),
                         QStringLiteral("我们不会出售您的数据；您可以随时申请删除账号。")});
    }
    return std::nullopt;
}

} // namespace StandinDocuments
