#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// AES-256-CBC with PKCS#7 padding, as the service speaks it: the key is the SHA-256 digest of
// the key text's UTF-8 bytes, the IV is the one shared IV of ProtocolConfig, and ciphertext
// travels as standard Base64 without line breaks.
//
// Absent in gives absent out; every failure (bad Base64, wrong key, damaged padding, no IV
// configured) gives absent, without a log line: callers decide what a failure means.
class OOAES256
{
public:
    static std::optional<QString> encrypt(const QString &keyString, const std::optional<QString> &plaintext);
    static std::optional<QString> encryptBytes(const QString &keyString, const QByteArray &plaintext);

    static std::optional<QByteArray> decrypt(const QString &keyString, const QString &base64Text);
    // The same, for callers that expect text: absent unless the plaintext is valid UTF-8.
    static std::optional<QString> decryptToString(const QString &keyString, const QString &base64Text);

    // The raw cipher on explicit key (32 bytes) and IV (16 bytes).
    static std::optional<QByteArray> encryptRaw(const QByteArray &key, const QByteArray &iv, const QByteArray &plaintext);
    static std::optional<QByteArray> decryptRaw(const QByteArray &key, const QByteArray &iv, const QByteArray &ciphertext);

    static QByteArray deriveKey(const QString &keyString);

private:
    OOAES256() = delete;
};
