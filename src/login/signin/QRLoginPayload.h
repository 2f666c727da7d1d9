#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

// The text the QR code carries for the phone app: the QR record of get_qr_code with "platform"
// set to the number 2 (whatever the service sent there), as compact JSON, AES-encrypted with the
// QR-login key, as Base64. The phone app reverses it and finds the record's "token".
class QRLoginPayload
{
public:
    // The record as the desktop keeps and sends it back: the service's "data" with "platform" 2.
    static QJsonObject loginRecord(const QJsonObject &data);
    static std::optional<QString> payload(const QJsonObject &record);
    // The phone app's side (tests, the stand-in's confirmation): the record, or nothing.
    static std::optional<QJsonObject> decode(const QString &payload);

private:
    QRLoginPayload() = delete;
};
