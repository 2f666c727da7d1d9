#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>

// One relay server of a connection, filled by key from the connect response. Only url, port,
// encrypt_method, password and plugin_status are read by the engine configuration; the other
// fields are carried.
class HLLNode
{
public:
    std::optional<QString> port;
    std::optional<QString> password;
    std::optional<QString> url;
    std::optional<QString> nodeId;
    std::optional<QString> plugin_status;
    std::optional<QString> plugin_port;
    std::optional<QString> plugin_domain;
    std::optional<QString> encrypt_method;
    std::optional<QString> region_name;
    std::optional<QString> name;
    std::optional<QString> node_region_id;
    std::optional<QString> plugin_protocol;

    static HLLNode fromDictionary(const QJsonObject &dictionary);

    void setValuesForKeysWithDictionary(const QJsonObject &dictionary);
    // "id" is dropped silently; a key that names no field is printed and dropped. The service
    // sends texts; an integral number is taken as its decimal text, any other value (null, a
    // fraction, a list) leaves the field as it was.
    void setValueForKey(const QString &key, const QJsonValue &value);

private:
    std::optional<QString> *field(const QString &key);
};
