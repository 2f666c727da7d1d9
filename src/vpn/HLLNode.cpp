#include "vpn/HLLNode.h"

#include <QDebug>

#include "common/JsonUtils.h"
#include "vpn/VpnLog.h"

HLLNode HLLNode::fromDictionary(const QJsonObject &dictionary)
{
    HLLNode node;
    node.setValuesForKeysWithDictionary(dictionary);
    return node;
}

void HLLNode::setValuesForKeysWithDictionary(const QJsonObject &dictionary)
{
    for (auto it = dictionary.begin(); it != dictionary.end(); ++it)
        setValueForKey(it.key(), it.value());
}

void HLLNode::setValueForKey(const QString &key, const QJsonValue &value)
{
    if (key == QLatin1String("id"))
        return;
    std::optional<QString> *target = field(key);
    if (!target) {
        qCDebug(lcVpn).noquote() << "forUndefinedKey -- " + key;
        return;
    }
    if (value.isString()) {
        *target = value.toString();
        return;
    }
    if (const std::optional<qint64> number = JsonUtils::integer(value))
        *target = QString::number(*number);
}

std::optional<QString> *HLLNode::field(const QString &key)
{
    if (key == QLatin1String("port")) return &port;
    if (key == QLatin1String("password")) return &password;
    if (key == QLatin1String("url")) return &url;
    if (key == QLatin1String("nodeId")) return &nodeId;
    if (key == QLatin1String("plugin_status")) return &plugin_status;
    if (key == QLatin1String("plugin_port")) return &plugin_port;
    if (key == QLatin1String("plugin_domain")) return &plugin_domain;
    if (key == QLatin1String("encrypt_method")) return &encrypt_method;
    if (key == QLatin1String("region_name")) return &region_name;
    if (key == QLatin1String("name")) return &name;
    if (key == QLatin1String("node_region_id")) return &node_region_id;
    if (key == QLatin1String("plugin_protocol")) return &plugin_protocol;
    return nullptr;
}
