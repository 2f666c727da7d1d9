#pragma once

#include <QString>

#include <utility>

// Why a helper command did not succeed: what became of it, and the text that goes to the log and
// to the caller. Only a refusal, the helper's own error answer, says for sure that it left the
// desktop proxy as it was; after any other kind the command may have been carried out, may still
// be, or never left. Roads decide by the kind, never by the text: texts change, and a helper's own
// message may read like one of ours.
class HelperError
{
public:
    enum class Kind {
        Refused,     // the helper answered with an error of its own
        Unreachable, // no trusted connection to it could be made
        NoAnswer,    // it did not answer in time
        WentAway,    // the connection closed or was dropped with the command under way
        // A disable the desktop's store did not take yet, which the helper goes on with by itself:
        // the desktop gets the user's setting back once the store takes it.
        RestoreWaits,
    };

    HelperError(Kind kind, QString text) : m_kind(kind), m_text(std::move(text)) {}

    // The failures of the way to the helper, with the texts support knows them by.
    static HelperError noAnswer() { return {Kind::NoAnswer, QStringLiteral("the helper did not answer in time")}; }
    static HelperError closed() { return {Kind::WentAway, QStringLiteral("the helper closed the connection")}; }
    static HelperError invalidated() { return {Kind::WentAway, QStringLiteral("helper connection invalidated")}; }
    static HelperError untrusted()
    {
        return {Kind::Unreachable, QStringLiteral("the helper socket belongs to another user")};
    }
    static HelperError unreachable(const QString &detail)
    {
        return {Kind::Unreachable, QStringLiteral("the helper could not be reached: ") + detail};
    }
    static HelperError refused(const QString &text) { return {Kind::Refused, text}; }
    static HelperError restoreWaits(const QString &text) { return {Kind::RestoreWaits, text}; }

    Kind kind() const { return m_kind; }
    const QString &text() const { return m_text; }
    bool isRefusal() const { return m_kind == Kind::Refused; }
    // The helper has the restore in hand: the client's part of a disconnect is done.
    bool restoreWaits() const { return m_kind == Kind::RestoreWaits; }

    bool operator==(const HelperError &other) const = default;

private:
    Kind m_kind;
    QString m_text;
};
