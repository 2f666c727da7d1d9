#include "common/OOAES256.h"

#include "common/ProtocolConfig.h"

#include <QCryptographicHash>
#include <QStringDecoder>

#include <openssl/evp.h>

#include <memory>

namespace {

constexpr int kKeySize = 32;
constexpr int kBlockSize = 16;

struct CipherContextFree
{
    void operator()(EVP_CIPHER_CTX *context) const { EVP_CIPHER_CTX_free(context); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree>;

std::optional<QByteArray> runCipher(bool encrypting, const QByteArray &key, const QByteArray &iv,
                                    const QByteArray &input)
{
    if (key.size() != kKeySize || iv.size() != kBlockSize)
        return std::nullopt;
    CipherContext context(EVP_CIPHER_CTX_new());
    if (!context)
        return std::nullopt;
    const auto *keyBytes = reinterpret_cast<const unsigned char *>(key.constData());
    const auto *ivBytes = reinterpret_cast<const unsigned char *>(iv.constData());
    if (EVP_CipherInit_ex(context.get(), EVP_aes_256_cbc(), nullptr, keyBytes, ivBytes, encrypting ? 1 : 0) != 1)
        return std::nullopt;

    QByteArray output(input.size() + kBlockSize, Qt::Uninitialized);
    auto *out = reinterpret_cast<unsigned char *>(output.data());
    int written = 0;
    if (EVP_CipherUpdate(context.get(), out, &written,
                         reinterpret_cast<const unsigned char *>(input.constData()), int(input.size())) != 1)
        return std::nullopt;
    int finalWritten = 0;
    if (EVP_CipherFinal_ex(context.get(), out + written, &finalWritten) != 1)
        return std::nullopt;
    output.resize(written + finalWritten);
    return output;
}

} // namespace

QByteArray OOAES256::deriveKey(const QString &keyString)
{
    return QCryptographicHash::hash(keyString.toUtf8(), QCryptographicHash::Sha256);
}

std::optional<QByteArray> OOAES256::encryptRaw(const QByteArray &key, const QByteArray &iv, const QByteArray &plaintext)
{
    return runCipher(true, key, iv, plaintext);
}

std::optional<QByteArray> OOAES256::decryptRaw(const QByteArray &key, const QByteArray &iv, const QByteArray &ciphertext)
{
    if (ciphertext.isEmpty() || ciphertext.size() % kBlockSize != 0)
        return std::nullopt;
    return runCipher(false, key, iv, ciphertext);
}

std::optional<QString> OOAES256::encrypt(const QString &keyString, const std::optional<QString> &plaintext)
{
    if (!plaintext)
        return std::nullopt;
    return encryptBytes(keyString, plaintext->toUtf8());
}

std::optional<QString> OOAES256::encryptBytes(const QString &keyString, const QByteArray &plaintext)
{
    const std::optional<QByteArray> cipher = encryptRaw(deriveKey(keyString), ProtocolConfig::iv(), plaintext);
    if (!cipher)
        return std::nullopt;
    return QString::fromLatin1(cipher->toBase64());
}

std::optional<QByteArray> OOAES256::decrypt(const QString &keyString, const QString &base64Text)
{
    // Bodies may end in a line break; anything else outside the Base64 alphabet is an error.
    QByteArray compact = base64Text.toLatin1();
    compact.replace('\n', QByteArray()).replace('\r', QByteArray());
    compact = compact.trimmed();
    const auto decoded = QByteArray::fromBase64Encoding(compact, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    return decryptRaw(deriveKey(keyString), ProtocolConfig::iv(), *decoded);
}

std::optional<QString> OOAES256::decryptToString(const QString &keyString, const QString &base64Text)
{
    const std::optional<QByteArray> plain = decrypt(keyString, base64Text);
    if (!plain)
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder(*plain);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}
