#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

class OOPacUpdate;
class OOBuyHTMLUpdate;

// Decides when the resource packages are refreshed. The service publishes "aclVersion" (route
// files, an integer) and "h5Version" (page packages, a text); each is compared with the local
// record "resourcePackageVersion" (data folder, else the bundled copy), and a version that moved
// runs its updater. The new version is written back only after that updater reported success,
// so it is fetched until it has been stored once.
//
// The home screen owns one and calls check() each time it is about to appear. Everything runs on
// the GUI thread; pending callbacks hold the tool weakly.
class OOResourcePackageVersionTool : public QObject
{
    Q_OBJECT
public:
    explicit OOResourcePackageVersionTool(QObject *parent = nullptr);

    // Sends the resource-package-version request; its reply goes to checkVersion().
    void check();

    // The request's completion: the whole reply envelope (nothing on failure).
    void checkVersion(const std::optional<QJsonObject> &response, const std::optional<QString> &message);

    // Stores one new version in the record and writes it.
    void saveVersions(const QString &key, const QJsonValue &value);

    std::optional<QJsonObject> localConfig() const { return m_localConfig; }
    OOPacUpdate *pacTool() const { return m_pacTool; }
    OOBuyHTMLUpdate *buyHTMLTool() const { return m_buyHTMLTool; }

Q_SIGNALS:
    // A version moved and its updater's list was asked for ("aclVersion" or "h5Version").
    void updateStarted(const QString &key);
    // A run of an updater ended: `key` is "aclVersion" or "h5Version"; on success the new
    // version has been written (or the write failed and was logged).
    void updateFinished(const QString &key, bool success);

private:
    void updateRouteFiles(const QJsonValue &serverVersion);
    void updatePages(const QJsonValue &serverVersion);

    std::optional<QJsonObject> m_localConfig;
    OOPacUpdate *m_pacTool = nullptr;          // child
    OOBuyHTMLUpdate *m_buyHTMLTool = nullptr;  // child
};
