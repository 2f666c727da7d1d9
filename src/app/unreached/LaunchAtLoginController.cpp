#include "app/unreached/LaunchAtLoginController.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "common/DefaultsKeys.h"
#include "common/Logger.h"
#include "common/UserDefaults.h"
#include "common/WholeFile.h"

namespace {

// The Exec key's quoting: the path in double quotes with ", `, $ and \ escaped, then the value
// escaping that doubles every backslash again, and %% for a literal percent sign.
QString execValue(const QString &executable)
{
    QString quoted;
    for (const QChar c : executable) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted = QLatin1Char('"') + quoted + QLatin1Char('"');
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    quoted.replace(QLatin1Char('%'), QLatin1String("%%"));
    return quoted;
}

} // namespace

LaunchAtLoginController &LaunchAtLoginController::shared()
{
    static LaunchAtLoginController controller(QCoreApplication::applicationFilePath());
    return controller;
}

LaunchAtLoginController::LaunchAtLoginController(const QString &executable)
    : m_executable(executable)
{
    setLaunchAtLogin(UserDefaults::standard().boolForKey(DefaultsKeys::LaunchAtLogin));
}

QString LaunchAtLoginController::autostartFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart/ostrel.desktop");
}

QByteArray LaunchAtLoginController::desktopEntry(const QString &executable)
{
    if (executable.isEmpty() || executable.contains(QLatin1Char('\n')) || executable.contains(QLatin1Char('\r')))
        return {};
    const QString name = QCoreApplication::applicationName().isEmpty() ? QStringLiteral("Ostrel") : QCoreApplication::applicationName();
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=%1\n"
                          "Exec=%2\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(name, execValue(executable))
        .toUtf8();
}

bool LaunchAtLoginController::setLaunchAtLogin(bool enabled)
{
    const QString state = QString::number(enabled ? 1 : 0);
    if (!apply(enabled)) {
        OSTREL_LOG(Logger::Error, QStringLiteral("Call SMLoginItemSetEnabled with [%1] failed").arg(state));
        return false;
    }
    m_enabled = enabled;
    UserDefaults::standard().setBool(DefaultsKeys::LaunchAtLogin, enabled);
    OSTREL_LOG(Logger::Info, QStringLiteral("Call SMLoginItemSetEnabled with [%1] success").arg(state));
    return true;
}

bool LaunchAtLoginController::apply(bool enabled) const
{
    const QString path = autostartFilePath();
    if (!enabled)
        return !QFileInfo::exists(path) || QFile::remove(path);
    const QByteArray entry = desktopEntry(m_executable);
    if (entry.isEmpty() || !QDir().mkpath(QFileInfo(path).path()))
        return false;
    const QString error = WholeFile::write(path, entry);
    if (!error.isEmpty())
        OSTREL_LOG(Logger::Warning, QStringLiteral("the start at login is not set: ") + error);
    return error.isEmpty();
}
