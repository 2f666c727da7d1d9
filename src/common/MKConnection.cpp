#include "common/MKConnection.h"

#include "common/AppPaths.h"
#include "common/Logger.h"
#include "common/CommonLog.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Exception.h>
#include <SQLiteCpp/Statement.h>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kBusyTimeoutMs = 3000;

bool isCorruption(const SQLite::Exception &error)
{
    const int code = error.getErrorCode() & 0xff;
    return code == SQLITE_NOTADB || code == SQLITE_CORRUPT;
}

// The file system had no room for what the open needed to create or grow (a full disk, or the
// user's quota), as opposed to a file that is damaged, locked or not ours, or a folder the process
// may not write. SQLite calls a full file SQLITE_FULL; a shared index or journal it could not
// create or extend is an I/O error whose reason is the system's own error number.
bool isNoRoom(const SQLite::Exception &error, sqlite3 *handle)
{
    const int code = error.getErrorCode() & 0xff;
    if (code == SQLITE_FULL)
        return true;
    if ((code != SQLITE_IOERR && code != SQLITE_CANTOPEN) || !handle)
        return false;
    const int reason = sqlite3_system_errno(handle);
    return reason == ENOSPC || reason == EDQUOT;
}

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// SQLite would create the file with the umask's rights and we could only narrow them afterwards;
// whoever opened it in between keeps reading. An empty file is a valid empty database.
void createOwnerOnly(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
}

// The user table holds the sign-in token: the file and the journal files SQLite derives from it
// are for the user alone, also when an earlier version or a crash left them more open.
void restrictToOwner(const QString &path)
{
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")}) {
        if (QFile::exists(path + suffix))
            QFile::setPermissions(path + suffix, kOwnerOnly);
    }
}

// A rename in place needs no room, and it replaces what is there; QFile's falls back to a copy.
bool renameFile(const QString &from, const QString &to)
{
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

void removeWithJournal(const QString &path)
{
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")})
        QFile::remove(path + suffix);
}

// Column names in order, or nothing when no such table is there.
std::optional<QStringList> columnsOf(SQLite::Database &database, const QString &table)
{
    SQLite::Statement info(database, "SELECT name FROM pragma_table_info(?)");
    info.bind(1, table.toStdString());
    QStringList columns;
    while (info.executeStep())
        columns << QString::fromStdString(info.getColumn(0).getString());
    if (columns.isEmpty())
        return std::nullopt;
    return columns;
}

} // namespace

const QMap<QString, QStringList> &MKConnection::tableColumns()
{
    static const QMap<QString, QStringList> tables = {
        {QStringLiteral("User"), {QStringLiteral("id"), QStringLiteral("json"), QStringLiteral("timestamp")}},
        {QStringLiteral("Notification"), {QStringLiteral("name"), QStringLiteral("json"), QStringLiteral("timestamp")}},
        {QStringLiteral("Host"), {QStringLiteral("name"), QStringLiteral("json"), QStringLiteral("timestamp")}},
        {QStringLiteral("RequestLog"),
         {QStringLiteral("id"), QStringLiteral("method"), QStringLiteral("path"), QStringLiteral("http_status"),
          QStringLiteral("duration_ms"), QStringLiteral("time"), QStringLiteral("error_code")}},
    };
    return tables;
}

bool MKConnection::schemaIsOurs(SQLite::Database &database, QString *why)
{
    SQLite::Statement objects(database, "SELECT type, name FROM sqlite_master "
                                        "WHERE name NOT LIKE 'sqlite\\_%' ESCAPE '\\' AND type IN ('table', 'view')");
    bool anyTable = false;
    bool anyOurs = false;
    while (objects.executeStep()) {
        const QString type = QString::fromStdString(objects.getColumn(0).getString());
        const QString name = QString::fromStdString(objects.getColumn(1).getString());
        anyTable = true;
        const auto ours = tableColumns().constFind(name);
        if (ours == tableColumns().constEnd())
            continue;
        anyOurs = true;
        // A view, or a table of our name with other columns: every statement on it would fail.
        if (type != QLatin1String("table") || columnsOf(database, name) != *ours) {
            *why = QStringLiteral("\"%1\" is not the table this program keeps").arg(name);
            return false;
        }
    }
    // Tables of which none is ours: another program's database. Tables we do not know beside ours
    // are left alone (a later version may add some).
    if (anyTable && !anyOurs) {
        *why = QStringLiteral("it holds another program's tables");
        return false;
    }
    return true;
}

