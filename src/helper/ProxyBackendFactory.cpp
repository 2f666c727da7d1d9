#include "helper/ProxyBackendFactory.h"

#include "helper/FileProxyBackend.h"
#include "helper/GSettingsProxyBackend.h"
#include "helper/KdeProxyBackend.h"

namespace ProxyBackendFactory {

QString detect(const Options &options)
{
    if (options.backend != QLatin1String("auto"))
        return options.backend;
    const QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'));
    if (desktops.contains(QStringLiteral("KDE"), Qt::CaseInsensitive))
        return QStringLiteral("kde");
    if (GSettingsProxyBackend::isAvailable(options.gsettingsProgram))
        return QStringLiteral("gsettings");
    return QStringLiteral("file");
}

std::unique_ptr<ProxyBackend> create(const Options &options, QString *error)
{
    const QString name = detect(options);
    if (name == QLatin1String("file"))
        return std::make_unique<FileProxyBackend>(options.filePath);
    if (name == QLatin1String("gsettings"))
        return std::make_unique<GSettingsProxyBackend>(options.gsettingsProgram);
    if (name == QLatin1String("kde"))
        return std::make_unique<KdeProxyBackend>(
            options.kioslavercPath.isEmpty() ? KdeProxyBackend::defaultPath() : options.kioslavercPath);
    *error = QStringLiteral("unknown backend %1 (auto, file, gsettings or kde)").arg(name);
    return nullptr;
}

} // namespace ProxyBackendFactory
