#include "app/NBFullDiskAccessManager.h"

#include <QDir>

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
    return g_statusOverride.value_or(Access);
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
