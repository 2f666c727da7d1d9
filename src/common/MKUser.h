#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

// The user inside the stored sign-in record (JSON key "user").
//
// Decoding follows the record's declared keys: a key that is missing (or null) leaves its field
// empty, a key of the wrong JSON type fails the whole record. "region_code" is the exception in
// one way: a record without it still decodes, with an empty region code, since a sign-in reply
// without it must not leave the user silently unsaved.
//
// The record keeps every key it was decoded from, so toJson() gives back the token and any field
// this class does not model; only the modelled fields are written over.
class MKUser
{
public:
    static std::optional<MKUser> fromJson(const QJsonObject &json);
    QJsonObject toJson() const;

    std::optional<qint64> id;
    std::optional<QString> apiToken;         // "api_token": its presence is the signed-in test
    std::optional<qint64> userType;          // "user_type"
    std::optional<qint64> userLevel;         // "user_level": 0 free, 1 ordinary, 2 senior
    std::optional<QString> username;
    std::optional<QString> phone;
    std::optional<QString> emailAdress;      // "email_address"
    QString regionCode;                      // "region_code"
    std::optional<QString> vipInvalidTime;   // "vip_invalid_time"
    std::optional<QString> svipInvalidTime;  // "svip_invalid_time"
    std::optional<bool> isVisitor;           // "is_visitor"

private:
    QJsonObject m_raw;
};
