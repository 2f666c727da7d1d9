#pragma once

#include <QString>

// A failed request as completions receive it: a numeric code and the text shown to the user.
// Transport failures carry the Qt network error number (or the HTTP status when the server
// answered with an error status); protocol failures use the codes below.
struct NetError
{
    int code = 0;
    QString message;

    static constexpr int DecryptionFailure = -10086;   // the service's own code for an unreadable body
    static constexpr int InsecureUrl = -10087;         // plain http:// to a host that is not loopback
    static constexpr int UnknownEndpoint = -10088;     // older entry asked for an endpoint it does not map
    static constexpr int Malformed = -10089;           // a body that decrypts but is not a JSON object
    // A reply signed with another server's fingerprint: its body is never read, and the caller
    // fails as on a transport failure (the API-host fail-over has started meanwhile).
    static constexpr int ForeignServer = -10090;
};
