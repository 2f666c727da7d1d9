#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <mutex>

namespace SQLite {
class Database;
}

// The one shared connection to the local database "database_swift.sqlite3" in the caches folder.
//
// Every table goes through run(), which holds the connection's lock for the whole unit of work,
// so callers on any thread never interleave inside one statement sequence. SQLite errors never
// leave this class: run() logs them and reports false.
//
// A file that is not a database, fails its integrity check, or holds tables that are not ours
// (another program's, or ours with other columns) is moved aside as "<file>.corrupt" and a fresh
// database is created in its place, so a damaged or foreign cache costs the cached rows, never the
// program.
//
// On a full disk a database that was closed cleanly cannot be opened as usual: the open needs room
// for the shared index beside it. It is then read as it stands, read-only, so the signed-in user and
// the cached rows are still there; every write fails as a value until an ordinary open succeeds,
// which each use tries first. Only a full disk (or quota) does this: a folder the process may not
// write, or a lock, fails the open as any other failure does.
class MKConnection
{
public:
    static MKConnection &shared();
    static QString defaultFilePath();

    // Runs the work on the open database under the lock. False when the database cannot be
    // opened or the work throws; `what` names the work in the log line.
    bool run(const QString &what, const std::function<void(SQLite::Database &)> &work);

    QString filePath() const;

    // Sets the database aside as "<file>.signed-out", journal and all, so that the next open
    // starts a fresh one without the signed-in user: for a sign-out the disk refused to write (a
    // full disk takes no delete, but a rename needs no room). The first open with room takes the
    // file back with the user removed, so the rows besides the user are kept. False when the
    // file could be neither moved nor removed.
    [[nodiscard]] bool setAsideSignedOut();

    // The tables this program keeps and their columns in order; the tables' own creation
    // statements must agree (a test holds them together).
    static const QMap<QString, QStringList> &tableColumns();
    // False, with the reason, when the open file is not this program's database.
    static bool schemaIsOurs(SQLite::Database &database, QString *why);

    // The time stamp every table stores: UTC, milliseconds, in a form that sorts as text
    // ("2024-05-01 08:30:12.345"), the same form as SQLite's own strftime('%Y-%m-%d %H:%M:%f'),
    // and strictly increasing within the process.
    static QString nowTimestamp();

    // Closes the connection; the next run() opens the file again (as a restarted program would).
    void closeForTesting();

    ~MKConnection();

private:
    MKConnection();
    bool ensureOpen();
    enum class OpenResult { Opened, Corrupt, Failed, NoRoom };
    OpenResult openFile();
    bool openAsItStands();
    void moveAsideCorruptFile();
    QString signedOutPath() const;
    void bringBackSignedOut();
    enum class Cleaning { Done, NoRoom, Unusable };
    static Cleaning removeUserFrom(const QString &aside);

    mutable std::recursive_mutex m_mutex;
    std::unique_ptr<SQLite::Database> m_database;
    // The open database is the read-only one of a full disk (openAsItStands).
    bool m_readOnly = false;
};
