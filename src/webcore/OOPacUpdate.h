#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

// Keeps the route files current: the access-control lists the connect road chooses from
// ("gfwlist", "global", "gfwlist_KR", "gfwlist_otd", installed as "<private>/<name>.acl").
// Given the server's route-file list, it downloads every file whose "updated_at" moved, installs
// it, records its entry in the local "routerfiles" list, and reports once.
//
// It reports success only when every download it started was installed and recorded, so a
// version is never recorded over a file that is still old. Every update answers exactly once,
// from the event loop; everything runs on the GUI thread apart from the pipeline's worker part.
class OOPacUpdate : public QObject
{
    Q_OBJECT
public:
    using Completion = std::function<void(bool)>;

    explicit OOPacUpdate(QObject *parent = nullptr);

    static const QStringList &handledNames();

    // `response` is the get_router_files envelope as the reply reader passes it on (nothing on
    // failure); `message` is not used. `completion` may be empty.
    void update(const std::optional<QJsonObject> &response, const std::optional<QString> &message,
                Completion completion);

    std::optional<QJsonObject> localPacConfig() const { return m_localPacConfig; }

private:
    struct Run;

    void download(const std::shared_ptr<Run> &run, const QString &name, const QJsonObject &entry);
    bool saveRouterFiles(const QString &name, const QJsonObject &entry);
    void countStoredFile(const std::shared_ptr<Run> &run, bool success);
    void report(const std::shared_ptr<Run> &run, bool success);

    std::optional<QJsonObject> m_localPacConfig;
};
