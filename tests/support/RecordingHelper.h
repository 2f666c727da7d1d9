#pragma once

#include <QObject>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

#include "vpn/ProxyConfigRemoteProcessProtocol.h"

// Stands in for the client of the proxy-settings helper: it writes every command into a journal
// ("enable", "disable" with the interface filter, "disable:NO" without, "restore", "getVersion",
// "getCurrentProxySetting", "restoreOnEnd:yes" or "restoreOnEnd:no"), keeps what each enable asked
// for, and answers as the test chooses.
// The journal may be the test's own, so that other events can be written between the commands.
class RecordingHelper : public ProxyConfigRemoteProcessProtocol
{
public:
    enum class Answers {
        Later,  // on a later turn of the event loop, as the helper's socket would
        AtOnce, // inside the call
        Never,  // held, as a helper that stopped answering
    };

    struct Enable
    {
        qint32 port = 0;
        qint32 socksPort = 0;
        std::optional<QString> pac;
        std::optional<QString> dns;
        bool filterInterface = false;
        QStringList ignoreList;
    };

    explicit RecordingHelper(Answers mode = Answers::Later);
    explicit RecordingHelper(QStringList &journal, Answers mode = Answers::Later);

    RecordingHelper(const RecordingHelper &) = delete;
    RecordingHelper &operator=(const RecordingHelper &) = delete;

    void getVersion(VersionReply reply) override;
    void enableProxyWithPort(qint32 port, qint32 socksPort, const std::optional<QString> &pac,
                             const std::optional<QString> &dnsServer, bool filterInterface,
                             const QStringList &ignoreList, ErrorReply reply) override;
    void disableProxyWithFilterInterface(bool filterInterface, ErrorReply reply) override;
    void restoreProxyWithCurrentPort(qint32 port, qint32 socksPort, const QJsonObject &info,
                                     bool filterInterface, ErrorReply reply) override;
    void getCurrentProxySetting(SettingsReply reply) override;
    void setRestoreOnClientEnd(bool restore, ErrorReply reply) override;

    const QStringList &journal() const { return m_journal; }
    // A helper that was stuck goes on: it answers later again, and every held reply first, in
    // the order the commands came.
    void answerHeld();

    Answers answers = Answers::Later;
    // What the next enables or disables fail with (a refusal or a failure of the way to the
    // helper); none means they succeed.
    std::optional<HelperError> enableError;
    std::optional<HelperError> disableError;
    std::vector<Enable> enables;

private:
    void answer(std::function<void()> reply);

    QStringList m_ownJournal;
    QStringList &m_journal;
    std::vector<std::function<void()>> m_held;
    // Owns the later answers, so none comes once the helper is gone.
    QObject m_context;
};
