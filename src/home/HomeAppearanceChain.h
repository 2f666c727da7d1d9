#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

#include "common/LatestAnswer.h"
#include "networking/NetError.h"

class NoticeChain;
class OOResourcePackageVersionTool;

// What the home screen asks of the service each time it appears: the resource-package versions,
// the update check (gated here, asked by the hook), the line list; then, once the update check is
// settled, the account, the
// notices and the fail-over hosts. Every branch stops silently on its own failure; the others go
// on. No widgets: the screen hands in what it shows.
class HomeAppearanceChain : public QObject
{
    Q_OBJECT
public:
    struct Hooks
    {
        // The update check (HomeUpgradeCheck on the home screen); it comes back through
        // `requestUserInfo` once the upgrade offer is settled.
        std::function<void()> checkUpdate;
        std::function<void(const QString &event)> track;
        // Starts a fail-over polling round when none runs.
        std::function<void()> pollHosts;
    };
    static Hooks defaultHooks();

    explicit HomeAppearanceChain(NoticeChain &notices, QObject *parent = nullptr, Hooks hooks = defaultHooks());
    ~HomeAppearanceChain() override;

    // The line list's answer goes here; true when the screen took the lines. A late answer to an
    // earlier appearance is not handed on once a later one's lines were taken.
    std::function<bool(const std::optional<QString> &text, const std::optional<NetError> &error)> onNodeList;

    void run();
    void checkUpdateGate();
    void requestUserInfo();
    void checkNoticeVersion(const std::optional<QJsonObject> &resourceVersion);
    void checkDomainVersion(const std::optional<QJsonObject> &resourceVersion);
    // The fail-over host lists; `completion(true)` once the answer's lists are stored, false when
    // there was no answer or a list could not be stored.
    void getHosts(std::function<void(bool)> completion);

    OOResourcePackageVersionTool *resourceVersionTool() const { return m_resourceVersionTool; }

private:
    void nodeListAnswered(const std::optional<QString> &text, const std::optional<NetError> &error, quint64 request);

    NoticeChain &m_notices;
    Hooks m_hooks;
    OOResourcePackageVersionTool *m_resourceVersionTool = nullptr;
    // Answers can overtake one another: a late one to an earlier appearance would put back the
    // lines from before.
    LatestAnswer m_nodeLists;
};
