#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// What the daemon keeps on disk (folder 0700, files 0600) while the desktop shows, or may show,
// its change, so that a crash, a killed session or a store that refused a restore still ends with
// the user's settings back at a later attempt.
//
// Two files, kept apart so that losing one does not lose the other:
// - the copy: the settings a restore gives back, in one of three states:
//     saved      the user's own settings before the daemon changed them; given back whole;
//     applied    the same, with a record of what the daemon's last enable left in the store:
//                every key group still showing that record gets its saved value back, a group
//                the user changed since stays theirs;
//     restoring  what a restore decided to write, recorded before its first write, with the store
//                as the restore found it: a restore cut short (the helper killed, the store
//                refusing its writes) is finished as decided, and a key group that holds neither
//                what the restore found nor what it meant to write is a change of the user's;
// - the listener record: every listener an enable pointed the desktop at since the last restore
//   finished, written before the desktop is changed, so that a copy found lost or damaged still
//   never leaves the desktop on a dead listener; and what such a restore wrote instead.
//
// The copy's file keeps the key names of the helpers before it ("snapshot", "applied"), so a copy
// written here restores under an older helper too; a copy from an older helper (no "state", a
// "restoring" flag) is read as the state its keys say.
class SavedProxyState
{
public:
    enum class Stage { Saved, Applied, Restoring };

    struct Entry
    {
        QString backend;
        Stage stage = Stage::Saved;
        // What a restore gives back: the user's own settings (saved, applied), or what a restore
        // decided to write (restoring).
        QJsonObject toRestore;
        // What the store holds while nobody but the daemon changed it: what the last enable left
        // (applied), or the store as the restore found it (restoring; absent in an older helper's
        // record, which is then written whole).
        std::optional<QJsonObject> untouched;
        // The keys a restore decided to leave as the user set them (restoring), so that the try
        // that finishes it says so too.
        QStringList usersOwnKeys = {};
    };

    // The client's listener as an enable names it.
    struct Listener
    {
        int port = 0;
        int socksPort = 0;
        QString pac;

        bool operator==(const Listener &other) const = default;
    };

    // How a copy came back from the disk.
    struct Loaded
    {
        std::optional<Entry> entry;
        // Empty when the entry is there. Otherwise why there is none: the file could not be read
        // (it stays where it is), or it was damaged or refused and was set aside.
        QString error;
        bool setAside = false;
    };

    explicit SavedProxyState(const QString &folder);

    static QString defaultFolder();
    QString filePath() const;
    QString listenerFilePath() const;

    bool exists() const;
    // Whether anything of an enable is on record: a copy or a listener.
    bool anyRecord() const;
    // Empty on success; on failure the file on disk is as it was.
    QString save(const Entry &entry);
    // Records what an enable left in the store: the copy becomes `applied`. Empty on success.
    QString recordApplied(const QJsonObject &applied);
    // Forgets that record: until an enable records anew, the copy is given back whatever the
    // store shows. Empty on success.
    QString forgetApplied();
    // The copy. `isUsable` is the backend's own judgement of a snapshot read back from disk: a copy
    // it refuses is damaged. A damaged file is set aside as "<file>.damaged"; a file that cannot be
    // opened is left where it is. Nothing and no error when there is no copy.
    Loaded load(const std::function<bool(const QJsonObject &)> &isUsable) const;
    // Removes the copy and the listener record. Whether neither is left.
    bool clear();

    // Adds the listener an enable is about to set. Empty on success.
    QString recordListener(const Listener &listener);
    // The listeners on record; none when there is no record or it cannot be read.
    QList<Listener> listeners() const;
    // What a restore without a usable copy wrote in place of the listener, as key values: a key
    // still holding it was not changed by the user. Empty when none.
    QJsonObject writtenInPlace() const;
    QString recordWrittenInPlace(const QJsonObject &keyValues);

private:
    // One read-modify-write of the copy's object. Empty on success.
    QString edit(const std::function<void(QJsonObject &)> &change);
    std::optional<QJsonObject> readListenerRecord() const;
    QString writeListenerRecord(const QJsonObject &object);
    QString write(const QString &path, const QJsonObject &object);
    // The file's object once its shape is checked; see load().
    std::optional<QJsonObject> readObject(QString *error, bool *setAside) const;

    QString m_folder;
};
