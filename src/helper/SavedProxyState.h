#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

// The user's own proxy settings as they were before the daemon first changed them, kept on disk
// (folder 0700, file 0600) until they are put back, so that a crash or a killed session still
// ends with the user's settings restored at the next start.
class SavedProxyState
{
public:
    struct Entry
    {
        QString backend;
        QJsonObject snapshot;
    };

    explicit SavedProxyState(const QString &folder);

    static QString defaultFolder();
    QString filePath() const;

    bool exists() const;
    // Empty on success.
    QString save(const Entry &entry);
    // nullopt when there is none; a damaged file is set aside as "<file>.damaged" and reported.
    std::optional<Entry> load(QString *error) const;
    bool clear();

private:
    QString m_folder;
};
