#include "ShortcutsController.h"

#include <QGuiApplication>

#include "common/Logger.h"

ShortcutsController::Binding ShortcutsController::bindShortcuts()
{
    OSTREL_LOG(Logger::Warning, QStringLiteral("global shortcuts are unavailable on this desktop (%1)").arg(QGuiApplication::platformName()));
    return Binding::Unavailable;
}
