#include "NBFullDiskAccessManager.h"

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
    Logger::log(QStringLiteral("no full-disk-access settings on this system"), Logger::Info,
                QStringLiteral("NBFullDiskAccessManager"), QStringLiteral("openFullDiskAuthPrefreence"));
}

void NBFullDiskAccessManager::setStatusForTesting(std::optional<unsigned> status)
{
    g_statusOverride = status;
}

int NBFullDiskAccessManager::settingsPaneOpenCountForTesting()
{
    return g_paneOpenCount;
}
