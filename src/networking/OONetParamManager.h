#pragma once

#include <QJsonObject>
#include <QMap>
#include <QString>

#include <optional>

using HeaderMap = QMap<QString, QString>;

// Builds what every API request carries: the app identity merged under the caller's
// parameters, the encrypted and signed envelope, and the common signed headers. Pages that
// send their own requests (the "encryptString" script message) use the same three steps.
// Stateless and safe from any thread.
class OONetParamManager
{
public:
    static OONetParamManager &shared();

    // The app-identity record with the caller's parameters over it: a caller's key wins.
    QJsonObject mergeAppInfoParameters(const std::optional<QJsonObject> &params) const;

    // The wire dictionary: "encrypt_data", "encrypt_resp", "un_nonce", "un_timestamp",
    // "sign_data", "skv", "data_skv". Gives nothing when the parameter key is not configured.
    std::optional<QJsonObject> encryptParameters(const QJsonObject &params, bool encryptResponse = true) const;

    // The common signed headers with `extra` added, and "file_secret" = "v2" when asked. With an
    // envelope, the headers repeat its time, nonce and signature; without one they sign an empty
    // payload with a fresh time and nonce.
    HeaderMap buildCommonHeaders(const HeaderMap &extra, bool fileSecret,
                                 const std::optional<QJsonObject> &envelope = std::nullopt) const;

    // The signature over one time, nonce and payload: lower-case hex HMAC-SHA256 with the
    // signing key.
    static QString sign(const QString &timestamp, const QString &nonce, const QString &encryptedData);
    static QString makeNonce();

    // "Bearer <token>" for the stored user, or nothing when nobody with a token is signed in.
    static std::optional<QString> authorizationValue();
    static QString languageHeaderValue();

private:
    OONetParamManager() = default;
};
