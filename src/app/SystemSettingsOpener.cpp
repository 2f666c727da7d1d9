#include "app/SystemSettingsOpener.h"

#include "common/DetachedProcess.h"

#include <QStandardPaths>

namespace {
std::function<bool()> g_opener;
}

QStringList SystemSettingsOpener::networkSettingsCommand(const QString &desktop)
{
    QList<QStringList> candidates;
    const QString lower = desktop.toLower();
    if (lower.contains(QLatin1String("gnome")) || lower.contains(QLatin1String("unity")))
        candidates << QStringList{QStringLiteral("gnome-control-center"), QStringLiteral("network")};
    if (lower.contains(QLatin1String("kde"))) {
        candidates << QStringList{QStringLiteral("systemsettings"), QStringLiteral("kcm_networkmanagement")};
        candidates << QStringList{QStringLiteral("kcmshell5"), QStringLiteral("kcm_networkmanagement")};
    }
    candidates << QStringList{QStringLiteral("nm-connection-editor")};
    for (const QStringList &candidate : std::as_const(candidates)) {
        const QString program = QStandardPaths::findExecutable(candidate.first());
        if (!program.isEmpty())
            return QStringList{program} + candidate.mid(1);
    }
    return {};
}

bool SystemSettingsOpener::openNetworkSettings()
{
    if (g_opener)
        return g_opener();
    const QStringList command = networkSettingsCommand(qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
    if (command.isEmpty())
        return false;
    return DetachedProcess::start(command.first(), command.mid(1)).ok();
}

void SystemSettingsOpener::setOpenerForTesting(std::function<bool()> opener)
{
    g_opener = std::move(opener);
}
