#include "common/MKConnection.h"

#include "common/AppPaths.h"
#include "common/Logger.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Exception.h>
#include <SQLiteCpp/Statement.h>

#include <sqlite3.h>

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kBusyTimeoutMs = 3000;

bool isCorruption(const SQLite::Exception &error)
{
    const int code = error.getErrorCode();
    return code == SQLITE_NOTADB || code == SQLITE_CORRUPT;
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

} // namespace

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
    try {
        auto database = std::make_unique<SQLite::Database>(
            path.constData(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE | SQLite::OPEN_FULLMUTEX, kBusyTimeoutMs);
        // The first read of the header is where a file that is no database shows itself.
        bool healthy = false;
        {
            SQLite::Statement check(*database, "PRAGMA quick_check");
            healthy = check.executeStep() && check.getColumn(0).getString() == "ok";
        }
        if (!healthy) {
            qWarning().noquote() << "Database" << filePath() << "failed its integrity check";
            return OpenResult::Corrupt;
        }
        database->exec("PRAGMA journal_mode=WAL");
        m_database = std::move(database);
        return OpenResult::Opened;
    } catch (const SQLite::Exception &error) {
        qWarning().noquote() << "Database" << filePath() << "cannot be opened:" << error.what();
        return isCorruption(error) ? OpenResult::Corrupt : OpenResult::Failed;
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
    const QString line = QStringLiteral("Database %1 was damaged; kept as %2 and started afresh").arg(path, aside);
    OSTREL_LOG(Logger::Error, line);
    qWarning().noquote() << line;
}

bool MKConnection::ensureOpen()
{
    if (m_database)
        return true;
    // Private as a whole: besides the database it holds the log folder and the journal files.
    if (!AppPaths::ensureFolder(AppPaths::cachesFolder(), true)) {
        qWarning().noquote() << "Cannot create the caches folder" << AppPaths::cachesFolder();
        return false;
    }
    const OpenResult result = openFile();
    if (result != OpenResult::Corrupt)
        return result == OpenResult::Opened;
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
            qWarning().noquote() << "Database error in" << what << ":" << error.what();
            // A file damaged while open: set it aside once and retry on a fresh database.
            if (!isCorruption(error) || attempt > 0)
                return false;
            moveAsideCorruptFile();
        } catch (const std::exception &error) {
            qWarning().noquote() << "Database error in" << what << ":" << error.what();
            return false;
        }
    }
    return false;
}

void MKConnection::closeForTesting()
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_database.reset();
}
