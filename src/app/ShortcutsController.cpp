#include "ShortcutsController.h"

#include <QGuiApplication>

#include "common/Logger.h"

ShortcutsController::Binding ShortcutsController::bindShortcuts()
{
    Logger::log(QStringLiteral("global shortcuts are unavailable on this desktop (%1)").arg(QGuiApplication::platformName()),
                Logger::Warning, QStringLiteral("ShortcutsController"), QStringLiteral("bindShortcuts"));
    return Binding::Unavailable;
}
