#pragma once

#include "helper/ProxyBackend.h"

#include <QStringList>

// KDE Plasma: the [Proxy Settings] group of kioslaverc. The file is edited line by line, so the
// user's other groups, comments and key order stay as they were; running KIO programs are told
// to read it again through the scheduler's reparse signal on the session bus.
class KdeProxyBackend : public ProxyBackend
{
public:
    explicit KdeProxyBackend(const QString &kioslavercPath);

    QString name() const override { return QStringLiteral("kde"); }
    static QString defaultPath();

    std::optional<QJsonObject> snapshot(QString *error) override;
    QString restoreSnapshot(const QJsonObject &snapshot) override;
    bool isValidSnapshot(const QJsonObject &snapshot) const override;
    std::optional<ProxySettings> settingsOf(const QJsonObject &snapshot, QString *error) const override;
    QJsonObject noProxySnapshot() const override;
    QList<KeyGroup> keyGroups() const override;
    std::optional<QStringList> listEntries(const QJsonObject &keyValues) const override;
    QJsonValue listValue(const QStringList &entries) const override;
    QString apply(const ProxySettings &settings) override;

private:
    std::optional<QStringList> readLines(QString *error) const;
    QString writeLines(const QStringList &lines) const;
    // Sets (or, for a null value, removes) keys of the proxy group and writes the file once.
    QString writeValues(const QJsonObject &values) const;
    static void notifyKio();

    QString m_path;
};
