#include "vpn/EngineArchitecture.h"

#include <sys/utsname.h>

EngineArchitecture engineArchitectureFromMachine(const QString &machine)
{
    // The ARM engines are 64-bit builds: a 32-bit ARM kernel ("armv7l") has none it could run.
    if (machine == QLatin1String("aarch64") || machine == QLatin1String("arm64"))
        return EngineArchitecture::ARM;
    if (machine == QLatin1String("x86_64"))
        return EngineArchitecture::Intel64;
    if (machine == QLatin1String("i386") || machine == QLatin1String("i686"))
        return EngineArchitecture::Intel32;
    return EngineArchitecture::Unknown;
}

QString currentMachineName()
{
    struct utsname name {};
    if (uname(&name) != 0)
        return QString();
    return QString::fromLatin1(name.machine);
}

EngineArchitecture currentEngineArchitecture()
{
    return engineArchitectureFromMachine(currentMachineName());
}

QString engineArchitectureText(EngineArchitecture architecture)
{
    switch (architecture) {
    case EngineArchitecture::ARM: return QStringLiteral("ARM");
    case EngineArchitecture::Intel64: return QStringLiteral("Intel 64-bit");
    case EngineArchitecture::Intel32: return QStringLiteral("Intel 32-bit");
    case EngineArchitecture::Unknown: break;
    }
    return QString();
}
