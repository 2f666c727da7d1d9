#pragma once

#include "helper/ProxyBackend.h"

#include <QStringList>

// GNOME and the desktops that share its settings: the org.gnome.system.proxy schema, read and
// written through the `gsettings` tool so no GLib code runs in this process.
class GSettingsProxyBackend : public ProxyBackend
{
public:
    explicit GSettingsProxyBackend(const QString &program = QStringLiteral("gsettings"),
                                   int timeoutMs = 5000);

    QString name() const override { return QStringLiteral("gsettings"); }

    std::optional<QJsonObject> snapshot(QString *error) override;
    QString restoreSnapshot(const QJsonObject &snapshot) override;
    bool isValidSnapshot(const QJsonObject &snapshot) const override;
    std::optional<ProxySettings> settingsOf(const QJsonObject &snapshot, QString *error) const override;
    QJsonObject noProxySnapshot() const override;
    QList<KeyGroup> keyGroups() const override;
    std::optional<QStringList> listEntries(const QJsonObject &keyValues) const override;
    QJsonValue listValue(const QStringList &entries) const override;
    QJsonObject keyValues(const QJsonObject &snapshot) const override;
    QString writeKeys(const QJsonObject &target, const QStringList &keys) override;
    QString apply(const ProxySettings &settings) override;

    // Whether the tool runs and knows the proxy schema.
    static bool isAvailable(const QString &program = QStringLiteral("gsettings"));

private:
    // `gsettings list-recursively` of the proxy schema: every key of it and of its children.
    std::optional<QByteArray> listSchema(QString *error) const;
    QString set(const QString &schemaKey, const QString &value) const;

    QString m_program;
    int m_timeoutMs;
};
