#include "web/PopupUpgradeWindowHook.h"

#include "web/core/WebLog.h"

namespace {

PopupUpgradeWindowHook::Opener &opener()
{
    static PopupUpgradeWindowHook::Opener current;
    return current;
}

} // namespace

void PopupUpgradeWindowHook::open(const QUrl &installerUrl, const QString &version)
{
    if (opener())
        return opener()(installerUrl, version);
    webLog(QStringLiteral("update button pressed, but no upgrade window is built into this program"), Q_FUNC_INFO);
}

void PopupUpgradeWindowHook::setOpener(Opener replacement)
{
    opener() = std::move(replacement);
}
