#include "common/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>

namespace {

QString env(const char *name)
{
    return QString::fromLocal8Bit(qgetenv(name));
}

QString xdgFolder(const char *variable, const QString &fallbackUnderHome)
{
    const QString value = env(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return value;
    return QDir::homePath() + QLatin1Char('/') + fallbackUnderHome;
}

QMutex s_resourceMutex;
QString s_resourceOverride;
QString s_builtResourceOverride;

// "share/<name>" beside the executable's bin/.
QString sharedFolder(const QString &name)
{
    // applicationDirPath needs an application object; without one we are in a tool that
    // set the override or does not need resources.
    const QString bin = QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                                     : QDir::currentPath();
    return QDir::cleanPath(bin + QStringLiteral("/../share/") + name);
}

// The folder a test set in `override`, else share/<name> beside bin/.
QString overriddenOrShared(const QString &override, const QString &name)
{
    QString chosen;
    {
        QMutexLocker lock(&s_resourceMutex);
        chosen = override;
    }
    return chosen.isEmpty() ? sharedFolder(name) : chosen;
}

void setOverride(QString &override, const QString &folder)
{
    QMutexLocker lock(&s_resourceMutex);
    override = folder;
}

} // namespace

namespace AppPaths {

QString dataFolder()
{
    return QDir::homePath() + QStringLiteral("/.Ostrel_mac_Pelmorath");
}

QString olderPrivateFolder()
{
    return QDir::homePath() + QStringLiteral("/.Ostrel_mac_privoxy/private");
}

QUrl dataFolderURL()
{
    return QUrl::fromLocalFile(dataFolder());
}

QString privateFolder()
{
    return dataFolder() + QStringLiteral("/private");
}

QString pageFolder()
{
    return dataFolder() + QStringLiteral("/page");
}

QString usersFolder()
{
    return dataFolder() + QStringLiteral("/users");
}

QString configFolder()
{
    return xdgFolder("XDG_CONFIG_HOME", QStringLiteral(".config")) + QStringLiteral("/ostrel");
}

QString cachesFolder()
{
    return xdgFolder("XDG_CACHE_HOME", QStringLiteral(".cache")) + QStringLiteral("/ostrel");
}

QString downloadsFolder()
{
    return xdgFolder("XDG_DOWNLOAD_DIR", QStringLiteral("Downloads"));
}

QString logFolder()
{
    return cachesFolder() + QStringLiteral("/logs");
}

QString runtimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return runtime + QStringLiteral("/ostrel");
    return cachesFolder() + QStringLiteral("/run");
}

QString resourceFolder()
{
    return overriddenOrShared(s_resourceOverride, QStringLiteral("ostrel"));
}

QString resourcePath(const QString &relative)
{
    return resourceFolder() + QLatin1Char('/') + relative;
}

void setResourceFolderForTesting(const QString &folder)
{
    setOverride(s_resourceOverride, folder);
}

QString builtResourceFolder()
{
    return overriddenOrShared(s_builtResourceOverride, QStringLiteral("ostrel-built"));
}

QString builtResourcePath(const QString &relative)
{
    return builtResourceFolder() + QLatin1Char('/') + relative;
}

void setBuiltResourceFolderForTesting(const QString &folder)
{
    setOverride(s_builtResourceOverride, folder);
}

QString installFolder()
{
    // A test program points it into its profile, and a client that a test starts takes it from
    // there too; nowhere else is the variable heeded.
    if (env("OSTREL_TEST") == QLatin1String("1")) {
        const QString folder = env("OSTREL_INSTALL_FOLDER");
        if (QDir::isAbsolutePath(folder))
            return QDir::cleanPath(folder);
    }
    return QStringLiteral("/opt/Ostrel_mac_Pelmorath");
}

bool ensureFolder(const QString &path, bool privateToUser)
{
    QDir dir(path);
    if (!dir.exists() && !QDir().mkpath(path))
        return false;
    if (!privateToUser)
        return true;
    return QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                           | QFileDevice::ExeOwner);
}

} // namespace AppPaths
