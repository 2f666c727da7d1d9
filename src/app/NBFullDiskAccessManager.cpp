#include "app/NBFullDiskAccessManager.h"

#include <QDir>
#include <QFileInfo>

#include "common/Logger.h"

namespace {

std::optional<unsigned> g_statusOverride;
int g_paneOpenCount = 0;

} // namespace

QString NBFullDiskAccessManager::getUserHomePath()
{
    return QDir::homePath();
}

unsigned NBFullDiskAccessManager::getFullDiskAuthorationStatus()
{
    if (g_statusOverride)
        return *g_statusOverride;
    // No system gate stands in front of a user's own files here: what decides is whether the
    // home folder, where the pickers start, can be listed.
    const QString home = getUserHomePath();
    const QFileInfo info(home);
    if (!info.exists()) {
        OSTREL_LOG(Logger::Info, QStringLiteral("getFullDiskAuthorationStatus, %1 is not exist").arg(home));
        return CannotTell;
    }
    QDir folder(home);
    if (!info.isDir() || !info.isReadable() || !folder.isReadable()) {
        OSTREL_LOG(Logger::Info, QStringLiteral("getFullDiskAuthorationStatus, home contents is null, path = %1").arg(home));
        return NoAccess;
    }
    return Access;
}

void NBFullDiskAccessManager::openFullDiskAuthPrefreence()
{
    ++g_paneOpenCount;
    OSTREL_LOG(Logger::Info, QStringLiteral("no full-disk-access settings on this system"));
}

void NBFullDiskAccessManager::setStatusForTesting(std::optional<unsigned> status)
{
    g_statusOverride = status;
}

int NBFullDiskAccessManager::settingsPaneOpenCountForTesting()
{
    return g_paneOpenCount;
}
