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
        // The same keys as the daemon's last enable left them, read back from the desktop store
        // right after it applied them: while the store still holds exactly this, nobody changed
        // it since. Absent in a file of an older helper, which restores whatever the store shows.
        std::optional<QJsonObject> applied;
        // The snapshot is what a restore decided to write, recorded before its first write: a
        // restore cut short (the session bus gone at logout) is finished as decided, not taken
        // for a change of the user's. An older helper restores it as a copy without `applied`.
        bool restoring = false;
    };

    explicit SavedProxyState(const QString &folder);

    static QString defaultFolder();
    QString filePath() const;

    bool exists() const;
    // Empty on success.
    QString save(const Entry &entry);
    // Records what an enable left in the store beside the saved copy, which stays as it is.
    // Empty on success.
    QString recordApplied(const QJsonObject &applied);
    // Forgets that record: until an enable records anew, the copy is given back whatever the
    // store shows. Empty on success.
    QString forgetApplied();
    // nullopt when there is none; a damaged file is set aside as "<file>.damaged" and reported.
    std::optional<Entry> load(QString *error) const;
    bool clear();

private:
    QString write(const QJsonObject &object);
    // The file's object once its shape is checked; see load().
    std::optional<QJsonObject> readObject(QString *error) const;

    QString m_folder;
};
