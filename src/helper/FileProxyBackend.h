#pragma once

#include "helper/ProxyBackend.h"

// Keeps the proxy settings in a JSON file: for desktops that keep none of their own (a session
// script or a wrapper can read it) and for tests, which check what the daemon would have set.
class FileProxyBackend : public ProxyBackend
{
public:
    explicit FileProxyBackend(const QString &filePath);

    QString name() const override { return QStringLiteral("file"); }
    QString filePath() const { return m_filePath; }

    std::optional<QJsonObject> snapshot(QString *error) override;
    QString restoreSnapshot(const QJsonObject &snapshot) override;
    bool isValidSnapshot(const QJsonObject &snapshot) const override;
    std::optional<ProxySettings> settingsOf(const QJsonObject &snapshot, QString *error) const override;
    QJsonObject noProxySnapshot() const override;
    QList<KeyGroup> keyGroups() const override;
    QJsonObject keyValues(const QJsonObject &snapshot) const override;
    QJsonObject snapshotOfKeys(const QJsonObject &keyValues) const override;
    std::optional<QStringList> listEntries(const QJsonObject &keyValues) const override;
    QJsonValue listValue(const QStringList &entries) const override;
    QString apply(const ProxySettings &settings) override;

    // The groups of ProxySettings' own JSON form, which is this file's content, and its list of
    // exceptions: a JSON array.
    static QList<KeyGroup> settingsKeyGroups();
    static std::optional<QStringList> settingsListEntries(const QJsonObject &settings);
    static QJsonValue settingsListValue(const QStringList &entries);

private:
    std::optional<QJsonObject> readObject(QString *error) const;
    QString writeObject(const QJsonObject &object) const;

    QString m_filePath;
};