MKConnection &MKConnection::shared()
{
    static MKConnection connection;
    return connection;
}

MKConnection::MKConnection() = default;
MKConnection::~MKConnection() = default;

QString MKConnection::defaultFilePath()
{
    return AppPaths::cachesFolder() + QStringLiteral("/database_swift.sqlite3");
}

QString MKConnection::filePath() const
{
    return defaultFilePath();
}

QString MKConnection::nowTimestamp()
{
    // Strictly increasing within the process, so two rows stored in the same millisecond still
    // tell which came last (the user table's row id is the user's id, not the insertion order).
    static std::mutex mutex;
    static qint64 last = 0;
    qint64 now = QDateTime::currentMSecsSinceEpoch();
    {
        std::lock_guard<std::mutex> lock(mutex);
        now = std::max(now, last + 1);
        last = now;
    }
    return QDateTime::fromMSecsSinceEpoch(now, Qt::UTC).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

MKConnection::OpenResult MKConnection::openFile()
{
    const QByteArray path = QFile::encodeName(filePath());
    createOwnerOnly(filePath());
    restrictToOwner(filePath());
    // Outside the try: the reason for a failure is read from the connection in the catch.
    std::unique_ptr<SQLite::Database> database;
    try {
        database = std::make_unique<SQLite::Database>(
            path.constData(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE | SQLite::OPEN_FULLMUTEX, kBusyTimeoutMs);
        // The first read of the header is where a file that is no database shows itself.
        bool healthy = false;
        {
            SQLite::Statement check(*database, "PRAGMA quick_check");
            healthy = check.executeStep() && check.getColumn(0).getString() == "ok";
        }
        if (!healthy) {
            qCWarning(lcCommon).noquote() << "Database" << filePath() << "failed its integrity check";
            return OpenResult::Corrupt;
        }
        // A healthy file that is not ours is set aside like a damaged one: nothing we store or
        // read would work on it, and repairing another program's tables is not ours to do.
        QString why;
        if (!schemaIsOurs(*database, &why)) {
            qCWarning(lcCommon).noquote() << "Database" << filePath() << "is not this program's:" << why;
            return OpenResult::Corrupt;
        }
        database->exec("PRAGMA journal_mode=WAL");
        m_database = std::move(database);
        return OpenResult::Opened;
    } catch (const SQLite::Exception &error) {
        // While the disk is full each use tries the ordinary open again; the read-only state was said once.
        if (!m_readOnly)
            qCWarning(lcCommon).noquote() << "Database" << filePath() << "cannot be opened:" << error.what();
        if (isCorruption(error))
            return OpenResult::Corrupt;
        return isNoRoom(error, database ? database->getHandle() : nullptr) ? OpenResult::NoRoom : OpenResult::Failed;
    }
}

bool MKConnection::openAsItStands()
{
    // Only a file closed cleanly holds every row itself: with a write-ahead log beside it, the
    // file alone is an older state, and reading it would show a user the log has replaced. (The
    // failed open may have left an empty log, which holds nothing.)
    if (QFileInfo(filePath() + QStringLiteral("-wal")).size() > 0 || QFileInfo(filePath()).size() == 0)
        return false;
    // "immutable": SQLite reads the file alone, creates nothing beside it and takes no lock.
    QUrl uri = QUrl::fromLocalFile(filePath());
    uri.setQuery(QStringLiteral("immutable=1"));
    try {
        auto database = std::make_unique<SQLite::Database>(uri.toEncoded().constData(),
                                                           SQLite::OPEN_READONLY | SQLite::OPEN_URI | SQLite::OPEN_FULLMUTEX);
        QString why;
        // Damage is judged by the ordinary open once there is room; here it only fails the read.
        SQLite::Statement check(*database, "PRAGMA quick_check");
        if (!check.executeStep() || check.getColumn(0).getString() != "ok" || !schemaIsOurs(*database, &why))
            return false;
        if (!m_readOnly) {
            const QString line = QStringLiteral("Database %1 opened read-only: no room beside it to open it as usual; "
                                                "nothing is stored until there is").arg(filePath());
            OSTREL_LOG(Logger::Warning, line);
            qCWarning(lcCommon).noquote() << line;
        }
        m_database = std::move(database);
        m_readOnly = true;
        return true;
    } catch (const SQLite::Exception &error) {
        qCWarning(lcCommon).noquote() << "Database" << filePath() << "cannot be read as it stands:" << error.what();
        return false;
    }
}

void MKConnection::moveAsideCorruptFile()
{
    m_database.reset();
    const QString path = filePath();
    const QString aside = path + QStringLiteral(".corrupt");
    QFile::remove(aside);
    if (!QFile::rename(path, aside))
        QFile::remove(path);
    // Journal files belong to the damaged database; replayed into a fresh one they would harm it.
    QFile::remove(path + QStringLiteral("-wal"));
    QFile::remove(path + QStringLiteral("-shm"));
    // Worth a line in the file log: the cached rows (and a signed-in user) are gone after this.
    const QString line = QStringLiteral("Database %1 was damaged or not ours; kept as %2 and started afresh").arg(path, aside);
    OSTREL_LOG(Logger::Error, line);
    qCWarning(lcCommon).noquote() << line;
}

QString MKConnection::signedOutPath() const
{
    return filePath() + QStringLiteral(".signed-out");
}

bool MKConnection::setAsideSignedOut()
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    // Closed first: the connection would go on writing to the file under its new name. On a full
    // disk the close cannot fold the journal into the file; the journal moves with it.
    m_database.reset();
    m_readOnly = false;
    const QString path = filePath();
    const QString aside = signedOutPath();
    // An earlier sign-out's file is older than this one, and its journal must never meet this file.
    removeWithJournal(aside);
    const bool moved = renameFile(path, aside);
    if (!moved && QFile::exists(path) && !QFile::remove(path)) {
        const QString line = QStringLiteral("Database %1 can neither be set aside nor removed: the signed-out user is "
                                            "still in it").arg(path);
        OSTREL_LOG(Logger::Error, line);
        qCWarning(lcCommon).noquote() << line;
        return false;
    }
    if (moved)
        renameFile(path + QStringLiteral("-wal"), aside + QStringLiteral("-wal"));
    // Whatever journal is left under the old name would only be replayed into the fresh file.
    removeWithJournal(path);
    const QString line = moved ? QStringLiteral("Database %1 set aside as %2 at the sign-out; its other rows come back "
                                                "without the user once there is room").arg(path, aside)
                               : QStringLiteral("Database %1 removed at the sign-out").arg(path);
    OSTREL_LOG(Logger::Warning, line);
    qCWarning(lcCommon).noquote() << line;
    return true;
}

void MKConnection::bringBackSignedOut()
{
    const QString path = filePath();
    const QString aside = signedOutPath();
    if (!QFile::exists(aside))
        return;
    // Written since (once there was room for a fresh file but not for this step): what the file
    // holds now is newer than anything set aside.
    if (QFileInfo(path).size() > 0 || QFileInfo(path + QStringLiteral("-wal")).size() > 0) {
        removeWithJournal(aside);
        return;
    }
    const Cleaning cleaned = removeUserFrom(aside);
    if (cleaned == Cleaning::NoRoom)
        return;
    if (cleaned == Cleaning::Unusable) {
        OSTREL_LOG(Logger::Warning, QStringLiteral("Database %1 set aside at the sign-out cannot be read; its cached "
                                                   "rows are dropped").arg(aside));
        removeWithJournal(aside);
        return;
    }
    // The leftovers of opens the full disk refused, empty; then the file takes its place whole.
    removeWithJournal(path);
    QFile::remove(aside + QStringLiteral("-shm"));
    if (!renameFile(aside, path)) {
        qCWarning(lcCommon).noquote() << "Database" << aside << "cannot be moved back to" << path;
        return;
    }
    OSTREL_LOG(Logger::Info, QStringLiteral("Database %1 is back from the sign-out, without its user").arg(path));
}

MKConnection::Cleaning MKConnection::removeUserFrom(const QString &aside)
{
    // Outside the try: the reason for a failure is read from the connection in the catch.
    std::unique_ptr<SQLite::Database> database;
    try {
        database = std::make_unique<SQLite::Database>(QFile::encodeName(aside).constData(),
                                                      SQLite::OPEN_READWRITE | SQLite::OPEN_FULLMUTEX, kBusyTimeoutMs);
        bool healthy = false;
        {
            SQLite::Statement check(*database, "PRAGMA quick_check");
            healthy = check.executeStep() && check.getColumn(0).getString() == "ok";
        }
        QString why;
        if (!healthy || !schemaIsOurs(*database, &why))
            return Cleaning::Unusable;
        // The freed space is overwritten: the token leaves the file, not only the table.
        database->exec("PRAGMA secure_delete=ON");
        if (database->tableExists("User"))
            database->exec("DELETE FROM \"User\"");
        database->exec("PRAGMA wal_checkpoint(TRUNCATE)");
    } catch (const SQLite::Exception &error) {
        // While the disk is full each use tries again; the sign-out's line said why once.
        if (isNoRoom(error, database ? database->getHandle() : nullptr))
            return Cleaning::NoRoom;
        qCWarning(lcCommon).noquote() << "Database" << aside << "cannot be read:" << error.what();
        return Cleaning::Unusable;
    }
    database.reset();
    // Moved without its journal, the file would lack what the journal still holds: the delete too.
    return QFileInfo(aside + QStringLiteral("-wal")).size() > 0 ? Cleaning::NoRoom : Cleaning::Done;
}

bool MKConnection::ensureOpen()
{
    if (m_database && !m_readOnly)
        return true;
    // The read-only database of a full disk gives way as soon as the ordinary open works again.
    m_database.reset();
    // Private as a whole: besides the database it holds the log folder and the journal files.
    if (!AppPaths::ensureFolder(AppPaths::cachesFolder(), true)) {
        qCWarning(lcCommon).noquote() << "Cannot create the caches folder" << AppPaths::cachesFolder();
        return false;
    }
    bringBackSignedOut();
    const OpenResult result = openFile();
    if (result == OpenResult::Opened) {
        if (m_readOnly)
            OSTREL_LOG(Logger::Info, QStringLiteral("Database %1 is writable again").arg(filePath()));
        m_readOnly = false;
        return true;
    }
    if (result == OpenResult::NoRoom)
        return openAsItStands();
    if (result != OpenResult::Corrupt)
        return false;
    // Only a file SQLite itself calls damaged is set aside; a locked or unreadable one is kept.
    moveAsideCorruptFile();
    return openFile() == OpenResult::Opened;
}

bool MKConnection::run(const QString &what, const std::function<void(SQLite::Database &)> &work)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!ensureOpen())
            return false;
        try {
            work(*m_database);
            return true;
        } catch (const SQLite::Exception &error) {
            qCWarning(lcCommon).noquote() << "Database error in" << what << ":" << error.what();
            // A file damaged while open: set it aside once and retry on a fresh database. Not the
            // read-only one of a full disk: read without a lock, a file another process writes may
            // look damaged for a moment, and damage is the ordinary open's to judge.
            if (!isCorruption(error) || attempt > 0 || m_readOnly)
                return false;
            moveAsideCorruptFile();
        } catch (const std::exception &error) {
            qCWarning(lcCommon).noquote() << "Database error in" << what << ":" << error.what();
            return false;
        }
    }
    return false;
}

void MKConnection::closeForTesting()
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_database.reset();
    m_readOnly = false;
}
