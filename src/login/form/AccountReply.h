#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

// What an account reply means to a form, read from the whole reply rather than from a
// (dictionary, message) pair, which cannot tell a refusal without a message from error 101:
//
//  - Success: "success" is true or the number 1.
//  - Silent: a refusal with "error_code" 101; the network layer showed its alert already.
//  - Failure: everything else, with the text to show: the reply's "message" when it is a text,
//    else the localised "SERVER_DATA_ERROR" (also for no reply at all).
//
// A reply without a message is never a success.
class AccountReply
{
public:
    enum class Kind { Success, Failure, Silent };

    static AccountReply read(const std::optional<QJsonObject> &reply);
    // Sign-in replies: a success only when "data" is an object holding a user and that record was
    // stored as the signed-in user (every key it came with); otherwise a failure to show.
    static AccountReply readSignIn(const std::optional<QJsonObject> &reply);

    Kind kind() const { return m_kind; }
    bool isSuccess() const { return m_kind == Kind::Success; }
    bool isSilent() const { return m_kind == Kind::Silent; }
    // The text to show for a failure; empty otherwise.
    QString message() const { return m_message; }
    // The reply itself for a success.
    QJsonObject reply() const { return m_reply; }

private:
    Kind m_kind = Kind::Failure;
    QString m_message;
    QJsonObject m_reply;
};
