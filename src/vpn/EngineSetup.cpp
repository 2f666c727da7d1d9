#include "vpn/EngineSetup.h"

#include "common/AppPaths.h"
#include "vpn/EngineArchitecture.h"
#include "vpn/PrivilegedRunner.h"

#include <QMutex>
#include <QMutexLocker>

#include <optional>

namespace {

QMutex s_mutex;
std::optional<EngineSetup> s_override;

} // namespace

QString EngineSetup::defaultEngineFolder()
{
    return AppPaths::installFolder();
}

EngineSetup EngineSetup::standard()
{
    {
        QMutexLocker lock(&s_mutex);
        if (s_override)
            return *s_override;
    }
    EngineSetup setup;
    setup.engineFolder = defaultEngineFolder();
    setup.scriptFolder = AppPaths::resourcePath(QStringLiteral("scripts"));
    setup.shippedVersionsFile = AppPaths::resourcePath(QStringLiteral("engines/versions.json"));
    setup.machine = currentMachineName();
    setup.runner = &PrivilegedRunner::standard();
    return setup;
}

void EngineSetup::setStandardForTesting(const EngineSetup &setup)
{
    QMutexLocker lock(&s_mutex);
    s_override = setup;
}

void EngineSetup::resetStandard()
{
    QMutexLocker lock(&s_mutex);
    s_override.reset();
}
