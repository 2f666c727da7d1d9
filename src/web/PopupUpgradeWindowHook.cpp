#include "web/PopupUpgradeWindowHook.h"

#include <QWidget>

#include "upgrade/NBUpgradeProgressController.h"

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
    NBUpgradeProgressController::open(installerUrl.toString(QUrl::FullyEncoded), version);
}

void PopupUpgradeWindowHook::setOpener(Opener replacement)
{
    opener() = std::move(replacement);
}
